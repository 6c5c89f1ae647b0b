// The module's two exported functions and the one plug-in object they make and delete.
#include "CTranslate.h"
#include "GizmarkResources.h"
#include "Guarded.h"
#include "Interface.h"

#include <dlfcn.h>

#include <memory>

#define GIZMARK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

CTranslate* g_plugin = nullptr;

// The module's own handle: its base address, found from an address inside it.
void* FindModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FindModuleHandle), &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

} // namespace

GIZMARK_EXPORT int DllLoadPlugin(Interface* host, int value);
GIZMARK_EXPORT void DllUnloadPlugin(Interface* host);

int DllLoadPlugin(Interface* host, int /*value: nothing reads it*/) {
    // One plug-in object per loaded module: a second load while loaded builds nothing.
    if (g_plugin || !host)
        return 0;
    std::unique_ptr<CTranslate> plugin;
    const int result = Guarded("loading the plug-in", 0, [&] {
        RegisterGizmarkResources();
        plugin = std::make_unique<CTranslate>(host, FindModuleHandle());
        g_plugin = plugin.get();
        plugin->Load();
        IPluginRegistry* registry = host->pluginRegistry();
        const int registered = registry ? registry->registerPlugin(plugin.get(), 2) : 0;
        plugin.release(); // the module keeps it until DllUnloadPlugin
        return registered;
    });
    if (plugin) {
        // Something escaped after the object was built: undo what the load made, so that the
        // module is back in its unloaded state and a later load can try again.
        GuardedStep("undoing a failed load", [&] {
            if (IPluginRegistry* registry = host->pluginRegistry())
                registry->unregisterPlugin(plugin.get());
            plugin->Unload();
        });
        g_plugin = nullptr;
        plugin.reset();
        GuardedStep("unregistering the resources", [] { UnregisterGizmarkResources(); });
    }
    return result;
}

void DllUnloadPlugin(Interface* host) {
    if (!g_plugin)
        return;
    std::unique_ptr<CTranslate> plugin(g_plugin);
    GuardedStep("unloading the plug-in", [&] {
        plugin->Unload();
        Interface* owner = host ? host : plugin->GetHost();
        if (owner && owner->pluginRegistry())
            owner->pluginRegistry()->unregisterPlugin(plugin.get());
        UnregisterGizmarkResources();
    });
    g_plugin = nullptr;
}

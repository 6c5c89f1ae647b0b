// The module's two exported functions and the module-wide plug-in pointer.
#include "CTranslate.h"
#include "Interface.h"
#include "GizmarkResources.h"

#include <OgreException.h>

#include <dlfcn.h>

#include <exception>

#define GIZMARK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

CTranslate* g_plugin = nullptr;
// The value the host passed to DllLoadPlugin; kept, not interpreted.
int g_loadValue = 0;

// The module's own handle: its base address, found from an address inside it.
void* FindModuleHandle() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&FindModuleHandle), &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

} // namespace

CTranslate* GetTranslatePlugin() {
    return g_plugin;
}

GIZMARK_EXPORT int DllLoadPlugin(Interface* host, int value);
GIZMARK_EXPORT void DllUnloadPlugin(Interface* host);

int DllLoadPlugin(Interface* host, int value) {
    // One plug-in object per loaded module: a second load while loaded builds nothing.
    if (g_plugin || !host)
        return 0;
    try {
        g_loadValue = value;
        void* module = FindModuleHandle();
        RegisterGizmarkResources();
        g_plugin = new CTranslate(host, module);
        g_plugin->OnNotify(NOTIFY_LOAD, 0, nullptr);
        IPluginRegistry* registry = host->pluginRegistry();
        return registry ? registry->registerPlugin(g_plugin, 2) : 0;
    } catch (const Ogre::Exception&) {
    } catch (const std::exception&) {
    } catch (...) {
    }
    return 0;
}

void DllUnloadPlugin(Interface* host) {
    if (!g_plugin)
        return;
    CTranslate* plugin = g_plugin;
    try {
        plugin->OnNotify(NOTIFY_UNLOAD, 0, nullptr);
        Interface* owner = host ? host : plugin->GetHost();
        if (owner && owner->pluginRegistry())
            owner->pluginRegistry()->unregisterPlugin(plugin);
        UnregisterGizmarkResources();
    } catch (const Ogre::Exception&) {
    } catch (const std::exception&) {
    } catch (...) {
    }
    g_plugin = nullptr;
    delete plugin;
    g_loadValue = 0;
}

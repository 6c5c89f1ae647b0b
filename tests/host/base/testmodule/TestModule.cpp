// A tiny plug-in module for the loader tests. TEST_MODULE_NAME names it; with
// TEST_MODULE_THROWS its DllLoadPlugin throws after registering.
#include "IPluginBase.h"
#include "Interface.h"

#include <stdexcept>

#ifndef TEST_MODULE_NAME
#define TEST_MODULE_NAME "test"
#endif

namespace {
class CTestPlugin : public IPluginBase {
public:
    const char* GetPluginName() override { return TEST_MODULE_NAME; }
};
CTestPlugin g_plugin;
} // namespace

extern "C" __attribute__((visibility("default"))) int DllLoadPlugin(Interface* host, int) {
    int result = host->pluginRegistry()->registerPlugin(&g_plugin, 2);
#ifdef TEST_MODULE_THROWS
    throw std::runtime_error("load failed on purpose");
#endif
    return result;
}

extern "C" __attribute__((visibility("default"))) void DllUnloadPlugin(Interface* host) {
    // Tells the test the order of unloading.
    host->toolManager()->notify(NOTIFY_UNLOAD, 0, const_cast<char*>(TEST_MODULE_NAME));
    host->pluginRegistry()->unregisterPlugin(&g_plugin);
}

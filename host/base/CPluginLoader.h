// Loads the plug-in modules of a folder and unloads them in reverse order.
//
// Every "*.so" of the folder is opened (sorted by file name) with RTLD_NOW | RTLD_NODELETE:
// wx and Ogre keep pointers into a module, so it stays mapped until the process ends. A module
// without both exports DllLoadPlugin and DllUnloadPlugin is skipped with a message on stderr.
#pragma once

#include <functional>
#include <string>
#include <vector>

class Interface;
class IPluginBase;
class CPluginRegistry;

class CPluginLoader {
public:
    using LoadFn = int (*)(Interface*, int);
    using UnloadFn = void (*)(Interface*);

    struct Module {
        std::string path;
        void* handle = nullptr;
        LoadFn load = nullptr;
        UnloadFn unload = nullptr;
        int loadResult = 0;                // what DllLoadPlugin answered
        std::vector<IPluginBase*> plugins; // plug-ins it registered while loading
    };

    // registry (optional) lets the loader tell which plug-ins each module registered.
    CPluginLoader(Interface& host, CPluginRegistry* registry = nullptr);
    ~CPluginLoader();
    CPluginLoader(const CPluginLoader&) = delete;
    CPluginLoader& operator=(const CPluginLoader&) = delete;

    // Loads every module of the folder; returns how many were loaded. A missing folder loads
    // nothing (with a message).
    int LoadFolder(const std::string& folder);
    // Loads one module file; false when it could not be opened or lacks an export.
    bool LoadModule(const std::string& path);
    // DllUnloadPlugin of every loaded module, last loaded first.
    void UnloadAll();

    const std::vector<Module>& modules() const { return m_modules; }
    // Called after each module's DllLoadPlugin returned.
    void setOnLoaded(std::function<void(const Module&)> callback) {
        m_onLoaded = std::move(callback);
    }
    // Called after each module's DllUnloadPlugin returned (or threw): what the module handed
    // out may be gone.
    void setOnUnloaded(std::function<void(const Module&)> callback) {
        m_onUnloaded = std::move(callback);
    }

private:
    Interface& m_host;
    CPluginRegistry* m_registry;
    std::vector<Module> m_modules;
    std::function<void(const Module&)> m_onLoaded;
    std::function<void(const Module&)> m_onUnloaded;
};

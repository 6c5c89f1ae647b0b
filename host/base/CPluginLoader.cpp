#include "CPluginLoader.h"

#include "CPluginRegistry.h"

#include <dirent.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <exception>

CPluginLoader::CPluginLoader(Interface& host, CPluginRegistry* registry)
    : m_host(host), m_registry(registry) {}

CPluginLoader::~CPluginLoader() {
    UnloadAll();
}

int CPluginLoader::LoadFolder(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        std::fprintf(stderr, "plug-in folder %s not found; no plug-ins loaded\n", folder.c_str());
        return 0;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    int loaded = 0;
    for (const std::string& name : names)
        if (LoadModule(folder + "/" + name))
            ++loaded;
    return loaded;
}

bool CPluginLoader::LoadModule(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE);
    if (!handle) {
        const char* error = dlerror();
        std::fprintf(stderr, "plug-in %s skipped: %s\n", path.c_str(),
                     error ? error : "cannot open");
        return false;
    }
    auto load = reinterpret_cast<LoadFn>(dlsym(handle, "DllLoadPlugin"));
    auto unload = reinterpret_cast<UnloadFn>(dlsym(handle, "DllUnloadPlugin"));
    if (!load || !unload) {
        std::fprintf(stderr,
                     "plug-in %s skipped: DllLoadPlugin and DllUnloadPlugin not both exported\n",
                     path.c_str());
        dlclose(handle);
        return false;
    }
    Module module;
    module.path = path;
    module.handle = handle;
    module.load = load;
    module.unload = unload;
    std::vector<IPluginBase*> before;
    if (m_registry)
        before = m_registry->plugins();
    try {
        module.loadResult = load(&m_host, 0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plug-in %s: DllLoadPlugin threw: %s\n", path.c_str(), e.what());
    } catch (...) {
        std::fprintf(stderr, "plug-in %s: DllLoadPlugin threw\n", path.c_str());
    }
    if (m_registry)
        for (IPluginBase* p : m_registry->plugins())
            if (std::find(before.begin(), before.end(), p) == before.end())
                module.plugins.push_back(p);
    // Kept even when registration failed: the module may hold objects that only its own
    // DllUnloadPlugin releases.
    m_modules.push_back(module);
    if (m_onLoaded)
        m_onLoaded(m_modules.back());
    return true;
}

void CPluginLoader::UnloadAll() {
    while (!m_modules.empty()) {
        Module module = m_modules.back();
        m_modules.pop_back();
        try {
            module.unload(&m_host);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "plug-in %s: DllUnloadPlugin threw: %s\n", module.path.c_str(),
                         e.what());
        } catch (...) {
            std::fprintf(stderr, "plug-in %s: DllUnloadPlugin threw\n", module.path.c_str());
        }
        dlclose(module.handle); // RTLD_NODELETE keeps it mapped
        if (m_onUnloaded)
            m_onUnloaded(module);
    }
}

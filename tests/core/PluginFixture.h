// Loads the module into the running editor through a recording host, and unloads it.
#pragma once

#include "GuiTestSession.h"
#include "RecordingHost.h"

#include "CTranslate.h"

#include <functional>
#include <memory>

class LoadedPlugin {
public:
    // prepare, when given, sets up the recording host before the module is loaded.
    explicit LoadedPlugin(const std::function<void(RecordingHost&)>& prepare = {});
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Calls DllUnloadPlugin now (the destructor then does nothing).
    void Unload();

    RecordingHost& host() { return *m_host; }
    CTranslate* plugin() const { return m_plugin; }
    int loadResult() const { return m_loadResult; }

private:
    std::unique_ptr<RecordingHost> m_host;
    CTranslate* m_plugin = nullptr;
    int m_loadResult = 0;
    bool m_loaded = false;
};

// Runs the engine's frame-ended listeners once, without drawing.
void FireFrameEnded();

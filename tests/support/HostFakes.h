// Host parts for tests that run the plug-in's or the host's code without the editor: a host
// that hands out only the parts a test gives it, and a tool manager that switches nothing and
// knows no command, whose notifications a test records by overriding `notify`.
#pragma once

#include "Interface.h"

// Each part is null until a test points it at one of its own.
class CPartsHost : public Interface {
public:
    IPluginRegistry* pluginRegistry() override { return m_registry; }
    IEngineAccess* engineAccess() override { return m_engine; }
    IViewHost* viewHost() override { return m_views; }
    IToolManager* toolManager() override { return m_tools; }
    CUndoRedoManager* undoManager() override { return m_undo; }

    IPluginRegistry* m_registry = nullptr;
    IEngineAccess* m_engine = nullptr;
    IViewHost* m_views = nullptr;
    IToolManager* m_tools = nullptr;
    CUndoRedoManager* m_undo = nullptr;
};

class CQuietTools : public IToolManager {
public:
    void switchTool(int) override {}
    int toolForCommand(IPluginBase*, int) override { return -1; }
    void notify(int, int, void*) override {}
};

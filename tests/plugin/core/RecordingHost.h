// A host interface for tests that forwards every call to the real editor host and writes
// down what the plug-in asked for, in order.
#pragma once

#include "Interface.h"

#include <string>
#include <vector>

class RecordingHost : public Interface,
                      public IPluginRegistry,
                      public IEngineAccess,
                      public IViewHost,
                      public IToolManager,
                      public CUndoRedoManager {
public:
    explicit RecordingHost(Interface& real) : m_real(real) {}
    virtual ~RecordingHost() = default;

    std::vector<std::string> log;
    // When not -2, toolForCommand answers this instead of asking the real host.
    int forcedTool = -2;
    // When set, registerPlugin throws this many more times before it forwards again.
    int registerFailures = 0;
    // When set, sceneManager() hands out this scene instead of the real one.
    CSceneManager* scene = nullptr;
    // When set, dockBottomBar answers false without asking the real host, as a host without
    // a dock does.
    bool refuseDock = false;
    // When not empty, a recorded call whose entry starts with this throws after recording it.
    std::string failOn;

    // Index of the first entry equal to text at or after from, or -1.
    int Find(const std::string& text, int from = 0) const;
    bool Has(const std::string& text) const { return Find(text) >= 0; }

    // Interface
    IPluginRegistry* pluginRegistry() override { return this; }
    IEngineAccess* engineAccess() override { return this; }
    IViewHost* viewHost() override { return this; }
    IToolManager* toolManager() override { return this; }
    CUndoRedoManager* undoManager() override { return this; }
    SnapSteps snapSteps() override;

    // IPluginRegistry
    int registerPlugin(IPluginBase* plugin, int kind) override;
    void unregisterPlugin(IPluginBase* plugin) override;
    // IEngineAccess
    CGameEngine* gameEngine() override;
    CSceneManager* sceneManager() override;
    // IViewHost
    void removeMenu(IPluginBase* plugin, wxMenu* submenu, int flags) override;
    void removeToolStrip(IPluginBase* plugin, wxToolBar* toolStrip) override;
    IView* view(int n) override;
    void redraw() override;
    void setCursor(const wxCursor* cursor) override;
    void setSidePanel(CSizeControlChild* panel) override;
    wxWindow* mainWindow() override;
    bool dockBottomBar(wxWindow* bar, const char* name) override;
    void undockBottomBar(wxWindow* bar) override;
    // IToolManager
    void switchTool(int tool) override;
    int toolForCommand(IPluginBase* plugin, int commandId) override;
    void notify(int code, int arg, void* data) override;
    // CUndoRedoManager
    bool registerCommand(const std::string& name, CommandFactory factory) override;
    bool unregisterCommand(const std::string& name) override;
    bool isCommandRegistered(const std::string& name) const override;
    bool doCommand(const std::string& name, CommandParams* params) override;
    void addUndo(IBaseCommand* command) override;
    bool undo() override;
    bool redo() override;
    int undoCount() const override;
    int redoCount() const override;
    void clear() override;
    void beginGroup() override;
    void endGroup(bool keep) override;

private:
    void Record(const std::string& entry);

    Interface& m_real;
};

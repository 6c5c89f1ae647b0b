#include "RecordingHost.h"

#include <stdexcept>

int RecordingHost::Find(const std::string& text, int from) const {
    for (int i = from; i < static_cast<int>(log.size()); ++i) {
        if (log[i] == text)
            return i;
    }
    return -1;
}

int RecordingHost::registerPlugin(IPluginBase* plugin, int kind) {
    log.push_back("registerPlugin " + std::to_string(kind));
    if (registerFailures > 0) {
        --registerFailures;
        throw std::runtime_error("registry refused the plug-in");
    }
    return m_real.pluginRegistry()->registerPlugin(plugin, kind);
}

void RecordingHost::unregisterPlugin(IPluginBase* plugin) {
    log.push_back("unregisterPlugin");
    m_real.pluginRegistry()->unregisterPlugin(plugin);
}

CGameEngine* RecordingHost::gameEngine() {
    log.push_back("gameEngine");
    return m_real.engineAccess()->gameEngine();
}

CSceneManager* RecordingHost::sceneManager() {
    log.push_back("sceneManager");
    if (scene)
        return scene;
    return m_real.engineAccess()->sceneManager();
}

void RecordingHost::removeMenu(IPluginBase* plugin, wxMenu* submenu, int flags) {
    log.push_back("removeMenu");
    m_real.viewHost()->removeMenu(plugin, submenu, flags);
}

void RecordingHost::removeToolStrip(IPluginBase* plugin, wxToolBar* toolStrip) {
    log.push_back("removeToolStrip");
    m_real.viewHost()->removeToolStrip(plugin, toolStrip);
}

IView* RecordingHost::view(int n) {
    log.push_back("view " + std::to_string(n));
    return m_real.viewHost()->view(n);
}

void RecordingHost::redraw() {
    log.push_back("redraw");
    m_real.viewHost()->redraw();
}

void RecordingHost::setCursor(const wxCursor* cursor) {
    log.push_back(cursor ? "setCursor" : "setCursor null");
    m_real.viewHost()->setCursor(cursor);
}

void RecordingHost::setSidePanel(CSizeControlChild* panel) {
    log.push_back(panel ? "setSidePanel" : "setSidePanel null");
    m_real.viewHost()->setSidePanel(panel);
}

void RecordingHost::switchTool(int tool) {
    log.push_back("switchTool " + std::to_string(tool));
    m_real.toolManager()->switchTool(tool);
}

int RecordingHost::toolForCommand(IPluginBase* plugin, int commandId) {
    log.push_back("toolForCommand " + std::to_string(commandId));
    if (forcedTool != -2)
        return forcedTool;
    return m_real.toolManager()->toolForCommand(plugin, commandId);
}

void RecordingHost::notify(int code, int arg, void* data) {
    log.push_back("notify " + std::to_string(code));
    m_real.toolManager()->notify(code, arg, data);
}

bool RecordingHost::registerCommand(const std::string& name, CommandFactory factory) {
    log.push_back("registerCommand " + name);
    return m_real.undoManager()->registerCommand(name, factory);
}

bool RecordingHost::unregisterCommand(const std::string& name) {
    log.push_back("unregisterCommand " + name);
    return m_real.undoManager()->unregisterCommand(name);
}

bool RecordingHost::isCommandRegistered(const std::string& name) const {
    return m_real.undoManager()->isCommandRegistered(name);
}

bool RecordingHost::doCommand(const std::string& name, CommandParams* params) {
    log.push_back("doCommand " + name);
    return m_real.undoManager()->doCommand(name, params);
}

void RecordingHost::addUndo(IBaseCommand* command) {
    log.push_back("addUndo");
    m_real.undoManager()->addUndo(command);
}

bool RecordingHost::undo() {
    return m_real.undoManager()->undo();
}

bool RecordingHost::redo() {
    return m_real.undoManager()->redo();
}

int RecordingHost::undoCount() const {
    return m_real.undoManager()->undoCount();
}

int RecordingHost::redoCount() const {
    return m_real.undoManager()->redoCount();
}

void RecordingHost::clear() {
    m_real.undoManager()->clear();
}

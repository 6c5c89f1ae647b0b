#include "RecordingHost.h"

#include <stdexcept>

int RecordingHost::Find(const std::string& text, int from) const {
    for (int i = from; i < static_cast<int>(log.size()); ++i) {
        if (log[i] == text)
            return i;
    }
    return -1;
}

void RecordingHost::Record(const std::string& entry) {
    log.push_back(entry);
    if (!failOn.empty() && entry.compare(0, failOn.size(), failOn) == 0)
        throw std::runtime_error(entry + " failed on purpose");
}

int RecordingHost::registerPlugin(IPluginBase* plugin, int kind) {
    Record("registerPlugin " + std::to_string(kind));
    if (registerFailures > 0) {
        --registerFailures;
        throw std::runtime_error("registry refused the plug-in");
    }
    return m_real.pluginRegistry()->registerPlugin(plugin, kind);
}

void RecordingHost::unregisterPlugin(IPluginBase* plugin) {
    Record("unregisterPlugin");
    m_real.pluginRegistry()->unregisterPlugin(plugin);
}

SnapSteps RecordingHost::snapSteps() {
    Record("snapSteps");
    return m_real.snapSteps();
}

CGameEngine* RecordingHost::gameEngine() {
    Record("gameEngine");
    return m_real.engineAccess()->gameEngine();
}

CSceneManager* RecordingHost::sceneManager() {
    Record("sceneManager");
    if (scene)
        return scene;
    return m_real.engineAccess()->sceneManager();
}

void RecordingHost::removeMenu(IPluginBase* plugin, wxMenu* submenu, int flags) {
    Record("removeMenu");
    m_real.viewHost()->removeMenu(plugin, submenu, flags);
}

void RecordingHost::removeToolStrip(IPluginBase* plugin, wxToolBar* toolStrip) {
    Record("removeToolStrip");
    m_real.viewHost()->removeToolStrip(plugin, toolStrip);
}

IView* RecordingHost::view(int n) {
    Record("view " + std::to_string(n));
    return m_real.viewHost()->view(n);
}

void RecordingHost::redraw() {
    Record("redraw");
    m_real.viewHost()->redraw();
}

void RecordingHost::setCursor(const wxCursor* cursor) {
    Record(cursor ? "setCursor" : "setCursor null");
    m_real.viewHost()->setCursor(cursor);
}

void RecordingHost::setSidePanel(CSizeControlChild* panel) {
    Record(panel ? "setSidePanel" : "setSidePanel null");
    m_real.viewHost()->setSidePanel(panel);
}

wxWindow* RecordingHost::mainWindow() {
    Record("mainWindow");
    return m_real.viewHost()->mainWindow();
}

bool RecordingHost::dockBottomBar(wxWindow* bar, const char* name) {
    Record(std::string("dockBottomBar ") + (name ? name : ""));
    if (refuseDock)
        return false;
    return m_real.viewHost()->dockBottomBar(bar, name);
}

void RecordingHost::undockBottomBar(wxWindow* bar) {
    Record("undockBottomBar");
    m_real.viewHost()->undockBottomBar(bar);
}

void RecordingHost::switchTool(int tool) {
    Record("switchTool " + std::to_string(tool));
    m_real.toolManager()->switchTool(tool);
}

int RecordingHost::toolForCommand(IPluginBase* plugin, int commandId) {
    Record("toolForCommand " + std::to_string(commandId));
    if (forcedTool != -2)
        return forcedTool;
    return m_real.toolManager()->toolForCommand(plugin, commandId);
}

void RecordingHost::notify(int code, int arg, void* data) {
    Record("notify " + std::to_string(code));
    m_real.toolManager()->notify(code, arg, data);
}

bool RecordingHost::registerCommand(const std::string& name, CommandFactory factory) {
    Record("registerCommand " + name);
    return m_real.undoManager()->registerCommand(name, factory);
}

bool RecordingHost::unregisterCommand(const std::string& name) {
    Record("unregisterCommand " + name);
    return m_real.undoManager()->unregisterCommand(name);
}

bool RecordingHost::isCommandRegistered(const std::string& name) const {
    return m_real.undoManager()->isCommandRegistered(name);
}

bool RecordingHost::doCommand(const std::string& name, CommandParams* params) {
    Record("doCommand " + name);
    return m_real.undoManager()->doCommand(name, params);
}

void RecordingHost::addUndo(IBaseCommand* command) {
    Record("addUndo");
    m_real.undoManager()->addUndo(command);
}

bool RecordingHost::undo() {
    return m_real.undoManager()->undo();
}

bool RecordingHost::redo() {
    return m_real.undoManager()->redo();
}

void RecordingHost::beginGroup() {
    Record("beginGroup");
    m_real.undoManager()->beginGroup();
}

void RecordingHost::endGroup(bool keep) {
    Record(keep ? "endGroup keep" : "endGroup drop");
    m_real.undoManager()->endGroup(keep);
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

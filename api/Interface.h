// The host's interface object handed to DllLoadPlugin, and the services it leads to.
#pragma once

#include "IBaseCommand.h"

#include <string>

class CGameEngine;
class CSceneManager;
class CSizeControlChild;
class IPluginBase;
class IView;
class wxCursor;
class wxMenu;
class wxToolBar;
class wxWindow;

class IPluginRegistry {
public:
    // Returns 1 when registered, 0 when the plug-in is null or already registered.
    virtual int registerPlugin(IPluginBase* plugin, int kind) = 0;
    virtual void unregisterPlugin(IPluginBase* plugin) = 0;

protected:
    ~IPluginRegistry() = default;
};

class IEngineAccess {
public:
    virtual CGameEngine* gameEngine() = 0;
    virtual CSceneManager* sceneManager() = 0;

protected:
    ~IEngineAccess() = default;
};

class IViewHost {
public:
    virtual void removeMenu(IPluginBase* plugin, wxMenu* submenu, int flags) = 0;
    // Removes the tool strip the host built for this plug-in.
    virtual void removeToolStrip(IPluginBase* plugin, wxToolBar* toolStrip) = 0;
    // View n (0..3), or null.
    virtual IView* view(int n) = 0;
    // Marks every view for repainting; the render loop paints them, never inside this call.
    virtual void redraw() = 0;
    // The pointer shown over the views; null restores the default.
    virtual void setCursor(const wxCursor* cursor) = 0;
    // The panel shown in the side area; null empties it.
    virtual void setSidePanel(CSizeControlChild* panel) = 0;
    // The bar slots were added last so that the slots above keep their places. A host without
    // them has no window to offer and docks nothing: a plug-in's bar then stays undocked.
    //
    // The editor's main window, the parent of the bars a plug-in docks; null when there is none.
    virtual wxWindow* mainWindow() { return nullptr; }
    // Docks `bar`, a child of mainWindow(), along the bottom edge as one fixed pane named `name`,
    // as tall as the bar is. True when the bar is docked.
    virtual bool dockBottomBar(wxWindow* /*bar*/, const char* /*name*/) { return false; }
    // Takes a docked bar out of the layout, before its owner destroys it; nothing for a window
    // that is not docked.
    virtual void undockBottomBar(wxWindow* /*bar*/) {}
    // Shows `utf8` in the first field of the editor's status line (what a plug-in tells the
    // user about what it is doing or refused). Added last; a host without a status line
    // ignores it.
    virtual void setStatusText(const char* /*utf8*/) {}

protected:
    ~IViewHost() = default;
};

class IToolManager {
public:
    virtual void switchTool(int tool) = 0;
    // The tool number of a plug-in's tool-strip command, or -1.
    virtual int toolForCommand(IPluginBase* plugin, int commandId) = 0;
    // Delivers OnNotify(code, arg, data) to every registered plug-in, in registration order.
    virtual void notify(int code, int arg, void* data) = 0;

protected:
    ~IToolManager() = default;
};

class CUndoRedoManager {
public:
    // False when the name is empty, the factory null, or the name already registered
    // (the first registration stays).
    virtual bool registerCommand(const std::string& name, CommandFactory factory) = 0;
    virtual bool unregisterCommand(const std::string& name) = 0;
    virtual bool isCommandRegistered(const std::string& name) const = 0;
    // Builds the named command, executes it with params and pushes it when execute answers
    // non-zero. False for an unknown name or a zero answer.
    virtual bool doCommand(const std::string& name, CommandParams* params) = 0;
    // Takes ownership of a step already applied and pushes it. Null is ignored.
    virtual void addUndo(IBaseCommand* command) = 0;
    virtual bool undo() = 0;
    virtual bool redo() = 0;
    virtual int undoCount() const = 0;
    virtual int redoCount() const = 0;
    virtual void clear() = 0;
    // Steps pushed between beginGroup and endGroup(true) undo and redo as one step (a copy and
    // the drag of the copies); endGroup(false) undoes and drops them instead, and the redo steps
    // as they stood at beginGroup come back. Groups do not nest: a second beginGroup, an undo,
    // a redo or a clear keeps the open group first. Added last; a host without groups keeps
    // the steps apart.
    virtual void beginGroup() {}
    virtual void endGroup(bool /*keep*/) {}

protected:
    ~CUndoRedoManager() = default;
};

class Interface {
public:
    virtual IPluginRegistry* pluginRegistry() = 0;
    virtual IEngineAccess* engineAccess() = 0;
    virtual IViewHost* viewHost() = 0;
    virtual IToolManager* toolManager() = 0;
    virtual CUndoRedoManager* undoManager() = 0;
    // The steps a drag snaps to while Ctrl is held (the editor's setting). Added last so that
    // the slots above keep their places; a host without the setting answers the defaults.
    virtual SnapSteps snapSteps() { return SnapSteps(); }
    // The gizmo's axes and pivot (the editor's settings); added last, defaults as above.
    virtual GizmoOptions gizmoOptions() { return GizmoOptions(); }

protected:
    ~Interface() = default;
};

// The host's interface object; the argument is ignored (pass NULL).
extern "C" Interface* GetInterfaceHinstance(void* instance);

// What the editor's host object needs from the main window: its views, the side area, and the
// plug-ins' tool strips, bars and menus. The main frame implements it, so the host object reaches
// the windows without knowing their classes (and the windows may include the host freely).
#pragma once

class CEditorView;
class CSizeControlChild;
class IPluginBase;
class wxCursor;
class wxMenu;
class wxWindow;

class IEditorFrame {
public:
    virtual int ViewCount() const = 0;
    // The camera of view n (0 = first), or null when there is no such view.
    virtual CEditorView* GetView(int n) const = 0;
    // Every view window shows this cursor; null or an unusable cursor shows the default one.
    virtual void SetViewCursor(const wxCursor* cursor) = 0;
    // The side area's content (null empties it).
    virtual void SetSidePanel(CSizeControlChild* panel) = 0;
    virtual void RemoveToolStrip(IPluginBase* plugin) = 0;
    // Takes the submenu off the menu bar when it is there; the plug-in keeps owning it.
    virtual void RemoveMenu(wxMenu* submenu) = 0;
    // The window itself: the parent of the bars plug-ins dock.
    virtual wxWindow* Window() = 0;
    // Docks a child bar along the bottom edge as a fixed pane named `name`; false when the bar
    // is null, not a child of the window, or a pane of that name or window exists already.
    virtual bool DockBottomBar(wxWindow* bar, const char* name) = 0;
    // Takes a bar docked by DockBottomBar out of the layout; nothing for another window.
    virtual void UndockBottomBar(wxWindow* bar) = 0;
    // The host's gizmo options changed: the window shows the new ones.
    virtual void GizmoOptionsChanged() = 0;

protected:
    ~IEditorFrame() = default;
};

// What the editor's host object needs from the main window: its views, the side area, and the
// plug-ins' tool strips and menus. The main frame implements it, so the host object reaches the
// windows without knowing their classes (and the windows may include the host freely).
#pragma once

class CEditorView;
class CSizeControlChild;
class IPluginBase;
class wxCursor;
class wxMenu;

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

protected:
    ~IEditorFrame() = default;
};

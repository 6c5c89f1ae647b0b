// The tool's modes and its engagement: the mode switches (the command message, the host command
// "SelectTranslateMode"), the tool strip's and menus' mode commands that engage the tool, whether
// the tool is engaged, and the tool's cursor shown over the views while it is. It installs the
// host command and the cursor at load and removes them, the menu and the tool strip at unload.
#pragma once

#include <wx/toolbar.h>

#include <memory>

class CMapSelectMgr;
class IPluginBase;
class Interface;
class wxCursor;
class wxMenu;

class CModeController {
public:
    // `plugin` is the plug-in the host knows the tool strip, menu and commands by.
    CModeController(Interface* host, CMapSelectMgr& gizmo, IPluginBase* plugin);
    ~CModeController();
    CModeController(const CModeController&) = delete;
    CModeController& operator=(const CModeController&) = delete;

    // Makes the tool's cursor once (a repeated call keeps it: the host may hold it) and
    // registers the host command "SelectTranslateMode" that switches the mode.
    void Install();
    // Takes the menu's submenu and the tool strip out of the host, lets go of the cursor and
    // unregisters the command.
    void Remove();

    // A mode command from the tool strip or a menu: the host engages the tool of that command.
    void EngageModeTool(int commandId);
    // Shows and grabs the gizmo of `mode` (a GizmoMode; any other value shows nothing).
    void SwitchMode(int mode);
    // The tool engaged: the views show its cursor. Released: nothing of the tool stays
    // highlighted, and the frame step hides the gizmo until it is engaged again.
    void EngageTool();
    void ReleaseTool();
    // One frame: the gizmo hidden while the tool is not engaged, else the tool's cursor kept
    // on the views.
    void FrameStep();

    int IsToolEngaged() const { return m_toolEngaged; }
    const wxCursor* GetCursor() const { return m_cursor.get(); }
    // The menu whose first item's submenu the host shows for the plug-in (taken over).
    void SetMenu(wxMenu* menu) { m_menu = menu; }

private:
    Interface* m_host;
    CMapSelectMgr& m_gizmo;
    IPluginBase* m_plugin;
    wxToolBar m_toolStrip;
    wxMenu* m_menu = nullptr;
    std::unique_ptr<wxCursor> m_cursor;
    int m_toolEngaged = 0;
};

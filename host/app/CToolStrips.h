// The plug-ins' tool strips in the main frame: built from a module's XRC tool bar, clicked,
// hovered (the status line names the button) and removed with the module; and the gizmo's
// option buttons beside them (CGizmoOptionsBar), made with the first strip and shown while
// there is one.
//
// The tool strips show which tool is engaged: each plug-in's buttons are toggle buttons, and the
// one of the host's current tool is the one pressed in. The tool manager's current tool is the
// truth (a strip click, a key typed into a view, a menu or a script all switch it there); the
// strips follow it after each click and on every frame.
#pragma once

#include <wx/defs.h>

#include <map>

class CEditorHost;
class CGizmoOptionsBar;
class CMainFrame;
class IPluginBase;
class wxAuiManager;
class wxAuiToolBar;
class wxCommandEvent;
class wxMouseEvent;
class wxWindow;

class CToolStrips {
public:
    // The strips are children of `frame`, docked through `aui`, the frame's manager.
    CToolStrips(CMainFrame& frame, wxAuiManager& aui, CEditorHost& host);
    ~CToolStrips();
    CToolStrips(const CToolStrips&) = delete;
    CToolStrips& operator=(const CToolStrips&) = delete;

    // Builds the plug-in's tool strip from the XRC tool bar "101" when the resources hold one.
    // Returns the strip, or null (none in the resources, or the plug-in has one already).
    wxAuiToolBar* Build(IPluginBase* plugin);
    wxAuiToolBar* Get(IPluginBase* plugin) const;
    // Takes the plug-in's strip out of the frame; the option buttons go with the last strip.
    void Remove(IPluginBase* plugin);
    // Clicks button `position` (0 = first) of the first plug-in's tool strip, as the pointer
    // would. False when there is no such button.
    bool Click(int position);
    // Presses in the button of the host's current tool on every strip and lets the others out.
    void Sync();
    // The command id of the pressed-in button and its plug-in; wxID_NONE when none is.
    int Pressed(IPluginBase*& plugin) const;

    // Null before the first strip.
    CGizmoOptionsBar* OptionsBar() const { return m_optionsBar; }
    // The host's gizmo options changed: the buttons show them, the layout follows their size.
    void OptionsChanged();

private:
    // Makes the option buttons' pane when first shown, and shows or hides it.
    void ShowOptions(bool shown);
    // The status line names the button under the pointer of a strip or the option bar.
    void BindHover(wxWindow* bar);
    void UnbindHover(wxWindow* bar);
    void OnToolClicked(wxCommandEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);

    CMainFrame& m_frame;
    wxAuiManager& m_aui;
    CEditorHost& m_host;
    std::map<IPluginBase*, wxAuiToolBar*> m_strips;
    CGizmoOptionsBar* m_optionsBar = nullptr;
    int m_hoveredTool = wxID_NONE;
};

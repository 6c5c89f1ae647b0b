// The gizmo's option buttons, docked in the top row beside the plug-ins' tool strips while a
// strip is shown: one shows the move axes (世界 or 局部), one the pivot of rotate and scale
// (各自中心 or 共同中心), and a toggle, 对齐法线, pressed in while a surface drag turns the
// entities to the surface normal. A click flips that option in the host. The labels and icons
// always show the host's options, whatever changed them (a click, the L key in a view, a
// script): the host tells the frame, and the frame calls Sync.
#pragma once

#include <wx/aui/auibar.h>

class CEditorHost;

class CGizmoOptionsBar : public wxAuiToolBar {
public:
    // The buttons' ids: above the frame's menu ids, far below any plug-in's command ids.
    enum { ID_SPACE = wxID_HIGHEST + 200, ID_PIVOT, ID_ALIGN_NORMAL };
    // The icons' size, the tool strips' own: both bars sit in one row of one height, so
    // showing this bar moves no view.
    static constexpr int kIconSize = 28;

    CGizmoOptionsBar(wxWindow* parent, CEditorHost& host);

    // Shows the host's options on the buttons. True when a label changed, so that the bar's
    // size may have changed and the layout must follow.
    bool Sync();
    // Clicks button `id` as the pointer does: a tool event handled by the bar. False for an id
    // that is none of the buttons.
    bool Click(int id);

    // The text a button shows for an option's value.
    static wxString SpaceLabel(int space);
    static wxString PivotLabel(int pivot);

private:
    void OnTool(wxCommandEvent& event);

    CEditorHost& m_host;
};

// The main frame's view layout and the View menu's items for it: 显示网格 (checked: every view
// shows its grid), 单视图 and 四视图 (radio items), and 切换视图 with the key Alt+W, which
// switches between the two layouts.
//
// The four views are made once and kept: going to one view hides views 1 to 3 and idles their
// render windows; the host's view(n) then answers null for them, so no plug-in and no press
// keeps a view that is gone. Scene, selection, undo and plug-ins are untouched; the plug-ins
// hear of the change as a selection notification with redraw, which lays the gizmo out again
// for view 0 at its new size.
#include "CEditorEngine.h"
#include "CEditorHost.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "CViewWindow.h"

#include <OgreRenderWindow.h>

#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>

namespace {
const CViewWindow::Kind kKinds[4] = {CViewWindow::PERSPECTIVE, CViewWindow::TOP, CViewWindow::FRONT,
                                     CViewWindow::SIDE};
} // namespace

void CMainFrame::AppendViewItems(wxMenu* view) {
    view->AppendSeparator();
    view->AppendCheckItem(ID_SHOW_GRID, wxString::FromUTF8("显示网格"));
    view->Check(ID_SHOW_GRID, m_gridShown);
    view->AppendSeparator();
    view->AppendRadioItem(ID_ONE_VIEW, wxString::FromUTF8("单视图"));
    view->AppendRadioItem(ID_FOUR_VIEWS, wxString::FromUTF8("四视图"));
    view->Check(m_shownViews == 4 ? ID_FOUR_VIEWS : ID_ONE_VIEW, true);
    view->Append(ID_SWITCH_VIEWS, wxString::FromUTF8("切换单视图/四视图\tAlt+W"));
    for (int id : {int(ID_SHOW_GRID), int(ID_ONE_VIEW), int(ID_FOUR_VIEWS), int(ID_SWITCH_VIEWS)})
        Bind(wxEVT_MENU, &CMainFrame::OnViewItem, this, id);
}

void CMainFrame::OnViewItem(wxCommandEvent& event) {
    switch (event.GetId()) {
    case ID_SHOW_GRID:
        SetGridShown(event.IsChecked());
        break;
    case ID_ONE_VIEW:
        SetViewLayout(1);
        break;
    case ID_FOUR_VIEWS:
        SetViewLayout(4);
        break;
    case ID_SWITCH_VIEWS:
        SetViewLayout(m_shownViews == 4 ? 1 : 4);
        break;
    }
}

void CMainFrame::LayOutViews() {
    // Views made here get their render windows from SetViewLayout or CreateViews.
    while (int(m_views.size()) < m_shownViews) {
        const int index = int(m_views.size());
        auto* view = new CViewWindow(m_viewArea, m_host, index, kKinds[index]);
        if (m_host.CurrentCursor() && m_host.CurrentCursor()->IsOk())
            view->SetCursor(*m_host.CurrentCursor());
        view->SetGridShown(m_gridShown);
        m_views.push_back(view);
    }
    m_viewArea->SetSizer(nullptr); // the old sizer goes, its windows stay
    wxSizer* sizer = m_shownViews == 4 ? static_cast<wxSizer*>(new wxGridSizer(2, 2, 2, 2))
                                       : static_cast<wxSizer*>(new wxBoxSizer(wxVERTICAL));
    for (int i = 0; i < int(m_views.size()); ++i) {
        const bool shown = i < m_shownViews;
        m_views[i]->Show(shown);
        if (shown)
            sizer->Add(m_views[i], 1, wxEXPAND);
    }
    m_viewArea->SetSizer(sizer);
    m_viewArea->Layout();
}

bool CMainFrame::SetViewLayout(int count) {
    if (count != 1 && count != 4)
        return false;
    if (count == m_shownViews)
        return true;
    // A press under way ends where it is before its view may go.
    m_host.EndPress();
    const int before = m_shownViews;
    m_shownViews = count;
    LayOutViews();
    for (int i = 0; i < int(m_views.size()); ++i) {
        CViewWindow* view = m_views[i];
        const bool shown = i < count;
        if (shown && m_engine && !view->GetRenderWindow() && !view->CreateOgreWindow(*m_engine)) {
            m_shownViews = before;
            LayOutViews();
            return false;
        }
        if (Ogre::RenderWindow* window = view->GetRenderWindow())
            window->setActive(shown);
    }
    if (m_host.ActiveView() >= count)
        m_host.SetActiveView(0);
    if (wxMenuBar* bar = GetMenuBar())
        bar->Check(count == 4 ? ID_FOUR_VIEWS : ID_ONE_VIEW, true);
    if (m_onViewsChanged)
        m_onViewsChanged();
    m_host.Tools().notify(NOTIFY_SELECTION, 1, nullptr);
    m_host.redraw();
    return true;
}

void CMainFrame::SetGridShown(bool shown) {
    m_gridShown = shown;
    for (CViewWindow* view : m_views)
        view->SetGridShown(shown);
    if (wxMenuBar* bar = GetMenuBar())
        bar->Check(ID_SHOW_GRID, shown);
    m_host.redraw();
}

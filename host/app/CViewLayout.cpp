#include "CViewLayout.h"

#include "CEditorEngine.h"
#include "CEditorHost.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "CViewWindow.h"
#include "SelectionBoxes.h"

#include <OgreRenderWindow.h>

#include <wx/cursor.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>

namespace {
const CViewWindow::Kind kKinds[4] = {CViewWindow::PERSPECTIVE, CViewWindow::TOP, CViewWindow::FRONT,
                                     CViewWindow::SIDE};
// The View menu's items of the layout.
const int kMenuIds[] = {CMainFrame::ID_SHOW_GRID, CMainFrame::ID_ONE_VIEW,
                        CMainFrame::ID_FOUR_VIEWS, CMainFrame::ID_SWITCH_VIEWS};
} // namespace

CViewLayout::CViewLayout(wxFrame& frame, CEditorHost& host, int viewCount)
    : m_frame(frame), m_host(host) {
    m_area = new wxPanel(&frame, wxID_ANY);
    m_area->SetBackgroundColour(wxColour(40, 40, 40));
    m_shown = viewCount == 4 ? 4 : 1;
    LayOut();
}

CViewLayout::~CViewLayout() {
    // The frame outlives this object: its menu events no longer reach it.
    for (int id : kMenuIds)
        m_frame.Unbind(wxEVT_MENU, &CViewLayout::OnMenuItem, this, id);
}

void CViewLayout::AppendMenuItems(wxMenu* view) {
    view->AppendSeparator();
    view->AppendCheckItem(CMainFrame::ID_SHOW_GRID, wxString::FromUTF8("显示网格"));
    view->Check(CMainFrame::ID_SHOW_GRID, m_gridShown);
    view->AppendSeparator();
    view->AppendRadioItem(CMainFrame::ID_ONE_VIEW, wxString::FromUTF8("单视图"));
    view->AppendRadioItem(CMainFrame::ID_FOUR_VIEWS, wxString::FromUTF8("四视图"));
    view->Check(m_shown == 4 ? CMainFrame::ID_FOUR_VIEWS : CMainFrame::ID_ONE_VIEW, true);
    view->Append(CMainFrame::ID_SWITCH_VIEWS, wxString::FromUTF8("切换单视图/四视图\tAlt+W"));
    for (int id : kMenuIds)
        m_frame.Bind(wxEVT_MENU, &CViewLayout::OnMenuItem, this, id);
}

void CViewLayout::OnMenuItem(wxCommandEvent& event) {
    switch (event.GetId()) {
    case CMainFrame::ID_SHOW_GRID:
        SetGridShown(event.IsChecked());
        break;
    case CMainFrame::ID_ONE_VIEW:
        SetLayout(1);
        break;
    case CMainFrame::ID_FOUR_VIEWS:
        SetLayout(4);
        break;
    case CMainFrame::ID_SWITCH_VIEWS:
        SetLayout(m_shown == 4 ? 1 : 4);
        break;
    }
}

bool CViewLayout::CreateRenderWindows(CEditorEngine& engine) {
    m_engine = &engine;
    for (CViewWindow* view : m_views)
        if (!view->CreateOgreWindow(engine))
            return false;
    if (!m_selectionBoxes && engine.GetScene())
        m_selectionBoxes =
            std::make_unique<CSelectionBoxes>(engine.GetOgreSceneManager(), *engine.GetScene());
    return true;
}

void CViewLayout::DestroyRenderWindows() {
    m_selectionBoxes.reset();
    // Last first: the first render window holds the GL context the others share.
    for (auto it = m_views.rbegin(); it != m_views.rend(); ++it)
        (*it)->DestroyOgreWindow();
}

CViewWindow* CViewLayout::Window(int n) const {
    return n >= 0 && n < m_shown ? m_views[n] : nullptr;
}

CEditorView* CViewLayout::View(int n) const {
    CViewWindow* window = Window(n);
    return window ? window->GetView() : nullptr;
}

void CViewLayout::LayOut() {
    // Views made here get their render windows from SetLayout or CreateRenderWindows.
    while (int(m_views.size()) < m_shown) {
        const int index = int(m_views.size());
        auto* view = new CViewWindow(m_area, m_host, index, kKinds[index]);
        if (m_host.CurrentCursor() && m_host.CurrentCursor()->IsOk())
            view->SetCursor(*m_host.CurrentCursor());
        view->SetGridShown(m_gridShown);
        m_views.push_back(view);
    }
    m_area->SetSizer(nullptr); // the old sizer goes, its windows stay
    wxSizer* sizer = m_shown == 4 ? static_cast<wxSizer*>(new wxGridSizer(2, 2, 2, 2))
                                  : static_cast<wxSizer*>(new wxBoxSizer(wxVERTICAL));
    for (int i = 0; i < int(m_views.size()); ++i) {
        const bool shown = i < m_shown;
        m_views[i]->Show(shown);
        if (shown)
            sizer->Add(m_views[i], 1, wxEXPAND);
    }
    m_area->SetSizer(sizer);
    m_area->Layout();
}

bool CViewLayout::SetLayout(int count) {
    if (count != 1 && count != 4)
        return false;
    if (count == m_shown)
        return true;
    // A press under way ends where it is before its view may go.
    m_host.EndPress();
    const int before = m_shown;
    m_shown = count;
    LayOut();
    for (int i = 0; i < int(m_views.size()); ++i) {
        CViewWindow* view = m_views[i];
        const bool shown = i < count;
        if (shown && m_engine && !view->GetRenderWindow() && !view->CreateOgreWindow(*m_engine)) {
            m_shown = before;
            LayOut();
            return false;
        }
        if (Ogre::RenderWindow* window = view->GetRenderWindow())
            window->setActive(shown);
    }
    if (m_host.ActiveView() >= count)
        m_host.SetActiveView(0);
    if (wxMenuBar* bar = m_frame.GetMenuBar())
        bar->Check(count == 4 ? CMainFrame::ID_FOUR_VIEWS : CMainFrame::ID_ONE_VIEW, true);
    if (m_onChanged)
        m_onChanged();
    m_host.Tools().notify(NOTIFY_SELECTION, 1, nullptr);
    m_host.redraw();
    return true;
}

void CViewLayout::SetGridShown(bool shown) {
    m_gridShown = shown;
    for (CViewWindow* view : m_views)
        view->SetGridShown(shown);
    if (wxMenuBar* bar = m_frame.GetMenuBar())
        bar->Check(CMainFrame::ID_SHOW_GRID, shown);
    m_host.redraw();
}

void CViewLayout::SetCursor(const wxCursor* cursor) {
    for (CViewWindow* view : m_views)
        view->SetCursor(cursor && cursor->IsOk() ? *cursor : wxNullCursor);
}

void CViewLayout::UpdateRubberBands() {
    for (CViewWindow* view : m_views)
        view->UpdateRubberBand();
}

void CViewLayout::DrainWindowEvents() {
    for (CViewWindow* view : m_views)
        view->DrainWindowEvents();
}

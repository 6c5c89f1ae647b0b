#include "CWindowPropertyNode.h"

#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"

#include <wx/event.h>

namespace {
// Posted to the window when it lost the focus without the toolkit saying where to: handled
// once the focus has settled. The row's handler is unbound when the row goes, and a window's
// pending events go with the window, so the check never reaches a deleted row.
wxDEFINE_EVENT(EVT_PROPTREE_FOCUS_SETTLED, wxCommandEvent);
} // namespace

CWindowPropertyNode::~CWindowPropertyNode() {
    // The control calls OnRemove first; a row deleted outside a tree has no window.
    wxASSERT(!m_pWindow);
}

wxWindow* CWindowPropertyNode::GetWindowParent() const {
    const CPropertyTreeWnd* control = GetControl();
    if (!control || m_pWindow)
        return nullptr;
    return control->GetListPane();
}

void CWindowPropertyNode::AttachWindow(wxWindow* window) {
    m_pWindow = window;
    window->SetFont(CPropertyTreeWnd::GetNormalFont());
    Connect(window, true);
    if (CPropertyTreeWnd* control = GetControl()) {
        control->UpdateScrollRange();
        control->LayoutRows();
    }
    window->SetSize(GetValueRect());
    window->Hide();
    RefreshControl();
}

void CWindowPropertyNode::Connect(wxWindow* window, bool on) {
    Route(window, on, wxEVT_SET_FOCUS, &CWindowPropertyNode::OnSetFocus);
    Route(window, on, wxEVT_KILL_FOCUS, &CWindowPropertyNode::OnKillFocus);
    Route(window, on, wxEVT_KEY_DOWN, &CWindowPropertyNode::OnKeyDown);
    Route(window, on, EVT_PROPTREE_FOCUS_SETTLED, &CWindowPropertyNode::OnFocusSettled);
    ConnectWindow(window, on);
}

void CWindowPropertyNode::ConnectWindow(wxWindow*, bool) {}

bool CWindowPropertyNode::OnWindowKey(const wxKeyEvent&) {
    return false;
}

void CWindowPropertyNode::DrawValue(wxDC& dc, const wxRect& rect) {
    if (!m_pWindow || m_editing)
        return;
    if (!m_pWindow->IsShown() && m_pWindow->GetRect() != rect)
        m_pWindow->SetSize(rect);
    PaintValue(dc, rect);
}

void CWindowPropertyNode::PlaceWindow() {
    if (!m_pWindow)
        return;
    const wxRect rect = GetWindowRect();
    if (m_pWindow->GetRect() != rect)
        m_pWindow->SetSize(rect);
}

bool CWindowPropertyNode::FocusList() {
    CPropertyTreeWnd* control = GetControl();
    if (!control || !control->GetListPane())
        return false;
    control->GetListPane()->SetFocus();
    return true;
}

void CWindowPropertyNode::EndEdit() {
    m_editing = 0;
    CommitChanges();
}

void CWindowPropertyNode::HideWindow() {
    if (!m_pWindow || !m_pWindow->IsShown())
        return;
    CPropertyTreeWnd::CEventScope scope(GetControl());
    // A window hidden with the focus would leave the edit open and unseen: hand the focus to
    // the list, which ends the edit as any move within the control does.
    if (wxWindow::FindFocus() == m_pWindow)
        FocusList();
    m_pWindow->Hide();
    // The focus had left the control with the edit open and came back elsewhere in it: the
    // edit ends here, as it would have had the focus come straight back.
    if (m_editing)
        EndEdit();
}

void CWindowPropertyNode::OnActivate() {
    if (!m_pWindow)
        return;
    m_pWindow->Show();
    PlaceWindow();
    m_pWindow->SetFocus();
    OnWindowOpened();
}

void CWindowPropertyNode::OnLayout() {
    PlaceWindow();
    if (m_pWindow && !m_editing)
        m_pWindow->Hide();
}

void CWindowPropertyNode::OnMoved() {
    PlaceWindow();
}

void CWindowPropertyNode::OnCommit() {
    HideWindow();
}

void CWindowPropertyNode::OnSelect() {
    HideWindow();
}

void CWindowPropertyNode::OnDeselect() {
    HideWindow();
}

void CWindowPropertyNode::OnRemove() {
    if (!m_pWindow)
        return;
    wxWindow* window = m_pWindow;
    m_pWindow = nullptr;
    m_editing = 0;
    Connect(window, false);
    OnWindowRemoved();
    if (CPropertyTreeWnd* control = GetControl())
        control->DestroyLater(window);
    else
        window->Destroy();
}

bool CWindowPropertyNode::IsInsideControl(const wxWindow* window) const {
    const CPropertyTreeWnd* control = GetControl();
    return control && window &&
           (window == control || control->IsDescendant(const_cast<wxWindow*>(window)));
}

void CWindowPropertyNode::OnSetFocus(wxFocusEvent& event) {
    m_editing = 1;
    OnWindowFocused();
    event.Skip();
}

void CWindowPropertyNode::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    if (!m_editing)
        return;
    CPropertyTreeWnd::CEventScope scope(GetControl());
    wxWindow* to = event.GetWindow();
    if (EndsOnFocusLeavingControl() || IsInsideControl(to)) {
        EndEdit();
        return;
    }
    if (to)
        return; // the focus left the control: nothing is committed
    // The toolkit did not say where the focus went: look once it has settled.
    m_pWindow->GetEventHandler()->QueueEvent(new wxCommandEvent(EVT_PROPTREE_FOCUS_SETTLED));
}

void CWindowPropertyNode::OnFocusSettled(wxCommandEvent&) {
    if (!m_editing || !m_pWindow)
        return;
    CPropertyTreeWnd::CEventScope scope(GetControl());
    wxWindow* focus = wxWindow::FindFocus();
    if (focus != m_pWindow && IsInsideControl(focus))
        EndEdit();
}

void CWindowPropertyNode::OnKeyDown(wxKeyEvent& event) {
    CPropertyTreeWnd::CEventScope scope(GetControl());
    CPropertyTreeWnd* control = GetControl();
    if (event.GetKeyCode() == WXK_TAB && control && control->GetListPane()) {
        // Tab moves on to the next row's editor, as it does from the list.
        CPropertyListPane* list = control->GetListPane();
        list->SetFocus();
        list->HandleKey(WXK_TAB, event.ShiftDown());
        return;
    }
    if (!OnWindowKey(event))
        event.Skip();
}

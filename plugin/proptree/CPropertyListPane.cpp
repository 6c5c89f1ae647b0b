#include "CPropertyListPane.h"

#include "CPropertyNode.h"
#include "CPropertyTreeWnd.h"

#include <wx/bitmap.h>
#include <wx/control.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/settings.h>

using namespace proptree;

namespace {

wxColour Sys(wxSystemColour index) {
    return wxSystemSettings::GetColour(index);
}

// An 8 x 8 checkerboard of white and black: drawn with wxINVERT, it inverts every other pixel.
const wxBitmap& HatchBitmap() {
    static wxBitmap bitmap;
    if (!bitmap.IsOk()) {
        bitmap.Create(8, 8, 24);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        dc.SetPen(*wxWHITE_PEN);
        for (int y = 0; y < 8; ++y)
            for (int x = (y & 1); x < 8; x += 2)
                dc.DrawPoint(x, y);
    }
    return bitmap;
}

} // namespace

CPropertyListPane::CPropertyListPane(CPropertyTreeWnd* control)
    : m_pControl(control), m_handCursor(wxCURSOR_HAND), m_sizeCursor(wxCURSOR_SIZEWE) {}

bool CPropertyListPane::Create() {
    if (!wxWindow::Create(m_pControl, kListPaneId, wxDefaultPosition, wxDefaultSize,
                          wxVSCROLL | wxWANTS_CHARS | wxBORDER_NONE | wxCLIP_CHILDREN))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CPropertyListPane::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &CPropertyListPane::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CPropertyListPane::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, &CPropertyListPane::OnLeftDClick, this);
    Bind(wxEVT_MOTION, &CPropertyListPane::OnMotion, this);
    Bind(wxEVT_MOUSEWHEEL, &CPropertyListPane::OnWheel, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CPropertyListPane::OnCaptureLost, this);
    Bind(wxEVT_KEY_DOWN, &CPropertyListPane::OnKeyDown, this);
    Bind(wxEVT_SIZE, &CPropertyListPane::OnSize, this);
    for (const auto& type :
         {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
          wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
          wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
        Bind(type, &CPropertyListPane::OnScroll, this);
    return true;
}

EHit CPropertyListPane::HitTest(const wxPoint& point, CPropertyNode** node) {
    m_pControl->LayoutRows();
    *node = nullptr;
    const wxSize client = GetClientSize();
    if (point.x < 0 || point.x >= client.x)
        return EHit::Nothing;
    for (CPropertyNode* row = m_pControl->GetFirstVisible(); row; row = row->GetNextVisible()) {
        const wxRect& r = row->GetRowRect();
        if (point.y >= r.y && point.y < r.y + r.height) {
            *node = row;
            const SRect rect{r.x, r.y, r.width, r.height};
            return HitTestRow(true, rect, row->IsCategory(), row->GetChild() != nullptr,
                              m_pControl->GetColumn(), point.x, point.y);
        }
    }
    return EHit::Nothing;
}

void CPropertyListPane::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Render(dc);
}

void CPropertyListPane::Render(wxDC& dc) {
    const bool enabled = m_pControl->IsEnabled();
    const unsigned flags = m_pControl->GetFlags();
    const wxSize size = GetClientSize();
    const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
    const wxColour window = Sys(wxSYS_COLOUR_WINDOW);

    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(0, 0, size.x, size.y);
    dc.SetBrush(wxBrush(enabled ? window : face));
    dc.DrawRectangle(2, 2, size.x - 4, size.y - 4);
    const bool shadeMargin = (flags & kStyleShadeMargin) || !enabled;
    dc.SetBrush(wxBrush(shadeMargin ? face : window));
    dc.DrawRectangle(0, 0, kMargin, size.y);

    m_pControl->LayoutRows();
    for (CPropertyNode* row = m_pControl->GetFirstVisible(); row; row = row->GetNextVisible()) {
        const wxRect& r = row->GetRowRect();
        if (r.y + r.height <= 0 || r.y >= size.y)
            continue;
        DrawRow(dc, row, enabled);
    }

    dc.SetPen(wxPen(Sys(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, size.x, size.y);

    if (m_dragging) {
        const wxRasterOperationMode old = dc.GetLogicalFunction();
        dc.SetLogicalFunction(wxINVERT);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(HatchBitmap()));
        dc.DrawRectangle(m_dragX - 2, 0, 4, size.y);
        dc.SetLogicalFunction(old);
    }
}

void CPropertyListPane::DrawRow(wxDC& dc, CPropertyNode* node, bool enabled) {
    const unsigned flags = m_pControl->GetFlags();
    const wxSize size = GetClientSize();
    const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
    const wxColour window = Sys(wxSYS_COLOUR_WINDOW);
    const wxRect& r = node->GetRowRect();
    const int column = m_pControl->GetColumn();
    const bool category = node->IsCategory();
    const int bottom = r.y + r.height - 1;
    const int fillLeft = std::max(r.x, kMargin);

    wxRect labelArea;
    dc.SetPen(*wxTRANSPARENT_PEN);
    if (category) {
        const bool shade = (flags & kStyleShadeCategory) || !enabled;
        dc.SetBrush(wxBrush(shade ? node->GetCategoryBackColor() : window));
        dc.DrawRectangle(kMargin, r.y, size.x - kMargin, r.height);
        labelArea = wxRect(r.x + kMargin, r.y, size.x - 2 - (r.x + kMargin), r.height - 1);
    } else {
        dc.SetBrush(wxBrush(node->GetValueBackColor()));
        dc.DrawRectangle(fillLeft, r.y, size.x - fillLeft, r.height);
        labelArea = wxRect(r.x + kMargin, r.y, column - (r.x + kMargin), r.height - 1);
        dc.SetBrush(
            wxBrush(node->IsSelected() ? Sys(wxSYS_COLOUR_HIGHLIGHT) : node->GetLabelBackColor()));
        if (labelArea.width > 0)
            dc.DrawRectangle(labelArea);
    }
    if (category && node->IsSelected() && labelArea.width > 0) {
        dc.SetBrush(wxBrush(Sys(wxSYS_COLOUR_HIGHLIGHT)));
        dc.DrawRectangle(labelArea);
    }

    // Separators: under the row, and at the column on property rows.
    dc.SetPen(wxPen(face));
    dc.DrawLine(fillLeft, bottom, size.x, bottom);
    if (!category)
        dc.DrawLine(column, r.y, column, bottom);

    if (node->GetChild()) {
        const SRect box = ExpandBoxRect(r.x, r.y);
        dc.SetPen(wxPen(Sys(wxSYS_COLOUR_BTNSHADOW)));
        dc.SetBrush(category ? *wxTRANSPARENT_BRUSH : wxBrush(window));
        dc.DrawRectangle(box.x, box.y, box.width, box.height);
        dc.SetPen(wxPen(Sys(wxSYS_COLOUR_BTNTEXT)));
        const int midX = box.x + box.width / 2;
        const int midY = box.y + box.height / 2;
        dc.DrawLine(box.x + 2, midY, box.x + box.width - 2, midY);
        if (!node->IsExpanded())
            dc.DrawLine(midX, box.y + 2, midX, box.y + box.height - 2);
    }

    // The label: one line, vertically centred, ending in an ellipsis where it does not fit.
    dc.SetFont(category ? CPropertyTreeWnd::GetBoldFont() : CPropertyTreeWnd::GetNormalFont());
    const wxString label = wxString::FromUTF8(node->GetLabel());
    const int textLeft = labelArea.x + 3;
    const int room = labelArea.GetRight() - textLeft;
    const wxSize full = dc.GetTextExtent(label);
    node->m_labelExtent = wxRect(textLeft, r.y + (r.height - full.y) / 2, full.x, full.y);
    if (HasVisibleText(node->GetLabel()) && room > 0) {
        wxColour text = node->GetLabelTextColor();
        if (!enabled)
            text = Sys(wxSYS_COLOUR_GRAYTEXT);
        else if (node->IsSelected())
            text = Sys(wxSYS_COLOUR_HIGHLIGHTTEXT);
        dc.SetTextForeground(text);
        const wxString shown = wxControl::Ellipsize(label, dc, wxELLIPSIZE_END, room);
        wxDCClipper clip(dc, labelArea);
        dc.DrawText(shown, textLeft, node->m_labelExtent.y);
    }

    if (!category) {
        const wxRect value = node->GetValueRect();
        if (value.width > 0 && value.height > 0) {
            dc.SetFont(CPropertyTreeWnd::GetNormalFont());
            wxDCClipper clip(dc, value);
            node->DrawValue(dc, value);
        }
    }
}

void CPropertyListPane::ForgetNode(const CPropertyNode* node) {
    if (m_pPressed == node)
        m_pPressed = nullptr;
}

void CPropertyListPane::OnLeftDown(wxMouseEvent& event) {
    if (!m_pControl->IsEnabled())
        return;
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    // Taking the focus commits an open editor, which may change the rows: hit test after.
    SetFocus();
    CPropertyNode* node = nullptr;
    const EHit hit = HitTest(event.GetPosition(), &node);
    m_pPressed = nullptr;
    switch (hit) {
    case EHit::Divider:
        if (!m_pControl->Notify(PROPN_DIVIDERDRAG, nullptr)) {
            CaptureMouse();
            m_dragging = true;
            m_dragX = event.GetX();
            Refresh();
        }
        return;
    case EHit::ExpandBox:
        m_pControl->ToggleExpansion(node);
        return;
    case EHit::Nothing:
        m_pControl->DeselectAll();
        m_pControl->ChangeFocus(nullptr);
        m_pControl->RedrawAll();
        return;
    case EHit::Value:
    case EHit::Label:
        break;
    }
    // A node the owner deletes on the way is not selected, focused or activated (see
    // CPropertyNode::IsBeingDeleted); it stays valid until the scope closes.
    m_pControl->DeselectAll();
    node->Select(true);
    if (!m_pControl->ChangeFocus(node))
        return;
    if (hit == EHit::Value && !node->IsCategory()) {
        if (!m_pControl->Notify(PROPN_ACTIVATING, node)) {
            node->Activate();
            m_pPressed = node;
        }
    }
    m_pControl->RedrawAll();
}

void CPropertyListPane::OnLeftUp(wxMouseEvent& event) {
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    if (m_dragging) {
        EndDrag(true, event.GetX());
        return;
    }
    // The press opened an editor under the pointer; the release belongs to that window, as it
    // would if the press had not kept the pointer grabbed by this pane.
    CPropertyNode* pressed = m_pPressed;
    m_pPressed = nullptr;
    if (!pressed || !pressed->IsActive())
        return;
    for (wxWindow* child : GetChildren()) {
        if (!child->IsShown() || !child->GetRect().Contains(event.GetPosition()))
            continue;
        wxMouseEvent release(wxEVT_LEFT_UP);
        release.SetPosition(event.GetPosition() - child->GetPosition());
        release.SetEventObject(child);
        child->GetEventHandler()->ProcessEvent(release);
        return;
    }
}

void CPropertyListPane::EndDrag(bool apply, int x) {
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    m_dragging = false;
    if (HasCapture())
        ReleaseMouse();
    if (apply) {
        m_pControl->SetColumn(ClampDragColumn(x, GetClientSize().x));
        m_pControl->LayoutNodes();
    }
    Refresh();
}

void CPropertyListPane::OnCaptureLost(wxMouseCaptureLostEvent&) {
    m_dragging = false;
    Refresh();
}

void CPropertyListPane::OnMotion(wxMouseEvent& event) {
    if (m_dragging) {
        m_dragX = event.GetX();
        Refresh();
        return;
    }
    CPropertyNode* node = nullptr;
    const EHit hit = HitTest(event.GetPosition(), &node);
    if (hit == EHit::Divider)
        SetCursor(m_sizeCursor);
    else if (hit == EHit::ExpandBox && m_handCursor.IsOk())
        SetCursor(m_handCursor);
    else
        SetCursor(wxNullCursor);
}

void CPropertyListPane::OnLeftDClick(wxMouseEvent& event) {
    if (!m_pControl->IsEnabled())
        return;
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    CPropertyNode* node = nullptr;
    const EHit hit = HitTest(event.GetPosition(), &node);
    if (hit == EHit::Divider) {
        FitColumnToLabels();
        return;
    }
    if (!node || !node->GetChild())
        return;
    if (hit == EHit::Label || node->IsCategory()) {
        m_pControl->DeselectAll();
        node->Select(true);
        if (!m_pControl->ChangeFocus(node))
            return;
        m_pControl->RedrawAll();
    }
    if (hit == EHit::Label || hit == EHit::ExpandBox)
        m_pControl->ToggleExpansion(node);
}

void CPropertyListPane::FitColumnToLabels() {
    m_pControl->LayoutRows();
    // Label extents are measured when rows are painted; paint now so they are current.
    {
        wxBitmap scratch(std::max(1, GetClientSize().x), std::max(1, GetClientSize().y));
        wxMemoryDC dc(scratch);
        Render(dc);
    }
    int right = -1;
    for (CPropertyNode* row = m_pControl->GetFirstVisible(); row; row = row->GetNextVisible())
        if (!row->IsCategory())
            right = std::max(right, row->GetLabelExtent().GetRight() + 1);
    if (right < 0)
        return;
    m_pControl->SetColumn(FitColumn(right, GetClientSize().x));
    m_pControl->LayoutNodes();
}

void CPropertyListPane::OnWheel(wxMouseEvent& event) {
    const int paneHeight = GetClientSize().y;
    if (m_pControl->GetContentHeight() <= paneHeight || event.GetWheelRotation() == 0)
        return;
    const int step = event.GetWheelRotation() > 0 ? -kDefaultRowHeight : kDefaultRowHeight;
    m_pControl->SetScrollOrigin(m_pControl->GetScrollOrigin() + step);
}

void CPropertyListPane::OnScroll(wxScrollWinEvent& event) {
    const wxEventType type = event.GetEventType();
    const int origin = m_pControl->GetScrollOrigin();
    const int page = GetClientSize().y;
    int next = origin;
    if (type == wxEVT_SCROLLWIN_TOP)
        next = 0;
    else if (type == wxEVT_SCROLLWIN_BOTTOM)
        next = m_pControl->GetContentHeight();
    else if (type == wxEVT_SCROLLWIN_LINEUP)
        next = origin - kDefaultRowHeight;
    else if (type == wxEVT_SCROLLWIN_LINEDOWN)
        next = origin + kDefaultRowHeight;
    else if (type == wxEVT_SCROLLWIN_PAGEUP)
        next = origin - page;
    else if (type == wxEVT_SCROLLWIN_PAGEDOWN)
        next = origin + page;
    else
        next = event.GetPosition();
    m_pControl->SetScrollOrigin(next);
}

void CPropertyListPane::OnSize(wxSizeEvent& event) {
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    m_pControl->UpdateScrollRange();
    m_pControl->LayoutNodes();
    Refresh();
    event.Skip();
}

void CPropertyListPane::OnKeyDown(wxKeyEvent& event) {
    if (!HandleKey(event.GetKeyCode(), event.ShiftDown()))
        event.Skip();
}

bool CPropertyListPane::HandleKey(int keyCode, bool shift) {
    if (!m_pControl->IsEnabled())
        return false;
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    switch (keyCode) {
    case WXK_TAB: {
        // Tab walks the rows only from a property row: on a category it stays, and the
        // activation that follows skips the category.
        const CPropertyNode* focus = m_pControl->GetFocusedItem();
        if (!focus || !focus->IsCategory()) {
            if (shift)
                m_pControl->FocusPrev();
            else
                m_pControl->FocusNext();
        }
        ActivateFocused();
        return true;
    }
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        ActivateFocused();
        return true;
    case WXK_HOME:
        m_pControl->FocusFirst();
        return true;
    case WXK_END:
        m_pControl->FocusLast();
        return true;
    case WXK_UP:
        m_pControl->FocusPrev();
        return true;
    case WXK_DOWN:
        m_pControl->FocusNext();
        return true;
    case WXK_LEFT:
    case WXK_RIGHT: {
        CPropertyNode* focus = m_pControl->GetFocusedItem();
        if (!focus)
            return true;
        const bool left = keyCode == WXK_LEFT;
        const bool vetoed = m_pControl->Notify(PROPN_EXPANDING, focus);
        if (focus->IsBeingDeleted())
            return true; // the owner deleted the row: the key has done its part
        if (!vetoed && focus->GetChild() && focus->IsExpanded() == left) {
            focus->Expand(!left);
            m_pControl->CheckFocusVisible();
            return true;
        }
        if (left)
            m_pControl->FocusPrev();
        else
            m_pControl->FocusNext();
        return true;
    }
    default:
        return false;
    }
}

void CPropertyListPane::ActivateFocused() {
    CPropertyNode* focus = m_pControl->GetFocusedItem();
    if (focus && !focus->IsCategory())
        focus->Activate();
}

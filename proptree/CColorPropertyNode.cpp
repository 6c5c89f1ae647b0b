#include "CColorPropertyNode.h"

#include "CColorPickerPopup.h"
#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"
#include "PropertyTreeRules.h"

#include <algorithm>
#include <string>

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/utils.h>

using namespace proptree;

namespace {
constexpr int kSwatchSize = 16; // the colour square, frame included
constexpr int kSwatchGap = 5;   // between the square and the text

wxColour ToColour(colorpick::ColorRef c) {
    return wxColour(static_cast<unsigned char>(colorpick::RedOf(c)),
                    static_cast<unsigned char>(colorpick::GreenOf(c)),
                    static_cast<unsigned char>(colorpick::BlueOf(c)));
}
} // namespace

CColorPropertyNode::CColorPropertyNode() = default;

CColorPropertyNode::~CColorPropertyNode() {
    wxASSERT(!m_pWnd); // the control calls OnRemove first
}

bool CColorPropertyNode::CreateColorWindow(unsigned flags, ColorRef color,
                                           ColorRef automaticColor) {
    CPropertyTreeWnd* control = GetControl();
    if (!control || !control->GetListPane() || m_pWnd)
        return false;
    auto* window = new wxWindow();
    if (!window->Create(control->GetListPane(), GetId(), wxDefaultPosition, wxDefaultSize,
                        wxWANTS_CHARS | wxBORDER_NONE | wxCLIP_CHILDREN)) {
        delete window;
        return false;
    }
    m_pWnd = window;
    m_pWnd->SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pWnd->SetFont(CPropertyTreeWnd::GetNormalFont());
    m_pWnd->SetCursor(*wxSTANDARD_CURSOR);
    m_flags = flags;
    m_color = color;
    m_automaticColor = automaticColor;
    m_pWnd->Bind(wxEVT_PAINT, &CColorPropertyNode::OnPaint, this);
    m_pWnd->Bind(wxEVT_SET_FOCUS, &CColorPropertyNode::OnSetFocus, this);
    m_pWnd->Bind(wxEVT_KILL_FOCUS, &CColorPropertyNode::OnKillFocus, this);
    m_pWnd->Bind(wxEVT_LEFT_UP, &CColorPropertyNode::OnLeftUp, this);
    m_pWnd->Bind(wxEVT_KEY_DOWN, &CColorPropertyNode::OnKeyDown, this);
    m_pWnd->Bind(wxEVT_COLOR_PICKER, &CColorPropertyNode::OnPicker, this);
    control->LayoutRows();
    m_pWnd->SetSize(GetValueRect());
    m_pWnd->Hide();
    RefreshControl();
    return true;
}

int CColorPropertyNode::GetValueExtent() const {
    const CPropertyTreeWnd* control = GetControl();
    if (!control || !control->GetListPane())
        return 0;
    wxClientDC dc(control->GetListPane());
    dc.SetFont(CPropertyTreeWnd::GetNormalFont());
    // The longest text of the row's kind with every digit the same, for each digit: the
    // widest of these is at least as wide as any colour's text.
    const bool hex = (m_flags & kColorHex) != 0;
    const std::string longest = FormatColor(colorpick::MakeColorRef(255, 255, 255), m_flags);
    const std::string digits = hex ? "0123456789ABCDEF" : "0123456789";
    int widest = 0;
    for (const char digit : digits) {
        std::string sample = longest;
        for (char& c : sample) {
            if (hex ? c != '#' : (c >= '0' && c <= '9'))
                c = digit;
        }
        widest = std::max(widest, dc.GetTextExtent(wxString::FromUTF8(sample)).x);
    }
    return kSwatchSize + kSwatchGap + widest;
}

void CColorPropertyNode::DrawSwatch(wxDC& dc, const wxRect& rect, ColorRef color, unsigned flags,
                                    const wxColour& textColour) {
    const wxRect square(rect.x, rect.y + 2, kSwatchSize, kSwatchSize);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.DrawRectangle(square);
    dc.SetBrush(wxBrush(ToColour(color)));
    dc.DrawRectangle(wxRect(square).Deflate(1));
    const wxString text = wxString::FromUTF8(FormatColor(color, flags));
    dc.SetTextForeground(textColour);
    const int textHeight = dc.GetCharHeight();
    dc.DrawText(text, square.GetRight() + 1 + kSwatchGap, rect.y + (rect.height - textHeight) / 2);
}

void CColorPropertyNode::DrawValue(wxDC& dc, const wxRect& rect) {
    if (!m_pWnd || m_hasFocus)
        return;
    if (!m_pWnd->IsShown() && m_pWnd->GetRect() != rect)
        m_pWnd->SetSize(rect);
    const CPropertyTreeWnd* control = GetControl();
    DrawSwatch(dc, rect, m_color, m_flags,
               control && !control->IsEnabled() ? wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)
                                                : GetValueTextColor());
}

void CColorPropertyNode::OnPaint(wxPaintEvent&) {
    // Shown while the row is being edited: the value on the row's background with a focus
    // frame, so the row reads as the one the keys act on.
    wxAutoBufferedPaintDC dc(m_pWnd);
    const wxRect rect(wxPoint(0, 0), m_pWnd->GetClientSize());
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(GetValueBackColor()));
    dc.DrawRectangle(rect);
    dc.SetFont(CPropertyTreeWnd::GetNormalFont());
    DrawSwatch(dc, rect, m_color, m_flags, GetValueTextColor());
    if (m_hasFocus) {
        dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT), 1, wxPENSTYLE_DOT));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(rect);
    }
}

void CColorPropertyNode::PlaceWindow() {
    if (m_pWnd && m_pWnd->GetRect() != GetValueRect())
        m_pWnd->SetSize(GetValueRect());
}

void CColorPropertyNode::HideWindow() {
    if (!m_pWnd || !m_pWnd->IsShown())
        return;
    // Hiding the focused window would leave the focus nowhere: the list takes it, which also
    // ends the edit.
    if (wxWindow::FindFocus() == m_pWnd && GetControl() && GetControl()->GetListPane())
        GetControl()->GetListPane()->SetFocus();
    if (m_pWnd)
        m_pWnd->Hide();
}

void CColorPropertyNode::OnActivate() {
    if (!m_pWnd)
        return;
    PlaceWindow();
    m_pWnd->Show();
    m_pWnd->SetFocus();
    m_pWnd->Refresh();
}

void CColorPropertyNode::OnLayout() {
    PlaceWindow();
    if (m_pWnd && !m_hasFocus)
        m_pWnd->Hide();
}

void CColorPropertyNode::OnMoved() {
    PlaceWindow();
}

void CColorPropertyNode::OnCommit() {
    HideWindow();
}

void CColorPropertyNode::OnSelect() {
    HideWindow();
}

void CColorPropertyNode::OnDeselect() {
    HideWindow();
}

void CColorPropertyNode::OnRemove() {
    if (!m_pWnd)
        return;
    wxWindow* window = m_pWnd;
    m_pWnd = nullptr;
    window->Unbind(wxEVT_PAINT, &CColorPropertyNode::OnPaint, this);
    window->Unbind(wxEVT_SET_FOCUS, &CColorPropertyNode::OnSetFocus, this);
    window->Unbind(wxEVT_KILL_FOCUS, &CColorPropertyNode::OnKillFocus, this);
    window->Unbind(wxEVT_LEFT_UP, &CColorPropertyNode::OnLeftUp, this);
    window->Unbind(wxEVT_KEY_DOWN, &CColorPropertyNode::OnKeyDown, this);
    window->Unbind(wxEVT_COLOR_PICKER, &CColorPropertyNode::OnPicker, this);
    // The popup reports to this window; closing it first means nothing is left to report.
    if (CColorPickerPopup* popup = m_popup.get())
        popup->Cancel();
    if (CPropertyTreeWnd* control = GetControl())
        control->DestroyLater(window);
    else
        window->Destroy();
}

void CColorPropertyNode::OnSetFocus(wxFocusEvent& event) {
    m_hasFocus = 1;
    m_pWnd->Refresh();
    RefreshControl();
    event.Skip();
}

void CColorPropertyNode::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    if (IsBeingDeleted())
        return;
    m_hasFocus = 0;
    CommitChanges();
}

bool CColorPropertyNode::OpenPopup(const wxPoint& at) {
    CPropertyTreeWnd* control = GetControl();
    if (!m_pWnd || !control || m_popup)
        return false;
    const wxPoint point = at != wxDefaultPosition
                              ? at
                              : control->GetListPane()->ClientToScreen(
                                    GetValueRect().GetBottomLeft() + wxPoint(0, 1));
    const auto life = Life();
    HideWindow(); // ends the edit: the popup takes over until it reports back
    if (life.expired() || !m_pWnd)
        return false;
    m_colorBeforePopup = m_color;
    m_popup = CColorPickerPopup::Open(m_pWnd, point, m_color, m_automaticColor, "Automatic",
                                      "More Colors...");
    if (CPropertyTreeWnd* c = GetControl())
        c->RedrawAll();
    return m_popup.get() != nullptr;
}

void CColorPropertyNode::OnLeftUp(wxMouseEvent& event) {
    OpenPopup(m_pWnd->ClientToScreen(event.GetPosition()));
}

void CColorPropertyNode::OnKeyDown(wxKeyEvent& event) {
    CPropertyTreeWnd* control = GetControl();
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
    case WXK_F4:
        OpenPopup();
        return;
    case WXK_TAB:
        if (control && control->GetListPane()) {
            CPropertyListPane* list = control->GetListPane();
            list->SetFocus();
            list->HandleKey(WXK_TAB, event.ShiftDown());
            return;
        }
        break;
    case WXK_ESCAPE:
        if (control && control->GetListPane()) {
            control->GetListPane()->SetFocus();
            return;
        }
        break;
    default:
        break;
    }
    event.Skip();
}

void CColorPropertyNode::OnPicker(wxCommandEvent& event) {
    const auto color = static_cast<ColorRef>(event.GetExtraLong());
    const auto life = Life();
    switch (event.GetInt()) {
    case COLORPICK_TRACK:
        if (m_flags & kColorTrack)
            m_color = color;
        if (m_pWnd)
            m_pWnd->Hide();
        break;
    case COLORPICK_ACCEPT:
        m_color = color;
        if (CPropertyTreeWnd* control = GetControl()) {
            control->Notify(PROPN_VALUECHANGED, this);
            if (life.expired())
                return;
        }
        CommitChanges();
        if (life.expired())
            return;
        break;
    case COLORPICK_CANCEL:
        if (m_pWnd)
            m_pWnd->Hide();
        // A colour taken over while tracking goes back to the one from before the popup.
        if (m_flags & kColorTrack)
            m_color = m_colorBeforePopup;
        break;
    default:
        event.Skip();
        return;
    }
    RefreshControl();
}

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

CColorPropertyNode::~CColorPropertyNode() = default;

bool CColorPropertyNode::CreateColorWindow(unsigned flags, ColorRef color,
                                           ColorRef automaticColor) {
    wxWindow* parent = GetWindowParent();
    if (!parent)
        return false;
    auto* window = new wxWindow();
    if (!window->Create(parent, GetId(), wxDefaultPosition, wxDefaultSize,
                        wxWANTS_CHARS | wxBORDER_NONE | wxCLIP_CHILDREN)) {
        delete window;
        return false;
    }
    window->SetBackgroundStyle(wxBG_STYLE_PAINT);
    window->SetCursor(*wxSTANDARD_CURSOR);
    m_flags = flags;
    m_color = color;
    m_automaticColor = automaticColor;
    AttachWindow(window);
    return true;
}

void CColorPropertyNode::ConnectWindow(wxWindow* window, bool on) {
    Route(window, on, wxEVT_PAINT, &CColorPropertyNode::OnPaint);
    Route(window, on, wxEVT_LEFT_UP, &CColorPropertyNode::OnLeftUp);
    Route(window, on, wxEVT_COLOR_PICKER, &CColorPropertyNode::OnPicker);
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

void CColorPropertyNode::PaintValue(wxDC& dc, const wxRect& rect) {
    const CPropertyTreeWnd* control = GetControl();
    DrawSwatch(dc, rect, m_color, m_flags,
               control && !control->IsEnabled() ? wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)
                                                : GetValueTextColor());
}

void CColorPropertyNode::OnPaint(wxPaintEvent&) {
    // Shown while the row is being edited: the value on the row's background with a focus
    // frame, so the row reads as the one the keys act on.
    wxWindow* window = GetWindow();
    wxAutoBufferedPaintDC dc(window);
    const wxRect rect(wxPoint(0, 0), window->GetClientSize());
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(GetValueBackColor()));
    dc.DrawRectangle(rect);
    dc.SetFont(CPropertyTreeWnd::GetNormalFont());
    DrawSwatch(dc, rect, m_color, m_flags, GetValueTextColor());
    if (IsEditing()) {
        dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT), 1, wxPENSTYLE_DOT));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(rect);
    }
}

void CColorPropertyNode::OnWindowOpened() {
    GetWindow()->Refresh();
}

void CColorPropertyNode::OnWindowFocused() {
    GetWindow()->Refresh();
    RefreshControl();
}

void CColorPropertyNode::OnWindowRemoved() {
    // The popup reports to the window; closing it first means nothing is left to report.
    if (CColorPickerPopup* popup = m_popup.get())
        popup->Cancel();
}

bool CColorPropertyNode::OpenPopup(const wxPoint& at) {
    CPropertyTreeWnd* control = GetControl();
    if (!GetWindow() || !control || m_popup)
        return false;
    CPropertyTreeWnd::CEventScope scope(control);
    const wxPoint point = at != wxDefaultPosition
                              ? at
                              : control->GetListPane()->ClientToScreen(
                                    GetValueRect().GetBottomLeft() + wxPoint(0, 1));
    HideWindow(); // ends the edit: the popup takes over until it reports back
    if (IsBeingDeleted())
        return false; // the owner deleted the row on hearing of the commit
    m_colorBeforePopup = m_color;
    // The popup, once closed, waits in the control's queue with the row's window: whichever of
    // the two goes first, each is destroyed once.
    m_popup = CColorPickerPopup::Open(GetWindow(), point, m_color, m_automaticColor, "Automatic",
                                      "More Colors...", &control->GetDeferredQueue());
    control->RedrawAll();
    return m_popup.get() != nullptr;
}

void CColorPropertyNode::OnLeftUp(wxMouseEvent& event) {
    OpenPopup(GetWindow()->ClientToScreen(event.GetPosition()));
}

bool CColorPropertyNode::OnWindowKey(const wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
    case WXK_F4:
        OpenPopup();
        return true;
    case WXK_ESCAPE:
        return FocusList();
    default:
        return false;
    }
}

void CColorPropertyNode::OnPicker(wxCommandEvent& event) {
    const auto color = static_cast<ColorRef>(event.GetExtraLong());
    CPropertyTreeWnd::CEventScope scope(GetControl());
    switch (event.GetInt()) {
    case COLORPICK_TRACK:
        if (m_flags & kColorTrack)
            m_color = color;
        GetWindow()->Hide();
        break;
    case COLORPICK_ACCEPT:
        m_color = color;
        if (CPropertyTreeWnd* control = GetControl())
            control->Notify(PROPN_VALUECHANGED, this);
        CommitChanges();
        break;
    case COLORPICK_CANCEL:
        GetWindow()->Hide();
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

#include "CColorPickerPopup.h"

#include "CDeferredQueue.h"

#include <wx/app.h>
#include <wx/colordlg.h>
#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/eventfilter.h>
#include <wx/settings.h>
#include <wx/tooltip.h>

#include <algorithm>

wxDEFINE_EVENT(wxEVT_COLOR_PICKER, wxCommandEvent);

using namespace colorpick;

CColorPickerPopup::ColourDialogHook CColorPickerPopup::s_dialogHook;
CColorPickerPopup::SItemNames CColorPickerPopup::s_itemNames;

namespace {

SRect ToRect(const wxRect& r) {
    return {r.x, r.y, r.width, r.height};
}

wxRect ToWxRect(const SRect& r) {
    return {r.x, r.y, r.width, r.height};
}

void FillRect(wxDC& dc, const wxRect& r, const wxColour& colour) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(colour));
    dc.DrawRectangle(r);
}

// A one-pixel edge: the top and left sides in one colour, the bottom and right in the other.
void DrawEdge(wxDC& dc, const wxRect& r, const wxColour& topLeft, const wxColour& bottomRight) {
    FillRect(dc, wxRect(r.x, r.y, r.width, 1), topLeft);
    FillRect(dc, wxRect(r.x, r.y, 1, r.height), topLeft);
    FillRect(dc, wxRect(r.x, r.GetBottom(), r.width, 1), bottomRight);
    FillRect(dc, wxRect(r.GetRight(), r.y, 1, r.height), bottomRight);
}

wxColour Sys(wxSystemColour which) {
    return wxSystemSettings::GetColour(which);
}

wxColour Blend(const wxColour& a, const wxColour& b, int percentOfB) {
    auto mix = [percentOfB](int x, int y) {
        return (x * (100 - percentOfB) + y * percentOfB) / 100;
    };
    return wxColour(mix(a.Red(), b.Red()), mix(a.Green(), b.Green()), mix(a.Blue(), b.Blue()));
}

// The item under the pointer: raised, tinted with the selection colour so it stands out on
// the light faces of current themes as well as on the grey ones of old.
void DrawRaised(wxDC& dc, const wxRect& r) {
    const wxColour selection = Sys(wxSYS_COLOUR_HIGHLIGHT);
    FillRect(dc, r, Blend(Sys(wxSYS_COLOUR_BTNFACE), selection, 25));
    DrawEdge(dc, r, Blend(Sys(wxSYS_COLOUR_BTNHIGHLIGHT), selection, 60), selection);
}

// The item of the initial colour: a dithered face under a sunken edge, both darkened towards
// the text colour so the mark shows on light themes, whose shadow colour is pale.
void DrawSunken(wxDC& dc, const wxRect& r) {
    const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
    const wxColour text = Sys(wxSYS_COLOUR_BTNTEXT);
    FillRect(dc, r, face);
    dc.SetPen(wxPen(Blend(face, text, 30)));
    for (int y = r.y; y <= r.GetBottom(); ++y) {
        for (int x = r.x + ((y - r.y) & 1); x <= r.GetRight(); x += 2)
            dc.DrawPoint(x, y);
    }
    DrawEdge(dc, r, Blend(face, text, 55), Sys(wxSYS_COLOUR_BTNHIGHLIGHT));
}

// A colour square inside a one-pixel shadow frame.
void DrawSwatch(wxDC& dc, const wxRect& r, const wxColour& colour) {
    FillRect(dc, r, Sys(wxSYS_COLOUR_BTNSHADOW));
    FillRect(dc, wxRect(r).Deflate(1), colour);
}

// Where the popups opened without a queue wait to be destroyed: flushed with the application's
// pending calls, as the control's queue is with the control's.
CDeferredQueue& ApplicationQueue() {
    static CDeferredQueue queue([] {
        if (wxTheApp)
            wxTheApp->CallAfter([] { ApplicationQueue().FlushIdle(); });
    });
    return queue;
}

SSize TextSize(wxWindow& window, const wxString& text) {
    if (text.empty())
        return {};
    const wxSize size = window.GetTextExtent(text);
    return {std::max(size.x, 1), std::max(size.y, 1)};
}

} // namespace

// Sees every event of the application while the popup is open: the keys go to the popup
// whichever window has the focus, and the application losing activation cancels.
class CColorPickerPopup::CKeyFilter : public wxEventFilter {
public:
    explicit CKeyFilter(CColorPickerPopup& popup) : m_popup(popup) {}

    int FilterEvent(wxEvent& event) override {
        if (m_popup.m_closing || m_popup.m_inDialog)
            return Event_Skip;
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN) {
            m_popup.OnKey(static_cast<wxKeyEvent&>(event).GetKeyCode());
            return Event_Processed;
        }
        if (type == wxEVT_CHAR || type == wxEVT_KEY_UP)
            return Event_Processed; // keys belong to the popup while it is open
        if (type == wxEVT_ACTIVATE_APP && !static_cast<wxActivateEvent&>(event).GetActive())
            m_popup.Cancel();
        return Event_Skip;
    }

private:
    CColorPickerPopup& m_popup;
};

CColorPickerPopup* CColorPickerPopup::Open(wxWindow* notify, const wxPoint& at, ColorRef color,
                                           ColorRef automatic, const std::string& defaultText,
                                           const std::string& customText, CDeferredQueue* queue) {
    if (notify == nullptr)
        return nullptr;
    auto* popup = new CColorPickerPopup(notify, color, automatic, wxString::FromUTF8(defaultText),
                                        wxString::FromUTF8(customText), queue);
    if (!popup->Build(at)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

void CColorPickerPopup::SetColourDialogHook(ColourDialogHook hook) {
    s_dialogHook = std::move(hook);
}

void CColorPickerPopup::PublishItems(const SItemNames& names) {
    s_itemNames = names;
}

int CColorPickerPopup::ItemOfName(const SItemNames& names, const std::string& name) {
    if (name.empty())
        return kIndexNone;
    if (name == names.automatic)
        return kIndexDefault;
    if (name == names.custom)
        return kIndexCustom;
    const std::string& prefix = names.cellPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return kIndexNone;
    // Plain decimal digits without leading zeros: one name for each cell.
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 2 || (digits.size() > 1 && digits[0] == '0') ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return kIndexNone;
    const int index = std::stoi(digits);
    return index < kColorCount ? index : kIndexNone;
}

CColorPickerPopup::CColorPickerPopup(wxWindow* notify, ColorRef color, ColorRef automatic,
                                     const wxString& defaultText, const wxString& customText,
                                     CDeferredQueue* queue)
    : m_notify(notify), m_queue(queue), m_initialColor(color), m_currentColor(color),
      m_automaticColor(automatic), m_defaultText(defaultText), m_customText(customText) {}

CColorPickerPopup::~CColorPickerPopup() {
    if (HasCapture())
        ReleaseMouse();
    if (m_keyFilter)
        wxEvtHandler::RemoveFilter(m_keyFilter.get());
}

bool CColorPickerPopup::Build(const wxPoint& at) {
    if (!Create(m_notify.get(), wxBORDER_NONE))
        return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    SetFont(m_font);

    m_layout = ComputeLayout(TextSize(*this, m_defaultText), TextSize(*this, m_customText));
    const SSize size{m_layout.whole.width, m_layout.whole.height};

    // The screen of the opening point; its usable area keeps the popup clear of panels and
    // docks. Opened above, the popup also clears the owner's window (the row).
    int display = wxDisplay::GetFromPoint(at);
    if (display == wxNOT_FOUND)
        display = 0;
    const wxRect screen = wxDisplay(static_cast<unsigned>(display)).GetClientArea();
    const int ownerHeight = m_notify ? m_notify->GetSize().y : 0;
    const SPoint place = PlacePopup(size, SPoint{at.x, at.y}, ownerHeight, ToRect(screen));
    SetSize(place.x, place.y, size.width, size.height);

    m_initialIndex = InitialIndex(m_initialColor, m_automaticColor, !m_defaultText.empty(),
                                  !m_customText.empty());

    Bind(wxEVT_PAINT, &CColorPickerPopup::OnPaint, this);
    Bind(wxEVT_MOTION, &CColorPickerPopup::OnMotion, this);
    Bind(wxEVT_LEFT_UP, &CColorPickerPopup::OnLeftUp, this);
    Bind(wxEVT_RIGHT_UP, &CColorPickerPopup::OnLeftUp, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &CColorPickerPopup::OnCaptureLost, this);
    if (s_itemNames.queryType != 0)
        Bind(wxEventTypeTag<wxCommandEvent>(s_itemNames.queryType), &CColorPickerPopup::OnItemQuery,
             this);

    wxToolTip::Enable(true);
    Show(); // a popup window shows without taking the activation
    CaptureMouse();
    m_keyFilter = std::make_unique<CKeyFilter>(*this);
    wxEvtHandler::AddFilter(m_keyFilter.get());
    return true;
}

wxColour CColorPickerPopup::ToColour(ColorRef c) {
    return wxColour(RedOf(c), GreenOf(c), BlueOf(c));
}

ColorRef CColorPickerPopup::FromColour(const wxColour& c) {
    return MakeColorRef(c.Red(), c.Green(), c.Blue());
}

wxRect CColorPickerPopup::GetItemRect(int index) const {
    return ToWxRect(ItemRect(m_layout, index));
}

void CColorPickerPopup::Accept() {
    End(true);
}

void CColorPickerPopup::Cancel() {
    End(false);
}

void CColorPickerPopup::OnMotion(wxMouseEvent& event) {
    if (m_closing)
        return;
    const wxPoint p = event.GetPosition();
    const int index = colorpick::HitTest(m_layout, p.x, p.y);
    if (index != kIndexNone)
        SetHot(index);
}

void CColorPickerPopup::OnLeftUp(wxMouseEvent& event) {
    if (m_closing)
        return;
    End(GetClientRect().Contains(event.GetPosition()));
}

void CColorPickerPopup::OnCaptureLost(wxMouseCaptureLostEvent&) {
    // Something outside took the pointer; take it back once that has settled.
    CallAfter([this] {
        if (!m_closing && !m_inDialog && !HasCapture() && wxWindow::GetCapture() == nullptr)
            CaptureMouse();
    });
}

void CColorPickerPopup::OnItemQuery(wxCommandEvent& event) {
    const int index = ItemOfName(s_itemNames, event.GetString().utf8_string());
    const wxRect item = GetItemRect(index); // empty for none and for a button left out
    auto* out = static_cast<wxRect*>(event.GetClientData());
    event.SetInt(0);
    if (!item.IsEmpty() && out) {
        *out = wxRect(ClientToScreen(item.GetTopLeft()), item.GetSize());
        event.SetInt(1);
    }
}

bool CColorPickerPopup::OnKey(int keyCode) {
    const bool hasDefault = !m_defaultText.empty();
    const bool hasCustom = !m_customText.empty();
    const int from = m_hotIndex != kIndexNone ? m_hotIndex : m_initialIndex;
    switch (keyCode) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
        Accept();
        return true;
    case WXK_ESCAPE:
        Cancel();
        return true;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
        SetHot(MoveIndex(from, EArrow::Left, hasDefault, hasCustom));
        return true;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
        SetHot(MoveIndex(from, EArrow::Right, hasDefault, hasCustom));
        return true;
    case WXK_UP:
    case WXK_NUMPAD_UP:
        SetHot(MoveIndex(from, EArrow::Up, hasDefault, hasCustom));
        return true;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        SetHot(MoveIndex(from, EArrow::Down, hasDefault, hasCustom));
        return true;
    default:
        return false;
    }
}

void CColorPickerPopup::SetHot(int index) {
    if (index == m_hotIndex || index == kIndexNone)
        return;
    const int old = m_hotIndex;
    m_hotIndex = index;
    RefreshItem(old);
    RefreshItem(index);

    ColorRef color = m_initialColor; // the custom button tracks the initial colour
    if (index == kIndexDefault)
        color = m_automaticColor;
    else if (const SColorEntry* entry = ColorEntry(index))
        color = entry->color;
    if (index != kIndexCustom)
        m_currentColor = color;

    if (const SColorEntry* entry = ColorEntry(index))
        SetToolTip(wxString::FromUTF8(entry->name));
    else
        UnsetToolTip();
    Post(COLORPICK_TRACK, color);
}

void CColorPickerPopup::RefreshItem(int index) {
    const wxRect r = GetItemRect(index);
    if (!r.IsEmpty())
        RefreshRect(r, false);
}

void CColorPickerPopup::End(bool accept) {
    if (m_closing || m_inDialog)
        return;
    if (accept && m_hotIndex == kIndexCustom) {
        // The dialog is modal: let go of the pointer and step aside while it runs.
        m_inDialog = true;
        if (HasCapture())
            ReleaseMouse();
        Hide();
        wxColour chosen = ToColour(m_initialColor);
        const wxWeakRef<CColorPickerPopup> self(this);
        bool ok = false;
        if (s_dialogHook) {
            ok = s_dialogHook(m_notify.get(), chosen);
        } else {
            wxColourData data;
            data.SetChooseFull(true);
            data.SetColour(chosen);
            wxColourDialog dialog(m_notify.get(), &data);
            ok = dialog.ShowModal() == wxID_OK;
            if (ok)
                chosen = dialog.GetColourData().GetColour();
        }
        if (!self)
            return; // the notify window, and the popup with it, went away meanwhile
        m_inDialog = false;
        if (ok && chosen.IsOk())
            m_currentColor = FromColour(chosen);
        else
            accept = false;
    }

    m_closing = true;
    if (HasCapture())
        ReleaseMouse();
    Hide();
    if (!accept)
        m_currentColor = m_initialColor;
    Post(accept ? COLORPICK_ACCEPT : COLORPICK_CANCEL, m_currentColor);
    DestroyLater();
}

void CColorPickerPopup::DestroyLater() {
    if (!m_queue && !wxTheApp) {
        Destroy(); // no event loop, so no handler of the popup's can be running
        return;
    }
    // The notify window may take the popup with it first; it is destroyed once either way.
    (m_queue ? *m_queue : ApplicationQueue()).AddWindow(this);
}

void CColorPickerPopup::Post(int code, ColorRef color) {
    wxWindow* notify = m_notify.get();
    if (notify == nullptr || notify->IsBeingDeleted())
        return;
    wxCommandEvent event(wxEVT_COLOR_PICKER, notify->GetId());
    event.SetEventObject(notify);
    event.SetInt(code);
    event.SetExtraLong(static_cast<long>(color));
    wxPostEvent(notify->GetEventHandler(), event);
}

void CColorPickerPopup::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    Render(dc);
}

void CColorPickerPopup::Render(wxDC& dc) {
    const wxRect whole = ToWxRect(m_layout.whole);
    FillRect(dc, whole, Sys(wxSYS_COLOUR_BTNFACE));
    dc.SetFont(m_font);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(Sys(wxSYS_COLOUR_BTNTEXT));

    if (!m_layout.defaultButton.Empty())
        DrawItem(dc, kIndexDefault);
    for (int i = 0; i < kColorCount; ++i)
        DrawItem(dc, i);
    if (!m_layout.customButton.Empty()) {
        const SRect& b = m_layout.customButton;
        const int lineY = b.y - kMargin - 1;
        FillRect(dc, wxRect(b.x + kMargin, lineY, b.width - 2 * kMargin, 1),
                 Sys(wxSYS_COLOUR_BTNSHADOW));
        FillRect(dc, wxRect(b.x + kMargin, lineY + 1, b.width - 2 * kMargin, 1),
                 Sys(wxSYS_COLOUR_BTNHIGHLIGHT));
        DrawItem(dc, kIndexCustom);
    }

    // Raised frame along the edge, two pixels deep; the outer ring is dark all round so the
    // popup stands apart from a light window beneath.
    DrawEdge(dc, whole, Sys(wxSYS_COLOUR_BTNSHADOW), Sys(wxSYS_COLOUR_3DDKSHADOW));
    DrawEdge(dc, wxRect(whole).Deflate(1), Sys(wxSYS_COLOUR_BTNHIGHLIGHT),
             Sys(wxSYS_COLOUR_BTNSHADOW));
}

void CColorPickerPopup::DrawItem(wxDC& dc, int index) {
    const wxRect r = GetItemRect(index);
    if (r.IsEmpty())
        return;
    if (index == m_hotIndex)
        DrawRaised(dc, r);
    else if (index == m_initialIndex)
        DrawSunken(dc, r);
    if (index >= 0)
        DrawCell(dc, index);
    else
        DrawButton(dc, index);
}

void CColorPickerPopup::DrawCell(wxDC& dc, int index) {
    const wxRect r = GetItemRect(index).Deflate(kMargin);
    DrawSwatch(dc, r, ToColour(ColorEntry(index)->color));
}

void CColorPickerPopup::DrawButton(wxDC& dc, int index) {
    const wxRect r = GetItemRect(index);
    const wxString& text = index == kIndexDefault ? m_defaultText : m_customText;
    const wxSize extent = dc.GetTextExtent(text);
    dc.DrawText(text, r.x + (r.width - extent.x) / 2, r.y + (r.height - extent.y) / 2);
    if (index == kIndexDefault) {
        const int side = std::min(extent.y, r.height - 2 * kMargin - 2);
        DrawSwatch(dc, wxRect(r.x + 2 * kMargin, r.y + (r.height - side) / 2, side, side),
                   ToColour(m_automaticColor));
    }
}

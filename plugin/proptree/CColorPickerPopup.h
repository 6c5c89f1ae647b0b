// The colour picker popup of a colour property row: an "Automatic" button, a grid of 40
// named colours and a "More Colors..." button that opens the colour dialog.
//
// The popup holds the mouse captured while it is open and watches the keyboard of the whole
// application, so it is driven entirely by pointer and keys without taking the focus. It tells
// its notify window what happens by posting wxEVT_COLOR_PICKER events (wxCommandEvent):
//
//   event.GetInt()       the message code: COLORPICK_TRACK (2025), COLORPICK_ACCEPT (2028) or
//                        COLORPICK_CANCEL (2029)
//   event.GetExtraLong() the colour as a colour reference, 0x00BBGGRR (red in the low byte)
//   event.GetId()        the notify window's id
//
//   TRACK  the item under the pointer or the keyboard cursor changed; the colour is that
//          item's (the automatic colour for "Automatic", the initial colour for "More Colors...")
//   ACCEPT the user chose the colour carried
//   CANCEL the user cancelled; the colour carried is the initial one
//
// Exactly one ACCEPT or CANCEL is posted per popup; by then the popup has released the capture,
// is hidden and has queued its own destruction for the next idle time, in the deferred queue it
// was opened with (see CDeferredQueue), so it is never freed under its own event handler. The
// popup window is a child of the notify window: destroying that window takes the popup with it
// and posts nothing. Events are posted, not sent, so a handler may destroy the popup's row
// safely. Open the popup on a button release: a release while it is open ends it.
//
// A node binds it on its own window, e.g.
//   m_window->Bind(wxEVT_COLOR_PICKER, &CColorPropertyNode::OnColorPicker, this);
//   void OnColorPicker(wxCommandEvent& e) {
//       const auto colour = static_cast<colorpick::ColorRef>(e.GetExtraLong());
//       switch (e.GetInt()) { case COLORPICK_ACCEPT: ...; }
//   }
// and opens it with
//   CColorPickerPopup::Open(m_window, pointerOnScreen, m_color, m_automaticColor,
//                           "Automatic", "More Colors...");
#pragma once

#include "ColorPickerLayout.h"

class CDeferredQueue;

#include <wx/event.h>
#include <wx/popupwin.h>
#include <wx/weakref.h>

#include <functional>
#include <memory>
#include <string>

wxDECLARE_EVENT(wxEVT_COLOR_PICKER, wxCommandEvent);

enum {
    COLORPICK_TRACK = 2025,
    COLORPICK_ACCEPT = 2028,
    COLORPICK_CANCEL = 2029,
};

class CColorPickerPopup : public wxPopupWindow {
public:
    // How an owner lets other code find the popup's items by name without knowing its layout
    // (the editor's scripts click them so). With a query type set, a wxCommandEvent of that type
    // sent to the popup, carrying an item's name as its string and a wxRect* as its client data,
    // is answered with the item's rectangle in screen coordinates and SetInt(1); a name of no
    // item, or an item the popup leaves out, is answered with SetInt(0) and the rectangle left
    // as it was. The items are named `automatic` ("Automatic"), `custom` ("More Colors...") and
    // `cellPrefix` followed by the cell's index (0-39).
    struct SItemNames {
        int queryType = 0; // 0: the popups answer nothing
        std::string automatic;
        std::string custom;
        std::string cellPrefix;
    };
    // For the popups opened from now on.
    static void PublishItems(const SItemNames& names);
    // The item index (colorpick::kIndexDefault, kIndexCustom, 0-39) of a name, or kIndexNone.
    static int ItemOfName(const SItemNames& names, const std::string& name);

    // Replaces the colour dialog of "More Colors...": called with the popup's notify window and
    // the initial colour; answers true with the chosen colour in `inOut`, or false for Cancel.
    using ColourDialogHook = std::function<bool(wxWindow* parent, wxColour& inOut)>;

    // Creates, shows (without taking the focus) and captures the mouse. `notify` receives the
    // events and owns the popup window; `at` is the screen point the popup opens at (its
    // top-left corner: the pointer's position), moved as colorpick::PlacePopup says, with
    // the notify window's height as the owner's. An empty text leaves its button out. The
    // closed popup's destruction waits in `queue`, which must outlive the popup (the queue of
    // a window the notify window lies in does); without one, in a queue of the application's
    // flushed at its next idle time. Answers the popup, or nullptr (nothing opened) without a
    // notify window or when the window cannot be created.
    static CColorPickerPopup* Open(wxWindow* notify, const wxPoint& at, colorpick::ColorRef color,
                                   colorpick::ColorRef automatic,
                                   const std::string& defaultText = "Automatic",
                                   const std::string& customText = "More Colors...",
                                   CDeferredQueue* queue = nullptr);

    // Set an empty function to use wxColourDialog again.
    static void SetColourDialogHook(ColourDialogHook hook);

    ~CColorPickerPopup() override;

    // Ends the popup as the keys Enter and Escape do; used by the key handling and by owners
    // that must close it (e.g. when their row goes away).
    void Accept();
    void Cancel();

    // State, for the owner and for tests.
    colorpick::ColorRef GetInitialColor() const { return m_initialColor; }
    colorpick::ColorRef GetCurrentColor() const { return m_currentColor; }
    colorpick::ColorRef GetAutomaticColor() const { return m_automaticColor; }
    int GetHotIndex() const { return m_hotIndex; }         // item under the pointer or -1..-3
    int GetInitialIndex() const { return m_initialIndex; } // item of the initial colour
    const colorpick::SLayout& GetLayout() const { return m_layout; }
    wxRect GetItemRect(int index) const; // client coordinates; empty for an absent item
    bool IsClosing() const { return m_closing; }

    // Paints the popup into any DC (the paint handler and screenshots use it).
    void Render(wxDC& dc);

    static wxColour ToColour(colorpick::ColorRef c);
    static colorpick::ColorRef FromColour(const wxColour& c);

private:
    class CKeyFilter;

    CColorPickerPopup(wxWindow* notify, colorpick::ColorRef color, colorpick::ColorRef automatic,
                      const wxString& defaultText, const wxString& customText,
                      CDeferredQueue* queue);
    bool Build(const wxPoint& at);

    void OnPaint(wxPaintEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnActivateApp(wxActivateEvent& event);
    void OnItemQuery(wxCommandEvent& event);
    bool OnKey(int keyCode); // true when the key was the popup's

    void SetHot(int index);
    void RefreshItem(int index);
    void End(bool accept);
    // Queues the popup's destruction (it may be inside its own event handlers).
    void DestroyLater();
    void Post(int code, colorpick::ColorRef color);
    void DrawItem(wxDC& dc, int index);
    void DrawButton(wxDC& dc, int index);
    void DrawCell(wxDC& dc, int index);

    wxWeakRef<wxWindow> m_notify;
    CDeferredQueue* m_queue;
    colorpick::ColorRef m_initialColor;
    colorpick::ColorRef m_currentColor;
    colorpick::ColorRef m_automaticColor;
    wxString m_defaultText;
    wxString m_customText;
    int m_hotIndex = colorpick::kIndexNone;
    int m_initialIndex = colorpick::kIndexNone;
    colorpick::SLayout m_layout;
    wxFont m_font;
    std::unique_ptr<CKeyFilter> m_keyFilter;
    bool m_closing = false;
    bool m_inDialog = false;

    static ColourDialogHook s_dialogHook;
    static SItemNames s_itemNames;
};

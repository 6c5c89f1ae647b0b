// A property row holding a colour: a swatch and its value as text. Activating the row shows a
// small window over the value; releasing the button on it opens the colour picker popup, whose
// choice becomes the row's colour.
#pragma once

#include "CWindowPropertyNode.h"
#include "ColorPickerLayout.h"

#include <wx/gdicmn.h>
#include <wx/weakref.h>

class wxCommandEvent;
class wxKeyEvent;
class wxMouseEvent;
class wxPaintEvent;
class wxWindow;
class CColorPickerPopup;

class CColorPropertyNode : public CWindowPropertyNode {
public:
    using ColorRef = colorpick::ColorRef;

    CColorPropertyNode();
    ~CColorPropertyNode() override;

    // Creates the row's window (after InsertItem). `flags`: proptree::kColorTrack (0x400, the
    // colour follows the popup's pointer and a cancel restores it) and proptree::kColorHex
    // (0x40000, "#BBGGRR" text). Answers false when the node is in no tree or already has it.
    bool CreateColorWindow(unsigned flags, ColorRef color, ColorRef automaticColor);

    void SetColor(ColorRef color) { m_color = color; }
    ColorRef GetColor() const { return m_color; }
    ColorRef GetAutomaticColor() const { return m_automaticColor; }
    unsigned GetFlags() const { return m_flags; }
    // The row's window has the focus (the row is being edited).
    bool HasFocus() const { return IsEditing(); }
    wxWindow* GetColorWindow() const { return GetWindow(); }
    // The open popup, or null.
    CColorPickerPopup* GetPopup() const { return m_popup.get(); }
    // Opens the popup at the pointer's screen position `at`; without one (a key opened it),
    // at the value area's bottom-left corner.
    bool OpenPopup(const wxPoint& at = wxDefaultPosition);

    // The width a value area needs to show any colour's value whole in the tree's normal
    // font: the swatch, its gap and the widest text of the row's kind (0 without a tree).
    int GetValueExtent() const;

    // Draws the swatch and the text into `rect`.
    static void DrawSwatch(wxDC& dc, const wxRect& rect, ColorRef color, unsigned flags,
                           const wxColour& textColour);

protected:
    void PaintValue(wxDC& dc, const wxRect& rect) override;
    void ConnectWindow(wxWindow* window, bool on) override;
    void OnWindowOpened() override;
    void OnWindowFocused() override;
    bool EndsOnFocusLeavingControl() const override { return true; }
    bool OnWindowKey(const wxKeyEvent& event) override;
    void OnWindowRemoved() override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnPicker(wxCommandEvent& event);

    ColorRef m_color = 0;
    ColorRef m_automaticColor = 0;
    unsigned m_flags = 0;
    ColorRef m_colorBeforePopup = 0;
    wxWeakRef<CColorPickerPopup> m_popup;
};

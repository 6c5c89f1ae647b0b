// The description pane under the list: the focused node's label in bold and its description,
// word-wrapped, in a frame.
#pragma once

#include <wx/window.h>

#include <vector>

class CPropertyTreeWnd;

class CPropertyInfoPane : public wxWindow {
public:
    explicit CPropertyInfoPane(CPropertyTreeWnd* control);
    bool Create();

    // Paints the pane into `dc` (the paint handler and screenshots use it).
    void Render(wxDC& dc);

    // Splits `text` into lines no wider than `width` in the DC's font: at spaces where it can,
    // between characters where a word alone is too wide (CJK text has no spaces), and at
    // line breaks.
    static std::vector<wxString> WrapText(wxDC& dc, const wxString& text, int width);

private:
    void OnPaint(wxPaintEvent& event);

    CPropertyTreeWnd* m_pControl;
};

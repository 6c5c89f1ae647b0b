#include "CNumericEdit.h"

#include "PanelText.h"

#include <wx/utils.h>

wxIMPLEMENT_DYNAMIC_CLASS(CNumericEdit, wxTextCtrl);

CNumericEdit::CNumericEdit() {
    Bind(wxEVT_CHAR, &CNumericEdit::OnChar, this);
}

void CNumericEdit::OnChar(wxKeyEvent& event) {
    const wxChar code = event.GetUnicodeKey();
    // Keys that type no character (arrows, Home, Delete, function keys), the keys the panel
    // and the toolkit handle themselves (Tab walks the controls, Enter and Escape are the
    // panel's) and Alt shortcuts keep their default handling.
    if (code == WXK_NONE || code == WXK_TAB || code == WXK_RETURN || code == WXK_ESCAPE ||
        code == WXK_DELETE || event.AltDown() || event.MetaDown()) {
        event.Skip();
        return;
    }
    if (PanelText::IsNumericEditChar(static_cast<int>(code))) {
        event.Skip();
        return;
    }
    wxBell();
}

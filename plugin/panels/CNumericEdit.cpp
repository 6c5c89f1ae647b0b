#include "CNumericEdit.h"

#include "PanelText.h"

#include <wx/utils.h>

// The toolkit's own conversion of a key symbol to its character (the GTK port's raw key code
// is the key symbol); 0 for a symbol that types no character.
extern "C" unsigned int gdk_keyval_to_unicode(unsigned int keyval);

wxIMPLEMENT_DYNAMIC_CLASS(CNumericEdit, wxTextCtrl);

namespace {

// Characters the panel and the toolkit handle themselves: backspace, Tab walks the controls,
// Enter and Escape are the panel's, Delete edits.
bool IsEditingKey(wxUint32 code) {
    return code == WXK_BACK || code == WXK_TAB || code == WXK_RETURN || code == WXK_ESCAPE ||
           code == WXK_DELETE;
}

} // namespace

CNumericEdit::CNumericEdit() {
    Bind(wxEVT_KEY_DOWN, &CNumericEdit::OnKeyDown, this);
    Bind(wxEVT_CHAR, &CNumericEdit::OnChar, this);
}

wxUint32 CNumericEdit::TypedCharacter(const wxKeyEvent& event) {
    if (event.ControlDown() || event.RawControlDown() || event.AltDown() || event.MetaDown())
        return 0;
    return gdk_keyval_to_unicode(event.GetRawKeyCode());
}

void CNumericEdit::OnKeyDown(wxKeyEvent& event) {
    const wxUint32 code = TypedCharacter(event);
    if (code < 0x20 || IsEditingKey(code) || PanelText::IsNumericEditChar(static_cast<int>(code))) {
        event.Skip();
        return;
    }
    // Consumed here, the key never reaches the input method, which would replace the selection.
    wxBell();
}

void CNumericEdit::OnChar(wxKeyEvent& event) {
    const wxChar code = event.GetUnicodeKey();
    // Keys that type no character (arrows, Home, Delete, function keys), the keys the panel
    // and the toolkit handle themselves and Alt shortcuts keep their default handling.
    if (code == WXK_NONE || IsEditingKey(code) || event.AltDown() || event.MetaDown()) {
        event.Skip();
        return;
    }
    if (PanelText::IsNumericEditChar(static_cast<int>(code))) {
        event.Skip();
        return;
    }
    wxBell();
}

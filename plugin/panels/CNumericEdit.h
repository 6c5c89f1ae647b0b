// The side panel's value edit: an edit control that takes typed digits, ".", "-" and
// backspace only. Any other typed character sounds the information beep and is dropped,
// including the control characters of the copy, cut, paste and undo shortcuts. Text that is
// pasted through the context menu or set by the panel is not filtered here; the panel refuses
// such text when it reads the edit.
//
// A refused character leaves the text exactly as it was, its selection included. The toolkit
// hands a typed character to the native edit's input method, which deletes the selection
// before the character event is even raised; so a key that would type a refused character is
// stopped at its key-down event, before it reaches the input method.
//
// Template 108 names it as the subclass of its nine value edits, so the resource loader
// builds it by class name.
#pragma once

#include <wx/textctrl.h>

class CNumericEdit : public wxTextCtrl {
public:
    CNumericEdit();

    // The character a key-down event would type: the Unicode value of the key symbol the event
    // carries (Shift and the keyboard layout applied), or 0 when the key types none (arrows,
    // function keys) or a modifier other than Shift turns it into a shortcut.
    static wxUint32 TypedCharacter(const wxKeyEvent& event);

private:
    void OnKeyDown(wxKeyEvent& event);
    void OnChar(wxKeyEvent& event);

    wxDECLARE_DYNAMIC_CLASS_NO_COPY(CNumericEdit);
};

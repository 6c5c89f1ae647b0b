// The side panel's value edit: an edit control that takes typed digits, ".", "-" and
// backspace only. Any other typed character sounds the information beep and is dropped,
// including the control characters of the copy, cut, paste and undo shortcuts. Text that is
// pasted through the context menu or set by the panel is not filtered.
//
// Template 108 names it as the subclass of its nine value edits, so the resource loader
// builds it by class name.
#pragma once

#include <wx/textctrl.h>

class CNumericEdit : public wxTextCtrl {
public:
    CNumericEdit();

private:
    void OnChar(wxKeyEvent& event);

    wxDECLARE_DYNAMIC_CLASS_NO_COPY(CNumericEdit);
};

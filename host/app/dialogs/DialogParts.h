// What the editor's small dialogs share: a column of their fields, a red message line and the
// 确定 / 取消 row; 确定 closes only once the fields read, else the message says what to fix.
#pragma once

#include <wx/dialog.h>

class wxSizer;
class wxStaticText;

// The message line (empty until a refusal).
wxStaticText* MakeMessageLine(wxDialog& dialog);
// Lays out `fields` above `message` and the 确定 / 取消 buttons, and fits the dialog to them.
void LayOutDialog(wxDialog& dialog, wxSizer* fields, wxStaticText* message);
// 确定 pressed: closes the dialog with wxID_OK when `accepted`; otherwise it stays open,
// showing `refusal`, with a bell.
void FinishOk(wxDialog& dialog, wxStaticText* message, bool accepted, const wxString& refusal);

#include "DialogParts.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

wxStaticText* MakeMessageLine(wxDialog& dialog) {
    auto* message = new wxStaticText(&dialog, wxID_ANY, wxString());
    message->SetForegroundColour(*wxRED);
    return message;
}

void LayOutDialog(wxDialog& dialog, wxSizer* fields, wxStaticText* message) {
    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(&dialog, wxID_OK, wxString::FromUTF8("确定")));
    buttons->AddButton(new wxButton(&dialog, wxID_CANCEL, wxString::FromUTF8("取消")));
    buttons->Realize();
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(fields, 0, wxEXPAND | wxALL, 10);
    column->Add(message, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    dialog.SetSizerAndFit(column);
}

void FinishOk(wxDialog& dialog, wxStaticText* message, bool accepted, const wxString& refusal) {
    if (!accepted) {
        message->SetLabel(refusal);
        dialog.Layout();
        dialog.Fit();
        wxBell();
        return;
    }
    message->SetLabel(wxString());
    if (dialog.IsModal()) {
        dialog.EndModal(wxID_OK);
    } else {
        dialog.SetReturnCode(wxID_OK);
        dialog.Hide();
    }
}

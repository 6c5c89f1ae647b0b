#include "CAutosaveDialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cctype>
#include <string>

CAutosaveDialog::CAutosaveDialog(wxWindow* parent, int seconds, int most)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("自动保存间隔")), m_seconds(seconds),
      m_most(most) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8("每隔（秒，0 为关闭）")), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_box = new wxTextCtrl(this, wxID_ANY, wxString::Format("%d", seconds));
    row->Add(m_box, 1, wxEXPAND);

    m_message = new wxStaticText(this, wxID_ANY, wxString());
    m_message->SetForegroundColour(*wxRED);

    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(this, wxID_OK, wxString::FromUTF8("确定")));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, wxString::FromUTF8("取消")));
    buttons->Realize();

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(row, 0, wxEXPAND | wxALL, 10);
    column->Add(m_message, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    column->Add(buttons, 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(column);
    Bind(wxEVT_BUTTON, &CAutosaveDialog::OnOk, this, wxID_OK);
}

bool CAutosaveDialog::ReadSeconds(int& seconds, wxString& message) const {
    const std::string text = m_box->GetValue().Strip(wxString::both).utf8_string();
    long value = 0;
    bool ok = !text.empty() && text.size() <= 9;
    for (char c : text)
        if (ok && std::isdigit(static_cast<unsigned char>(c)))
            value = value * 10 + (c - '0');
        else
            ok = false;
    if (!ok || value > m_most) {
        message = wxString::Format(wxString::FromUTF8("须为 0 到 %d 的整数"), m_most);
        return false;
    }
    seconds = int(value);
    return true;
}

void CAutosaveDialog::OnOk(wxCommandEvent&) {
    wxString message;
    if (!ReadSeconds(m_seconds, message)) {
        m_message->SetLabel(message);
        Layout();
        Fit();
        wxBell();
        return;
    }
    m_message->SetLabel(wxString());
    if (IsModal())
        EndModal(wxID_OK);
    else {
        SetReturnCode(wxID_OK);
        Hide();
    }
}

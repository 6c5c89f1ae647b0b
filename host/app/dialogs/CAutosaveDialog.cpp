#include "CAutosaveDialog.h"

#include "DialogParts.h"

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

    m_message = MakeMessageLine(*this);
    LayOutDialog(*this, row, m_message);
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
    const bool read = ReadSeconds(m_seconds, message);
    FinishOk(*this, m_message, read, message);
}

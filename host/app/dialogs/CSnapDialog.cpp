#include "CSnapDialog.h"

#include "DialogParts.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

wxString StepText(float step) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(step));
    return wxString::FromUTF8(text);
}

// The whole text (spaces around allowed) as a usable step: above 0, at most kMaxSnapStep.
bool ParseStep(const wxString& text, float& step) {
    const std::string s = text.Strip(wxString::both).utf8_str().data();
    if (s.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const float value = std::strtof(s.c_str(), &end);
    if (errno != 0 || end != s.c_str() + s.size() || !IsUsableSnapStep(value))
        return false;
    step = value;
    return true;
}

} // namespace

CSnapDialog::CSnapDialog(wxWindow* parent, const SnapSteps& steps)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8("吸附设置")), m_steps(steps) {
    auto* grid = new wxFlexGridSizer(2, wxSize(8, 6));
    auto addRow = [&](const char* label, float value) {
        grid->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(label)), 0,
                  wxALIGN_CENTER_VERTICAL);
        auto* box = new wxTextCtrl(this, wxID_ANY, StepText(value));
        grid->Add(box, 1, wxEXPAND);
        return box;
    };
    m_move = addRow("移动步长", steps.move);
    m_degrees = addRow("旋转角度 (°)", steps.degrees);
    m_scale = addRow("缩放步长", steps.scale);
    grid->AddGrowableCol(1);

    m_message = MakeMessageLine(*this);
    LayOutDialog(*this, grid, m_message);
    Bind(wxEVT_BUTTON, &CSnapDialog::OnOk, this, wxID_OK);
}

bool CSnapDialog::ReadSteps(SnapSteps& steps, wxString& message) const {
    SnapSteps read;
    const struct {
        wxTextCtrl* box;
        float* step;
        const char* name;
    } rows[] = {{m_move, &read.move, "移动步长"},
                {m_degrees, &read.degrees, "旋转角度"},
                {m_scale, &read.scale, "缩放步长"}};
    for (const auto& row : rows) {
        if (!ParseStep(row.box->GetValue(), *row.step)) {
            message =
                wxString::FromUTF8(row.name) + wxString::FromUTF8("须为大于 0、不超过 10000 的数");
            return false;
        }
    }
    steps = read;
    return true;
}

void CSnapDialog::OnOk(wxCommandEvent&) {
    wxString message;
    // A wrong box keeps the dialog open with the steps as they were.
    const bool read = ReadSteps(m_steps, message);
    FinishOk(*this, m_message, read, message);
}

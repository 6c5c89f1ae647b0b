// View › 吸附设置…: the small dialog that sets the steps a drag snaps to while Ctrl is held
// (move step in units, rotation step in degrees, scale step of the total factor).
#pragma once

#include "EditorTypes.h"

#include <wx/dialog.h>

class wxStaticText;
class wxTextCtrl;

class CSnapDialog : public wxDialog {
public:
    // Shows `steps` in its three boxes.
    CSnapDialog(wxWindow* parent, const SnapSteps& steps);

    // The three boxes as steps. False, with `message` saying which box is wrong, when one is
    // not a number, not above 0 or above kMaxSnapStep; `steps` is then left as it was.
    bool ReadSteps(SnapSteps& steps, wxString& message) const;
    // The steps accepted by 确定 (the ones shown at first until then).
    const SnapSteps& GetSteps() const { return m_steps; }

    // The controls, for tests.
    wxTextCtrl* GetMoveBox() const { return m_move; }
    wxTextCtrl* GetDegreesBox() const { return m_degrees; }
    wxTextCtrl* GetScaleBox() const { return m_scale; }
    wxStaticText* GetMessage() const { return m_message; }

private:
    // 确定: takes the steps and closes, or keeps the dialog open with the message shown.
    void OnOk(wxCommandEvent& event);

    SnapSteps m_steps;
    wxTextCtrl* m_move = nullptr;
    wxTextCtrl* m_degrees = nullptr;
    wxTextCtrl* m_scale = nullptr;
    wxStaticText* m_message = nullptr;
};

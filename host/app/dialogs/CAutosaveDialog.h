// 文件 › 自动保存间隔…: the small dialog that sets the seconds between recovery copies (0 turns
// autosave off).
#pragma once

#include <wx/dialog.h>

class wxStaticText;
class wxTextCtrl;

class CAutosaveDialog : public wxDialog {
public:
    // Shows `seconds`; `most` is the longest interval accepted.
    CAutosaveDialog(wxWindow* parent, int seconds, int most);

    // The box as seconds: false, with `message`, when it is not a whole number from 0 to the
    // most; `seconds` is then left as it was.
    bool ReadSeconds(int& seconds, wxString& message) const;
    // The seconds accepted by 确定 (the ones shown at first until then).
    int GetSeconds() const { return m_seconds; }

    wxTextCtrl* GetSecondsBox() const { return m_box; }
    wxStaticText* GetMessage() const { return m_message; }

private:
    // 确定: takes the seconds and closes, or keeps the dialog open with the message shown.
    void OnOk(wxCommandEvent& event);

    int m_seconds;
    int m_most;
    wxTextCtrl* m_box = nullptr;
    wxStaticText* m_message = nullptr;
};

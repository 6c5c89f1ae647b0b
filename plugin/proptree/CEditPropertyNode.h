// A property row edited in a text box: one line or several, plain text, a password, a real or
// a whole number. The box lies over the row's value area and is shown only while editing;
// otherwise the node paints the text into the list itself.
#pragma once

#include "CWindowPropertyNode.h"

#include <string>

class wxTextCtrl;
class wxKeyEvent;

class CEditPropertyNode : public CWindowPropertyNode {
public:
    CEditPropertyNode();
    ~CEditPropertyNode() override;

    // Creates the box (after InsertItem): `flags` are proptree::kEdit* (0x100 real, 0x200 whole,
    // 0x400 password, 0x40000 multi-line, which makes the row 75 pixels high), `extraStyle`
    // proptree::kEditReadOnly and kEditWantReturn. Answers false when the node is in no tree
    // or already has its box.
    bool CreateEditWindow(unsigned flags, long extraStyle = 0);

    // The number as "%.5f".
    void SetValue(float value);
    // The text as a number; false with 0 when it is not one (see proptree::ParseValue).
    bool GetValue(float& value) const;
    void SetText(const std::string& text);
    std::string GetText() const;

    unsigned GetFlags() const { return m_flags; }
    wxTextCtrl* GetEditWindow() const;

protected:
    void PaintValue(wxDC& dc, const wxRect& rect) override;
    // Below the text's offset while the box is shown, so its text stays where it was painted.
    wxRect GetWindowRect() const override;
    void ConnectWindow(wxWindow* window, bool on) override;
    void OnWindowOpened() override;
    bool OnWindowKey(const wxKeyEvent& event) override;

private:
    void OnChar(wxKeyEvent& event);
    // True for a key that types a character the row's number filter refuses.
    bool IsRefusedKey(const wxKeyEvent& event) const;

    int m_textOffset = 0;
    unsigned m_flags = 0;
    bool m_wantReturn = false;
};

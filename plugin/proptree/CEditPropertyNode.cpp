#include "CEditPropertyNode.h"

#include "CPropertyTreeWnd.h"
#include "PropertyTreeRules.h"

#include <wx/dc.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

using namespace proptree;

CEditPropertyNode::CEditPropertyNode() = default;

CEditPropertyNode::~CEditPropertyNode() = default;

bool CEditPropertyNode::CreateEditWindow(unsigned flags, long extraStyle) {
    wxWindow* parent = GetWindowParent();
    if (!parent)
        return false;
    long style = wxTE_PROCESS_ENTER | wxBORDER_NONE;
    if (flags & kEditMultiLine)
        style |= wxTE_MULTILINE;
    if (flags & kEditPassword)
        style |= wxTE_PASSWORD;
    if (extraStyle & kEditReadOnly)
        style |= wxTE_READONLY;
    auto* edit = new wxTextCtrl();
    if (!edit->Create(parent, GetId(), wxString(), wxDefaultPosition, wxDefaultSize, style)) {
        delete edit;
        return false;
    }
    m_flags = flags;
    m_wantReturn = (extraStyle & kEditWantReturn) != 0;
    if (flags & kEditMultiLine)
        SetHeight(kMultiLineRowHeight);
    edit->SetInsertionPoint(0);
    edit->ShowPosition(0);
    AttachWindow(edit);
    return true;
}

wxTextCtrl* CEditPropertyNode::GetEditWindow() const {
    return static_cast<wxTextCtrl*>(GetWindow());
}

void CEditPropertyNode::ConnectWindow(wxWindow* window, bool on) {
    Route(window, on, wxEVT_CHAR, &CEditPropertyNode::OnChar);
}

void CEditPropertyNode::SetValue(float value) {
    SetText(FormatValue(value));
}

bool CEditPropertyNode::GetValue(float& value) const {
    value = 0.0f;
    if (!GetEditWindow())
        return false;
    return ParseValue(GetText(), value);
}

void CEditPropertyNode::SetText(const std::string& text) {
    wxTextCtrl* edit = GetEditWindow();
    if (!edit)
        return;
    edit->ChangeValue(wxString::FromUTF8(text));
    RefreshControl();
}

std::string CEditPropertyNode::GetText() const {
    const wxTextCtrl* edit = GetEditWindow();
    if (!edit)
        return std::string();
    return std::string(edit->GetValue().utf8_str());
}

void CEditPropertyNode::PaintValue(wxDC& dc, const wxRect& rect) {
    std::string text = GetText();
    if (m_flags & kEditPassword)
        text = PasswordMask(text);
    const wxString shown = wxString::FromUTF8(text);
    const CPropertyTreeWnd* control = GetControl();
    dc.SetTextForeground(control && !control->IsEnabled()
                             ? wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)
                             : GetValueTextColor());
    const int textHeight = dc.GetCharHeight();
    if (m_flags & kEditMultiLine) {
        m_textOffset = 0;
        int y = rect.y;
        for (const wxString& line : wxSplit(shown, '\n', '\0')) {
            dc.DrawText(line, rect.x + 1, y);
            y += textHeight;
        }
    } else {
        m_textOffset = (rect.height - textHeight) / 2;
        wxString line = shown;
        line.Replace("\n", " ");
        dc.DrawText(line, rect.x + 1, rect.y + m_textOffset);
    }
}

wxRect CEditPropertyNode::GetWindowRect() const {
    wxRect rect = GetValueRect();
    if (IsEditing() || (GetWindow() && GetWindow()->IsShown())) {
        rect.y += m_textOffset;
        rect.height -= m_textOffset;
    }
    return rect;
}

void CEditPropertyNode::OnWindowOpened() {
    // After the focus: the toolkit selects the whole text when a box takes it.
    wxTextCtrl* edit = GetEditWindow();
    edit->SetSelection(0, 0);
    edit->SetInsertionPoint(0);
    edit->ShowPosition(0);
}

bool CEditPropertyNode::OnWindowKey(const wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !m_wantReturn) {
        // The list takes the focus back, which commits; commit here too in case it had it.
        FocusList();
        if (IsActive())
            EndEdit();
        return true;
    }
    // A number row refuses a character when its key goes down: by the time the character
    // itself arrives, the toolkit has already deleted the selected text it would replace.
    if ((m_flags & (kEditReal | kEditWhole)) && IsRefusedKey(event)) {
        wxBell();
        return true;
    }
    return false;
}

bool CEditPropertyNode::IsRefusedKey(const wxKeyEvent& event) const {
    if (event.AltDown() || event.MetaDown())
        return false;
    const int key = event.GetKeyCode();
    std::uint32_t ch = 0;
    if (event.ControlDown()) {
        // Ctrl with a letter types a control character (copy, cut, paste, undo, select all),
        // which the number filter refuses; other Ctrl keys move the caret.
        if (key < 'A' || key > 'Z')
            return false;
        ch = static_cast<std::uint32_t>(key - 'A' + 1);
    } else {
        const wxChar uni = event.GetUnicodeKey();
        // Keys that type no character (arrows, Home, Delete, Backspace's own handling, ...).
        if (uni == WXK_NONE || uni < 32 || uni == WXK_DELETE)
            return false;
        ch = static_cast<std::uint32_t>(uni);
    }
    return !EditCharAllowed(m_flags, ch);
}

void CEditPropertyNode::OnChar(wxKeyEvent& event) {
    const wxChar ch = event.GetUnicodeKey();
    // Keys were filtered when they went down; this catches characters that come without a
    // key of their own. Navigation keys and control combinations are not characters here.
    if (ch == WXK_NONE || (ch < 32 && ch != WXK_BACK) || ch == WXK_DELETE || event.ControlDown() ||
        event.AltDown()) {
        event.Skip();
        return;
    }
    if (EditCharAllowed(m_flags, static_cast<std::uint32_t>(ch)))
        event.Skip();
    else
        wxBell();
}

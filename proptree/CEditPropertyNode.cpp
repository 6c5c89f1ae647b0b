#include "CEditPropertyNode.h"

#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"
#include "PropertyTreeRules.h"

#include <wx/dc.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

using namespace proptree;

CEditPropertyNode::CEditPropertyNode() = default;

CEditPropertyNode::~CEditPropertyNode() {
    // The control calls OnRemove first; a node deleted outside a tree has no box.
    wxASSERT(!m_pEdit);
}

bool CEditPropertyNode::CreateEditWindow(unsigned flags, long extraStyle) {
    CPropertyTreeWnd* control = GetControl();
    if (!control || !control->GetListPane() || m_pEdit)
        return false;
    long style = wxTE_PROCESS_ENTER | wxBORDER_NONE;
    if (flags & kEditMultiLine)
        style |= wxTE_MULTILINE;
    if (flags & kEditPassword)
        style |= wxTE_PASSWORD;
    if (extraStyle & kEditReadOnly)
        style |= wxTE_READONLY;
    auto* edit = new wxTextCtrl();
    if (!edit->Create(control->GetListPane(), GetId(), wxString(), wxDefaultPosition, wxDefaultSize,
                      style)) {
        delete edit;
        return false;
    }
    m_pEdit = edit;
    m_flags = flags;
    m_wantReturn = (extraStyle & kEditWantReturn) != 0;
    m_pEdit->SetFont(CPropertyTreeWnd::GetNormalFont());
    m_pEdit->SetInsertionPoint(0);
    m_pEdit->ShowPosition(0);
    m_pEdit->Bind(wxEVT_SET_FOCUS, &CEditPropertyNode::OnSetFocus, this);
    m_pEdit->Bind(wxEVT_KILL_FOCUS, &CEditPropertyNode::OnKillFocus, this);
    m_pEdit->Bind(wxEVT_KEY_DOWN, &CEditPropertyNode::OnKeyDown, this);
    m_pEdit->Bind(wxEVT_CHAR, &CEditPropertyNode::OnChar, this);
    if (flags & kEditMultiLine)
        SetHeight(kMultiLineRowHeight);
    control->UpdateScrollRange();
    control->LayoutRows();
    m_pEdit->SetSize(GetValueRect());
    m_pEdit->Hide();
    RefreshControl();
    return true;
}

void CEditPropertyNode::SetValue(float value) {
    SetText(FormatValue(value));
}

bool CEditPropertyNode::GetValue(float& value) const {
    value = 0.0f;
    if (!m_pEdit)
        return false;
    return ParseValue(GetText(), value);
}

void CEditPropertyNode::SetText(const std::string& text) {
    if (!m_pEdit)
        return;
    m_pEdit->ChangeValue(wxString::FromUTF8(text));
    RefreshControl();
}

std::string CEditPropertyNode::GetText() const {
    if (!m_pEdit)
        return std::string();
    return std::string(m_pEdit->GetValue().utf8_str());
}

void CEditPropertyNode::DrawValue(wxDC& dc, const wxRect& rect) {
    if (!m_pEdit || m_editing)
        return;
    if (!m_pEdit->IsShown() && m_pEdit->GetRect() != rect)
        m_pEdit->SetSize(rect);
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

void CEditPropertyNode::PlaceBox() {
    if (!m_pEdit)
        return;
    wxRect rect = GetValueRect();
    if (m_editing || m_pEdit->IsShown()) {
        rect.y += m_textOffset;
        rect.height -= m_textOffset;
    }
    if (m_pEdit->GetRect() != rect)
        m_pEdit->SetSize(rect);
}

void CEditPropertyNode::HideBox() {
    if (!m_pEdit || !m_pEdit->IsShown())
        return;
    // A box hidden with the focus would leave the edit open and unseen: hand the focus to the
    // list, which ends the edit as any move within the control does.
    if (wxWindow::FindFocus() == m_pEdit && GetControl() && GetControl()->GetListPane())
        GetControl()->GetListPane()->SetFocus();
    if (!m_pEdit)
        return;
    m_pEdit->Hide();
    if (m_editing) {
        // The focus had left the control with the edit open and came back elsewhere in it:
        // the edit ends here, as it would have had the focus come straight back.
        m_editing = 0;
        CommitChanges();
    }
}

void CEditPropertyNode::OnActivate() {
    if (!m_pEdit)
        return;
    m_pEdit->Show();
    PlaceBox();
    m_pEdit->SetFocus();
    // After the focus: the toolkit selects the whole text when a box takes it.
    m_pEdit->SetSelection(0, 0);
    m_pEdit->SetInsertionPoint(0);
    m_pEdit->ShowPosition(0);
}

void CEditPropertyNode::OnLayout() {
    PlaceBox();
    if (m_pEdit && !m_editing)
        m_pEdit->Hide();
}

void CEditPropertyNode::OnMoved() {
    PlaceBox();
}

void CEditPropertyNode::OnCommit() {
    HideBox();
}

void CEditPropertyNode::OnSelect() {
    HideBox();
}

void CEditPropertyNode::OnDeselect() {
    HideBox();
}

void CEditPropertyNode::OnRemove() {
    if (!m_pEdit)
        return;
    wxTextCtrl* edit = m_pEdit;
    m_pEdit = nullptr;
    edit->Unbind(wxEVT_SET_FOCUS, &CEditPropertyNode::OnSetFocus, this);
    edit->Unbind(wxEVT_KILL_FOCUS, &CEditPropertyNode::OnKillFocus, this);
    edit->Unbind(wxEVT_KEY_DOWN, &CEditPropertyNode::OnKeyDown, this);
    edit->Unbind(wxEVT_CHAR, &CEditPropertyNode::OnChar, this);
    if (CPropertyTreeWnd* control = GetControl())
        control->DestroyLater(edit);
    else
        edit->Destroy();
}

bool CEditPropertyNode::IsInsideControl(const wxWindow* window) const {
    const CPropertyTreeWnd* control = GetControl();
    return control && window &&
           (window == control || control->IsDescendant(const_cast<wxWindow*>(window)));
}

void CEditPropertyNode::OnSetFocus(wxFocusEvent& event) {
    m_editing = 1;
    event.Skip();
}

void CEditPropertyNode::OnKillFocus(wxFocusEvent& event) {
    event.Skip();
    if (IsBeingDeleted() || !m_editing)
        return;
    if (IsInsideControl(event.GetWindow())) {
        m_editing = 0;
        CommitChanges();
        return;
    }
    if (event.GetWindow())
        return; // the focus left the control: nothing is committed
    // The toolkit did not say where the focus went: look once it has settled.
    const auto life = Life();
    m_pEdit->CallAfter([this, life] {
        if (life.expired() || !m_editing || !m_pEdit)
            return;
        wxWindow* focus = wxWindow::FindFocus();
        if (focus != m_pEdit && IsInsideControl(focus)) {
            m_editing = 0;
            CommitChanges();
        }
    });
}

void CEditPropertyNode::OnKeyDown(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    CPropertyTreeWnd* control = GetControl();
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !m_wantReturn) {
        // The list takes the focus back, which commits; commit here too in case it had it.
        const auto life = Life();
        if (control && control->GetListPane())
            control->GetListPane()->SetFocus();
        if (!life.expired() && IsActive()) {
            m_editing = 0;
            CommitChanges();
        }
        return;
    }
    if (key == WXK_TAB && control && control->GetListPane()) {
        // Tab moves on to the next row's editor, as it does from the list.
        CPropertyListPane* list = control->GetListPane();
        list->SetFocus();
        list->HandleKey(WXK_TAB, event.ShiftDown());
        return;
    }
    // A number row refuses a character when its key goes down: by the time the character
    // itself arrives, the toolkit has already deleted the selected text it would replace.
    if ((m_flags & (kEditReal | kEditWhole)) && IsRefusedKey(event)) {
        wxBell();
        return;
    }
    event.Skip();
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

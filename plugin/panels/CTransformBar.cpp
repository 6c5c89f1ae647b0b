#include "CTransformBar.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

namespace {

// The toolkit's id of a dialog bar.
constexpr int kDialogBarId = 0xE805;

} // namespace

CTransformBar::~CTransformBar() {
    Destroy();
}

bool CTransformBar::Create(wxWindow* parent) {
    if (!parent || m_window)
        return false;
    wxPanel* bar = wxXmlResource::Get()->LoadPanel(parent, "109");
    if (!bar)
        return false;
    bar->SetId(kDialogBarId);
    m_window = bar;
    m_edited = 0;
    // The bar's own writing raises no text event (ChangeValue): every event is an edit.
    for (const int id : TransformBarFields::kFieldIds) {
        if (auto* edit = wxDynamicCast(bar->FindWindow(id), wxTextCtrl))
            edit->Bind(wxEVT_TEXT, &CTransformBar::OnFieldText, this);
    }
    return true;
}

void CTransformBar::Destroy() {
    wxPanel* bar = m_window.get();
    if (!bar)
        return;
    bar->Destroy();
    m_window = nullptr;
    m_edited = 0;
}

bool CTransformBar::HasFocus() const {
    wxPanel* bar = m_window.get();
    for (wxWindow* window = wxWindow::FindFocus(); bar && window; window = window->GetParent()) {
        if (window == bar)
            return true;
    }
    return false;
}

void CTransformBar::OnFieldText(wxCommandEvent& event) {
    event.Skip();
    for (int i = 0; i < TransformBarFields::kFieldCount; ++i) {
        if (event.GetEventObject() == GetField(TransformBarFields::kFieldIds[i]))
            m_edited |= 1u << i;
    }
}

wxWindow* CTransformBar::GetField(int id) const {
    wxPanel* bar = m_window.get();
    return bar ? bar->FindWindow(id) : nullptr;
}

void CTransformBar::WriteText(int id, const std::string& text) {
    wxWindow* control = GetField(id);
    if (!control)
        return;
    const wxString value = wxString::FromUTF8(text);
    if (auto* edit = wxDynamicCast(control, wxTextCtrl)) {
        if (edit->GetValue() != value) {
            // No text event: the bar's own writing is not typing.
            edit->ChangeValue(value);
        }
    } else if (auto* label = wxDynamicCast(control, wxControl)) {
        // As is: an "&" in a name is shown, not taken as a mnemonic.
        if (label->GetLabelText() != value) {
            label->SetLabelText(value);
        }
    }
}

void CTransformBar::Fill(const TransformBarFields::Texts& texts, const std::string& name) {
    if (!m_window)
        return;
    for (int i = 0; i < TransformBarFields::kFieldCount; ++i)
        WriteText(TransformBarFields::kFieldIds[i], texts[i]);
    m_edited = 0;
    WriteText(TransformBarFields::kNameId, name);
}

TransformBarFields::Texts CTransformBar::ReadTexts() const {
    TransformBarFields::Texts texts;
    for (int i = 0; i < TransformBarFields::kFieldCount; ++i) {
        if (auto* edit = wxDynamicCast(GetField(TransformBarFields::kFieldIds[i]), wxTextCtrl))
            texts[i] = edit->GetValue().utf8_str().data();
    }
    return texts;
}

#include "CDialogParameter.h"

#include "CNumericEdit.h"
#include "IPanelOwner.h"
#include "PanelText.h"
#include "ToolIds.h"
#include "CSceneManager.h"
#include "SceneEntity.h"
#include "StatusText.h"
#include "TransformChannel.h"

#include <OgreEntity.h>
#include <OgreSubEntity.h>

#include <wx/brush.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

#include <vector>

namespace {

constexpr int kShow = 5;
constexpr int kHide = 0;
constexpr int kNameIndex = 9;

// The channel (a row of three: position, rotation, scale) and axis of value edit `index` (0..8).
const TransformChannel& ChannelOfEdit(int index) {
    return kTransformChannels[index / 3];
}
COORDINATE_AXIS AxisOf(int index) {
    return static_cast<COORDINATE_AXIS>(index % 3);
}

std::string Utf8(const wxString& text) {
    const wxScopedCharBuffer buffer = text.utf8_str();
    return std::string(buffer.data(), buffer.length());
}

} // namespace

CDialogParameter::CDialogParameter() = default;

CDialogParameter::~CDialogParameter() {
    ReleaseGdi();
}

bool CDialogParameter::CreateFromTemplate(wxWindow* parent) {
    if (!parent || GetHandle())
        return false;
    if (!wxXmlResource::Get()->LoadPanel(this, parent, "108"))
        return false;
    BindControls();
    Bind(wxEVT_CHAR_HOOK, &CDialogParameter::OnCharHook, this);
    Bind(wxEVT_CHECKBOX, &CDialogParameter::OnPlanMap, this, ID_PARAM_PLAN_MAP);
    Bind(wxEVT_CHECKBOX, &CDialogParameter::OnGroundFollow, this, ID_PARAM_GROUND_FOLLOW);
    Bind(wxEVT_BUTTON, &CDialogParameter::OnSnap, this, ID_PARAM_SNAP);
    Bind(wxEVT_DESTROY, &CDialogParameter::OnDestroyWindow, this);
    return OnInitDialog();
}

void CDialogParameter::BindControls() {
    for (int i = 0; i < 9; ++i)
        m_edits[i] = wxDynamicCast(FindWindow(ID_PARAM_POS_X + i), wxTextCtrl);
    m_nameEdit = wxDynamicCast(FindWindow(ID_PARAM_NAME), wxTextCtrl);
    m_meshInfo = wxDynamicCast(FindWindow(ID_PARAM_MESH_INFO), wxStaticText);
    m_planMap = wxDynamicCast(FindWindow(ID_PARAM_PLAN_MAP), wxCheckBox);
    m_groundFollow = wxDynamicCast(FindWindow(ID_PARAM_GROUND_FOLLOW), wxCheckBox);
    m_snap = wxDynamicCast(FindWindow(ID_PARAM_SNAP), wxButton);
    // The template builds the value edits as CNumericEdit; one that is not is our bug.
    for (wxTextCtrl* edit : m_edits)
        wxASSERT_MSG(wxDynamicCast(edit, CNumericEdit), "template 108: value edit class");
    for (wxTextCtrl* edit : m_edits) {
        if (!edit)
            continue;
        edit->Bind(wxEVT_TEXT, &CDialogParameter::OnEditText, this);
        edit->Bind(wxEVT_KILL_FOCUS, &CDialogParameter::OnEditKillFocus, this);
    }
    if (m_nameEdit) {
        m_nameEdit->Bind(wxEVT_TEXT, &CDialogParameter::OnEditText, this);
        m_nameEdit->Bind(wxEVT_KILL_FOCUS, &CDialogParameter::OnEditKillFocus, this);
    }
}

bool CDialogParameter::OnInitDialog() {
    if (m_nameEdit) {
        wxFont font = m_nameEdit->GetFont();
        font.SetNumericWeight(700);
        m_nameFont = new wxFont(font);
        m_nameEdit->SetFont(*m_nameFont);
    }
    m_nameBrush = new wxBrush(wxColour(0xCD, 0xCD, 0xCD));
    if (m_nameEdit)
        m_nameEdit->SetBackgroundColour(m_nameBrush->GetColour());
    Refresh(kHide, true, NOTIFY_RENAMED);
    // The host builds the window when the tool's page is first shown, which may be after
    // the selection was made: show it now as the selection notification would have.
    if (m_sceneManager && !m_sceneManager->getSelectedEntities().empty())
        OnSceneNotify(nullptr, NOTIFY_SELECTION);
    return true;
}

int CDialogParameter::OnSceneNotify(SceneEntity* entity, int code) {
    int showState = kHide;
    bool showAll = false;
    if (code == NOTIFY_SCENE_RESET) {
        m_entity = nullptr;
        showAll = true;
    } else if (code == NOTIFY_SELECTION && m_sceneManager) {
        if (m_entity && !m_sceneManager->isEntitySelected(m_entity->GetName())) {
            m_entity = nullptr;
            showAll = true;
        }
        const std::set<std::string>& selected = m_sceneManager->getSelectedEntities();
        if (!selected.empty()) {
            m_entity = m_sceneManager->getSceneEntity(*selected.begin());
            showState = kShow;
            showAll = true;
        }
    } else if (code == NOTIFY_REMOVED && entity && entity == m_entity) {
        m_entity = nullptr;
        showAll = true;
    }
    if (!GetHandle() || m_destroying)
        return 1;
    const bool ownValues = !entity || entity == m_entity;
    Refresh(showState, showAll, code, ownValues);
    return 0;
}

void CDialogParameter::Refresh(int showState, bool showAll, int code, bool ownValues) {
    if (m_entity) {
        if (code == NOTIFY_RENAMED || code == NOTIFY_SELECTION) {
            if (m_nameEdit &&
                (!m_shown[kNameIndex].valid || m_shown[kNameIndex].text != m_entity->GetName())) {
                m_nameEdit->ChangeValue(wxString::FromUTF8(m_entity->GetName()));
                m_shown[kNameIndex].text = m_entity->GetName();
                m_shown[kNameIndex].valid = true;
                ++m_controlWrites;
            }
        }
        // A row of three edits per channel, refreshed on a new selection or on its own
        // notification about the shown entity.
        for (const TransformChannel& channel : kTransformChannels) {
            if (code != NOTIFY_SELECTION && (code != channel.notifyCode || !ownValues))
                continue;
            const Ogre::Vector3 values = channel.Get(*m_entity);
            for (int axis = 0; axis < 3; ++axis)
                WriteEdit(channel.slot * 3 + axis,
                          PanelText::FormatValue(values[axis], channel.kind));
        }
        if (m_planMap) {
            const bool planMap = (m_entity->GetState() & STATE_PLAN_MAP) != 0;
            if (m_planMap->GetValue() != planMap)
                m_planMap->SetValue(planMap);
        }
    }
    if (showAll)
        ShowControls(showState == kShow);
    if (UpdateLightPage(m_entity)) {
        if (m_meshInfo)
            m_meshInfo->Hide();
    } else if (code == NOTIFY_SELECTION || code == NOTIFY_REMOVED) {
        if (m_meshInfo)
            m_meshInfo->Show();
        UpdateMeshInfo(m_entity);
    }
}

void CDialogParameter::ShowControls(bool show) {
    for (int id = ID_PARAM_LABEL_FIRST; id <= ID_PARAM_LABEL_LAST; ++id) {
        if (wxWindow* label = FindWindow(id))
            label->Show(show);
    }
    wxWindow* const controls[] = {m_edits[0], m_edits[1],     m_edits[2], m_edits[3], m_edits[4],
                                  m_edits[5], m_edits[6],     m_edits[7], m_edits[8], m_nameEdit,
                                  m_planMap,  m_groundFollow, m_snap};
    for (wxWindow* control : controls) {
        if (control)
            control->Show(show);
    }
}

bool CDialogParameter::UpdateLightPage(SceneEntity* entity) {
    return m_lightPage.Update(entity, m_plugin);
}

void CDialogParameter::UpdateMeshInfo(SceneEntity* entity) {
    if (!m_meshInfo)
        return;
    std::string text;
    if (entity) {
        std::vector<std::string> materials;
        if (Ogre::Entity* shown = entity->GetOgreEntity()) {
            const std::size_t count = shown->getNumSubEntities();
            for (std::size_t i = 0; i < count; ++i)
                materials.push_back(shown->getSubEntity(i)->getMaterialName());
        }
        const float height = entity->GetBoundsMax().y - entity->GetBoundsMin().y;
        text = PanelText::MeshInfoText(entity->getMovableObjectName(), height, materials);
    }
    if (m_meshTextValid && text == m_meshText)
        return;
    // The text is shown as it is: no mnemonics.
    m_meshInfo->SetLabelText(wxString::FromUTF8(text));
    m_meshText = text;
    m_meshTextValid = true;
    ++m_controlWrites;
}

void CDialogParameter::WriteEdit(int index, const std::string& text, bool force) {
    wxTextCtrl* edit = m_edits[index];
    Shown& shown = m_shown[index];
    if (!edit || (!force && shown.valid && shown.text == text))
        return;
    edit->ChangeValue(wxString::FromUTF8(text));
    shown.text = text;
    shown.valid = true;
    ++m_controlWrites;
}

int CDialogParameter::EditIndex(const wxObject* control) const {
    for (int i = 0; i < 9; ++i) {
        if (control && control == m_edits[i])
            return i;
    }
    if (control && control == m_nameEdit)
        return kNameIndex;
    return -1;
}

void CDialogParameter::OnEditText(wxCommandEvent& event) {
    // Whatever changed the text (typing, pasting, a program), the edit no longer shows what
    // the panel wrote.
    const int index = EditIndex(event.GetEventObject());
    if (index >= 0)
        m_shown[index].valid = false;
    event.Skip();
}

void CDialogParameter::OnEditKillFocus(wxFocusEvent& event) {
    event.Skip();
    if (!m_destroying)
        ApplyEditAt(EditIndex(event.GetEventObject()));
}

void CDialogParameter::ApplyFocusedEdit() {
    if (!m_destroying)
        ApplyEditAt(EditIndex(wxWindow::FindFocus()));
}

void CDialogParameter::ApplyEditAt(int index) {
    if (index == kNameIndex)
        ApplyName();
    else if (index >= 0)
        ApplyEdit(index);
}

void CDialogParameter::ApplyEdit(int index) {
    wxTextCtrl* edit = m_edits[index];
    if (!m_entity || !m_plugin || !edit)
        return;
    // Leaving an edit nobody changed since the panel wrote it applies nothing: the text holds
    // the value rounded to three decimals, and applying it would change what nobody typed.
    // Once edited, the text is applied even when it reads like what was shown.
    if (m_shown[index].valid)
        return;
    const std::string text = Utf8(edit->GetValue());
    const TransformChannel& channel = ChannelOfEdit(index);
    const int kind = channel.kind;
    const COORDINATE_AXIS axis = AxisOf(index);
    const float current = channel.Get(*m_entity)[axis];
    // Pasted text may hold characters the edit refuses when typed: refused as a whole.
    if (!PanelText::IsNumericEditText(text)) {
        wxBell();
        WriteEdit(index, PanelText::FormatValue(current, kind), true);
        StatusText::Show(m_plugin->GetHost(), StatusText::kNotANumber);
        return;
    }
    const PanelText::EditValue typed = PanelText::ReadEdit(text, kind, current);
    switch (typed.verdict) {
    case PanelText::EditVerdict::Unchanged:
        return; // the typed text stays
    case PanelText::EditVerdict::Refused:
        WriteEdit(index, PanelText::FormatValue(current, kind), true);
        StatusText::Show(m_plugin->GetHost(), StatusText::kNotANumber);
        return;
    case PanelText::EditVerdict::Apply:
        break;
    }
    Ogre::Vector3 value(0.0f, 0.0f, 0.0f);
    value[axis] = typed.value;
    m_plugin->ApplyTransform(value, axis, kind);
    // The notifications refreshed the edits of every entity that changed; read the component
    // back in any case, so the edit shows what the entity kept.
    if (m_entity)
        WriteEdit(index, PanelText::FormatValue(channel.Get(*m_entity)[axis], kind), true);
}

void CDialogParameter::ApplyName() {
    if (!m_entity || !m_plugin || !m_nameEdit)
        return;
    const std::string name =
        PanelText::CutText(Utf8(m_nameEdit->GetValue()), PanelText::kMaxNameBytes);
    if (!name.empty())
        m_plugin->RenameEntity(m_entity, name.c_str());
}

void CDialogParameter::OnCharHook(wxKeyEvent& event) {
    // Keys typed in the light page are the page's: Enter commits a row there, Escape ends an
    // edit.
    if (m_lightPage.HasFocus()) {
        event.Skip();
        return;
    }
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE)
        return; // consumed: the panel stays as it is
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        MoveFocusToNextControl();
        return;
    }
    event.Skip();
}

void CDialogParameter::MoveFocusToNextControl() {
    wxWindow* focused = wxWindow::FindFocus();
    std::vector<wxWindow*> stops;
    int at = -1;
    for (wxWindow* child : GetChildren()) {
        if (child == focused)
            at = static_cast<int>(stops.size());
        if (child == focused ||
            (child->IsShown() && child->IsEnabled() && child->CanAcceptFocusFromKeyboard()))
            stops.push_back(child);
    }
    if (at < 0)
        return;
    wxWindow* target = nullptr;
    if (at + 1 < static_cast<int>(stops.size()))
        target = stops[at + 1];
    else if (at > 0)
        target = stops[at - 1];
    if (!target)
        return;
    target->SetFocus();
    // The whole text selected; the native edit keeps its caret in view.
    if (auto* edit = wxDynamicCast(target, wxTextCtrl))
        edit->SetSelection(-1, -1);
}

void CDialogParameter::OnPlanMap(wxCommandEvent& event) {
    if (!m_entity || !m_sceneManager)
        return;
    const bool checked = event.IsChecked();
    // Not undoable and not announced: the flag only changes how the plan map draws.
    for (SceneEntity* entity = m_sceneManager->beginSelected(); entity;
         entity = m_sceneManager->nextSelected()) {
        if (checked)
            entity->AddState(STATE_PLAN_MAP);
        else
            entity->RemoveState(STATE_PLAN_MAP);
    }
}

void CDialogParameter::OnGroundFollow(wxCommandEvent& event) {
    if (m_plugin)
        m_plugin->SetGroundFollow(event.IsChecked());
}

void CDialogParameter::OnSnap(wxCommandEvent&) {
    if (m_plugin)
        m_plugin->SnapToGround();
}

void CDialogParameter::OnDestroyWindow(wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == this) {
        // Children lose the focus while they go: nothing is applied from here on.
        m_destroying = true;
        ReleaseGdi();
    }
    event.Skip();
}

void CDialogParameter::ReleaseGdi() {
    delete m_nameFont;
    m_nameFont = nullptr;
    delete m_nameBrush;
    m_nameBrush = nullptr;
}

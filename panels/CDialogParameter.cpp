#include "CDialogParameter.h"

#include "IPanelOwner.h"
#include "ToolIds.h"
#include "CSceneManager.h"
#include "SceneEntity.h"

#include <wx/brush.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

namespace {

constexpr int kShow = 5;
constexpr int kHide = 0;

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
    Bind(wxEVT_CHECKBOX, &CDialogParameter::OnGroundFollow, this, ID_PARAM_GROUND_FOLLOW);
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
    RefreshPanel(kHide, true, NOTIFY_RENAMED);
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
    if (!GetHandle())
        return 1;
    RefreshPanel(showState, showAll, code);
    return 0;
}

void CDialogParameter::RefreshPanel(int showState, bool showAll, int) {
    if (!showAll)
        return;
    const bool show = showState == kShow;
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

void CDialogParameter::OnGroundFollow(wxCommandEvent& event) {
    if (m_plugin)
        m_plugin->SetGroundFollow(event.IsChecked());
}

void CDialogParameter::OnDestroyWindow(wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == this)
        ReleaseGdi();
    event.Skip();
}

void CDialogParameter::ReleaseGdi() {
    delete m_nameFont;
    m_nameFont = nullptr;
    delete m_nameBrush;
    m_nameBrush = nullptr;
}

// The side panel of the transform tool (template 108): name, local position, rotation in
// degrees and scale of the current entity, two check boxes, a snap button and mesh text.
#pragma once


#include <wx/panel.h>

class CSceneManager;
class IPanelOwner;
class SceneEntity;
class wxBrush;
class wxCheckBox;
class wxButton;
class wxFont;
class wxStaticText;
class wxTextCtrl;
class wxWindowDestroyEvent;
class wxCommandEvent;

class CDialogParameter : public wxPanel {
public:
    CDialogParameter();
    ~CDialogParameter() override;

    // Loads template 108 as a child of parent and initialises it. False when it cannot.
    bool CreateFromTemplate(wxWindow* parent);

    void SetSceneManager(CSceneManager* sceneManager) { m_sceneManager = sceneManager; }
    int SetPlugin(IPanelOwner* plugin) {
        m_plugin = plugin;
        return 1;
    }
    // 1 while the window does not exist (nothing done), else 0.
    int OnSceneNotify(SceneEntity* entity, int code);

    SceneEntity* GetCurrentEntity() const { return m_entity; }
    CSceneManager* GetSceneManager() const { return m_sceneManager; }
    IPanelOwner* GetPlugin() const { return m_plugin; }
    const wxFont* GetNameFont() const { return m_nameFont; }
    const wxBrush* GetNameBrush() const { return m_nameBrush; }

private:
    bool OnInitDialog();
    void BindControls();
    void RefreshPanel(int showState, bool showAll, int code);
    void OnGroundFollow(wxCommandEvent& event);
    void OnDestroyWindow(wxWindowDestroyEvent& event);
    void ReleaseGdi();

    CSceneManager* m_sceneManager = nullptr;
    SceneEntity* m_entity = nullptr;
    wxFont* m_nameFont = nullptr;
    wxBrush* m_nameBrush = nullptr;
    IPanelOwner* m_plugin = nullptr;
    wxTextCtrl* m_edits[9] = {};
    wxTextCtrl* m_nameEdit = nullptr;
    wxStaticText* m_meshInfo = nullptr;
    wxCheckBox* m_planMap = nullptr;
    wxCheckBox* m_groundFollow = nullptr;
    wxButton* m_snap = nullptr;
};

// The side panel of the transform tool (template 108): name, local position, rotation in
// degrees and scale of the current entity, two check boxes, a snap button and mesh text.
//
// The current entity is the selected entity whose name sorts first. Scene notifications
// refresh what they concern; a value typed into an edit is applied to every selected entity
// when the edit loses the focus, as one undo step through the plug-in object.
//
// Refreshing stays cheap during a drag of many entities: a notification about another entity
// does not touch the value edits (an entity's local values change only with notifications
// about itself), and a control is written only when its text differs from what it shows.
#pragma once

#include "CLightPage.h"

#include <wx/panel.h>

#include <string>

class CSceneManager;
class IPanelOwner;
class SceneEntity;
class wxBrush;
class wxCheckBox;
class wxButton;
class wxFont;
class wxKeyEvent;
class wxFocusEvent;
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
    // Applies the edit that has the keyboard focus, as leaving it does. A press in a view takes
    // the focus, but the toolkit may tell the edit only after the press has begun a drag: the
    // typed value must land first, so that the drag starts from it and its step comes after.
    // Leaving the edit afterwards applies nothing more.
    void ApplyFocusedEdit();

    SceneEntity* GetCurrentEntity() const { return m_entity; }
    CSceneManager* GetSceneManager() const { return m_sceneManager; }
    IPanelOwner* GetPlugin() const { return m_plugin; }
    const wxFont* GetNameFont() const { return m_nameFont; }
    // How many times a control's text was written (tests of the refresh cost).
    long GetControlWrites() const { return m_controlWrites; }
    const CLightPage& GetLightPage() const { return m_lightPage; }

private:
    // What one edit shows: the text the panel last wrote, and whether the control still holds
    // it untouched (typing, pasting or a programmatic change clears that: the edit was
    // edited since it was filled, and leaving it applies what it holds).
    struct Shown {
        std::string text;
        bool valid = false;
    };

    bool OnInitDialog();
    void BindControls();
    // `ownValues` false: the notification concerns another entity, so the current entity's
    // values are unchanged and the value edits are left as they are.
    void Refresh(int showState, bool showAll, int code, bool ownValues = true);
    void ShowControls(bool show);
    // The light page takes the lower part of the panel for a light. True when it is shown.
    bool UpdateLightPage(SceneEntity* entity);
    void UpdateMeshInfo(SceneEntity* entity);
    void WriteEdit(int index, const std::string& text, bool force = false);
    // The edit at `index` (a transform edit, kNameIndex, or -1 for none) applied.
    void ApplyEditAt(int index);
    void ApplyEdit(int index);
    void ApplyName();
    void OnEditText(wxCommandEvent& event);
    void OnEditKillFocus(wxFocusEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void MoveFocusToNextControl();
    void OnPlanMap(wxCommandEvent& event);
    void OnGroundFollow(wxCommandEvent& event);
    void OnSnap(wxCommandEvent& event);
    void OnDestroyWindow(wxWindowDestroyEvent& event);
    void ReleaseGdi();
    int EditIndex(const wxObject* control) const;

    CSceneManager* m_sceneManager = nullptr;
    SceneEntity* m_entity = nullptr;
    wxFont* m_nameFont = nullptr;
    wxBrush* m_nameBrush = nullptr;
    IPanelOwner* m_plugin = nullptr;
    // The nine value edits (position, rotation, scale; X, Y, Z each) and the name edit, which
    // is index 9 of `m_shown`.
    wxTextCtrl* m_edits[9] = {};
    wxTextCtrl* m_nameEdit = nullptr;
    wxStaticText* m_meshInfo = nullptr;
    wxCheckBox* m_planMap = nullptr;
    wxCheckBox* m_groundFollow = nullptr;
    wxButton* m_snap = nullptr;

    Shown m_shown[10];
    std::string m_meshText;
    bool m_meshTextValid = false;
    bool m_destroying = false;
    long m_controlWrites = 0;
    // The light properties page; its tree is built on the first light.
    CLightPage m_lightPage{this};
};

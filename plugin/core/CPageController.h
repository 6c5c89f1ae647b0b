// The tool's page: the side panel shown in the side area, the gizmo it shows over the views
// (built at load, laid out per frame and per view, removed at unload), the engine's frame
// listener that runs the plug-in's frame step, the scene notifications the gizmo and the side
// panel follow, and View > frame the selection.
#pragma once

#include "EditorTypes.h"

#include <memory>

class CMapSelectMgr;
class CModeController;
class CPanelHost;
class CSceneManager;
class CTranslate;
class CTranslateListener;
class IView;
class Interface;

class CPageController {
public:
    // `mode` gives the tool's cursor the page shows; `plugin` is the panels' owner and what the
    // frame listener runs the frame step of.
    CPageController(Interface* host, CSceneManager* scene, CMapSelectMgr& gizmo,
                    CPanelHost& panelHost, const CModeController& mode, CTranslate* plugin);
    // A listener still added (no unload came) is taken off the engine.
    ~CPageController();
    CPageController(const CPageController&) = delete;
    CPageController& operator=(const CPageController&) = delete;

    // Hands the panel its owner, builds the gizmo in the engine and adds the frame listener
    // (one only, however often it is called). A failure of one step is logged and the next
    // runs.
    void Install();
    // Removes the gizmo from the engine, takes the panel out of the side area and destroys its
    // window, and takes the frame listener off the engine.
    void Remove();

    void ShowPage();
    void HidePage();

    // A scene reset (entity null), a selection change or a change of one entity: the gizmo
    // and the side panel follow it.
    void OnSceneChange(void* entity, int code);
    // The same for the gizmo alone, and for the side panel alone.
    void OnGizmoChange(void* entity, int code);
    void OnPanelChange(void* entity, int code);
    // Moves the view's camera so that the selected entities' bounds fill it (a default box
    // for an empty selection). Always 1.
    int FrameSelection(IView* view);
    void Hover(int a, int b);
    // Lays the gizmo out for view n as it is about to be drawn, while the page is shown.
    void ViewUpdate(IView* view, int viewNumber);
    // One frame: the editor's axes setting taken and view 0 laid out.
    void FrameStep();

    int IsPageShown() const { return m_pageShown; }
    CTranslateListener* GetListener() const { return m_listener.get(); }

private:
    Interface* m_host;
    CSceneManager* m_scene;
    CMapSelectMgr& m_gizmo;
    CPanelHost& m_panelHost;
    const CModeController& m_mode;
    CTranslate* m_plugin;
    std::unique_ptr<CTranslateListener> m_listener;
    int m_pageShown = 0;
};

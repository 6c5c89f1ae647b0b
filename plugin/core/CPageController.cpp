// The page, the gizmo's presence in the engine and the views, and the frame listener.
#include "CPageController.h"

#include "CDialogParameter.h"
#include "CMapSelectMgr.h"
#include "CModeController.h"
#include "CPanelHost.h"
#include "CSceneManager.h"
#include "CTranslate.h"
#include "CTranslateListener.h"
#include "GizmarkResources.h"
#include "Guarded.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <OgreRoot.h>

#include <string>

namespace {

// The box framed for an empty selection, and the clip distances of a framed view.
constexpr float kDefaultHalfSize = 12.0f;
constexpr float kFramedNearClip = 0.03f;
constexpr float kFramedFarClip = 30000.0f;

} // namespace

CPageController::CPageController(Interface* host, CSceneManager* scene, CMapSelectMgr& gizmo,
                                 CPanelHost& panelHost, const CModeController& mode,
                                 CTranslate* plugin)
    : m_host(host), m_scene(scene), m_gizmo(gizmo), m_panelHost(panelHost), m_mode(mode),
      m_plugin(plugin) {}

CPageController::~CPageController() {
    // The unload notification normally removed the listener; a plug-in deleted without it must
    // not leave the engine calling into a deleted object.
    if (m_listener) {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener.get());
    }
}

void CPageController::Install() {
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->SetPlugin(m_plugin);
    // An engine or library failure in one step must not stop the sequence.
    GuardedStep("building the gizmo", [&] {
        // The gizmo's materials are cloned from this one.
        EnsureSelectTerrainMaterial();
        IEngineAccess* engine = m_host->engineAccess();
        m_gizmo.Create(engine ? engine->gameEngine() : nullptr, m_host->viewHost());
    });
    GuardedStep("adding the frame listener", [&] {
        // One listener only: a second one would stay with the engine after unload and call
        // into a deleted plug-in.
        if (!m_listener)
            m_listener = std::make_unique<CTranslateListener>(m_plugin);
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->addFrameListener(m_listener.get());
    });
}

void CPageController::Remove() {
    // Nothing of the gizmo may stay in the scene (drawn over the entities) once its code is
    // gone.
    GuardedStep("removing the gizmo", [&] {
        m_gizmo.RemoveFromEngine();
        ReleaseSelectTerrainMaterial();
    });
    // The host must not keep showing a panel that is about to go.
    IViewHost* viewHost = m_host->viewHost();
    if (m_pageShown && viewHost)
        viewHost->setSidePanel(nullptr);
    m_panelHost.DestroyWindow();
    GuardedStep("removing the frame listener", [&] {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener.get());
    });
    m_listener.reset();
}

void CPageController::ShowPage() {
    IViewHost* viewHost = m_host->viewHost();
    m_pageShown = 1;
    if (viewHost) {
        viewHost->setCursor(m_mode.GetCursor());
        viewHost->setSidePanel(&m_panelHost);
    }
    m_panelHost.Show(1);
}

void CPageController::HidePage() {
    IViewHost* viewHost = m_host->viewHost();
    m_pageShown = 0;
    if (viewHost)
        viewHost->setSidePanel(nullptr);
    m_panelHost.Show(0);
    if (m_gizmo.HasEntity()) {
        m_gizmo.HideAll();
        if (viewHost)
            viewHost->redraw();
    }
    if (viewHost)
        viewHost->setCursor(nullptr);
}

void CPageController::OnSceneChange(void* entity, int code) {
    OnGizmoChange(entity, code);
    OnPanelChange(entity, code);
}

void CPageController::OnGizmoChange(void* entity, int code) {
    m_gizmo.OnSceneNotify(entity, m_pageShown, code);
}

void CPageController::OnPanelChange(void* entity, int code) {
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->OnSceneNotify(static_cast<SceneEntity*>(entity), code);
}

int CPageController::FrameSelection(IView* view) {
    if (!view)
        return 1;
    Ogre::Vector3 minCorner(-kDefaultHalfSize, -kDefaultHalfSize, -kDefaultHalfSize);
    Ogre::Vector3 maxCorner(kDefaultHalfSize, kDefaultHalfSize, kDefaultHalfSize);
    if (m_scene) {
        bool first = true;
        for (const std::string& name : m_scene->getSelectedEntities()) {
            SceneEntity* entity = m_scene->getSceneEntity(name);
            if (!entity)
                continue;
            const Ogre::Vector3 low = entity->GetBoundsMin();
            const Ogre::Vector3 high = entity->GetBoundsMax();
            if (first) {
                minCorner = low;
                maxCorner = high;
                first = false;
            } else {
                minCorner.makeFloor(low);
                maxCorner.makeCeil(high);
            }
        }
    }
    view->frameBox(minCorner, maxCorner, kFramedNearClip, kFramedFarClip);
    return 1;
}

void CPageController::Hover(int a, int b) {
    if (m_pageShown)
        m_gizmo.OnHover(a, b);
}

void CPageController::ViewUpdate(IView* view, int viewNumber) {
    if (m_pageShown == 1 && view) {
        m_gizmo.SetOptions(m_host->gizmoOptions());
        m_gizmo.UpdateView(view, viewNumber);
    }
}

void CPageController::FrameStep() {
    // The editor's axes setting shows from the next frame on.
    m_gizmo.SetOptions(m_host->gizmoOptions());
    IViewHost* viewHost = m_host->viewHost();
    IView* view = viewHost ? viewHost->view(0) : nullptr;
    if (view)
        m_gizmo.UpdateView(view, 0);
}

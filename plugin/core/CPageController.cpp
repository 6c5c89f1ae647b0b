#include "CPageController.h"

#include "CMapSelectMgr.h"
#include "CDialogParameter.h"
#include "CPanelHost.h"
#include "CSceneManager.h"
#include "GizmarkResources.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <wx/cursor.h>

#include <string>

namespace {

// The box framed for an empty selection, and the clip distances of a framed view.
constexpr float kDefaultHalfSize = 12.0f;
constexpr float kFramedNearClip = 0.03f;
constexpr float kFramedFarClip = 30000.0f;

} // namespace

CPageController::CPageController(Interface* host, CSceneManager* scene, CMapSelectMgr& gizmo,
                                 CPanelHost& panelHost)
    : m_host(host), m_scene(scene), m_gizmo(gizmo), m_panelHost(panelHost) {}

CPageController::~CPageController() = default;

void CPageController::CreateCursor() {
    if (!m_cursor)
        m_cursor.reset(CreateGizmarkCursor());
}

void CPageController::ReleaseCursor() {
    m_cursor.reset();
}

void CPageController::ShowPage() {
    IViewHost* viewHost = m_host->viewHost();
    m_pageShown = 1;
    if (viewHost) {
        viewHost->setCursor(m_cursor.get());
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

void CPageController::EngageTool() {
    m_toolEngaged = 1;
    if (IViewHost* viewHost = m_host->viewHost())
        viewHost->setCursor(m_cursor.get());
}

void CPageController::ReleaseTool() {
    m_toolEngaged = 0;
    m_gizmo.OnPointerHover(nullptr, 0, -1, -1);
}

void CPageController::OnSceneChange(void* entity, int code) {
    m_gizmo.OnSceneNotify(entity, m_pageShown, code);
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
    if (!m_toolEngaged)
        m_gizmo.HideAll();
    else if (viewHost)
        viewHost->setCursor(m_cursor.get());
}

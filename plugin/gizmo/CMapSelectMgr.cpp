// The gizmo manager's state: construction, mode, visibility and following the host selection.
#include "CMapSelectMgr.h"

#include "CGameEngine.h"
#include "CSceneManager.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <OgreSceneNode.h>

CMapSelectMgr::CMapSelectMgr() {
    for (auto& v : m_axisTemplate)
        v = Ogre::Vector3::ZERO;
    for (auto& v : m_axisLine)
        v = Ogre::Vector3::ZERO;
    for (auto& v : m_axisPositions)
        v = Ogre::Vector3::ZERO;
    for (int k = 0; k < GizmoGeometry::kRingTemplatePoints; ++k)
        m_innerRing[k] = m_outerRing[k] = m_ringScratch[k] = Ogre::Vector3::ZERO;
    for (GizmoViewState* states : {m_views, m_savedViews}) {
        for (int n = 0; n < GizmoGeometry::kViewCount; ++n) {
            GizmoViewState& s = states[n];
            for (int& f : s.shown)
                f = 0;
            for (int& c : s.ringCount)
                c = 0;
            for (auto& ring : s.ringPoints)
                for (auto& p : ring)
                    p = Ogre::Vector3::ZERO;
            s.entityRotation = Ogre::Matrix4::IDENTITY;
            for (auto& m : s.elements)
                m = Ogre::Matrix4::IDENTITY;
            for (auto& p : s.axisPoints)
                p = Ogre::Vector3::ZERO;
            s.viewFacing = Ogre::Matrix4::IDENTITY;
            s.sizeFactor = 0.0f;
            s.viewNormal = Ogre::Vector3::UNIT_Z;
            s.ringAxis = Ogre::Vector3::UNIT_Z;
        }
    }
}

CMapSelectMgr::~CMapSelectMgr() = default;

int CMapSelectMgr::ReleaseMaterials() {
    for (auto& m : m_materials)
        m.reset();
    for (bool& known : m_materialColourSet)
        known = false;
    // Without the engine the gizmo cannot draw; letting go of the meshes and nodes here also
    // means nothing of ours outlives the engine's root when the host shuts down.
    m_axisMesh.reset();
    for (auto& mesh : m_circleMeshes)
        mesh.reset();
    for (auto& node : m_nodes)
        node = nullptr;
    m_gizmoNode = nullptr;
    m_engine = nullptr;
    m_entity = nullptr;
    m_dragPart = PART_NONE;
    return 0;
}

void CMapSelectMgr::GetRotation(Ogre::Vector3& axis, float& angle) const {
    axis = m_rotationAxis;
    angle = m_rotationAngle;
}

int CMapSelectMgr::SetMode(int mode) {
    // Stored as given: a value outside the four modes lays out, grabs and drags nothing.
    m_mode = mode;
    if (!m_viewHost)
        return 0;
    for (int n = 0; n < GizmoGeometry::kViewCount; ++n)
        if (IView* view = m_viewHost->view(n))
            UpdateView(view, n);
    m_viewHost->redraw();
    return 0;
}

void CMapSelectMgr::HideAll() {
    for (Ogre::SceneNode* node : m_nodes)
        if (node)
            node->setVisible(false, true);
}

int CMapSelectMgr::OnSceneNotify(void* object, int redraw, int code) {
    CSceneManager* scene = m_engine ? m_engine->GetSceneManager() : nullptr;
    switch (code) {
    case NOTIFY_SCENE_RESET:
        m_entity = nullptr;
        break;
    case NOTIFY_SELECTION:
        if (m_entity && (!scene || !scene->isEntitySelected(m_entity->GetName()))) {
            m_entity = nullptr;
            m_activeElement = ELEMENT_NONE;
        }
        if (scene) {
            const std::set<std::string>& selected = scene->getSelectedEntities();
            if (!selected.empty())
                m_entity = scene->getSceneEntity(*selected.begin());
        }
        break;
    case NOTIFY_REMOVED:
        if (object && object == static_cast<void*>(m_entity))
            m_entity = nullptr;
        break;
    default:
        break;
    }
    // A move, turn or scale of an entity the gizmo's entity does not depend on would give the
    // same layout again: only the views are redrawn. A drag of n entities so lays the gizmo out
    // once per step instead of n times.
    const bool oneEntityChanged =
        code == NOTIFY_MOVED || code == NOTIFY_SCALED || code == NOTIFY_ROTATED;
    const bool sameLayout = oneEntityChanged && object && !WorldDependsOn(m_entity, object);
    if (redraw && m_mode != MODE_SELECT && m_viewHost) {
        IView* view0 = sameLayout ? nullptr : m_viewHost->view(0);
        if (view0 && !(m_mode == MODE_SCALE && m_dragPart != PART_NONE))
            UpdateView(view0, 0);
        m_viewHost->redraw();
    }
    return 0;
}

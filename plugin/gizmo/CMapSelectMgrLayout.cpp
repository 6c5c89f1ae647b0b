// Laying the gizmo out in one view: constant screen size, arrows along the world axes, rings
// cut to their half on the viewer's side, boxes turned with the entity.
#include "CMapSelectMgr.h"

#include "IView.h"
#include "SceneEntity.h"
#include "D3dxMath.h"

#include <OgreSceneNode.h>

#include <cmath>

using namespace GizmoGeometry;

namespace {

bool SameTurn(const Ogre::Quaternion& a, const Ogre::Quaternion& b) {
    return std::fabs(a.w - b.w) <= 1e-6f && std::fabs(a.x - b.x) <= 1e-6f &&
           std::fabs(a.y - b.y) <= 1e-6f && std::fabs(a.z - b.z) <= 1e-6f;
}

void SetShown(GizmoViewState& state, int value) {
    for (int& f : state.shown)
        f = value;
}

Ogre::Vector3 TranslationOf(const Ogre::Matrix4& m) {
    return Ogre::Vector3(m[3][0], m[3][1], m[3][2]);
}

void SetTranslation(Ogre::Matrix4& m, const Ogre::Vector3& t) {
    m[3][0] = t.x;
    m[3][1] = t.y;
    m[3][2] = t.z;
}

Ogre::Quaternion NormalisedQuaternion(float w, float x, float y, float z) {
    Ogre::Quaternion q(w, x, y, z);
    q.normalise();
    return q;
}

// Signed distance to the cutting plane, with distances within rounding taken as on the plane.
float OnPlane(float distance, float tolerance) {
    return std::fabs(distance) <= tolerance ? 0.0f : distance;
}

const Ogre::Quaternion kArrowX = NormalisedQuaternion(-1, 0, 0, 1);
const Ogre::Quaternion kArrowZ = NormalisedQuaternion(1, 1, 0, 0);

} // namespace

// Setting a child's transform makes it queue itself in its parent's set of children to update,
// one heap allocation per child and frame. A parent already marked for a full child update takes
// no queue, so the gizmo node is marked before the first change. What is left is the gizmo
// node's own entry in the root's set: one until the scene's next node update, and only when
// something moved. (Marking a node again before that update queues nothing.)
void CMapSelectMgr::BeforeNodeChange() {
    if (m_gizmoNode)
        m_gizmoNode->needUpdate();
}

// A layout that changes nothing leaves the node (and the gizmo node) alone, so a still frame
// queues nothing.
void CMapSelectMgr::PlaceNode(Ogre::SceneNode* node, const Ogre::Vector3& position, float scale,
                              const Ogre::Quaternion* orientation) {
    if (!node)
        return;
    const Ogre::Vector3 s(scale, scale, scale);
    // The node normalises what it is given, so compare within rounding.
    const bool turn = orientation && !SameTurn(node->getOrientation(), *orientation);
    if (node->getPosition() != position || node->getScale() != s || turn) {
        BeforeNodeChange();
        node->setPosition(position);
        node->setScale(s);
        if (turn)
            node->setOrientation(*orientation);
    }
    node->setVisible(true, true);
}

int CMapSelectMgr::UpdateView(IView* view, int viewNumber) {
    HideAll();
    if (!m_entity || !view || !m_engine || viewNumber < 0 || viewNumber >= kViewCount)
        return 0;
    if (m_activeElement == ELEMENT_NONE)
        SetNormalColours();
    GizmoViewState& state = m_views[viewNumber];
    SetShown(state, 1);

    const Ogre::Vector3 position = m_entity->GetWorldPosition();
    const Ogre::Vector3 orientation = m_entity->GetWorldOrientation();
    const PixelRect rect = view->pixelRect();
    Ogre::Vector3 projected(0, 0, 0);
    float s = 0.0f;
    Ogre::Vector3 viewOrientation(0, 0, 0);
    bool visible = d3dx::IsFinite(position) && d3dx::IsFinite(orientation) &&
                   rect.right > rect.left && rect.bottom > rect.top;
    if (visible) {
        view->projectPoint(projected, position, nullptr);
        s = view->sizeFactor(position);
        viewOrientation = view->viewOrientation();
        // The largest extent of the gizmo is the outer ring; everything laid out must stay
        // finite.
        const float reach = kLayoutReach * s;
        visible =
            s > 0.0f && std::isfinite(reach) && d3dx::IsFinite(position + Ogre::Vector3(reach)) &&
            d3dx::IsFinite(position - Ogre::Vector3(reach)) && d3dx::IsFinite(viewOrientation);
        if (visible && view->checksDepth())
            visible = projected.z > 0.0f && projected.z < 1.0f;
    }
    if (!visible) {
        SetShown(state, 0);
        view->setPickRegion(nullptr, nullptr);
        return 1;
    }
    m_entityPosition = position;
    m_entityOrientation = orientation;

    Ogre::Matrix4 rotation, translation, scaling, scaleTranslate, viewRotation;
    d3dx::MatrixRotationYawPitchRoll(rotation, orientation.y, orientation.x, orientation.z);
    d3dx::MatrixTranslation(translation, position.x, position.y, position.z);
    d3dx::MatrixScaling(scaling, s, s, s);
    d3dx::MatrixMultiply(scaleTranslate, scaling, translation);
    d3dx::MatrixRotationYawPitchRoll(viewRotation, viewOrientation.y, viewOrientation.x,
                                     viewOrientation.z);
    d3dx::MatrixMultiply(state.viewFacing, viewRotation, scaling);
    SetTranslation(state.viewFacing, position);
    state.sizeFactor = s;

    switch (m_mode) {
    case MODE_MOVE:
        LayoutMove(view, state, scaleTranslate);
        break;
    case MODE_ROTATE:
        state.entityRotation = rotation;
        LayoutRotate(view, state);
        break;
    case MODE_SCALE:
        LayoutScale(state);
        break;
    default:
        break;
    }
    view->setPickRegion(nullptr, nullptr);
    return 1;
}

void CMapSelectMgr::LayoutMove(IView*, GizmoViewState& state, const Ogre::Matrix4& scaleTranslate) {
    const float s = state.sizeFactor;
    for (int i = 0; i < kAxisCount; ++i) {
        state.elements[i] = scaleTranslate;
        const Ogre::Vector3 coneBase = d3dx::Vec3TransformCoord(
            m_axisTemplate[2 * i + 1] * (kArrowConeBase / kAxisLength), scaleTranslate);
        state.axisPoints[2 * i] = m_entityPosition;
        state.axisPoints[2 * i + 1] = coneBase;
        const Ogre::Quaternion* turn = i == 0 ? &kArrowX : (i == 2 ? &kArrowZ : nullptr);
        PlaceNode(m_nodes[NODE_ARROW_X + i], coneBase, s, turn);
    }
    UpdateAxisMesh(state.axisPoints, m_dragPart != PART_NONE ? m_activeElement : ELEMENT_CENTRE);
    if (m_nodes[NODE_AXIS_LINES])
        m_nodes[NODE_AXIS_LINES]->setVisible(true, true);
}

void CMapSelectMgr::LayoutRotate(IView* view, GizmoViewState& state) {
    const float s = state.sizeFactor;
    const Ogre::Quaternion facing = d3dx::RowMatrixToQuaternion(state.viewFacing);
    PlaceNode(m_nodes[NODE_VIEW_RING_INNER], m_entityPosition, s, &facing);
    PlaceNode(m_nodes[NODE_VIEW_RING_OUTER], m_entityPosition, s, &facing);

    Ogre::Matrix4 translation, scaling, quarter, placement[3];
    d3dx::MatrixTranslation(translation, m_entityPosition.x, m_entityPosition.y,
                            m_entityPosition.z);
    d3dx::MatrixScaling(scaling, s, s, s);
    Ogre::Matrix4 rotateTranslate;
    d3dx::MatrixMultiply(rotateTranslate, state.entityRotation, translation);
    d3dx::MatrixRotationY(quarter, Ogre::Math::HALF_PI);
    d3dx::MatrixMultiply(placement[0], quarter, rotateTranslate);
    d3dx::MatrixRotationX(quarter, Ogre::Math::HALF_PI);
    d3dx::MatrixMultiply(placement[1], quarter, rotateTranslate);
    placement[2] = rotateTranslate;

    // The plane through the centre that faces the viewer. The view's orientation frame looks
    // along its +Z, so (up x right) points back at the viewer and the kept half is the near one.
    const float d = view->checksDepth() ? 0.0f : kOrthographicCutOffset;
    const float l = kInnerRingRadius;
    const Ogre::Vector3 c = d3dx::Vec3TransformCoord(Ogre::Vector3(0, 0, d), state.viewFacing);
    const Ogre::Vector3 u = d3dx::Vec3TransformCoord(Ogre::Vector3(0, l, d), state.viewFacing);
    const Ogre::Vector3 r = d3dx::Vec3TransformCoord(Ogre::Vector3(l, 0, d), state.viewFacing);
    const Ogre::Vector3 n = d3dx::Vec3Normalize((u - c).crossProduct(r - c));
    state.viewNormal = n;

    for (int i = 0; i < kAxisCount; ++i) {
        Ogre::Matrix4 ring;
        d3dx::MatrixMultiply(ring, scaling, placement[i]);
        state.elements[i] = ring;
        d3dx::Vec3TransformCoordArray(m_ringScratch, m_innerRing, kRingTemplatePoints, ring);
        int count = 0;
        // Rounding in the view's orientation must not split a ring that lies in the plane.
        const float tolerance = 1e-5f * kInnerRingRadius * s;
        Ogre::Vector3* out = state.ringPoints[i];
        for (int k = 0; k < kRingSegments; ++k) {
            const Ogre::Vector3& p0 = m_ringScratch[k];
            const Ogre::Vector3& p1 = m_ringScratch[k + 1];
            const float d0 = OnPlane((p0 - c).dotProduct(n), tolerance);
            const float d1 = OnPlane((p1 - c).dotProduct(n), tolerance);
            if (d0 >= 0.0f) {
                out[count++] = p0;
                out[count++] = d1 < 0.0f ? (p1 * d0 - p0 * d1) / (d0 - d1) : p1;
            } else if (d1 >= 0.0f) {
                out[count++] = (p1 * d0 - p0 * d1) / (d0 - d1);
                out[count++] = p1;
            }
        }
        state.ringCount[i] = count;
        UpdateCircleMesh(out, i, count);
        if (m_nodes[NODE_RING_X + i])
            m_nodes[NODE_RING_X + i]->setVisible(true, true);
    }
}

void CMapSelectMgr::LayoutScale(GizmoViewState& state) {
    const float s = state.sizeFactor;
    Ogre::Matrix4 rotation, scaling, translation, element;
    d3dx::MatrixRotationYawPitchRoll(rotation, m_entityOrientation.y, m_entityOrientation.x,
                                     m_entityOrientation.z);
    d3dx::MatrixScaling(scaling, s, s, s);
    d3dx::MatrixTranslation(translation, m_entityPosition.x, m_entityPosition.y,
                            m_entityPosition.z);
    d3dx::MatrixMultiply(element, rotation, scaling);
    d3dx::MatrixMultiply(element, element, translation);
    const Ogre::Quaternion turn = d3dx::RowMatrixToQuaternion(rotation);
    for (int e = 0; e < kElementCount; ++e) {
        state.elements[e] = element;
        if (e < kAxisCount) {
            const Ogre::Vector3 end = d3dx::Vec3TransformCoord(m_axisTemplate[2 * e + 1], element);
            SetTranslation(state.elements[e], end);
            state.axisPoints[2 * e] = m_entityPosition;
            state.axisPoints[2 * e + 1] = end;
        }
        PlaceNode(m_nodes[NODE_BOX_X + e], TranslationOf(state.elements[e]), s, &turn);
    }
    UpdateAxisMesh(state.axisPoints, m_dragPart != PART_NONE ? m_activeElement : ELEMENT_CENTRE);
    if (m_nodes[NODE_AXIS_LINES])
        m_nodes[NODE_AXIS_LINES]->setVisible(true, true);
}

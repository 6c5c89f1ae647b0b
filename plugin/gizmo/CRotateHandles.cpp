// The rotate handles: rings cut to their half on the viewer's side, the view-axis ring turned
// to the viewer; a drag turns the direction from the pointer's point to the centre.
#include "CRotateHandles.h"

#include "IView.h"

#include <OgreMeshManager.h>
#include <OgreSceneNode.h>
#include <OgreSubMesh.h>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace GizmoGeometry;

namespace {

std::string CircleMeshName(int index) {
    char name[64];
    std::snprintf(name, sizeof name, kCircleMeshFormat, index);
    return name;
}

// Signed distance to the cutting plane, with distances within rounding taken as on the plane.
float OnPlane(float distance, float tolerance) {
    return std::fabs(distance) <= tolerance ? 0.0f : distance;
}

} // namespace

CRotateHandles::CRotateHandles(CGizmoScene& scene) : CGizmoHandleSet(scene, RowsOf(MODE_ROTATE)) {
    for (int k = 0; k < kRingTemplatePoints; ++k)
        m_innerRing[k] = m_outerRing[k] = m_ringScratch[k] = Ogre::Vector3::ZERO;
    // Ring i of the set's rows has circle mesh i: the axis rings, then the inner and outer
    // view ring.
    static_assert(RowsOf(MODE_ROTATE).size() == CIRCLE_COUNT, "one circle mesh per ring");
    for (int i = 0; i < CIRCLE_COUNT; ++i)
        m_circleNodes[i] = Rows()[i].node;
}

void CRotateHandles::Build(CGameEngine*, Ogre::SceneManager* sm) {
    // A mesh taken over may hold anything: the first layout writes it.
    ForgetMeshLayouts();
    for (int i = 0; i < CIRCLE_COUNT; ++i) {
        const std::string mesh = CircleMeshName(i);
        m_circleMeshes[i] = Ogre::MeshManager::getSingleton().getByName(mesh, kResourceGroup);
        if (!m_circleMeshes[i])
            m_circleMeshes[i] = GizmoMeshes::MakeLineMesh(mesh, kRingListPoints, false);
        m_scene.AddPart(sm, Rows()[i], mesh, kRenderQueue);
    }

    for (int k = 0; k < kRingSegments; ++k) {
        const float t = k * kRingStep;
        m_innerRing[k] =
            Ogre::Vector3(kInnerRingRadius * std::sin(t), kInnerRingRadius * std::cos(t), 0.0f);
        m_outerRing[k] =
            Ogre::Vector3(kOuterRingRadius * std::sin(t), kOuterRingRadius * std::cos(t), 0.0f);
    }
    m_innerRing[kRingSegments] = m_innerRing[0];
    m_outerRing[kRingSegments] = m_outerRing[0];

    // The two view rings are fixed templates; the node turns them to the viewer.
    Ogre::Vector3 line[kRingListPoints];
    for (int k = 0; k < kRingSegments; ++k) {
        line[2 * k] = m_innerRing[k];
        line[2 * k + 1] = m_innerRing[k + 1];
    }
    UpdateCircleMesh(line, CIRCLE_VIEW_INNER, kRingListPoints);
    for (int k = 0; k < kRingSegments; ++k) {
        line[2 * k] = m_outerRing[k];
        line[2 * k + 1] = m_outerRing[k + 1];
    }
    UpdateCircleMesh(line, CIRCLE_VIEW_OUTER, kRingListPoints);
}

void CRotateHandles::Release() {
    for (auto& mesh : m_circleMeshes)
        mesh.reset();
    ForgetMeshLayouts();
}

void CRotateHandles::ForgetMeshLayouts() {
    for (int i = 0; i < kAxisCount; ++i) {
        m_meshFrom[i] = nullptr;
        m_meshVersion[i] = 0;
    }
}

void CRotateHandles::RemoveMeshes() {
    Release();
    for (int i = 0; i < CIRCLE_COUNT; ++i)
        GizmoMeshes::RemoveMesh(CircleMeshName(i));
}

void CRotateHandles::UpdateCircleMesh(const Ogre::Vector3* points, int index, int count) {
    if (index < 0 || index >= CIRCLE_COUNT)
        return;
    Ogre::MeshPtr& mesh = m_circleMeshes[index];
    if (!mesh) {
        const std::string name = CircleMeshName(index);
        mesh = Ogre::MeshManager::getSingleton().getByName(name, kResourceGroup);
        if (!mesh)
            mesh = Ogre::MeshManager::getSingleton().createManual(name, kResourceGroup);
    }
    Ogre::HardwareVertexBuffer* vbuf = GizmoMeshes::VertexBufferOf(mesh);
    if (!vbuf || mesh->getNumSubMeshes() == 0)
        return;
    if (count < 0)
        count = 0;
    if (count > static_cast<int>(vbuf->getNumVertices()))
        count = static_cast<int>(vbuf->getNumVertices());
    auto* data = static_cast<unsigned char*>(vbuf->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (int k = 0; k < count; ++k)
        std::memcpy(data + k * vbuf->getVertexSize(), points[k].ptr(), 12);
    vbuf->unlock();
    GizmoMeshes::SetBoundsFromPoints(mesh, points, count);
    if (Ogre::SceneNode* node = m_scene.Node(m_circleNodes[index]))
        node->_updateBounds();
    mesh->getSubMesh(0)->indexData->indexCount = count;
}

void CRotateHandles::Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) {
    const float s = state.sizeFactor;
    const Ogre::Vector3& centre = placement.position;
    const float d = view->checksDepth() ? 0.0f : kOrthographicCutOffset;
    // The rings' layout depends on the entity's turn, the view's facing (its turn, the size
    // factor and the centre) and the cut offset alone: with all three as this view's last
    // layout left them, its ring points stand as they are.
    const bool same = state.ringVersion != 0 && state.ringKey.rotation == placement.rotation &&
                      state.ringKey.facing == state.viewFacing && state.ringKey.depth == d;
    state.entityRotation = placement.rotation;
    if (!same)
        LayOutRings(state, placement, d);
    for (int i = 0; i < kAxisCount; ++i)
        state.elements[i] = state.ringKey.elements[i];
    m_scene.PlaceNode(NODE_VIEW_RING_INNER, centre, s, &state.ringKey.facingTurn);
    m_scene.PlaceNode(NODE_VIEW_RING_OUTER, centre, s, &state.ringKey.facingTurn);
    for (int i = 0; i < kAxisCount; ++i) {
        // The mesh is shared by the views: written again only when it holds another layout.
        if (m_meshFrom[i] != &state || m_meshVersion[i] != state.ringVersion) {
            UpdateCircleMesh(state.ringPoints[i], i, state.ringCount[i]);
            m_meshFrom[i] = &state;
            m_meshVersion[i] = state.ringVersion;
        }
        m_scene.Show(m_circleNodes[i]);
    }
}

void CRotateHandles::LayOutRings(GizmoViewState& state, const GizmoPlacement& placement, float d) {
    const float s = state.sizeFactor;
    const Ogre::Vector3& centre = placement.position;
    d3dx::RowMatrix translation, scaling, quarter, placed[3];
    d3dx::MatrixTranslation(translation, centre.x, centre.y, centre.z);
    d3dx::MatrixScaling(scaling, s, s, s);
    d3dx::RowMatrix rotateTranslate;
    d3dx::MatrixMultiply(rotateTranslate, state.entityRotation, translation);
    d3dx::MatrixRotationY(quarter, Ogre::Math::HALF_PI);
    d3dx::MatrixMultiply(placed[0], quarter, rotateTranslate);
    d3dx::MatrixRotationX(quarter, Ogre::Math::HALF_PI);
    d3dx::MatrixMultiply(placed[1], quarter, rotateTranslate);
    placed[2] = rotateTranslate;

    // The plane through the centre that faces the viewer. The view's orientation frame looks
    // along its +Z, so (up x right) points back at the viewer and the kept half is the near one.
    const float l = kInnerRingRadius;
    const Ogre::Vector3 c = d3dx::Vec3TransformCoord(Ogre::Vector3(0, 0, d), state.viewFacing);
    const Ogre::Vector3 u = d3dx::Vec3TransformCoord(Ogre::Vector3(0, l, d), state.viewFacing);
    const Ogre::Vector3 r = d3dx::Vec3TransformCoord(Ogre::Vector3(l, 0, d), state.viewFacing);
    const Ogre::Vector3 n = d3dx::Vec3Normalize((u - c).crossProduct(r - c));
    state.viewNormal = n;

    for (int i = 0; i < kAxisCount; ++i) {
        d3dx::RowMatrix& ring = state.ringKey.elements[i];
        d3dx::MatrixMultiply(ring, scaling, placed[i]);
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
    }
    state.ringKey.rotation = placement.rotation;
    state.ringKey.facing = state.viewFacing;
    state.ringKey.depth = d;
    state.ringKey.facingTurn = d3dx::RowMatrixToQuaternion(state.viewFacing);
    // Never 0, which stands for no layout yet.
    if (++m_nextVersion == 0)
        m_nextVersion = 1;
    state.ringVersion = m_nextVersion;
}

GizmoPart CRotateHandles::Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) {
    IView* view = drag.view;
    GizmoPart part = GizmoPart::None;
    view->setPickRegion(&rect, nullptr);
    for (int i = 0; i < kAxisCount && part == GizmoPart::None; ++i) {
        if (!state.shown[m_circleNodes[i]])
            continue;
        for (int j = 0; j + 1 < state.ringCount[i]; j += 2) {
            if (view->testSegment(state.ringPoints[i][j], state.ringPoints[i][j + 1], nullptr) !=
                2) {
                drag.ringAxis = d3dx::Vec3Normalize(d3dx::Vec3TransformNormal(
                    m_scene.axisTemplate[2 * i + 1], state.entityRotation));
                part = AxisPart(GizmoPart::RotateX, i);
                break;
            }
        }
    }
    if (part == GizmoPart::None && state.shown[NODE_VIEW_RING_OUTER]) {
        const Ogre::Matrix4& facing = state.viewFacing.HostRows();
        view->setPickRegion(&rect, &facing);
        for (int k = 0; k < kRingSegments; ++k) {
            if (view->testSegment(m_outerRing[k], m_outerRing[k + 1], &facing) != 2) {
                part = GizmoPart::RotateView;
                drag.ringAxis = state.viewNormal;
                break;
            }
        }
        if (part == GizmoPart::None && view->testSphere(Ogre::Vector3::ZERO, kInnerRingRadius) != 2)
            part = GizmoPart::RotateFree;
    }
    if (part == GizmoPart::None)
        return part;
    drag.part = part;
    drag.frame.centre = m_scene.entityPosition;
    drag.frame.sizeFactor = state.sizeFactor;
    drag.frame.viewNormal = state.viewNormal;
    drag.frame.ringAxis = drag.ringAxis;
    Ogre::Vector3 nearPoint, farPoint;
    if (!GizmoPressRay(view, drag.x, drag.y, nearPoint, farPoint) ||
        !GizmoDragRules::MakeRay(nearPoint, farPoint, drag.pressRay))
        return GizmoPart::None;
    drag.start = Direction(drag, drag.pressRay);
    // Without a start direction every later step would measure from nothing.
    if (drag.start == Ogre::Vector3::ZERO || !d3dx::IsFinite(drag.start))
        return GizmoPart::None;
    return part;
}

Ogre::Vector3 CRotateHandles::Direction(const GizmoDragState& drag, const DragRay& ray) const {
    return drag.part == GizmoPart::RotateView
               ? GizmoDragRules::ViewRingDirection(ray, drag.frame)
               : GizmoDragRules::SphereDirection(ray, drag.frame, drag.part);
}

Ogre::Vector3 CRotateHandles::Direction(const GizmoDragState& drag, int x, int y) const {
    Ogre::Vector3 nearPoint, farPoint;
    DragRay ray;
    if (!GizmoPressRay(drag.view, x, y, nearPoint, farPoint) ||
        !GizmoDragRules::MakeRay(nearPoint, farPoint, ray))
        return Ogre::Vector3::ZERO;
    return Direction(drag, ray);
}

int CRotateHandles::Drag(const GizmoDragState& drag, GizmoDragStep& step, int, int x, int y,
                         const SnapSteps* snap) {
    const Ogre::Vector3 g = Direction(drag, x, y);
    Ogre::Vector3 axis;
    float angle = 0.0f;
    if (!GizmoDragRules::RotationSincePress(drag.part, drag.start, g, drag.frame.viewNormal, axis,
                                            angle))
        return RESULT_NOTHING_NEW;
    if (snap && IsUsableSnapStep(snap->degrees))
        angle = GizmoDragRules::SnapToStep(angle, snap->degrees * kDegreesToRadians);
    const Ogre::Vector3 value = GizmoDragRules::AxisAngleToYawPitchRoll(axis, angle);
    if (!d3dx::IsFinite(value))
        return RESULT_NOTHING_NEW;
    step.rotationAxis = axis;
    step.rotationAngle = angle;
    if (value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    // The view-axis ring's value is a turn as the mode applies it; every other part turns about
    // its axis.
    step.axisTurn = drag.part != GizmoPart::RotateView;
    return 1;
}

int CRotateHandles::Typed(const GizmoDragState& drag, GizmoDragStep& step, int, float amount) {
    if (!TakesTypedAmount(drag.part) || !std::isfinite(amount))
        return 0;
    const float angle = amount * kDegreesToRadians;
    const Ogre::Vector3 axis = d3dx::Vec3Normalize(drag.ringAxis);
    const Ogre::Vector3 value = GizmoDragRules::AxisAngleToYawPitchRoll(axis, angle);
    if (!std::isfinite(angle) || axis == Ogre::Vector3::ZERO || !d3dx::IsFinite(value))
        return 0;
    step.rotationAxis = axis;
    step.rotationAngle = angle;
    // Applied as a turn about the axis whatever ring is held: exactly the amount typed.
    step.axisTurn = true;
    if (value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    return 1;
}

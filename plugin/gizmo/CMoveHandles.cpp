// The move handles: arrows along the axes; a drag follows the pointer along the grabbed axis
// line and gives the displacement since the press. Between each pair of arrows a see-through
// square, dragged in its plane through the press point. The arrows are picked first: a square
// is grabbed only where no arrow is.
#include "CMoveHandles.h"

#include "CGameEngine.h"
#include "ID3dUtil.h"
#include "IView.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMeshManager.h>
#include <OgreQuaternion.h>
#include <OgreSubMesh.h>

#include <cstdint>
#include <cstdio>

using namespace GizmoGeometry;

namespace {

Ogre::Quaternion NormalisedQuaternion(float w, float x, float y, float z) {
    Ogre::Quaternion q(w, x, y, z);
    q.normalise();
    return q;
}

// The cone mesh points along +Y: the X and Z arrows are turned onto their axes.
const Ogre::Quaternion kArrowX = NormalisedQuaternion(-1, 0, 0, 1);
const Ogre::Quaternion kArrowZ = NormalisedQuaternion(1, 1, 0, 0);

// The square of a plane handle: two triangles in the mesh's XY plane around its origin, a
// side of 2 * kPlaneHandleHalfSize. Its material draws both faces.
Ogre::MeshPtr MakeSquareMesh() {
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    if (Ogre::MeshPtr existing = meshes.getByName(kPlaneMesh, kResourceGroup))
        return existing;
    Ogre::MeshPtr mesh = meshes.createManual(kPlaneMesh, kResourceGroup);
    Ogre::SubMesh* sub = mesh->createSubMesh();
    sub->operationType = Ogre::RenderOperation::OT_TRIANGLE_LIST;
    sub->useSharedVertices = true;
    mesh->sharedVertexData = new Ogre::VertexData();
    mesh->sharedVertexData->vertexCount = 4;
    mesh->sharedVertexData->vertexDeclaration->addElement(0, 0, Ogre::VET_FLOAT3,
                                                          Ogre::VES_POSITION);
    const float h = kPlaneHandleHalfSize;
    const float corners[12] = {-h, -h, 0, h, -h, 0, h, h, 0, -h, h, 0};
    Ogre::HardwareBufferManager& buffers = Ogre::HardwareBufferManager::getSingleton();
    Ogre::HardwareVertexBufferSharedPtr vbuf = buffers.createVertexBuffer(
        3 * sizeof(float), 4, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    vbuf->writeData(0, sizeof corners, corners, true);
    mesh->sharedVertexData->vertexBufferBinding->setBinding(0, vbuf);
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    Ogre::HardwareIndexBufferSharedPtr ibuf = buffers.createIndexBuffer(
        Ogre::HardwareIndexBuffer::IT_16BIT, 6, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    ibuf->writeData(0, sizeof indices, indices, true);
    sub->indexData->indexBuffer = ibuf;
    sub->indexData->indexCount = 6;
    sub->indexData->indexStart = 0;
    mesh->_setBounds(Ogre::AxisAlignedBox(-h, -h, -0.01f, h, h, 0.01f), false);
    mesh->_setBoundingSphereRadius(h * 1.5f);
    mesh->load();
    return mesh;
}

// The plane square with normal axis i spans the next two axes, in this order: its mesh's X and
// Y then lie along them and its Z along the normal (a right-handed turn).
int FirstPlaneAxis(int normal) {
    return (normal + 1) % kAxisCount;
}
int SecondPlaneAxis(int normal) {
    return (normal + 2) % kAxisCount;
}

} // namespace

void CMoveHandles::Build(CGameEngine* engine, Ogre::SceneManager* sm) {
    // The host leaves an existing mesh as it is.
    engine->CreateConeMesh(kConeMesh, Ogre::Vector3(-kConeHalfWidth, 0.0f, -kConeHalfWidth),
                           Ogre::Vector3(kConeHalfWidth, kConeHeight, kConeHalfWidth),
                           kConeSegments, kMeshColour);
    for (int i = 0; i < kAxisCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, kPartEntityFormat, kArrowEntityFirst + i);
        m_scene.AddPart(sm, NODE_ARROW_X + i, name, kConeMesh, MATERIAL_RED + i, kRenderQueue);
    }
    m_planeMesh = MakeSquareMesh();
    for (int i = 0; i < kAxisCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, kPartEntityFormat, kPlaneEntityFirst + i);
        m_scene.AddPart(sm, NODE_PLANE_YZ + i, name, kPlaneMesh, MATERIAL_PLANE_YZ + i,
                        kRenderQueue);
    }
}

void CMoveHandles::RemoveMeshes() {
    Release();
    GizmoMeshes::RemoveMesh(kConeMesh);
    GizmoMeshes::RemoveMesh(kPlaneMesh);
}

void CMoveHandles::Layout(IView*, GizmoViewState& state, const GizmoPlacement& placement) {
    const float s = state.sizeFactor;
    // World axes: the arrows stand on the scaled, moved template, as they always did. Local
    // axes: turned with the entity first.
    d3dx::RowMatrix element = placement.scaleTranslate;
    Ogre::Quaternion turn = Ogre::Quaternion::IDENTITY;
    if (placement.localAxes) {
        d3dx::MatrixMultiply(element, placement.rotation, placement.scaleTranslate);
        turn = d3dx::RowMatrixToQuaternion(placement.rotation);
    }
    for (int i = 0; i < kAxisCount; ++i) {
        state.elements[i] = element;
        const Ogre::Vector3 coneBase = d3dx::Vec3TransformCoord(
            m_scene.axisTemplate[2 * i + 1] * (kArrowConeBase / kAxisLength), element);
        state.axisPoints[2 * i] = placement.position;
        state.axisPoints[2 * i + 1] = coneBase;
        Ogre::Vector3 unit = Ogre::Vector3::ZERO;
        unit[i] = 1.0f;
        state.moveAxes[i] =
            placement.localAxes
                ? d3dx::Vec3Normalize(d3dx::Vec3TransformNormal(unit, placement.rotation))
                : unit;
        const Ogre::Quaternion& fixed = i == 0 ? kArrowX : (i == 2 ? kArrowZ : turn);
        const Ogre::Quaternion arrow = placement.localAxes && i != 1 ? turn * fixed : fixed;
        m_scene.PlaceNode(NODE_ARROW_X + i, coneBase, s, &arrow);
    }
    // The view's direction is the facing matrix's Z axis; a square seen too nearly edge-on
    // stays hidden (and cannot be grabbed).
    const Ogre::Vector3 viewDirection =
        d3dx::Vec3Normalize(d3dx::Vec3TransformNormal(Ogre::Vector3::UNIT_Z, state.viewFacing));
    for (int i = 0; i < kAxisCount; ++i) {
        const Ogre::Vector3& u = state.moveAxes[FirstPlaneAxis(i)];
        const Ogre::Vector3& v = state.moveAxes[SecondPlaneAxis(i)];
        const bool faces = GizmoDragRules::PlaneFacesView(state.moveAxes[i], viewDirection);
        state.shown[kPlaneShownSlot + i] = faces ? 1 : 0;
        // Placed even where hidden: views that lay the gizmo out alike then move no node (a
        // moved node costs the frame's node update a queue entry: skipping the hidden squares
        // made the four-view frame allocate once more).
        const Ogre::Vector3 centre = placement.position + (u + v) * (kPlaneHandleOffset * s);
        // The square's turn is made again only when its axes changed.
        if (!m_squareTurnValid[i] || m_squareAxes[i][0] != u || m_squareAxes[i][1] != v ||
            m_squareAxes[i][2] != state.moveAxes[i]) {
            m_squareTurns[i] = Ogre::Quaternion(u, v, state.moveAxes[i]);
            m_squareAxes[i][0] = u;
            m_squareAxes[i][1] = v;
            m_squareAxes[i][2] = state.moveAxes[i];
            m_squareTurnValid[i] = true;
        }
        m_scene.PlaceNode(NODE_PLANE_YZ + i, centre, s, &m_squareTurns[i], faces);
    }
    m_scene.UpdateAxisMesh(state.axisPoints, placement.heldAxis);
    m_scene.Show(NODE_AXIS_LINES);
}

GizmoPart CMoveHandles::Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) {
    IView* view = drag.view;
    GizmoPart part = GizmoPart::None;
    int axis = 0;
    for (int i = 0; i < kAxisCount && part == GizmoPart::None; ++i) {
        if (!state.shown[i])
            continue;
        view->setPickRegion(&rect, nullptr);
        bool hit = m_scene.NodeBoxHit(view, NODE_ARROW_X + i);
        if (!hit) {
            view->setPickRegion(&rect, nullptr);
            hit = view->testSegment(state.axisPoints[2 * i], state.axisPoints[2 * i + 1],
                                    nullptr) != 2;
        }
        if (hit) {
            axis = i;
            part = AxisPart(GizmoPart::MoveX, i);
        }
    }
    if (part == GizmoPart::None)
        return PickPlane(state, drag);
    GizmoSetupAxisLine(drag, state, axis);
    Ogre::Vector3 nearPoint, farPoint, onRay, onAxis(Ogre::Vector3::ZERO), between;
    // A degenerate ray gives nothing to measure the drag from.
    const bool ray = GizmoPressRay(view, drag.x, drag.y, nearPoint, farPoint);
    if (ray)
        ID3dUtil::IntersectLineSegments(nearPoint, farPoint, drag.axisLine[0], drag.axisLine[1],
                                        onRay, onAxis, between);
    drag.start = onAxis;
    if (!ray || !d3dx::IsFinite(drag.start))
        return GizmoPart::None;
    return part;
}

GizmoPart CMoveHandles::PickPlane(const GizmoViewState& state, GizmoDragState& drag) const {
    Ogre::Vector3 nearPoint, farPoint;
    DragRay ray;
    if (!GizmoPressRay(drag.view, drag.x, drag.y, nearPoint, farPoint) ||
        !GizmoDragRules::MakeRay(nearPoint, farPoint, ray))
        return GizmoPart::None;
    const Ogre::Vector3& centre = state.axisPoints[0];
    GizmoPart part = GizmoPart::None;
    float nearest = 0.0f;
    for (int i = 0; i < kAxisCount; ++i) {
        if (!state.shown[kPlaneShownSlot + i])
            continue;
        const Ogre::Vector3& u = state.moveAxes[FirstPlaneAxis(i)];
        const Ogre::Vector3& v = state.moveAxes[SecondPlaneAxis(i)];
        Ogre::Vector3 hit;
        if (!GizmoDragRules::RayPlane(ray, centre, state.moveAxes[i], hit) ||
            !GizmoDragRules::InPlaneSquare(hit, centre, u, v, state.sizeFactor))
            continue;
        // Squares overlapping on screen: the one nearest the viewer is grabbed.
        const float distance = (hit - ray.origin).length();
        if (part != GizmoPart::None && distance >= nearest)
            continue;
        nearest = distance;
        part = AxisPart(GizmoPart::MovePlaneYZ, i);
        drag.start = hit;
        drag.planeNormal = state.moveAxes[i];
        drag.planeAxes[0] = u;
        drag.planeAxes[1] = v;
    }
    drag.planeReach = GizmoDragReach(drag.view);
    return part;
}

int CMoveHandles::Drag(const GizmoDragState& drag, GizmoDragStep& step, int, int x, int y,
                       const SnapSteps* snap) {
    if (IsPlanePart(drag.part))
        return DragInPlane(drag, step, x, y, snap);
    Ogre::Vector3 o, f, onRay, onAxis, between;
    if (!GizmoPressRay(drag.view, x, y, o, f))
        return RESULT_NOTHING_NEW;
    ID3dUtil::IntersectLineSegments(o, f, drag.axisLine[0], drag.axisLine[1], onRay, onAxis,
                                    between);
    Ogre::Vector3 value = onAxis - drag.start;
    if (snap)
        value = GizmoDragRules::SnapAlongAxis(value, drag.axisDirection, snap->move);
    if (!d3dx::IsFinite(value) || value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    return 1;
}

int CMoveHandles::DragInPlane(const GizmoDragState& drag, GizmoDragStep& step, int x, int y,
                              const SnapSteps* snap) const {
    Ogre::Vector3 nearPoint, farPoint, hit;
    DragRay ray;
    if (!GizmoPressRay(drag.view, x, y, nearPoint, farPoint) ||
        !GizmoDragRules::MakeRay(nearPoint, farPoint, ray) ||
        !GizmoDragRules::RayPlane(ray, drag.start, drag.planeNormal, hit))
        return RESULT_NOTHING_NEW;
    // A pointer near the plane's horizon meets it beyond anything the view shows.
    const Ogre::Vector3 moved = hit - drag.start;
    if (!(moved.length() <= drag.planeReach))
        return RESULT_NOTHING_NEW;
    // Only the plane's two axes: rounding in the ray never leaks into the third coordinate.
    const Ogre::Vector3& u = drag.planeAxes[0];
    const Ogre::Vector3& v = drag.planeAxes[1];
    Ogre::Vector3 value = snap ? GizmoDragRules::SnapInPlane(moved, u, v, snap->move)
                               : u * moved.dotProduct(u) + v * moved.dotProduct(v);
    if (!d3dx::IsFinite(value) || value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    return 1;
}

int CMoveHandles::Typed(const GizmoDragState& drag, GizmoDragStep& step, int, float amount) {
    if (!TakesTypedAmount(drag.part) || !std::isfinite(amount))
        return 0;
    const Ogre::Vector3 value = drag.axisDirection * amount;
    if (!d3dx::IsFinite(value))
        return 0;
    if (value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    return 1;
}

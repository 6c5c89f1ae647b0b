// The move plane squares: a square's drag follows the pointer's point on the square's plane
// through the press point and gives the move since the press along the plane's two axes.
#include "GizmoPlaneSquares.h"

#include "IView.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMeshManager.h>
#include <OgreSubMesh.h>

#include <cstdint>

using namespace GizmoGeometry;

namespace {

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

CPlaneSquares::CPlaneSquares(CGizmoScene& scene, const GizmoRows& rows) : m_scene(scene) {
    for (int i = 0; i < kAxisCount; ++i)
        m_rows[i] = rows.Find(AxisPart(GizmoPart::MovePlaneYZ, i));
}

void CPlaneSquares::Build(Ogre::SceneManager* sm) {
    m_mesh = MakeSquareMesh();
    for (const GizmoPartRow* row : m_rows)
        if (row)
            m_scene.AddPart(sm, *row, kPlaneMesh, kRenderQueue);
}

void CPlaneSquares::RemoveMesh() {
    Release();
    GizmoMeshes::RemoveMesh(kPlaneMesh);
}

void CPlaneSquares::Layout(GizmoViewState& state, const GizmoPlacement& placement) {
    const float s = state.sizeFactor;
    // The view's direction is the facing matrix's Z axis; a square seen too nearly edge-on
    // stays hidden (and cannot be grabbed).
    const Ogre::Vector3 viewDirection =
        d3dx::Vec3Normalize(d3dx::Vec3TransformNormal(Ogre::Vector3::UNIT_Z, state.viewFacing));
    for (int i = 0; i < kAxisCount; ++i) {
        if (!m_rows[i])
            continue;
        const int node = m_rows[i]->node;
        const Ogre::Vector3& u = state.moveAxes[FirstPlaneAxis(i)];
        const Ogre::Vector3& v = state.moveAxes[SecondPlaneAxis(i)];
        const bool faces = GizmoDragRules::PlaneFacesView(state.moveAxes[i], viewDirection);
        state.shown[node] = faces ? 1 : 0;
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
        m_scene.PlaceNode(node, centre, s, &m_squareTurns[i], faces);
    }
}

GizmoPart CPlaneSquares::Pick(const GizmoViewState& state, GizmoDragState& drag) {
    Ogre::Vector3 nearPoint, farPoint;
    DragRay ray;
    if (!GizmoPressRay(drag.view, drag.x, drag.y, nearPoint, farPoint) ||
        !GizmoDragRules::MakeRay(nearPoint, farPoint, ray))
        return GizmoPart::None;
    const Ogre::Vector3& centre = state.axisPoints[0];
    GizmoPart part = GizmoPart::None;
    float nearest = 0.0f;
    for (int i = 0; i < kAxisCount; ++i) {
        if (!m_rows[i] || !state.shown[m_rows[i]->node])
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
        part = m_rows[i]->part;
        drag.start = hit;
        m_picked.normal = state.moveAxes[i];
        m_picked.axes[0] = u;
        m_picked.axes[1] = v;
    }
    m_picked.reach = GizmoDragReach(drag.view);
    return part;
}

int CPlaneSquares::Drag(const GizmoDragState& drag, GizmoDragStep& step, int x, int y,
                        const SnapSteps* snap) const {
    Ogre::Vector3 nearPoint, farPoint, hit;
    DragRay ray;
    if (!GizmoPressRay(drag.view, x, y, nearPoint, farPoint) ||
        !GizmoDragRules::MakeRay(nearPoint, farPoint, ray) ||
        !GizmoDragRules::RayPlane(ray, drag.start, m_held.normal, hit))
        return RESULT_NOTHING_NEW;
    // A pointer near the plane's horizon meets it beyond anything the view shows.
    const Ogre::Vector3 moved = hit - drag.start;
    if (!(moved.length() <= m_held.reach))
        return RESULT_NOTHING_NEW;
    // Only the plane's two axes: rounding in the ray never leaks into the third coordinate.
    const Ogre::Vector3& u = m_held.axes[0];
    const Ogre::Vector3& v = m_held.axes[1];
    Ogre::Vector3 value = snap ? GizmoDragRules::SnapInPlane(moved, u, v, snap->move)
                               : u * moved.dotProduct(u) + v * moved.dotProduct(v);
    if (!d3dx::IsFinite(value) || value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    return 1;
}

// The move handles: arrows along the axes; a drag follows the pointer along the grabbed axis
// line and gives the displacement since the press. Between each pair of arrows a see-through
// square (CPlaneSquares). The arrows are picked first: a square is grabbed only where no arrow
// is.
#include "CMoveHandles.h"

#include "CGameEngine.h"
#include "ID3dUtil.h"
#include "IView.h"

#include <OgreQuaternion.h>

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

} // namespace

void CMoveHandles::Build(CGameEngine* engine, Ogre::SceneManager* sm) {
    // The host leaves an existing mesh as it is.
    engine->CreateConeMesh(kConeMesh, Ogre::Vector3(-kConeHalfWidth, 0.0f, -kConeHalfWidth),
                           Ogre::Vector3(kConeHalfWidth, kConeHeight, kConeHalfWidth),
                           kConeSegments, kMeshColour);
    for (int i = 0; i < kAxisCount; ++i)
        m_scene.AddPart(sm, *Row(AxisPart(GizmoPart::MoveX, i)), kConeMesh, kRenderQueue);
    m_squares.Build(sm);
}

void CMoveHandles::RemoveMeshes() {
    Release();
    GizmoMeshes::RemoveMesh(kConeMesh);
    m_squares.RemoveMesh();
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
        m_scene.PlaceNode(PartNode(AxisPart(GizmoPart::MoveX, i)), coneBase, s, &arrow);
    }
    m_squares.Layout(state, placement);
    m_scene.UpdateAxisMesh(state.axisPoints, placement.heldAxis);
    m_scene.Show(NODE_AXIS_LINES);
}

GizmoPart CMoveHandles::Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) {
    IView* view = drag.view;
    GizmoPart part = GizmoPart::None;
    int axis = 0;
    for (int i = 0; i < kAxisCount && part == GizmoPart::None; ++i) {
        const int node = PartNode(AxisPart(GizmoPart::MoveX, i));
        if (!state.shown[node])
            continue;
        view->setPickRegion(&rect, nullptr);
        bool hit = m_scene.NodeBoxHit(view, node);
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
        return m_squares.Pick(state, drag);
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

int CMoveHandles::Drag(const GizmoDragState& drag, GizmoDragStep& step, int, int x, int y,
                       const SnapSteps* snap) {
    if (CPlaneSquares::IsPlanePart(drag.part))
        return m_squares.Drag(drag, step, x, y, snap);
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

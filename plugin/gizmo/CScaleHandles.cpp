// The scale handles: boxes turned with the entity; a drag gives the factor since the previous
// step and stretches the gizmo by the total since the press, so the grabbed box follows the
// pointer.
#include "CScaleHandles.h"

#include "CGameEngine.h"
#include "ID3dUtil.h"
#include "IView.h"

#include <algorithm>

using namespace GizmoGeometry;

void CScaleHandles::Build(CGameEngine* engine, Ogre::SceneManager* sm) {
    // The host leaves an existing mesh as it is.
    engine->CreateBoxMesh(kBoxMesh, kBoxHalfSize, kMeshColour);
    // The axis boxes, then the centre box, drawn after the rest.
    for (int i = 0; i < kAxisCount; ++i)
        m_scene.AddPart(sm, *Row(AxisPart(GizmoPart::ScaleX, i)), kBoxMesh, kRenderQueue);
    m_scene.AddPart(sm, *Row(GizmoPart::ScaleAll), kBoxMesh, kRenderQueueCentreBox);
}

void CScaleHandles::Layout(IView*, GizmoViewState& state, const GizmoPlacement& placement) {
    const float s = state.sizeFactor;
    const Ogre::Vector3& centre = placement.position;
    const Ogre::Vector3& orientation = placement.orientation;
    d3dx::RowMatrix rotation(d3dx::kUnset), scaling(d3dx::kUnset), translation(d3dx::kUnset),
        element(d3dx::kUnset);
    d3dx::MatrixRotationYawPitchRoll(rotation, orientation.y, orientation.x, orientation.z);
    d3dx::MatrixScaling(scaling, s, s, s);
    d3dx::MatrixTranslation(translation, centre.x, centre.y, centre.z);
    d3dx::MatrixMultiply(element, rotation, scaling);
    d3dx::MatrixMultiply(element, element, translation);
    const Ogre::Quaternion turn = d3dx::RowMatrixToQuaternion(rotation);
    for (int e = 0; e < kElementCount; ++e) {
        state.elements[e] = element;
        if (e < kAxisCount) {
            const Ogre::Vector3 end =
                d3dx::Vec3TransformCoord(m_scene.axisTemplate[2 * e + 1], element);
            state.elements[e].SetTranslation(end);
            state.axisPoints[2 * e] = centre;
            state.axisPoints[2 * e + 1] = end;
        }
        const GizmoPart part =
            e < kAxisCount ? AxisPart(GizmoPart::ScaleX, e) : GizmoPart::ScaleAll;
        m_scene.PlaceNode(PartNode(part), state.elements[e].Translation(), s, &turn);
    }
    m_scene.UpdateAxisMesh(state.axisPoints, placement.heldAxis);
    m_scene.Show(NODE_AXIS_LINES);
}

GizmoPart CScaleHandles::Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) {
    IView* view = drag.view;
    GizmoPart part = GizmoPart::None;
    for (int i = 0; i < kAxisCount && part == GizmoPart::None; ++i) {
        const int node = PartNode(AxisPart(GizmoPart::ScaleX, i));
        if (!state.shown[node])
            continue;
        view->setPickRegion(&rect, nullptr);
        if (m_scene.NodeBoxHit(view, node)) {
            part = AxisPart(GizmoPart::ScaleX, i);
            drag.referenceLength = state.axisPoints[2 * i].distance(state.axisPoints[2 * i + 1]);
            GizmoSetupAxisLine(drag, state, i);
        }
    }
    if (part == GizmoPart::None && state.shown[NODE_BOX_CENTRE]) {
        view->setPickRegion(&rect, nullptr);
        if (m_scene.NodeBoxHit(view, NODE_BOX_CENTRE))
            part = GizmoPart::ScaleAll;
    }
    return part;
}

int CScaleHandles::Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x,
                        int y, const SnapSteps* snap) {
    // Each result is the ratio since the previous step; the gizmo is stretched by the total
    // factor since the press so that the grabbed box follows the pointer.
    // The total since the press has a floor above 0: dragged inward past the centre, the
    // entity stays at its smallest and is never grown (or mirrored) again.
    const bool uniform = drag.part == GizmoPart::ScaleAll;
    const int axis = PartInfo(drag.part).axis;
    float m = 0.0f;
    if (uniform) {
        const PixelRect rect = drag.view->pixelRect();
        if (!GizmoDragRules::UniformScaleTotal(x - drag.x, rect.right - rect.left, m))
            return RESULT_NOTHING_NEW;
    } else {
        Ogre::Vector3 o, far, onRay, h, between;
        if (!GizmoPressRay(drag.view, x, y, o, far))
            return RESULT_NOTHING_NEW;
        ID3dUtil::IntersectLineSegments(o, far, drag.axisLine[0], drag.axisLine[1], onRay, h,
                                        between);
        const Ogre::Vector3 c0 = m_scene.savedViews[drag.viewIndex].axisPoints[2 * axis];
        if (!GizmoDragRules::AxisScaleTotal(h, c0, drag.axisDirection, drag.referenceLength, m))
            return RESULT_NOTHING_NEW;
    }
    // Snapped, the total since the press is a multiple of the step (never 0); the previous
    // factor is always the total last applied, so that letting go of Ctrl continues from the
    // pointer and the ratios still multiply up to the total.
    if (snap) {
        const float snapped = GizmoDragRules::SnapScaleTotal(m, snap->scale);
        if (snapped == step.previousScale)
            return RESULT_NOTHING_NEW;
        m = snapped;
    }
    return ApplyTotal(drag, step, viewNumber, m);
}

int CScaleHandles::Typed(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber,
                         float amount) {
    if (!TakesTypedAmount(drag.part) || !std::isfinite(amount) || amount < 0.0f)
        return 0;
    const float total = std::max(amount, kMinScaleTotal);
    if (total == step.previousScale)
        return RESULT_NOTHING_NEW;
    return ApplyTotal(drag, step, viewNumber, total);
}

int CScaleHandles::ApplyTotal(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber,
                              float m) {
    const bool uniform = drag.part == GizmoPart::ScaleAll;
    const int axis = PartInfo(drag.part).axis;
    // A vanishing or non-finite factor is refused before anything changes: the previous factor
    // stays, so the next step never divides by zero and the ratios still multiply up to the
    // total since the press.
    float f = 1.0f;
    if (!GizmoDragRules::ScaleRatio(m, step.previousScale, f))
        return RESULT_NOTHING_NEW;
    Ogre::Vector3 value(1, 1, 1);
    if (uniform)
        value = Ogre::Vector3(f, f, f);
    else
        value[axis] = f;
    step.previousScale = m;
    Stretch(drag, viewNumber, m);
    step.result = value;
    return 1;
}

void CScaleHandles::Stretch(const GizmoDragState& drag, int viewNumber, float m) {
    const bool uniform = drag.part == GizmoPart::ScaleAll;
    const int axis = PartInfo(drag.part).axis;
    GizmoViewState& first = m_scene.views[0];
    const GizmoViewState& pressed = m_scene.savedViews[0];
    for (int e = 0; e < kAxisCount; ++e) {
        if (e != axis && !uniform)
            continue;
        const Ogre::Vector3 p0 = pressed.axisPoints[2 * e];
        const Ogre::Vector3 p1 = pressed.axisPoints[2 * e + 1];
        const Ogre::Vector3 end = p0 + (p1 - p0) * m;
        first.axisPoints[2 * e + 1] = end;
        first.elements[e].SetTranslation(end);
        m_scene.MoveNode(PartNode(AxisPart(GizmoPart::ScaleX, e)), end);
    }
    const int shownView =
        (viewNumber >= 0 && viewNumber < kViewCount) ? viewNumber : drag.viewIndex;
    m_scene.UpdateAxisMesh(m_scene.views[shownView].axisPoints, axis);
}

void CScaleHandles::EndDrag(const GizmoDragState&, int highlightedAxis) {
    for (int n = 0; n < kViewCount; ++n)
        m_scene.views[n] = m_scene.savedViews[n];
    m_scene.UpdateAxisMesh(m_scene.views[0].axisPoints, highlightedAxis);
    for (int e = 0; e < kAxisCount; ++e)
        m_scene.MoveNode(PartNode(AxisPart(GizmoPart::ScaleX, e)),
                         m_scene.views[0].axisPoints[2 * e + 1]);
}

// Turning pointer motion into move, rotate and scale values, and ending a drag.
#include "CMapSelectMgr.h"

#include "ID3dUtil.h"
#include "IView.h"
#include "Interface.h"
#include "D3dxMath.h"
#include "GizmoDragRules.h"

#include <OgreSceneNode.h>

#include <cmath>

using namespace GizmoGeometry;

namespace {
// Degrees to radians, the single-precision factor used throughout.
constexpr float kRadiansPerDegree = 0.0174532924f;
} // namespace

bool CMapSelectMgr::PressRay(int x, int y, Ogre::Vector3& nearPoint,
                             Ogre::Vector3& farPoint) const {
    if (!m_pressView)
        return false;
    m_pressView->rayThroughPixel(x, y, nearPoint, farPoint);
    return d3dx::IsFinite(nearPoint) && d3dx::IsFinite(farPoint) &&
           d3dx::Vec3Normalize(farPoint - nearPoint) != Ogre::Vector3::ZERO;
}

DragFrame CMapSelectMgr::PressFrame() const {
    const GizmoViewState& state = m_views[m_pressViewIndex];
    DragFrame frame;
    frame.centre = m_entityPosition;
    frame.sizeFactor = state.sizeFactor;
    frame.viewNormal = state.viewNormal;
    frame.ringAxis = state.ringAxis;
    return frame;
}

Ogre::Vector3 CMapSelectMgr::RotateDirection(int x, int y) const {
    Ogre::Vector3 nearPoint, farPoint;
    DragRay ray;
    if (!PressRay(x, y, nearPoint, farPoint) || !GizmoDragRules::MakeRay(nearPoint, farPoint, ray))
        return Ogre::Vector3::ZERO;
    const DragFrame frame = PressFrame();
    return m_dragPart == PART_ROTATE_VIEW ? GizmoDragRules::ViewRingDirection(ray, frame)
                                          : GizmoDragRules::SphereDirection(ray, frame, m_dragPart);
}

int CMapSelectMgr::OnDrag(IView*, int viewNumber, int keyFlags, int x, int y,
                          GizmoDragResult* result) {
    if (m_dragPart == PART_NONE)
        return 0;
    if (!m_pressView)
        return RESULT_NOTHING_NEW;
    // Ctrl held during a step rounds the drag's total since the press; each step decides
    // afresh, so letting go of Ctrl continues from the pointer.
    const bool snap = (keyFlags & KEY_CTRL) != 0;
    int answer = RESULT_NOTHING_NEW;
    if (m_dragPart >= PART_MOVE_X && m_dragPart <= PART_MOVE_Z)
        answer = DragMove(x, y, snap);
    else if (m_dragPart >= PART_ROTATE_VIEW && m_dragPart <= PART_ROTATE_Z)
        answer = DragRotate(x, y, snap);
    else if (m_dragPart >= PART_SCALE_ALL && m_dragPart <= PART_SCALE_Z)
        answer = DragScale(viewNumber, x, y, snap);
    if (answer == 1 && result) {
        // Rotation parts other than the view-axis ring turn about their axis; every other
        // result is applied as the mode says.
        result->part = m_dragPart;
        const bool axisTurn = m_dragPart >= PART_ROTATE_FREE && m_dragPart <= PART_ROTATE_Z;
        const bool knownMode = m_mode >= MODE_MOVE && m_mode <= MODE_SCALE;
        result->kind = axisTurn ? DRAG_KIND_AXIS_TURN : knownMode ? m_mode : DRAG_KIND_NONE;
        result->value = m_dragResult;
        result->axis = m_rotationAxis;
        result->angle = m_rotationAngle;
    }
    return answer;
}

int CMapSelectMgr::DragMove(int x, int y, bool snap) {
    Ogre::Vector3 o, f, onRay, onAxis, between;
    if (!PressRay(x, y, o, f))
        return RESULT_NOTHING_NEW;
    ID3dUtil::IntersectLineSegments(o, f, m_axisLine[0], m_axisLine[1], onRay, onAxis, between);
    Ogre::Vector3 value = onAxis - m_dragStart;
    if (snap)
        value = GizmoDragRules::SnapAlongAxis(value, m_axisDirection, m_snap.move);
    if (!d3dx::IsFinite(value) || value == m_dragValue)
        return RESULT_NOTHING_NEW;
    m_dragValue = m_dragResult = value;
    return 1;
}

int CMapSelectMgr::DragRotate(int x, int y, bool snap) {
    const Ogre::Vector3 g = RotateDirection(x, y);
    Ogre::Vector3 axis;
    float angle = 0.0f;
    if (!GizmoDragRules::RotationSincePress(m_dragPart, m_dragStart, g,
                                            m_views[m_pressViewIndex].viewNormal, axis, angle))
        return RESULT_NOTHING_NEW;
    if (snap && IsUsableSnapStep(m_snap.degrees))
        angle = GizmoDragRules::SnapToStep(angle, m_snap.degrees * kRadiansPerDegree);
    const Ogre::Vector3 value = GizmoDragRules::AxisAngleToYawPitchRoll(axis, angle);
    if (!d3dx::IsFinite(value))
        return RESULT_NOTHING_NEW;
    m_rotationAxis = axis;
    m_rotationAngle = angle;
    if (value == m_dragValue)
        return RESULT_NOTHING_NEW;
    m_dragValue = m_dragResult = value;
    return 1;
}

int CMapSelectMgr::DragScale(int viewNumber, int x, int y, bool snap) {
    // Each result is the ratio since the previous step; the gizmo is stretched by the total
    // factor since the press so that the grabbed box follows the pointer.
    // The total since the press has a floor above 0: dragged inward past the centre, the
    // entity stays at its smallest and is never grown (or mirrored) again.
    float m = 0.0f;
    if (m_dragPart == PART_SCALE_ALL) {
        const PixelRect rect = m_pressView->pixelRect();
        if (!GizmoDragRules::UniformScaleTotal(x - m_pressX, rect.right - rect.left, m))
            return RESULT_NOTHING_NEW;
    } else {
        Ogre::Vector3 o, far, onRay, h, between;
        if (!PressRay(x, y, o, far))
            return RESULT_NOTHING_NEW;
        ID3dUtil::IntersectLineSegments(o, far, m_axisLine[0], m_axisLine[1], onRay, h, between);
        const Ogre::Vector3 c0 = m_savedViews[m_pressViewIndex].axisPoints[2 * m_activeElement];
        if (!GizmoDragRules::AxisScaleTotal(h, c0, m_axisDirection, m_referenceLength, m))
            return RESULT_NOTHING_NEW;
    }
    // Snapped, the total since the press is a multiple of the step (never 0); the previous
    // factor is always the total last applied, so that letting go of Ctrl continues from the
    // pointer and the ratios still multiply up to the total.
    if (snap) {
        const float snapped = GizmoDragRules::SnapScaleTotal(m, m_snap.scale);
        if (snapped == m_prevScale)
            return RESULT_NOTHING_NEW;
        m = snapped;
    }
    // A vanishing or non-finite factor is refused before anything changes: the previous factor
    // stays, so the next step never divides by zero and the ratios still multiply up to the
    // total since the press.
    float f = 1.0f;
    if (!GizmoDragRules::ScaleRatio(m, m_prevScale, f))
        return RESULT_NOTHING_NEW;
    Ogre::Vector3 value(1, 1, 1);
    if (m_dragPart == PART_SCALE_ALL)
        value = Ogre::Vector3(f, f, f);
    else
        value[m_activeElement] = f;
    m_prevScale = m;

    GizmoViewState& first = m_views[0];
    const GizmoViewState& pressed = m_savedViews[0];
    for (int e = 0; e < kAxisCount; ++e) {
        if (e != m_activeElement && m_activeElement != ELEMENT_CENTRE)
            continue;
        const Ogre::Vector3 p0 = pressed.axisPoints[2 * e];
        const Ogre::Vector3 p1 = pressed.axisPoints[2 * e + 1];
        const Ogre::Vector3 end = p0 + (p1 - p0) * m;
        first.axisPoints[2 * e + 1] = end;
        first.elements[e][3][0] = end.x;
        first.elements[e][3][1] = end.y;
        first.elements[e][3][2] = end.z;
        if (m_nodes[NODE_BOX_X + e]) {
            BeforeNodeChange();
            m_nodes[NODE_BOX_X + e]->setPosition(end);
        }
    }
    const int shownView =
        (viewNumber >= 0 && viewNumber < kViewCount) ? viewNumber : m_pressViewIndex;
    UpdateAxisMesh(m_views[shownView].axisPoints, m_activeElement);
    m_dragResult = value;
    return 1;
}

int CMapSelectMgr::OnRelease(IView*, int, int, int, int) {
    if (m_dragPart == PART_NONE)
        return 0;
    EndDrag();
    return 1;
}

int CMapSelectMgr::CancelDrag() {
    if (m_dragPart == PART_NONE)
        return 0;
    EndDrag();
    // Nothing is held any more and nothing was done: the gizmo shows its normal colours.
    m_activeElement = ELEMENT_NONE;
    SetNormalColours();
    UpdateAxisMesh(nullptr, ELEMENT_CENTRE);
    return 1;
}

void CMapSelectMgr::EndDrag() {
    if (m_mode == MODE_SCALE) {
        for (int n = 0; n < kViewCount; ++n)
            m_views[n] = m_savedViews[n];
        UpdateAxisMesh(m_views[0].axisPoints, m_activeElement);
        for (int e = 0; e < kAxisCount; ++e)
            if (m_nodes[NODE_BOX_X + e]) {
                BeforeNodeChange();
                m_nodes[NODE_BOX_X + e]->setPosition(m_views[0].axisPoints[2 * e + 1]);
            }
    }
    m_dragPart = PART_NONE;
    if (m_viewHost)
        m_viewHost->redraw();
}

// Turning pointer motion into move, rotate and scale values, and ending a drag.
#include "CMapSelectMgr.h"

#include "ID3dUtil.h"
#include "IView.h"
#include "Interface.h"
#include "D3dxMath.h"

#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace GizmoGeometry;

bool CMapSelectMgr::PressRay(int x, int y, Ogre::Vector3& nearPoint,
                             Ogre::Vector3& farPoint) const {
    if (!m_pressView)
        return false;
    m_pressView->rayThroughPixel(x, y, nearPoint, farPoint);
    return d3dx::IsFinite(nearPoint) && d3dx::IsFinite(farPoint) &&
           d3dx::Vec3Normalize(farPoint - nearPoint) != Ogre::Vector3::ZERO;
}

Ogre::Vector3 CMapSelectMgr::SphereRule(int x, int y) const {
    Ogre::Vector3 o, f;
    if (!PressRay(x, y, o, f))
        return Ogre::Vector3::ZERO;
    const Ogre::Vector3 dir = d3dx::Vec3Normalize(f - o);
    const GizmoViewState& state = m_views[m_pressViewIndex];
    const Ogre::Vector3 c = m_entityPosition;
    const float radius = kInnerRingRadius * state.sizeFactor;
    Ogre::Vector3 d = o + dir * (c - o).dotProduct(dir);
    const float gap = (d - c).squaredLength();
    if (radius * radius > gap)
        d = d - dir * std::sqrt(radius * radius - gap);
    if (m_dragPart >= PART_ROTATE_X && m_dragPart <= PART_ROTATE_Z) {
        const Ogre::Vector3& a = state.ringAxis;
        d = d + a * (c - d).dotProduct(a);
    }
    return d3dx::Vec3Normalize(c - d);
}

Ogre::Vector3 CMapSelectMgr::ViewRingRule(int x, int y) const {
    Ogre::Vector3 o, f;
    if (!PressRay(x, y, o, f))
        return Ogre::Vector3::ZERO;
    const Ogre::Vector3 dir = d3dx::Vec3Normalize(f - o);
    const Ogre::Vector3& a = m_views[m_pressViewIndex].ringAxis;
    const Ogre::Vector3 c = m_entityPosition;
    const float facing = dir.dotProduct(a);
    const Ogre::Vector3 d =
        std::fabs(facing) < 0.0001f ? o : o - dir * ((o - c).dotProduct(a) / facing);
    return d3dx::Vec3Normalize(c - d);
}

namespace {

// Rotation about a unit axis as (pitch, yaw, roll); the principal axes need no matrix.
Ogre::Vector3 AxisAngleToYawPitchRoll(const Ogre::Vector3& axis, float angle) {
    if (axis.x >= 0.999f)
        return Ogre::Vector3(angle, 0, 0);
    if (axis.x <= -0.999f)
        return Ogre::Vector3(-angle, 0, 0);
    if (axis.y >= 0.999f)
        return Ogre::Vector3(0, angle, 0);
    if (axis.y <= -0.999f)
        return Ogre::Vector3(0, -angle, 0);
    if (axis.z >= 0.999f)
        return Ogre::Vector3(0, 0, angle);
    if (axis.z <= -0.999f)
        return Ogre::Vector3(0, 0, -angle);
    Ogre::Matrix4 m;
    d3dx::MatrixRotationAxis(m, axis, angle);
    return ID3dUtil::GenerateYPRFromMat(m);
}

} // namespace

int CMapSelectMgr::OnDrag(IView*, int viewNumber, int, int x, int y) {
    if (m_dragPart == PART_NONE)
        return 0;
    if (!m_pressView)
        return RESULT_NOTHING_NEW;

    if (m_dragPart >= PART_MOVE_X && m_dragPart <= PART_MOVE_Z) {
        Ogre::Vector3 o, f, onRay, onAxis, between;
        if (!PressRay(x, y, o, f))
            return RESULT_NOTHING_NEW;
        ID3dUtil::IntersectLineSegments(o, f, m_axisLine[0], m_axisLine[1], onRay, onAxis, between);
        const Ogre::Vector3 value = onAxis - m_dragStart;
        if (!d3dx::IsFinite(value) || value == m_dragValue)
            return RESULT_NOTHING_NEW;
        m_dragValue = m_dragResult = value;
        return 1;
    }

    if (m_dragPart >= PART_ROTATE_VIEW && m_dragPart <= PART_ROTATE_Z) {
        const Ogre::Vector3 g =
            m_dragPart == PART_ROTATE_VIEW ? ViewRingRule(x, y) : SphereRule(x, y);
        if (!d3dx::IsFinite(g) || g == Ogre::Vector3::ZERO)
            return RESULT_NOTHING_NEW;
        if (m_dragPart != PART_ROTATE_FREE && std::fabs(g.x) <= 0.1f && std::fabs(g.y) <= 0.1f &&
            std::fabs(g.z) <= 0.1f)
            return RESULT_NOTHING_NEW;
        const float angle = std::acos(std::clamp(g.dotProduct(m_dragStart), -1.0f, 1.0f));
        Ogre::Vector3 axis = d3dx::Vec3Normalize(m_dragStart.crossProduct(g));
        if (axis.length() < 0.9f) {
            if (m_dragPart == PART_ROTATE_FREE)
                return RESULT_NOTHING_NEW;
            axis = m_views[m_pressViewIndex].viewNormal;
        }
        const Ogre::Vector3 value = AxisAngleToYawPitchRoll(axis, angle);
        if (!d3dx::IsFinite(value) || !d3dx::IsFinite(angle) || !d3dx::IsFinite(axis))
            return RESULT_NOTHING_NEW;
        m_rotationAxis = axis;
        m_rotationAngle = angle;
        if (value == m_dragValue)
            return RESULT_NOTHING_NEW;
        m_dragValue = m_dragResult = value;
        return 1;
    }

    if (m_dragPart < PART_SCALE_ALL || m_dragPart > PART_SCALE_Z)
        return RESULT_NOTHING_NEW;

    // Scale: each result is the ratio since the previous step; the gizmo is stretched by the
    // total factor since the press so that the grabbed box follows the pointer.
    float m = 0.0f;
    float total = 0.0f;
    Ogre::Vector3 value(1, 1, 1);
    float sign = 1.0f;
    if (m_dragPart == PART_SCALE_ALL) {
        const PixelRect rect = m_pressView->pixelRect();
        const int width = rect.right - rect.left;
        if (width <= 0)
            return RESULT_NOTHING_NEW;
        m = static_cast<float>(x - m_pressX) * kUniformScaleSpeed / static_cast<float>(width) + 1.0f;
        const float f = std::fabs(m / m_prevScale);
        value = Ogre::Vector3(f, f, f);
        total = m;
    } else {
        if (!(m_referenceLength > 0.0f))
            return RESULT_NOTHING_NEW;
        Ogre::Vector3 o, far, onRay, h, q;
        if (!PressRay(x, y, o, far))
            return RESULT_NOTHING_NEW;
        ID3dUtil::IntersectLineSegments(o, far, m_axisLine[0], m_axisLine[1], onRay, h, q);
        const Ogre::Vector3 c0 = m_savedViews[m_pressViewIndex].axisPoints[2 * m_activeElement];
        m = h.distance(c0) / m_referenceLength;
        const float f = m / m_prevScale;
        if (m_axisDirection.dotProduct(q - m_entityPosition) < 0.0f)
            sign = -1.0f;
        value[m_activeElement] = f;
        total = sign * m;
    }
    // A vanishing or non-finite factor is refused before anything changes: the previous factor
    // stays, so the next step never divides by zero and the ratios still multiply up to the
    // total since the press.
    if (!d3dx::IsFinite(value) || !std::isfinite(total) || std::fabs(value.x) < 0.0001f ||
        std::fabs(value.y) < 0.0001f || std::fabs(value.z) < 0.0001f)
        return RESULT_NOTHING_NEW;
    m_prevScale = m;

    GizmoViewState& first = m_views[0];
    const GizmoViewState& pressed = m_savedViews[0];
    for (int e = 0; e < kAxisCount; ++e) {
        if (e != m_activeElement && m_activeElement != ELEMENT_CENTRE)
            continue;
        const Ogre::Vector3 p0 = pressed.axisPoints[2 * e];
        const Ogre::Vector3 p1 = pressed.axisPoints[2 * e + 1];
        const Ogre::Vector3 end = p0 + (p1 - p0) * total;
        first.axisPoints[2 * e + 1] = end;
        first.elements[e][3][0] = end.x;
        first.elements[e][3][1] = end.y;
        first.elements[e][3][2] = end.z;
        if (m_nodes[NODE_BOX_X + e])
            m_nodes[NODE_BOX_X + e]->setPosition(end);
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
    if (m_mode == MODE_SCALE) {
        for (int n = 0; n < kViewCount; ++n)
            m_views[n] = m_savedViews[n];
        UpdateAxisMesh(m_views[0].axisPoints, m_activeElement);
        for (int e = 0; e < kAxisCount; ++e)
            if (m_nodes[NODE_BOX_X + e])
                m_nodes[NODE_BOX_X + e]->setPosition(m_views[0].axisPoints[2 * e + 1]);
    }
    m_dragPart = PART_NONE;
    if (m_viewHost)
        m_viewHost->redraw();
    return 1;
}

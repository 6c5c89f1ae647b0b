// The drag rules on plain values.
#include "GizmoDragRules.h"

#include "D3dxMath.h"
#include "ID3dUtil.h"

#include <algorithm>
#include <cmath>

namespace {

// A ray running along the view-ring plane within this (cosine) crosses it nowhere measurable.
constexpr float kAlongPlane = 0.0001f;
// A direction with no component beyond this is no direction (parts other than the free turn).
constexpr float kNoDirection = 0.1f;
// A normalised cross product shorter than this means the two directions were parallel.
constexpr float kParallelAxis = 0.9f;
// An axis within this (cosine) of a principal axis is taken as that axis.
constexpr float kPrincipalAxis = 0.999f;
// Two unit directions closer than this are the same direction up to rounding: normalising the
// same vector twice, or a dot product of a unit vector with itself (0.99999994, whose arccos
// is 3.45e-4 rad), stays far below it, while one pixel of pointer motion on the rings turns the
// direction by about 0.01.
constexpr float kSameDirection = 1e-5f;
// A scale step factor below this is refused.
constexpr float kVanishingFactor = 0.0001f;

} // namespace

namespace GizmoDragRules {

bool MakeRay(const Ogre::Vector3& nearPoint, const Ogre::Vector3& farPoint, DragRay& ray) {
    if (!d3dx::IsFinite(nearPoint) || !d3dx::IsFinite(farPoint))
        return false;
    const Ogre::Vector3 direction = d3dx::Vec3Normalize(farPoint - nearPoint);
    if (direction == Ogre::Vector3::ZERO)
        return false;
    ray.origin = nearPoint;
    ray.direction = direction;
    return true;
}

Ogre::Vector3 SphereDirection(const DragRay& ray, const DragFrame& frame, GizmoPart part) {
    const Ogre::Vector3& o = ray.origin;
    const Ogre::Vector3& dir = ray.direction;
    const Ogre::Vector3& c = frame.centre;
    const float radius = GizmoGeometry::kInnerRingRadius * frame.sizeFactor;
    Ogre::Vector3 d = o + dir * (c - o).dotProduct(dir);
    const float gap = (d - c).squaredLength();
    if (radius * radius > gap)
        d = d - dir * std::sqrt(radius * radius - gap);
    if (part == GizmoPart::RotateX || part == GizmoPart::RotateY || part == GizmoPart::RotateZ) {
        const Ogre::Vector3& a = frame.ringAxis;
        d = d + a * (c - d).dotProduct(a);
    }
    return d3dx::Vec3Normalize(c - d);
}

Ogre::Vector3 ViewRingDirection(const DragRay& ray, const DragFrame& frame) {
    const Ogre::Vector3& o = ray.origin;
    const Ogre::Vector3& dir = ray.direction;
    const Ogre::Vector3& a = frame.ringAxis;
    const Ogre::Vector3& c = frame.centre;
    const float facing = dir.dotProduct(a);
    const Ogre::Vector3 d =
        std::fabs(facing) < kAlongPlane ? o : o - dir * ((o - c).dotProduct(a) / facing);
    return d3dx::Vec3Normalize(c - d);
}

Ogre::Vector3 AxisAngleToYawPitchRoll(const Ogre::Vector3& axis, float angle) {
    if (axis.x >= kPrincipalAxis)
        return Ogre::Vector3(angle, 0, 0);
    if (axis.x <= -kPrincipalAxis)
        return Ogre::Vector3(-angle, 0, 0);
    if (axis.y >= kPrincipalAxis)
        return Ogre::Vector3(0, angle, 0);
    if (axis.y <= -kPrincipalAxis)
        return Ogre::Vector3(0, -angle, 0);
    if (axis.z >= kPrincipalAxis)
        return Ogre::Vector3(0, 0, angle);
    if (axis.z <= -kPrincipalAxis)
        return Ogre::Vector3(0, 0, -angle);
    d3dx::RowMatrix m;
    d3dx::MatrixRotationAxis(m, axis, angle);
    return ID3dUtil::GenerateYPRFromMat(m.HostRows());
}

bool RotationSincePress(GizmoPart part, const Ogre::Vector3& start, const Ogre::Vector3& g,
                        const Ogre::Vector3& viewNormal, Ogre::Vector3& axis, float& angle) {
    if (!d3dx::IsFinite(g) || g == Ogre::Vector3::ZERO)
        return false;
    if (part != GizmoPart::RotateFree && std::fabs(g.x) <= kNoDirection &&
        std::fabs(g.y) <= kNoDirection && std::fabs(g.z) <= kNoDirection)
        return false;
    // Back at the press direction: the whole rotation since the press is none, so the entity
    // returns exactly to where the press found it (and repeated returns cannot creep).
    if ((g - start).squaredLength() <= kSameDirection * kSameDirection) {
        axis = viewNormal;
        angle = 0.0f;
        return d3dx::IsFinite(axis);
    }
    const float turn = std::acos(std::clamp(g.dotProduct(start), -1.0f, 1.0f));
    Ogre::Vector3 about = d3dx::Vec3Normalize(start.crossProduct(g));
    if (about.length() < kParallelAxis) {
        if (part == GizmoPart::RotateFree)
            return false;
        about = viewNormal;
    }
    if (!std::isfinite(turn) || !d3dx::IsFinite(about))
        return false;
    axis = about;
    angle = turn;
    return true;
}

bool UniformScaleTotal(int dx, int width, float& total) {
    if (width <= 0)
        return false;
    const float m =
        static_cast<float>(dx) * GizmoGeometry::kUniformScaleSpeed / static_cast<float>(width) +
        1.0f;
    total = std::max(m, GizmoGeometry::kMinScaleTotal);
    return true;
}

bool AxisScaleTotal(const Ogre::Vector3& onAxis, const Ogre::Vector3& centre,
                    const Ogre::Vector3& direction, float referenceLength, float& total) {
    if (!(referenceLength > 0.0f))
        return false;
    // Signed: a point on the far side of the centre has passed it, and the floor holds there.
    const float m = (onAxis - centre).dotProduct(direction) / referenceLength;
    if (!std::isfinite(m))
        return false;
    total = std::max(m, GizmoGeometry::kMinScaleTotal);
    return true;
}

bool ScaleRatio(float total, float previous, float& ratio) {
    const float r = std::fabs(total / previous);
    if (!std::isfinite(total) || !std::isfinite(r) || r < kVanishingFactor)
        return false;
    ratio = r;
    return true;
}

float SnapToStep(float value, float step) {
    if (!IsUsableSnapStep(step) || !std::isfinite(value))
        return value;
    const double snapped = std::round(double(value) / double(step)) * double(step);
    const float result = static_cast<float>(snapped);
    return std::isfinite(result) ? result : value;
}

Ogre::Vector3 SnapAlongAxis(const Ogre::Vector3& value, const Ogre::Vector3& axis, float step) {
    if (!IsUsableSnapStep(step) || !d3dx::IsFinite(value) || !d3dx::IsFinite(axis))
        return value;
    const float along = SnapToStep(value.dotProduct(axis), step);
    const Ogre::Vector3 snapped = axis * along;
    return d3dx::IsFinite(snapped) ? snapped : value;
}

Ogre::Vector3 SnapInPlane(const Ogre::Vector3& value, const Ogre::Vector3& u,
                          const Ogre::Vector3& v, float step) {
    if (!IsUsableSnapStep(step) || !d3dx::IsFinite(value) || !d3dx::IsFinite(u) ||
        !d3dx::IsFinite(v))
        return value;
    const Ogre::Vector3 snapped = SnapAlongAxis(value, u, step) + SnapAlongAxis(value, v, step);
    return d3dx::IsFinite(snapped) ? snapped : value;
}

bool RayPlane(const DragRay& ray, const Ogre::Vector3& point, const Ogre::Vector3& normal,
              Ogre::Vector3& hit) {
    const float facing = ray.direction.dotProduct(normal);
    if (!std::isfinite(facing) || std::fabs(facing) < kAlongPlane)
        return false;
    const float t = (point - ray.origin).dotProduct(normal) / facing;
    if (!std::isfinite(t) || t < 0.0f)
        return false;
    hit = ray.origin + ray.direction * t;
    return d3dx::IsFinite(hit);
}

bool InPlaneSquare(const Ogre::Vector3& point, const Ogre::Vector3& centre, const Ogre::Vector3& u,
                   const Ogre::Vector3& v, float sizeFactor) {
    if (!(sizeFactor > 0.0f) || !std::isfinite(sizeFactor))
        return false;
    const Ogre::Vector3 offset = (point - centre) / sizeFactor;
    const float a = offset.dotProduct(u) - GizmoGeometry::kPlaneHandleOffset;
    const float b = offset.dotProduct(v) - GizmoGeometry::kPlaneHandleOffset;
    return std::fabs(a) <= GizmoGeometry::kPlaneHandleHalfSize &&
           std::fabs(b) <= GizmoGeometry::kPlaneHandleHalfSize;
}

bool PlaneFacesView(const Ogre::Vector3& normal, const Ogre::Vector3& viewDirection) {
    const float facing = std::fabs(normal.dotProduct(viewDirection));
    return std::isfinite(facing) && facing >= GizmoGeometry::kPlaneMinFacing;
}

float SnapScaleTotal(float total, float step) {
    if (!IsUsableSnapStep(step) || !std::isfinite(total))
        return total;
    const float snapped = SnapToStep(total, step);
    if (snapped != 0.0f)
        return snapped;
    return std::signbit(total) ? -step : step;
}

} // namespace GizmoDragRules

#include "SnapGeometry.h"

#include <algorithm>
#include <cmath>

namespace SnapGeometry {

namespace {

bool Finite(const Ogre::Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

bool PixelProjection::CameraToPixel(const Ogre::Vector3& camera, Ogre::Vector2& pixel,
                                    float& ahead) const {
    ahead = -camera.z;
    if (!Finite(camera) || !(ahead >= nearClip) || !(halfWidth > 0.0f) || !(halfHeight > 0.0f))
        return false;
    const float spread = orthographic ? 1.0f : ahead;
    if (!(spread > 0.0f))
        return false;
    const float ndcX = camera.x / (halfWidth * spread);
    const float ndcY = camera.y / (halfHeight * spread);
    pixel.x = (ndcX + 1.0f) * 0.5f * width;
    pixel.y = (1.0f - ndcY) * 0.5f * height;
    return std::isfinite(pixel.x) && std::isfinite(pixel.y);
}

float BoxPixelDistance(const PixelProjection& view, const Ogre::AxisAlignedBox& box,
                       const Ogre::Vector2& pixel) {
    if (box.isNull())
        return std::numeric_limits<float>::infinity();
    if (!box.isFinite())
        return 0.0f;
    const Ogre::Vector3 low = box.getMinimum(), high = box.getMaximum();
    if (!Finite(low) || !Finite(high))
        return 0.0f;
    Ogre::Vector2 lowPixel(std::numeric_limits<float>::max()), highPixel(-lowPixel.x);
    for (int corner = 0; corner < 8; ++corner) {
        const Ogre::Vector3 p((corner & 1) ? high.x : low.x, (corner & 2) ? high.y : low.y,
                              (corner & 4) ? high.z : low.z);
        Ogre::Vector2 at;
        float ahead = 0.0f;
        if (!view.ToPixel(p, at, ahead))
            return 0.0f;
        lowPixel.makeFloor(at);
        highPixel.makeCeil(at);
    }
    const float dx = std::max({lowPixel.x - pixel.x, 0.0f, pixel.x - highPixel.x});
    const float dy = std::max({lowPixel.y - pixel.y, 0.0f, pixel.y - highPixel.y});
    return std::sqrt(dx * dx + dy * dy);
}

PixelCone ConeThrough(const PixelProjection& view, const Ogre::Vector2& pixel) {
    PixelCone cone;
    const float ndcX = 2.0f * pixel.x / view.width - 1.0f;
    const float ndcY = 1.0f - 2.0f * pixel.y / view.height;
    const Ogre::Matrix3 toWorld = view.toCamera.Transpose();
    const Ogre::Vector3 side(ndcX * view.halfWidth, ndcY * view.halfHeight, 0.0f);
    cone.perspective = !view.orthographic;
    cone.perPixel = 2.0f * view.halfHeight / view.height;
    if (view.orthographic) {
        cone.origin = view.eye + toWorld * side;
        cone.direction = toWorld * Ogre::Vector3::NEGATIVE_UNIT_Z;
    } else {
        cone.origin = view.eye;
        cone.direction = (toWorld * (side + Ogre::Vector3::NEGATIVE_UNIT_Z)).normalisedCopy();
    }
    return cone;
}

bool SphereMayReach(const PixelCone& cone, const Ogre::Vector3& centre, float radius,
                    float pixels) {
    if (!Finite(centre) || !std::isfinite(radius) || !Finite(cone.origin) ||
        !Finite(cone.direction))
        return true;
    const Ogre::Vector3 v = centre - cone.origin;
    const float along = v.dotProduct(cone.direction);
    const float vv = v.dotProduct(v);
    // Widened by more than the rounding of these sums can account for.
    const float reach = radius * 1.0001f + 1e-4f + 1e-6f * std::sqrt(vv);
    if (along < -reach)
        return false;
    const float spread = cone.perPixel * pixels * (cone.perspective ? std::sqrt(vv) + reach : 1.0f);
    const float limit = reach + spread * 1.0001f;
    return vv - along * along <= limit * limit + 1e-5f * vv;
}

bool NearestVertex::Consider(const PixelProjection& view, const Ogre::Vector3& point,
                             const Ogre::Vector2& pixel, float radius, const void* pointOwner) {
    Ogre::Vector2 at;
    float ahead = 0.0f;
    if (!Finite(point) || !view.ToPixel(point, at, ahead))
        return false;
    const float distance = at.distance(pixel);
    if (!std::isfinite(distance) || (radius > 0.0f && distance > radius))
        return false;
    const bool better =
        distance < pixels - kTiePixels || (distance <= pixels + kTiePixels && ahead < this->ahead);
    if (found && !better)
        return false;
    found = true;
    world = point;
    pixels = distance;
    this->ahead = ahead;
    owner = pointOwner;
    return true;
}

void ConsiderPoints(const PixelProjection& view, const Ogre::Matrix4& toWorld,
                    const Ogre::Vector3* points, std::size_t count, const Ogre::Vector2& pixel,
                    float radius, const void* owner, NearestVertex& best) {
    // Straight to camera space: one matrix for the whole mesh.
    Ogre::Matrix4 toEye = Ogre::Matrix4::IDENTITY;
    toEye.setTrans(-view.eye);
    const Ogre::Matrix4 toView = Ogre::Matrix4(view.toCamera) * toEye * toWorld;
    for (std::size_t i = 0; i < count; ++i) {
        const Ogre::Vector3& local = points[i];
        if (!Finite(local))
            continue;
        const Ogre::Vector3 camera = Affine(toView, local);
        Ogre::Vector2 at;
        float ahead = 0.0f;
        if (!view.CameraToPixel(camera, at, ahead))
            continue;
        const float distance = at.distance(pixel);
        if (radius > 0.0f && !(distance <= radius))
            continue;
        if (best.found && distance > best.pixels + NearestVertex::kTiePixels)
            continue;
        // Worked out again from the world point, so that what is kept is exact in the world.
        best.Consider(view, Affine(toWorld, local), pixel, radius, owner);
    }
}

float RayTriangle(const Ogre::Vector3& origin, const Ogre::Vector3& direction,
                  const Ogre::Vector3& a, const Ogre::Vector3& b, const Ogre::Vector3& c) {
    const Ogre::Vector3 e1 = b - a, e2 = c - a;
    const Ogre::Vector3 p = direction.crossProduct(e2);
    const float det = e1.dotProduct(p);
    if (!(std::fabs(det) > 1e-20f))
        return -1.0f;
    const float inv = 1.0f / det;
    const Ogre::Vector3 s = origin - a;
    const float u = s.dotProduct(p) * inv;
    if (!(u >= 0.0f && u <= 1.0f))
        return -1.0f;
    const Ogre::Vector3 q = s.crossProduct(e1);
    const float v = direction.dotProduct(q) * inv;
    if (!(v >= 0.0f && u + v <= 1.0f))
        return -1.0f;
    const float t = e2.dotProduct(q) * inv;
    return t >= 0.0f && std::isfinite(t) ? t : -1.0f;
}

Ogre::Vector3 FacingNormal(const Ogre::Vector3& a, const Ogre::Vector3& b, const Ogre::Vector3& c,
                           const Ogre::Vector3& towards) {
    Ogre::Vector3 n = (b - a).crossProduct(c - a);
    const float length = n.length();
    if (!(length > 0.0f) || !std::isfinite(length))
        return Ogre::Vector3::ZERO;
    n /= length;
    return n.dotProduct(towards) < 0.0f ? -n : n;
}

} // namespace SnapGeometry

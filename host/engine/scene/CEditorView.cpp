// Editor views: camera placement, projection to pixels, pick tests and navigation.
//
// The projection is computed here from the camera's parameters (field of view, aspect,
// clip distances, orthographic height), the same ones the Ogre camera renders with, rather
// than through a combined view-projection matrix: with clip planes 0.03 and 30000 apart a
// float matrix inverse loses most of its precision.
#include "CEditorView.h"

#include "CEditorEntity.h"
#include "SceneEntity.h"

#include <OgreCamera.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>

namespace {

// A point through a row-vector matrix (p x M, with the perspective divide when there is one).
Ogre::Vector3 RowTransform(const Ogre::Vector3& p, const Ogre::Matrix4& m) {
    const float x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
    const float y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
    const float z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
    const float w = p.x * m[0][3] + p.y * m[1][3] + p.z * m[2][3] + m[3][3];
    if (w != 1.0f && std::fabs(w) > 1e-12f)
        return Ogre::Vector3(x / w, y / w, z / w);
    return Ogre::Vector3(x, y, z);
}

// Liang-Barsky: does the 2-D segment (x0, y0)-(x1, y1) touch [l, r] x [t, b]?
bool SegmentInRect(float x0, float y0, float x1, float y1, float l, float t, float r, float b) {
    float u0 = 0.0f, u1 = 1.0f;
    const float dx = x1 - x0, dy = y1 - y0;
    const float p[4] = {-dx, dx, -dy, dy};
    const float q[4] = {x0 - l, r - x0, y0 - t, b - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0f) {
            if (q[i] < 0.0f)
                return false;
            continue;
        }
        const float u = q[i] / p[i];
        if (p[i] < 0.0f)
            u0 = std::max(u0, u);
        else
            u1 = std::min(u1, u);
        if (u0 > u1)
            return false;
    }
    return true;
}

} // namespace

CEditorView::CEditorView(Ogre::SceneManager* sceneManager, const std::string& name)
    : m_sceneManager(sceneManager) {
    m_camera = sceneManager->createCamera(name);
    m_camera->setNearClipDistance(0.1f);
    m_camera->setFarClipDistance(5000.0f);
    m_camera->setFOVy(Ogre::Degree(45));
    m_node = sceneManager->getRootSceneNode()->createChildSceneNode();
    m_node->attachObject(m_camera);
    SetPixelSize(800, 600);
    LookAt(Ogre::Vector3(0, 20, 40), Ogre::Vector3::ZERO);
}

CEditorView::~CEditorView() {
    m_node->detachAllObjects();
    m_sceneManager->destroyCamera(m_camera);
    m_sceneManager->getRootSceneNode()->removeAndDestroyChild(m_node);
}

void CEditorView::SetPixelSize(int width, int height) {
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    m_camera->setAspectRatio(SafeWidth() / SafeHeight());
    m_camera->setOrthoWindowHeight(m_orthoHeight);
}

void CEditorView::SetOrthographic(bool orthographic, float worldHeight) {
    if (std::isfinite(worldHeight) && worldHeight > 1e-4f)
        m_orthoHeight = worldHeight;
    m_camera->setProjectionType(orthographic ? Ogre::PT_ORTHOGRAPHIC : Ogre::PT_PERSPECTIVE);
    m_camera->setOrthoWindowHeight(m_orthoHeight);
}

bool CEditorView::IsOrthographic() const {
    return m_camera->getProjectionType() == Ogre::PT_ORTHOGRAPHIC;
}

Ogre::Vector3 CEditorView::GetEye() const {
    return m_node->getPosition();
}

Ogre::Vector3 CEditorView::GetDirection() const {
    return m_node->getOrientation() * Ogre::Vector3::NEGATIVE_UNIT_Z;
}

void CEditorView::LookAt(const Ogre::Vector3& eye, const Ogre::Vector3& target) {
    if (!IsFinite(eye) || !IsFinite(target))
        return;
    m_node->setPosition(eye);
    m_pivot = target;
    const Ogre::Vector3 dir = target - eye;
    if (dir.squaredLength() < 1e-12f)
        return; // keep the orientation
    // Camera axes: -Z towards the target, X level (world Y up) unless looking straight
    // up or down, where the previous right axis is kept.
    const Ogre::Vector3 z = -dir.normalisedCopy();
    Ogre::Vector3 x = Ogre::Vector3::UNIT_Y.crossProduct(z);
    if (x.squaredLength() < 1e-8f)
        x = m_node->getOrientation() * Ogre::Vector3::UNIT_X;
    x.normalise();
    Ogre::Vector3 y = z.crossProduct(x);
    y.normalise();
    x = y.crossProduct(z);
    m_node->setOrientation(Ogre::Quaternion(x, y, z));
}

void CEditorView::Orbit(float dxPixels, float dyPixels) {
    if (!std::isfinite(dxPixels) || !std::isfinite(dyPixels))
        return;
    const Ogre::Vector3 offset = GetEye() - m_pivot;
    const float radius = offset.length();
    if (radius < 1e-6f)
        return;
    float yaw = std::atan2(offset.x, offset.z) - dxPixels * 0.006f;
    float elevation = std::asin(std::max(-1.0f, std::min(1.0f, offset.y / radius)));
    elevation = std::max(-1.55f, std::min(1.55f, elevation + dyPixels * 0.006f));
    const Ogre::Vector3 dir(std::cos(elevation) * std::sin(yaw), std::sin(elevation),
                            std::cos(elevation) * std::cos(yaw));
    LookAt(m_pivot + dir * radius, m_pivot);
}

void CEditorView::Pan(float dxPixels, float dyPixels) {
    if (!std::isfinite(dxPixels) || !std::isfinite(dyPixels))
        return;
    float perPixel = sizeFactor(m_pivot) / 10.0f;
    if (!(perPixel > 0))
        perPixel = 0.05f;
    const Ogre::Quaternion q = m_node->getOrientation();
    const Ogre::Vector3 move = (q * Ogre::Vector3::UNIT_X) * (-dxPixels * perPixel) +
                               (q * Ogre::Vector3::UNIT_Y) * (dyPixels * perPixel);
    m_node->setPosition(GetEye() + move);
    m_pivot += move;
}

void CEditorView::Zoom(float wheelSteps) {
    if (!std::isfinite(wheelSteps))
        return;
    const float factor = std::pow(0.85f, std::max(-20.0f, std::min(20.0f, wheelSteps)));
    if (IsOrthographic()) {
        SetOrthographic(true, std::max(0.01f, std::min(1e6f, m_orthoHeight * factor)));
        return;
    }
    const Ogre::Vector3 offset = GetEye() - m_pivot;
    const float distance = std::max(0.5f, std::min(1e6f, offset.length() * factor));
    const Ogre::Vector3 back =
        offset.squaredLength() > 1e-12f ? offset.normalisedCopy() : -GetDirection();
    m_node->setPosition(m_pivot + back * distance);
}

// --- IView -----------------------------------------------------------------------------------

void CEditorView::setPickRegion(const PixelRect* rect, const Ogre::Matrix4* local) {
    m_hasPickRect = rect != nullptr;
    if (rect)
        m_pickRect = *rect;
    m_hasPickLocal = local != nullptr;
    m_pickLocal = local ? *local : Ogre::Matrix4::IDENTITY;
}

PixelRect CEditorView::pixelRect() const {
    PixelRect r;
    r.right = m_width;
    r.bottom = m_height;
    return r;
}

bool CEditorView::checksDepth() const {
    return !IsOrthographic();
}

void CEditorView::lineDistances(float& first, float& second) const {
    first = m_camera->getNearClipDistance();
    second = m_camera->getFarClipDistance();
}

Ogre::Vector3 CEditorView::viewOrientation() const {
    const Ogre::Quaternion turn(Ogre::Radian(Ogre::Math::PI), Ogre::Vector3::UNIT_Y);
    return CEditorEntity::YPRFromRotation(m_node->getOrientation() * turn);
}

Ogre::Vector3 CEditorView::ApplyLocal(const Ogre::Vector3& point,
                                      const Ogre::Matrix4* local) const {
    return local ? RowTransform(point, *local) : point;
}

Ogre::Vector4 CEditorView::ToClip(const Ogre::Vector3& world) const {
    // Camera space, then (ndc x * w, ndc y * w, camera distance in front, w).
    const Ogre::Quaternion& orientation = m_node->getOrientation();
    if (!(orientation == m_clipOrientation)) {
        m_clipOrientation = orientation;
        m_clipInverse = orientation.Inverse();
    }
    const Ogre::Vector3 c = m_clipInverse * (world - GetEye());
    const float ahead = -c.z;
    float halfH;
    if (IsOrthographic()) {
        halfH = m_orthoHeight * 0.5f;
    } else {
        const float fovY = m_camera->getFOVy().valueRadians();
        if (!(fovY == m_clipFovY)) {
            m_clipFovY = fovY;
            m_clipTanHalfFovY = std::tan(fovY * 0.5f);
        }
        halfH = m_clipTanHalfFovY;
    }
    const float halfW = halfH * SafeWidth() / SafeHeight();
    if (IsOrthographic())
        return Ogre::Vector4(c.x / halfW, c.y / halfH, ahead, 1.0f);
    return Ogre::Vector4(c.x / halfW, c.y / halfH, ahead, ahead);
}

Ogre::Vector3 CEditorView::ClipToPixel(const Ogre::Vector4& clip) const {
    const float n = m_camera->getNearClipDistance(), f = m_camera->getFarClipDistance();
    const float w = clip.w;
    if (!(std::fabs(w) > 1e-12f))
        return Ogre::Vector3(SafeWidth() * 0.5f, SafeHeight() * 0.5f, -1.0f);
    const float ndcX = clip.x / w, ndcY = clip.y / w;
    float depth;
    if (IsOrthographic())
        depth = (clip.z - n) / (f - n);
    else
        depth = f * (clip.z - n) / ((f - n) * clip.z); // 0 at the near plane, 1 at the far
    if (w < 0.0f)
        depth = -1.0f; // behind the camera
    const Ogre::Vector3 out((ndcX + 1.0f) * 0.5f * SafeWidth(), (1.0f - ndcY) * 0.5f * SafeHeight(),
                            depth);
    return IsFinite(out) ? out : Ogre::Vector3(0.0f, 0.0f, -1.0f);
}

SnapGeometry::PixelProjection CEditorView::Projection() const {
    SnapGeometry::PixelProjection p;
    p.eye = GetEye();
    m_node->getOrientation().Inverse().ToRotationMatrix(p.toCamera);
    p.orthographic = IsOrthographic();
    p.halfHeight =
        p.orthographic ? m_orthoHeight * 0.5f : std::tan(m_camera->getFOVy().valueRadians() * 0.5f);
    p.halfWidth = p.halfHeight * SafeWidth() / SafeHeight();
    p.width = SafeWidth();
    p.height = SafeHeight();
    p.nearClip = m_camera->getNearClipDistance();
    return p;
}

void CEditorView::projectPoint(Ogre::Vector3& out, const Ogre::Vector3& point,
                               const Ogre::Matrix4* local) const {
    const Ogre::Vector3 p = ApplyLocal(point, local);
    if (!IsFinite(p)) {
        out = Ogre::Vector3(0.0f, 0.0f, -1.0f);
        return;
    }
    out = ClipToPixel(ToClip(p));
}

void CEditorView::rayThroughPixel(int x, int y, Ogre::Vector3& nearPoint,
                                  Ogre::Vector3& farPoint) const {
    const float ndcX = 2.0f * float(x) / SafeWidth() - 1.0f;
    const float ndcY = 1.0f - 2.0f * float(y) / SafeHeight();
    const float n = m_camera->getNearClipDistance(), f = m_camera->getFarClipDistance();
    const Ogre::Quaternion q = m_node->getOrientation();
    const Ogre::Vector3 eye = GetEye();
    if (IsOrthographic()) {
        const float halfH = m_orthoHeight * 0.5f, halfW = halfH * SafeWidth() / SafeHeight();
        const Ogre::Vector3 side(ndcX * halfW, ndcY * halfH, 0.0f);
        nearPoint = eye + q * (side + Ogre::Vector3(0, 0, -n));
        farPoint = eye + q * (side + Ogre::Vector3(0, 0, -f));
        return;
    }
    const float halfH = std::tan(m_camera->getFOVy().valueRadians() * 0.5f);
    const float halfW = halfH * SafeWidth() / SafeHeight();
    const Ogre::Vector3 dir = q * Ogre::Vector3(ndcX * halfW, ndcY * halfH, -1.0f);
    nearPoint = eye + dir * n;
    farPoint = eye + dir * f;
}

float CEditorView::sizeFactor(const Ogre::Vector3& point) const {
    if (!IsFinite(point))
        return 0.0f;
    if (IsOrthographic())
        return 10.0f * m_orthoHeight / SafeHeight();
    const float ahead = (point - GetEye()).dotProduct(GetDirection());
    const float halfH = std::tan(m_camera->getFOVy().valueRadians() * 0.5f);
    return 10.0f * 2.0f * ahead * halfH / SafeHeight();
}

bool CEditorView::SegmentTouchesRect(Ogre::Vector3 a, Ogre::Vector3 b) const {
    if (!m_hasPickRect || !IsFinite(a) || !IsFinite(b))
        return false;
    // Clip to the part in front of the near plane, in camera space.
    const float n = m_camera->getNearClipDistance();
    Ogre::Vector4 ca = ToClip(a), cb = ToClip(b);
    if (ca.z < n && cb.z < n)
        return false;
    if (ca.z < n || cb.z < n) {
        const float s = (n - ca.z) / (cb.z - ca.z);
        const Ogre::Vector3 cut = a + (b - a) * s;
        (ca.z < n ? ca : cb) = ToClip(cut);
    }
    const Ogre::Vector3 pa = ClipToPixel(ca), pb = ClipToPixel(cb);
    return SegmentInRect(pa.x, pa.y, pb.x, pb.y, float(m_pickRect.left), float(m_pickRect.top),
                         float(m_pickRect.right), float(m_pickRect.bottom));
}

int CEditorView::testSegment(const Ogre::Vector3& a, const Ogre::Vector3& b,
                             const Ogre::Matrix4* local) {
    // Without a matrix of its own the segment is in the pick region's space, like the other
    // tests.
    if (!local && m_hasPickLocal)
        local = &m_pickLocal;
    return SegmentTouchesRect(ApplyLocal(a, local), ApplyLocal(b, local)) ? 1 : 2;
}

int CEditorView::testBox(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner) {
    if (!m_hasPickRect || !IsFinite(minCorner) || !IsFinite(maxCorner))
        return 2;
    const Ogre::Matrix4* local = m_hasPickLocal ? &m_pickLocal : nullptr;
    const Ogre::Vector3 lo(std::min(minCorner.x, maxCorner.x), std::min(minCorner.y, maxCorner.y),
                           std::min(minCorner.z, maxCorner.z));
    const Ogre::Vector3 hi(std::max(minCorner.x, maxCorner.x), std::max(minCorner.y, maxCorner.y),
                           std::max(minCorner.z, maxCorner.z));
    Ogre::Vector3 c[8];
    for (int i = 0; i < 8; ++i)
        c[i] = ApplyLocal(
            Ogre::Vector3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z), local);
    // An edge crossing the rectangle, or a box covering all of it (the ray through the
    // rectangle's centre enters the box).
    static const int edges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                     {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (const auto& e : edges)
        if (SegmentTouchesRect(c[e[0]], c[e[1]]))
            return 1;
    Ogre::Vector3 nearPoint, farPoint;
    rayThroughPixel((m_pickRect.left + m_pickRect.right) / 2,
                    (m_pickRect.top + m_pickRect.bottom) / 2, nearPoint, farPoint);
    if (local) {
        // Back into the box's own space.
        Ogre::Matrix4 column = local->transpose();
        if (std::fabs(column.determinant()) < 1e-20f)
            return 2;
        const Ogre::Matrix4 inv = column.inverse();
        nearPoint = inv * nearPoint;
        farPoint = inv * farPoint;
    }
    const Ogre::Vector3 dir = farPoint - nearPoint;
    if (dir.squaredLength() < 1e-20f)
        return 2;
    const Ogre::Ray ray(nearPoint, dir.normalisedCopy());
    const auto hit = Ogre::Math::intersects(ray, Ogre::AxisAlignedBox(lo, hi));
    return hit.first && hit.second <= dir.length() ? 1 : 2;
}

int CEditorView::testSphere(const Ogre::Vector3& centre, float radius) {
    if (!m_hasPickRect || !IsFinite(centre) || !std::isfinite(radius))
        return 2;
    const Ogre::Matrix4* local = m_hasPickLocal ? &m_pickLocal : nullptr;
    const Ogre::Vector3 c = ApplyLocal(centre, local);
    float r = std::fabs(radius);
    if (local) {
        // The largest scale of the local matrix's rows.
        float s = 0.0f;
        for (int i = 0; i < 3; ++i)
            s = std::max(s, Ogre::Vector3((*local)[i][0], (*local)[i][1], (*local)[i][2]).length());
        r *= s;
    }
    if (!IsFinite(c) || !std::isfinite(r))
        return 2;
    const float n = m_camera->getNearClipDistance();
    const Ogre::Vector4 clip = ToClip(c);
    if (clip.z + r < n)
        return 2; // wholly behind the near plane
    if (clip.z < n)
        return 1; // the sphere reaches through the near plane and fills the view around it
    const Ogre::Vector3 p = ClipToPixel(clip);
    const float perTen = sizeFactor(c);
    const float rPixels =
        IsOrthographic() || clip.z > 0 ? r * 10.0f / std::max(perTen, 1e-12f) : 0.0f;
    const float nx = std::max(float(m_pickRect.left), std::min(p.x, float(m_pickRect.right)));
    const float ny = std::max(float(m_pickRect.top), std::min(p.y, float(m_pickRect.bottom)));
    const float dx = p.x - nx, dy = p.y - ny;
    return dx * dx + dy * dy <= rPixels * rPixels ? 1 : 2;
}

bool CEditorView::entityInRect(SceneEntity* entity, const Ogre::Vector2& min,
                               const Ogre::Vector2& max) const {
    if (!entity || !std::isfinite(min.x + min.y + max.x + max.y))
        return false;
    const Ogre::Vector3 centre = (entity->GetBoundsMin() + entity->GetBoundsMax()) * 0.5f;
    Ogre::Vector3 p;
    projectPoint(p, centre, nullptr);
    if (p.z < 0.0f || p.z > 1.0f)
        return false; // behind the camera or beyond the clip planes
    const float fx = p.x / SafeWidth(), fy = p.y / SafeHeight();
    return fx >= std::min(min.x, max.x) && fx <= std::max(min.x, max.x) &&
           fy >= std::min(min.y, max.y) && fy <= std::max(min.y, max.y);
}

void CEditorView::frameBox(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner,
                           float nearClip, float farClip) {
    if (!IsFinite(minCorner) || !IsFinite(maxCorner))
        return;
    if (std::isfinite(nearClip) && nearClip > 0.0f && std::isfinite(farClip) &&
        farClip > nearClip) {
        m_camera->setNearClipDistance(nearClip);
        m_camera->setFarClipDistance(farClip);
    }
    const Ogre::Vector3 centre = (minCorner + maxCorner) * 0.5f;
    const float radius = std::max(0.01f, (maxCorner - minCorner).length() * 0.5f);
    const Ogre::Vector3 dir = GetDirection();
    const float n = m_camera->getNearClipDistance();
    float distance;
    if (IsOrthographic()) {
        const float aspect = SafeWidth() / SafeHeight();
        SetOrthographic(true, 2.0f * radius * 1.1f * std::max(1.0f, 1.0f / aspect));
        distance = radius * 2.0f + n;
    } else {
        const float halfV = m_camera->getFOVy().valueRadians() * 0.5f;
        const float halfH = std::atan(std::tan(halfV) * SafeWidth() / SafeHeight());
        distance = radius / std::sin(std::min(halfV, halfH)) + n;
    }
    m_node->setPosition(centre - dir * distance);
    m_pivot = centre;
}

// The arithmetic of the move tool's snapping queries, free of the scene: where a world point
// shows on a view's pixels, whether a box can hold a point near a pixel at all (so that the
// vertices of most meshes are never looked at), the vertex of a list nearest a pixel, and where
// a ray meets a triangle. Bad numbers (not finite, behind the camera) never count as found.
#pragma once

#include <OgreAxisAlignedBox.h>
#include <OgreMatrix3.h>
#include <OgreMatrix4.h>
#include <OgreVector.h>

#include <cstddef>
#include <limits>

namespace SnapGeometry {

// An affine matrix (column vectors, bottom row 0 0 0 1) applied to a point, without the
// division by w of Ogre's general product.
inline Ogre::Vector3 Affine(const Ogre::Matrix4& m, const Ogre::Vector3& v) {
    return Ogre::Vector3(m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z + m[0][3],
                         m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z + m[1][3],
                         m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z + m[2][3]);
}

// What a view shows: the camera's place and turn, the half extents of the picture (at distance 1
// in front of a perspective camera, in world units for an orthographic one), the view's size in
// pixels and the near clip distance. Pixels count from the top left.
struct PixelProjection {
    Ogre::Vector3 eye = Ogre::Vector3::ZERO;
    Ogre::Matrix3 toCamera = Ogre::Matrix3::IDENTITY; // world axes to the camera's (-Z ahead)
    bool orthographic = false;
    float halfWidth = 1.0f;
    float halfHeight = 1.0f;
    float width = 1.0f;
    float height = 1.0f;
    float nearClip = 0.0f;

    // The pixel of a point given in camera space and its distance ahead of the camera; false
    // for a point before the near plane or one that is not finite.
    bool CameraToPixel(const Ogre::Vector3& camera, Ogre::Vector2& pixel, float& ahead) const;
    bool ToPixel(const Ogre::Vector3& world, Ogre::Vector2& pixel, float& ahead) const {
        return CameraToPixel(toCamera * (world - eye), pixel, ahead);
    }
};

// The nearest pixel distance a box can have from `pixel` on screen, from the rectangle of its
// eight corners: 0 inside that rectangle, and 0 for a box reaching before the near plane or
// not finite (nothing can be ruled out then).
float BoxPixelDistance(const PixelProjection& view, const Ogre::AxisAlignedBox& box,
                       const Ogre::Vector2& pixel);

// The rays through the pixels around one pixel: a point within `pixels` of it on screen lies
// within perPixel * pixels (times its distance from the eye, for a perspective view) of the
// ray through it.
struct PixelCone {
    Ogre::Vector3 origin = Ogre::Vector3::ZERO;
    Ogre::Vector3 direction = Ogre::Vector3::NEGATIVE_UNIT_Z;
    bool perspective = true;
    float perPixel = 0.0f;
};
PixelCone ConeThrough(const PixelProjection& view, const Ogre::Vector2& pixel);
// Whether a sphere can hold a point within `pixels` of the cone's pixel: false only when it lies
// wholly behind the eye or clear of the cone (a quick test before the box's own; a sphere that
// is not finite is kept).
bool SphereMayReach(const PixelCone& cone, const Ogre::Vector3& centre, float radius, float pixels);

// The best vertex found so far: the nearest to the pixel, the nearer to the eye between two
// as near (within kTiePixels).
struct NearestVertex {
    static constexpr float kTiePixels = 1e-3f;
    bool found = false;
    Ogre::Vector3 world = Ogre::Vector3::ZERO;
    float pixels = std::numeric_limits<float>::infinity();
    float ahead = std::numeric_limits<float>::infinity();
    const void* owner = nullptr; // what the vertex belongs to, as the caller names it

    // Takes the point when it is within `radius` pixels (any distance for a radius of 0 or
    // less) and better than the one kept. True when it was taken.
    bool Consider(const PixelProjection& view, const Ogre::Vector3& world,
                  const Ogre::Vector2& pixel, float radius, const void* pointOwner);
};

// Considers `count` points given in mesh space, taken to the world by `toWorld` (affine).
// Points that are not finite, or whose world position is not, are passed by.
void ConsiderPoints(const PixelProjection& view, const Ogre::Matrix4& toWorld,
                    const Ogre::Vector3* points, std::size_t count, const Ogre::Vector2& pixel,
                    float radius, const void* owner, NearestVertex& best);

// Where a ray (origin, direction of any length) meets triangle (a, b, c), from either side:
// the ray's parameter (0 at the origin, 1 a direction further on), or -1 for no hit.
float RayTriangle(const Ogre::Vector3& origin, const Ogre::Vector3& direction,
                  const Ogre::Vector3& a, const Ogre::Vector3& b, const Ogre::Vector3& c);

// The unit normal of a triangle turned towards `towards` (a direction pointing back along the
// ray); zero for a triangle without area.
Ogre::Vector3 FacingNormal(const Ogre::Vector3& a, const Ogre::Vector3& b, const Ogre::Vector3& c,
                           const Ogre::Vector3& towards);

} // namespace SnapGeometry

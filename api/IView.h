// One editor view: an Ogre camera looking into the scene through a pixel rectangle.
// Matrices handed to the view are row-vector matrices (a point times the matrix; the
// translation sits in row 3, m[3][0..2]), as the gizmo's maths layer builds them.
#pragma once

#include "EditorTypes.h"

#include <OgreMatrix4.h>
#include <OgreVector.h>

class IView {
public:
    // Pick region for the test* calls: a pixel rectangle, and a row-vector matrix that takes
    // the tested shapes to world space first (null = shapes are in world space).
    // Two nulls clear the region.
    virtual void setPickRegion(const PixelRect* rect, const Ogre::Matrix4* local) = 0;
    // Each test answers 2 when the shape lies outside the pick region, 1 when it touches it.
    virtual int testSphere(const Ogre::Vector3& centre, float radius) = 0;
    virtual int testBox(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner) = 0;
    virtual PixelRect pixelRect() const = 0;
    // True for perspective views.
    virtual bool checksDepth() const = 0;
    // Near and far clip distances.
    virtual void lineDistances(float& first, float& second) const = 0;
    // The camera's world orientation as (pitch, yaw, roll).
    virtual Ogre::Vector3 viewOrientation() const = 0;
    // Points on the near and far clip planes under pixel (x, y).
    virtual void rayThroughPixel(int x, int y, Ogre::Vector3& nearPoint,
                                 Ogre::Vector3& farPoint) const = 0;
    // out = (pixel x, pixel y, depth in [0, 1] between the clip planes); `local` as above.
    virtual void projectPoint(Ogre::Vector3& out, const Ogre::Vector3& point,
                              const Ogre::Matrix4* local) const = 0;
    // World length that spans 10 pixels at the point's depth; 0 or less behind the camera.
    virtual float sizeFactor(const Ogre::Vector3& point) const = 0;
    virtual int testSegment(const Ogre::Vector3& a, const Ogre::Vector3& b,
                            const Ogre::Matrix4* local) = 0;
    // Whether the projected centre of the entity's bounds lies inside [min, max]
    // (fractions 0..1 of the view rectangle).
    virtual bool entityInRect(SceneEntity* entity, const Ogre::Vector2& min,
                              const Ogre::Vector2& max) const = 0;
    // Moves the camera so that the box fills the view; sets the clip distances.
    virtual void frameBox(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner,
                          float nearClip, float farClip) = 0;
    virtual ~IView() = default;
};

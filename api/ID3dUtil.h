// Host maths helpers (row-vector convention, as the gizmo's maths layer).
#pragma once

#include <OgreMatrix4.h>
#include <OgreVector.h>

class ID3dUtil {
public:
    // Nearest points of segments (a0, a1) and (b0, b1): onA on the first, onB on the second;
    // between is the midpoint of the two, a point on the side of the first segment.
    static void IntersectLineSegments(const Ogre::Vector3& a0, const Ogre::Vector3& a1,
                                      const Ogre::Vector3& b0, const Ogre::Vector3& b1,
                                      Ogre::Vector3& onA, Ogre::Vector3& onB,
                                      Ogre::Vector3& between);
    // (pitch, yaw, roll) of a row-vector rotation matrix built as roll about Z, then pitch
    // about X, then yaw about Y. Pitch is in [-pi/2, pi/2].
    static Ogre::Vector3 GenerateYPRFromMat(const Ogre::Matrix4& rowMatrix);
};

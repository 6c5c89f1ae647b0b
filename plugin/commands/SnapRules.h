// The rules of the move tool's placing drags, free of the scene: where a box's bottom is, where
// an entity goes so that its bottom rests on a point of a surface, the turn that takes an
// entity's up axis onto a surface normal, and the point under the pointer on a plane facing the
// view. Each guards against bad numbers: what is not finite, or too short to give a direction,
// changes nothing.
#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

namespace SnapRules {

// A normal shorter than this (or a turn between two directions nearer than this to a half turn)
// gives no direction of its own.
constexpr float kDirectionEpsilon = 1e-6f;

// The centre of a box's bottom face: the middle in x and z, the lowest y.
Ogre::Vector3 BottomCentre(const Ogre::Vector3& low, const Ogre::Vector3& high);

// The turn that takes the unit `up` onto the direction of `normal`, the shortest one. A normal
// that is not finite or too short, or an up that is, gives no turn. A normal opposite to up is
// reached by half a turn about `side`, a direction across up (another across up when `side`
// is not).
Ogre::Quaternion TurnUpTo(const Ogre::Vector3& up, const Ogre::Vector3& normal,
                          const Ogre::Vector3& side);

// Where an entity's position goes so that the point `offset` from it (its bottom centre as the
// press found it, turned by `turn` with the entity) rests on `hit`. False, and `position` as it
// was, when the result is not finite.
bool RestOn(const Ogre::Vector3& hit, const Ogre::Vector3& offset, const Ogre::Quaternion& turn,
            Ogre::Vector3& position);

// Where the ray from `nearPoint` through `farPoint` meets the plane through `anchor` with the
// normal `facing`. False when the ray runs along the plane or a number is not finite.
bool OnPlane(const Ogre::Vector3& nearPoint, const Ogre::Vector3& farPoint,
             const Ogre::Vector3& anchor, const Ogre::Vector3& facing, Ogre::Vector3& point);

} // namespace SnapRules

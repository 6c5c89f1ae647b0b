// Whether a change the drag is about to make keeps every entity within the world range
// (api/EditorTypes.h), worked out before anything moves. The host refuses a change that would take
// an entity or one of its descendants out of the range and keeps that entity as it was; a change
// of several entities then stands half made. A typed amount is checked as a whole first, so that
// it is either applied to every entity or to none.
//
// The world values follow the host's model: a child's world position is its parent's world turn
// applied to its local position scaled by the parent's world scale, plus the parent's world
// position; world turns and scales compose component by component.
#pragma once

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <string>
#include <vector>

class CSceneManager;
class SceneEntity;

// A change of the changed entities from where they stand now, as the drag applies it to each.
struct DragChange {
    enum Kind { Move, Turn, Scale };
    Kind kind = Move;
    // Move: a world displacement.
    Ogre::Vector3 move = Ogre::Vector3::ZERO;
    // Turn: a world turn about each entity's own position.
    Ogre::Quaternion turn = Ogre::Quaternion::IDENTITY;
    // Scale: factors on each entity's local scale.
    Ogre::Vector3 factors = Ogre::Vector3::UNIT_SCALE;
    // About a common centre the positions move too: turned about it by `turn`, or spread away
    // from it by `spread` along the unit `spreadAxis` (in every direction for a zero axis).
    bool aboutCentre = false;
    Ogre::Vector3 centre = Ogre::Vector3::ZERO;
    float spread = 1.0f;
    Ogre::Vector3 spreadAxis = Ogre::Vector3::ZERO;
};

namespace WorldRangeCheck {

// The name of the first changed entity that `change` would take, or whose descendant it would
// take, out of the world range; empty when every entity stays within it. Every entity of the
// scene is looked at once (the descendants are found through their parents).
std::string FirstOutOfRange(CSceneManager* scene, const std::vector<SceneEntity*>& changed,
                            const DragChange& change);

} // namespace WorldRangeCheck

// An entity of the host's scene: a mesh or a light under an optional parent.
// Orientations are (pitch, yaw, roll) in radians, composed roll about Z, then pitch about X,
// then yaw about Y (row vectors), the same way the gizmo composes them.
#pragma once

#include "EditorTypes.h"

#include <cstdint>
#include <string>

namespace Ogre {
class Entity;
class Light;
} // namespace Ogre

class SceneEntity {
public:
    virtual const std::string& GetName() const = 0;

    virtual std::uint32_t GetState() const = 0;
    virtual void AddState(std::uint32_t bits) = 0;
    virtual void RemoveState(std::uint32_t bits) = 0;

    // Local transform, relative to the parent. A set with axis 0, 1 or 2 sets that component only.
    virtual Ogre::Vector3 GetPosition() const = 0;
    virtual Ogre::Vector3 GetOrientation() const = 0;
    virtual Ogre::Vector3 GetScale() const = 0;
    virtual void SetPosition(const Ogre::Vector3& value, COORDINATE_AXIS axis = AXIS_ALL) = 0;
    virtual void SetPosition(float x, float y, float z) = 0;
    virtual void SetOrientation(const Ogre::Vector3& value, COORDINATE_AXIS axis = AXIS_ALL) = 0;
    virtual void SetScale(const Ogre::Vector3& value, COORDINATE_AXIS axis = AXIS_ALL) = 0;

    // World transform through the parent chain.
    virtual Ogre::Vector3 GetWorldPosition() const = 0;
    virtual Ogre::Vector3 GetWorldOrientation() const = 0;
    virtual Ogre::Vector3 GetWorldScale() const = 0;
    virtual void SetWorldPosition(float x, float y, float z) = 0;
    virtual void SetWorldOrientation(float pitch, float yaw, float roll) = 0;
    virtual void SetWorldScale(float x, float y, float z) = 0;

    // Records the transform at a press; `parts` marks what the drag changes
    // ((1,0,0) position, (0,1,0) orientation, (0,0,1) scale).
    virtual void PreTransform(const Ogre::Vector3& parts) = 0;
    // World-space displacement; relative != 0: measured from the PreTransform record,
    // else from the current position. `local` != 0 takes delta in the parent's space.
    virtual void MoveDelta(const Ogre::Vector3& delta, int local = 0, int relative = 1) = 0;
    // World-space rotation about the entity's own position, given as (pitch, yaw, roll),
    // relative to the PreTransform record.
    virtual void RotateDelta(const Ogre::Vector3& yawPitchRoll) = 0;
    // World-space rotation about `axis` (unit) by `angle` radians; relative as above.
    virtual void RotateDelta(const Ogre::Vector3& axis, float angle, bool relative) = 0;
    // Multiplies the current local scale component by component.
    virtual void ScaleDelta(const Ogre::Vector3& factors) = 0;

    // World-space bounds.
    virtual Ogre::Vector3 GetBoundsMin() const = 0;
    virtual Ogre::Vector3 GetBoundsMax() const = 0;
    virtual SceneEntity* getParent() const = 0;
    virtual int IsVisible() const = 0;
    virtual Ogre::Light* GetOgreLight() const = 0;
    virtual Ogre::Entity* GetOgreEntity() const = 0;
    // The mesh name of a mesh entity, the light type's name for a light.
    virtual std::string getMovableObjectName() const = 0;
    // Non-zero when the gizmo may transform this entity.
    virtual int EnabledTrnaform() const = 0;

    virtual ~SceneEntity() = default;
};

// True when `changed` is the entity or one of its parents: a move, turn or scale of anything
// else leaves the entity's world values as they are.
inline bool WorldDependsOn(const SceneEntity* entity, const void* changed) {
    for (const SceneEntity* e = entity; e; e = e->getParent())
        if (e == changed)
            return true;
    return false;
}

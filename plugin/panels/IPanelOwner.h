// What the side panel and the transform bar need of the plug-in object: the operations that
// change entities and the host they reach. The plug-in object implements it; the panels never
// see the plug-in's class.
#pragma once

#include "EditorTypes.h"

class Interface;
class SceneEntity;

class IPanelOwner {
public:
    // One undo step that sets the value's component(s) on every selected entity; 1 when done.
    virtual int ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) = 0;
    // The name field's hook: 1 when handled.
    virtual int RenameEntity(SceneEntity* entity, const char* name) = 0;
    virtual void SetGroundFollow(bool follow) = 0;
    virtual bool GetGroundFollow() const = 0;
    // The nearest ground below a point (its height when none is found).
    virtual float GroundHeight(Ogre::Vector3 point) = 0;
    // Puts every selected entity on the ground below it, keeping its x and z in the world,
    // as one undo step (an empty one for an empty selection); 1 when a step was recorded.
    virtual int SnapToGround() = 0;
    // The host interface, or null before the plug-in has one.
    virtual Interface* GetHost() const = 0;

protected:
    ~IPanelOwner() = default;
};

// The side panel's one-step changes: a typed value set on every selected entity, the snap to
// the ground below them, and the ground-follow setting a move drag reads. Each change is one
// transform commit of its own, pushed at once as one undo step.
#pragma once

#include "EditorTypes.h"

#include <OgreVector.h>

class Interface;

class CEditController {
public:
    explicit CEditController(Interface* host) : m_host(host) {}

    // One undo step that sets the value's component(s) of `kind` on every selected entity;
    // 1 when done, 0 for a refused value.
    int ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind);
    // Puts every selected entity on the ground below it as one undo step; 1 when recorded.
    int SnapToGround();
    // The ground's height below a point.
    float GroundHeight(Ogre::Vector3 point);
    // Whether a move drag keeps each entity's height above the ground.
    void SetGroundFollow(bool follow) { m_groundFollow = follow; }
    bool GetGroundFollow() const { return m_groundFollow; }

private:
    Interface* m_host;
    bool m_groundFollow = false;
};

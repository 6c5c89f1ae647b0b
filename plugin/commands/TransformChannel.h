// The three transform channels of an entity (position, orientation, scale) as one table: how
// each is read and set, locally and in the world, and which notification tells the others it
// changed. Every path that handles "a transform kind" looks its channel up here instead of
// switching on the kind: the undo step, the transform commit, the side panel, the transform bar.
#pragma once

#include "SceneEntity.h"

#include <cstdint>

struct TransformChannel {
    int kind;       // KIND_POSITION, KIND_ORIENTATION or KIND_SCALE
    int notifyCode; // sent per changed entity: 51 moved, 53 rotated, 52 scaled
    int slot;       // 0, 1 or 2: the channel's place in the table, the panel's row of edits and
                    // the component of PreTransform's marker that names it
    // A root entity's world value, read back, is its local value to the bit. Not so for the
    // orientation: world angles are read back from a rotation and may be other angles for the
    // same turn.
    bool rootWorldIsLocal;
    // The state bit that, on the entity the transform bar shows, keeps the bar from applying
    // this channel.
    std::uint32_t barLock;
    Ogre::Vector3 (SceneEntity::*get)() const;
    void (SceneEntity::*set)(const Ogre::Vector3&, COORDINATE_AXIS);
    Ogre::Vector3 (SceneEntity::*getWorld)() const;
    void (SceneEntity::*setWorld)(float, float, float);

    Ogre::Vector3 Get(const SceneEntity& entity) const { return (entity.*get)(); }
    void Set(SceneEntity& entity, const Ogre::Vector3& value, COORDINATE_AXIS axis) const {
        (entity.*set)(value, axis);
    }
    Ogre::Vector3 GetWorld(const SceneEntity& entity) const { return (entity.*getWorld)(); }
    void SetWorld(SceneEntity& entity, const Ogre::Vector3& value) const {
        (entity.*setWorld)(value.x, value.y, value.z);
    }
    // What PreTransform is told a drag of this channel changes: (1,0,0) position, (0,1,0)
    // orientation, (0,0,1) scale.
    Ogre::Vector3 PressMarker() const {
        Ogre::Vector3 parts(0, 0, 0);
        parts[slot] = 1;
        return parts;
    }
};

inline constexpr TransformChannel kTransformChannels[3] = {
    {KIND_POSITION, NOTIFY_MOVED, 0, true, STATE_LOCK_POSITION, &SceneEntity::GetPosition,
     static_cast<void (SceneEntity::*)(const Ogre::Vector3&, COORDINATE_AXIS)>(
         &SceneEntity::SetPosition),
     &SceneEntity::GetWorldPosition, &SceneEntity::SetWorldPosition},
    {KIND_ORIENTATION, NOTIFY_ROTATED, 1, false, STATE_LOCK_ORIENTATION,
     &SceneEntity::GetOrientation, &SceneEntity::SetOrientation, &SceneEntity::GetWorldOrientation,
     &SceneEntity::SetWorldOrientation},
    {KIND_SCALE, NOTIFY_SCALED, 2, true, STATE_LOCK_SCALE, &SceneEntity::GetScale,
     &SceneEntity::SetScale, &SceneEntity::GetWorldScale, &SceneEntity::SetWorldScale},
};

// The channel of a transform kind. Kinds are numbered as the gizmo's modes (1 move, 2 rotate,
// 3 scale); any kind other than position and orientation is the scale, as it always was for
// the undo step.
inline const TransformChannel& ChannelOf(int kind) {
    if (kind == KIND_POSITION)
        return kTransformChannels[0];
    if (kind == KIND_ORIENTATION)
        return kTransformChannels[1];
    return kTransformChannels[2];
}

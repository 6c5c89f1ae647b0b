// The common centre a drag turns or scales several entities about: the mean of their world
// positions at the press. Each entity then turns or scales as it does about its own position,
// and its world position orbits (a turn) or spreads (a scale) about the centre, worked out from
// where it stood at the press so that no step adds rounding to the last.
//
// Also the undo step of such a drag: the drag's own channel and the positions, one step.
#pragma once

#include "IBaseCommand.h"

#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class SceneEntity;

class CDragPivot {
public:
    // Records the world positions of `entities` at the press and their mean. Fewer than two
    // entities have no common centre to speak of: the pivot stays inactive.
    void Capture(const std::vector<SceneEntity*>& entities);
    void Clear();
    bool IsActive() const { return m_active; }
    const Ogre::Vector3& Centre() const { return m_centre; }
    // The world position `name` had at the press; false for an entity not recorded (selected
    // during the drag), which then keeps its own place.
    bool StartOf(const std::string& name, Ogre::Vector3& world) const;

private:
    std::unordered_map<std::string, Ogre::Vector3> m_start;
    Ogre::Vector3 m_centre = Ogre::Vector3::ZERO;
    bool m_active = false;
};

namespace PivotRules {

// `start` turned by `turn` about `centre`.
Ogre::Vector3 Orbit(const Ogre::Vector3& start, const Ogre::Vector3& centre,
                    const Ogre::Quaternion& turn);
// `start` scaled by `total` away from `centre` along the unit `axis`, or in every direction
// when the axis is zero.
Ogre::Vector3 Spread(const Ogre::Vector3& start, const Ogre::Vector3& centre, float total,
                     const Ogre::Vector3& axis);
// The world turn that a (pitch, yaw, roll) drag value applies (roll about Z, then pitch about X,
// then yaw about Y, as the entities compose it).
Ogre::Quaternion TurnOfPitchYawRoll(const Ogre::Vector3& pitchYawRoll);

} // namespace PivotRules

// Several undo steps as one: done in order, undone in reverse.
class CCompositeCommand : public IBaseCommand {
public:
    void Add(std::unique_ptr<IBaseCommand> step) {
        if (step)
            m_steps.push_back(std::move(step));
    }
    int execute(CommandParams* params) override {
        for (auto& step : m_steps)
            step->execute(params);
        return 1;
    }
    int undo() override {
        for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it)
            (*it)->undo();
        return 1;
    }

private:
    std::vector<std::unique_ptr<IBaseCommand>> m_steps;
};

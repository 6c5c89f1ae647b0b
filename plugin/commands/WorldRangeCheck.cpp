#include "WorldRangeCheck.h"

#include "CDragPivot.h"
#include "CSceneManager.h"
#include "EditorTypes.h"
#include "SceneEntity.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

struct World {
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    Ogre::Quaternion turn = Ogre::Quaternion::IDENTITY;
    Ogre::Vector3 scale = Ogre::Vector3::UNIT_SCALE;
};

World CurrentWorld(const SceneEntity& entity) {
    World w;
    w.position = entity.GetWorldPosition();
    w.turn = PivotRules::TurnOfPitchYawRoll(entity.GetWorldOrientation());
    w.scale = entity.GetWorldScale();
    return w;
}

// The world values of an entity with these local values under a parent at `up`.
World Compose(const World& up, const Ogre::Vector3& position, const Ogre::Quaternion& turn,
              const Ogre::Vector3& scale) {
    World w;
    w.position = up.turn * (up.scale * position) + up.position;
    w.turn = up.turn * turn;
    w.scale = up.scale * scale;
    return w;
}

// An entity the scene holds, with the changed entity it hangs under (itself when changed).
struct Affected {
    SceneEntity* entity;
    SceneEntity* owner;
    int depth;
};

// Where a changed entity's position goes when the change works about the common centre.
Ogre::Vector3 AboutCentre(const DragChange& c, const Ogre::Vector3& now) {
    const Ogre::Vector3 offset = now - c.centre;
    if (c.kind == DragChange::Turn)
        return c.centre + c.turn * offset;
    if (c.spreadAxis == Ogre::Vector3::ZERO)
        return c.centre + offset * c.spread;
    const float along = offset.dotProduct(c.spreadAxis);
    return c.centre + offset + c.spreadAxis * (along * (c.spread - 1.0f));
}

} // namespace

namespace WorldRangeCheck {

std::string FirstOutOfRange(CSceneManager* scene, const std::vector<SceneEntity*>& changed,
                            const DragChange& change) {
    if (!scene || changed.empty())
        return std::string();
    const std::unordered_set<SceneEntity*> isChanged(changed.begin(), changed.end());
    std::vector<Affected> affected;
    for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity()) {
        SceneEntity* owner = nullptr;
        int depth = 0;
        for (SceneEntity* up = e; up; up = up->getParent(), ++depth)
            if (!owner && isChanged.count(up))
                owner = up;
        if (owner)
            affected.push_back({e, owner, depth});
    }
    // Parents before their children: each is placed under its parent's new values.
    std::stable_sort(affected.begin(), affected.end(),
                     [](const Affected& a, const Affected& b) { return a.depth < b.depth; });
    std::unordered_map<const SceneEntity*, World> placed;
    for (const Affected& a : affected) {
        SceneEntity& e = *a.entity;
        World up;
        if (SceneEntity* parent = e.getParent()) {
            const auto it = placed.find(parent);
            up = it != placed.end() ? it->second : CurrentWorld(*parent);
        }
        const Ogre::Quaternion localTurn = PivotRules::TurnOfPitchYawRoll(e.GetOrientation());
        Ogre::Vector3 localScale = e.GetScale();
        const bool own = isChanged.count(&e) != 0;
        if (own && change.kind == DragChange::Scale)
            localScale = localScale * change.factors;
        World w = Compose(up, e.GetPosition(), localTurn, localScale);
        if (own) {
            if (change.kind == DragChange::Move)
                w.position = e.GetWorldPosition() + change.move;
            if (change.kind == DragChange::Turn)
                w.turn = change.turn * CurrentWorld(e).turn;
            if (change.aboutCentre && change.kind != DragChange::Move)
                w.position = AboutCentre(change, e.GetWorldPosition());
        }
        if (!IsWorldPositionInRange(w.position) || !IsWorldScaleInRange(w.scale))
            return a.owner->GetName();
        placed[&e] = w;
    }
    return std::string();
}

} // namespace WorldRangeCheck

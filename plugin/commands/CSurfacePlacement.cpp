#include "CSurfacePlacement.h"

#include "CDragPivot.h"
#include "CSceneManager.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "SnapRules.h"

#include <algorithm>

void CSurfacePlacement::Capture(const std::vector<SceneEntity*>& entities) {
    m_starts.clear();
    for (SceneEntity* entity : entities) {
        Start start;
        start.name = entity->GetName();
        for (SceneEntity* up = entity->getParent(); up; up = up->getParent())
            ++start.depth;
        start.position = entity->GetWorldPosition();
        start.offset = SnapRules::BottomCentre(entity->GetBoundsMin(), entity->GetBoundsMax()) -
                       start.position;
        const Ogre::Quaternion turn = PivotRules::TurnOfPitchYawRoll(entity->GetWorldOrientation());
        start.up = turn * Ogre::Vector3::UNIT_Y;
        start.side = turn * Ogre::Vector3::UNIT_X;
        m_starts.push_back(start);
    }
    // A parent placed after its child would carry the child off its place.
    std::stable_sort(m_starts.begin(), m_starts.end(),
                     [](const Start& a, const Start& b) { return a.depth < b.depth; });
}

int CSurfacePlacement::Place(CSceneManager* scene, IToolManager* notifier, const Ogre::Vector3& hit,
                             const Ogre::Vector3& normal, bool turn) const {
    if (!scene || !IsFinite(hit) || !IsFinite(normal))
        return 0;
    int placed = 0;
    for (const Start& start : m_starts) {
        SceneEntity* entity = scene->getSceneEntity(start.name);
        if (!entity || !entity->EnabledTrnaform())
            continue;
        Ogre::Quaternion q = Ogre::Quaternion::IDENTITY;
        if (turn) {
            q = SnapRules::TurnUpTo(start.up, normal, start.side);
            Ogre::Radian angle;
            Ogre::Vector3 axis;
            q.ToAngleAxis(angle, axis);
            // From the press's turn: no turn at all puts the press's orientation back.
            if (!IsFinite(axis) || axis.squaredLength() < 0.5f)
                axis = Ogre::Vector3::UNIT_Y;
            entity->RotateDelta(axis, angle.valueRadians(), true);
        }
        Ogre::Vector3 position = start.position;
        if (!SnapRules::RestOn(hit, start.offset, q, position))
            continue;
        // The host keeps an entity whose place would leave the world range where it is.
        entity->SetWorldPosition(position.x, position.y, position.z);
        if (notifier) {
            notifier->notify(NOTIFY_MOVED, 1, entity);
            if (turn)
                notifier->notify(NOTIFY_ROTATED, 1, entity);
        }
        ++placed;
    }
    return placed;
}

#include "CDragPivot.h"

#include "SceneEntity.h"

#include <OgreMatrix3.h>

#include <cmath>

void CDragPivot::Capture(const std::vector<SceneEntity*>& entities) {
    Clear();
    if (entities.size() < 2)
        return;
    // Summed in double: 50,000 positions far from the origin would lose the centre's last
    // digits in a float sum.
    double sum[3] = {0.0, 0.0, 0.0};
    for (const SceneEntity* entity : entities) {
        const Ogre::Vector3 world = entity->GetWorldPosition();
        m_start[entity->GetName()] = world;
        for (int i = 0; i < 3; ++i)
            sum[i] += world[i];
    }
    const double count = double(entities.size());
    m_centre = Ogre::Vector3(float(sum[0] / count), float(sum[1] / count), float(sum[2] / count));
    m_active = std::isfinite(m_centre.x) && std::isfinite(m_centre.y) && std::isfinite(m_centre.z);
    if (!m_active)
        Clear();
}

void CDragPivot::Clear() {
    m_start.clear();
    m_centre = Ogre::Vector3::ZERO;
    m_active = false;
}

bool CDragPivot::StartOf(const std::string& name, Ogre::Vector3& world) const {
    const auto found = m_start.find(name);
    if (found == m_start.end())
        return false;
    world = found->second;
    return true;
}

namespace PivotRules {

Ogre::Vector3 Orbit(const Ogre::Vector3& start, const Ogre::Vector3& centre,
                    const Ogre::Quaternion& turn) {
    return centre + turn * (start - centre);
}

Ogre::Vector3 Spread(const Ogre::Vector3& start, const Ogre::Vector3& centre, float total,
                     const Ogre::Vector3& axis) {
    const Ogre::Vector3 offset = start - centre;
    if (axis == Ogre::Vector3::ZERO)
        return centre + offset * total;
    return start + axis * (offset.dotProduct(axis) * (total - 1.0f));
}

Ogre::Quaternion TurnOfPitchYawRoll(const Ogre::Vector3& pitchYawRoll) {
    // Row-vector roll-Z, pitch-X, yaw-Y is, in column form, Ry(yaw) * Rx(pitch) * Rz(roll).
    Ogre::Matrix3 m;
    m.FromEulerAnglesYXZ(Ogre::Radian(pitchYawRoll.y), Ogre::Radian(pitchYawRoll.x),
                         Ogre::Radian(pitchYawRoll.z));
    return Ogre::Quaternion(m);
}

} // namespace PivotRules

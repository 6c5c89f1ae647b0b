#include "SnapRules.h"

#include "EditorTypes.h"

#include <OgreMath.h>

#include <algorithm>
#include <cmath>

namespace SnapRules {

Ogre::Vector3 BottomCentre(const Ogre::Vector3& low, const Ogre::Vector3& high) {
    return Ogre::Vector3((low.x + high.x) * 0.5f, low.y, (low.z + high.z) * 0.5f);
}

Ogre::Quaternion TurnUpTo(const Ogre::Vector3& up, const Ogre::Vector3& normal,
                          const Ogre::Vector3& side) {
    if (!IsFinite(up) || !IsFinite(normal))
        return Ogre::Quaternion::IDENTITY;
    const float upLength = up.length(), normalLength = normal.length();
    if (!(upLength > kDirectionEpsilon) || !(normalLength > kDirectionEpsilon) ||
        !std::isfinite(upLength) || !std::isfinite(normalLength))
        return Ogre::Quaternion::IDENTITY;
    const Ogre::Vector3 from = up / upLength, to = normal / normalLength;
    const float cosine = from.dotProduct(to);
    if (cosine >= 1.0f - kDirectionEpsilon)
        return Ogre::Quaternion::IDENTITY;
    if (cosine <= -1.0f + kDirectionEpsilon) {
        // Upside down: half a turn about an axis across up.
        Ogre::Vector3 axis =
            IsFinite(side) ? side - from * side.dotProduct(from) : Ogre::Vector3::ZERO;
        if (!(axis.length() > kDirectionEpsilon))
            axis = from.perpendicular();
        return Ogre::Quaternion(Ogre::Radian(Ogre::Math::PI), axis.normalisedCopy());
    }
    Ogre::Vector3 axis = from.crossProduct(to);
    axis.normalise();
    return Ogre::Quaternion(Ogre::Radian(std::acos(std::max(-1.0f, std::min(1.0f, cosine)))), axis);
}

bool RestOn(const Ogre::Vector3& hit, const Ogre::Vector3& offset, const Ogre::Quaternion& turn,
            Ogre::Vector3& position) {
    if (!IsFinite(hit) || !IsFinite(offset))
        return false;
    const Ogre::Vector3 placed = hit - turn * offset;
    if (!IsFinite(placed))
        return false;
    position = placed;
    return true;
}

bool OnPlane(const Ogre::Vector3& nearPoint, const Ogre::Vector3& farPoint,
             const Ogre::Vector3& anchor, const Ogre::Vector3& facing, Ogre::Vector3& point) {
    if (!IsFinite(nearPoint) || !IsFinite(farPoint) || !IsFinite(anchor) || !IsFinite(facing))
        return false;
    const Ogre::Vector3 along = farPoint - nearPoint;
    const float across = along.dotProduct(facing);
    if (!(std::fabs(across) > kDirectionEpsilon * along.length() * facing.length()))
        return false;
    const float t = (anchor - nearPoint).dotProduct(facing) / across;
    const Ogre::Vector3 at = nearPoint + along * t;
    if (!std::isfinite(t) || !IsFinite(at))
        return false;
    point = at;
    return true;
}

} // namespace SnapRules

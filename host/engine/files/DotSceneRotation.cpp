// Quaternion <-> (pitch, yaw, roll) in the host's composition: roll about Z, then pitch about X,
// then yaw about Y, i.e. in Ogre's column form R = Ry(yaw) * Rx(pitch) * Rz(roll).
//
// Both directions work in double precision so that a float quaternion read from a file comes
// back to the same float quaternion: near pitch +-90 degrees the yaw and roll are read from
// elements of size cos(pitch), which float arithmetic would drown in rounding.
#include "DotScene.h"

#include <cmath>

namespace {

struct Quat {
    double w, x, y, z;
};

Quat Multiply(const Quat& a, const Quat& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

// Below this |cos(pitch)| yaw and roll turn about one axis as far as a float quaternion can
// tell (its components round at about 6e-8): pitch is then +-90 degrees.
const double kLockCosine = 2e-7;

} // namespace

Ogre::Quaternion PitchYawRollToQuaternion(const Ogre::Vector3& pitchYawRoll) {
    const double p = pitchYawRoll.x * 0.5, y = pitchYawRoll.y * 0.5, r = pitchYawRoll.z * 0.5;
    const Quat qy{std::cos(y), 0.0, std::sin(y), 0.0};
    const Quat qx{std::cos(p), std::sin(p), 0.0, 0.0};
    const Quat qz{std::cos(r), 0.0, 0.0, std::sin(r)};
    const Quat q = Multiply(Multiply(qy, qx), qz);
    return Ogre::Quaternion(float(q.w), float(q.x), float(q.y), float(q.z));
}

Ogre::Vector3 QuaternionToPitchYawRoll(const Ogre::Quaternion& rotation) {
    double w = rotation.w, x = rotation.x, y = rotation.y, z = rotation.z;
    const double length = std::sqrt(w * w + x * x + y * y + z * z);
    if (!std::isfinite(length) || length < 1e-30)
        return Ogre::Vector3::ZERO;
    w /= length;
    x /= length;
    y /= length;
    z /= length;
    // Elements of the column-form matrix R = Ry * Rx * Rz that the angles come from:
    //   R[0][2] = cos p sin y, R[2][2] = cos p cos y, R[1][2] = -sin p,
    //   R[1][0] = cos p sin r, R[1][1] = cos p cos r.
    const double m02 = 2 * (x * z + w * y), m22 = 1 - 2 * (x * x + y * y);
    const double m12 = 2 * (y * z - w * x);
    const double m10 = 2 * (x * y + w * z), m11 = 1 - 2 * (x * x + z * z);
    const double cosPitch = std::sqrt(m02 * m02 + m22 * m22);
    const double pitch = std::atan2(-m12, cosPitch);
    double yaw = 0.0, roll = 0.0;
    if (cosPitch > kLockCosine) {
        yaw = std::atan2(m02, m22);
        roll = std::atan2(m10, m11);
    } else {
        // Gimbal lock: R = Ry * Rx(+-90) * Rz turns yaw and roll about one axis; give it all to
        // yaw, read from column 0 of Ry * Rx (R[0][0] = cos y, R[2][0] = -sin y when roll = 0).
        const double m00 = 1 - 2 * (y * y + z * z), m20 = 2 * (x * z - w * y);
        yaw = std::atan2(-m20, m00);
    }
    return Ogre::Vector3(float(pitch), float(yaw), float(roll));
}

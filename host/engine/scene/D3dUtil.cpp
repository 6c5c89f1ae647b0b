// Host maths helpers: nearest points of two segments, and (pitch, yaw, roll) of a row-vector
// rotation matrix.
#include "EditorTypes.h"
#include "ID3dUtil.h"

#include <algorithm>
#include <cmath>

namespace {

// Sine of the pitch beyond which it is read with atan2 instead of asin (about 87.4 degrees).
constexpr float kNearPole = 0.999f;

float Clamp01(float v) {
    return std::min(1.0f, std::max(0.0f, v));
}

} // namespace

void ID3dUtil::IntersectLineSegments(const Ogre::Vector3& a0, const Ogre::Vector3& a1,
                                     const Ogre::Vector3& b0, const Ogre::Vector3& b1,
                                     Ogre::Vector3& onA, Ogre::Vector3& onB,
                                     Ogre::Vector3& between) {
    if (!IsFinite(a0) || !IsFinite(a1) || !IsFinite(b0) || !IsFinite(b1)) {
        onA = IsFinite(a0) ? a0 : Ogre::Vector3::ZERO;
        onB = IsFinite(b0) ? b0 : Ogre::Vector3::ZERO;
        between = (onA + onB) * 0.5f;
        return;
    }
    // Closest points of s(t) = a0 + t d1 and u(v) = b0 + v d2, t and v in [0, 1].
    const Ogre::Vector3 d1 = a1 - a0;
    const Ogre::Vector3 d2 = b1 - b0;
    const Ogre::Vector3 r = a0 - b0;
    const float a = d1.dotProduct(d1);
    const float e = d2.dotProduct(d2);
    const float f = d2.dotProduct(r);
    const float eps = 1e-12f;
    float s = 0.0f;
    float t = 0.0f;
    if (a <= eps && e <= eps) {
        s = t = 0.0f;
    } else if (a <= eps) {
        s = 0.0f;
        t = Clamp01(f / e);
    } else {
        const float c = d1.dotProduct(r);
        if (e <= eps) {
            t = 0.0f;
            s = Clamp01(-c / a);
        } else {
            const float b = d1.dotProduct(d2);
            const float denom = a * e - b * b;
            // Parallel (or nearly): any s works; take the start of the first segment and let
            // the clamps below find the matching point on the second.
            s = denom > eps * a * e ? Clamp01((b * f - c * e) / denom) : 0.0f;
            t = (b * s + f) / e;
            if (t < 0.0f) {
                t = 0.0f;
                s = Clamp01(-c / a);
            } else if (t > 1.0f) {
                t = 1.0f;
                s = Clamp01((b - c) / a);
            }
        }
    }
    onA = a0 + d1 * s;
    onB = b0 + d2 * t;
    between = (onA + onB) * 0.5f;
}

Ogre::Vector3 ID3dUtil::GenerateYPRFromMat(const Ogre::Matrix4& m) {
    // Row-vector M = Rz(roll) * Rx(pitch) * Ry(yaw):
    //   m[2][0] = cos p sin y, m[2][1] = -sin p, m[2][2] = cos p cos y,
    //   m[0][1] = sin r cos p, m[1][1] = cos r cos p.
    // At pitch +-90 degrees yaw and roll turn about the same axis; roll is then taken as 0
    // and the whole turn given to yaw, read from row 0 (= row 0 of Rx * Ry).
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (!std::isfinite(m[i][j]))
                return Ogre::Vector3::ZERO;
    const float sp = std::min(1.0f, std::max(-1.0f, -m[2][1]));
    // asin loses precision where its slope grows without bound: a float sine one step below 1
    // is already 0.02 degrees short of 90. Near the pole the pitch is taken from the sine and
    // the cosine together (row 2's length in the XZ plane), which stays exact there; elsewhere
    // asin's result is kept as it is, bit for bit.
    float pitch = 0.0f;
    if (std::fabs(sp) < kNearPole) {
        pitch = std::asin(sp);
    } else {
        const double cp = std::hypot(double(m[2][0]), double(m[2][2]));
        pitch = float(std::atan2(double(-m[2][1]), cp));
    }
    float yaw = 0.0f;
    float roll = 0.0f;
    if (std::fabs(sp) < 0.99999f) {
        yaw = std::atan2(m[2][0], m[2][2]);
        roll = std::atan2(m[0][1], m[1][1]);
    } else {
        yaw = std::atan2(-m[0][2], m[0][0]);
        roll = 0.0f;
    }
    return Ogre::Vector3(pitch, yaw, roll);
}

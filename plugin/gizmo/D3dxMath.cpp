#include "D3dxMath.h"

#include <OgreMatrix3.h>
#include <OgreQuaternion.h>

#include <cmath>

namespace d3dx {

namespace {
constexpr float kTinyLength = 1e-12f;

void Identity(RowMatrix& m) {
    m = RowMatrix();
}
} // namespace

bool IsFinite(float f) {
    return std::isfinite(f);
}

Ogre::Vector3 Vec3Normalize(const Ogre::Vector3& v) {
    const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(len > kTinyLength) || !std::isfinite(len))
        return Ogre::Vector3::ZERO;
    return Ogre::Vector3(v.x / len, v.y / len, v.z / len);
}

void MatrixRotationAxis(RowMatrix& out, const Ogre::Vector3& axis, float angle) {
    const Ogre::Vector3 n = Vec3Normalize(axis);
    Identity(out);
    if (n == Ogre::Vector3::ZERO)
        return;
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    const float x = n.x, y = n.y, z = n.z;
    out[0][0] = t * x * x + c;
    out[0][1] = t * x * y + s * z;
    out[0][2] = t * x * z - s * y;
    out[1][0] = t * x * y - s * z;
    out[1][1] = t * y * y + c;
    out[1][2] = t * y * z + s * x;
    out[2][0] = t * x * z + s * y;
    out[2][1] = t * y * z - s * x;
    out[2][2] = t * z * z + c;
}

void MatrixRotationX(RowMatrix& out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    Identity(out);
    out[1][1] = c;
    out[1][2] = s;
    out[2][1] = -s;
    out[2][2] = c;
}

void MatrixRotationY(RowMatrix& out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    Identity(out);
    out[0][0] = c;
    out[0][2] = -s;
    out[2][0] = s;
    out[2][2] = c;
}

void MatrixRotationZ(RowMatrix& out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    Identity(out);
    out[0][0] = c;
    out[0][1] = s;
    out[1][0] = -s;
    out[1][1] = c;
}

void MatrixRotationYawPitchRoll(RowMatrix& out, float yaw, float pitch, float roll) {
    RowMatrix z(kUnset), x(kUnset), y(kUnset);
    MatrixRotationZ(z, roll);
    MatrixRotationX(x, pitch);
    MatrixRotationY(y, yaw);
    MatrixMultiply(out, z, x);
    MatrixMultiply(out, out, y);
}

void MatrixScaling(RowMatrix& out, float sx, float sy, float sz) {
    Identity(out);
    out[0][0] = sx;
    out[1][1] = sy;
    out[2][2] = sz;
}

void MatrixTranslation(RowMatrix& out, float x, float y, float z) {
    Identity(out);
    out[3][0] = x;
    out[3][1] = y;
    out[3][2] = z;
}

void MatrixMultiply(RowMatrix& out, const RowMatrix& a, const RowMatrix& b) {
    // Into a plain array first: `out` may alias either argument.
    float r[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out[i][j] = r[i][j];
}

Ogre::Vector3 Vec3TransformCoord(const Ogre::Vector3& v, const RowMatrix& m) {
    const float x = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0];
    const float y = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1];
    const float z = v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2];
    float w = v.x * m[0][3] + v.y * m[1][3] + v.z * m[2][3] + m[3][3];
    if (w == 0.0f)
        w = 1.0f;
    return Ogre::Vector3(x / w, y / w, z / w);
}

void Vec3TransformCoordArray(Ogre::Vector3* out, const Ogre::Vector3* in, std::size_t count,
                             const RowMatrix& m) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = Vec3TransformCoord(in[i], m);
}

Ogre::Vector3 Vec3TransformNormal(const Ogre::Vector3& v, const RowMatrix& m) {
    return Ogre::Vector3(v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0],
                         v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1],
                         v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2]);
}

Ogre::Quaternion RowMatrixToQuaternion(const RowMatrix& m) {
    // The rows are the images of the basis vectors; Ogre's column form is the transpose.
    Ogre::Vector3 rows[3];
    for (int i = 0; i < 3; ++i)
        rows[i] = Vec3Normalize(Ogre::Vector3(m[i][0], m[i][1], m[i][2]));
    if (rows[0] == Ogre::Vector3::ZERO || rows[1] == Ogre::Vector3::ZERO ||
        rows[2] == Ogre::Vector3::ZERO)
        return Ogre::Quaternion::IDENTITY;
    Ogre::Matrix3 column;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            column[j][i] = rows[i][j];
    Ogre::Quaternion q(column);
    q.normalise();
    return q;
}

} // namespace d3dx

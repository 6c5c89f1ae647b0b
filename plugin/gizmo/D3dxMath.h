// Row-vector matrix helpers.
//
// A point is a row vector multiplied by the matrix (p' = p x M), the translation lives in row 3
// (m[3][0..2]) and a product A x B applies A first. Yaw-pitch-roll rotations roll about Z first,
// then pitch about X, then yaw about Y. These matrices are what the host's views take as their
// "local" matrix. They are a type of their own, RowMatrix, so that they cannot be handed to
// Ogre's column-vector products (or an Ogre matrix taken for one) by mistake: crossing over is
// always one of the named conversions below.
#pragma once

#include "EditorTypes.h"

#include <OgreMatrix4.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstddef>

namespace d3dx {

// Tag of a matrix that is about to be written whole (by one of the functions below): it is not
// set to the identity first, as that would be done twice in every layout.
struct Unset {};
constexpr Unset kUnset{};

class RowMatrix {
public:
    // The identity.
    RowMatrix() : m_rows(Ogre::Matrix4::IDENTITY) {}
    explicit RowMatrix(Unset) {}

    // Element access by row and column: [3][0..2] is the translation.
    float* operator[](std::size_t row) { return m_rows[row]; }
    const float* operator[](std::size_t row) const { return m_rows[row]; }
    bool operator==(const RowMatrix& other) const { return m_rows == other.m_rows; }
    bool operator!=(const RowMatrix& other) const { return !(*this == other); }

    Ogre::Vector3 Translation() const {
        return Ogre::Vector3(m_rows[3][0], m_rows[3][1], m_rows[3][2]);
    }
    void SetTranslation(const Ogre::Vector3& t) {
        m_rows[3][0] = t.x;
        m_rows[3][1] = t.y;
        m_rows[3][2] = t.z;
    }

    // The conversions. The host interface takes row-vector matrices in Ogre's storage (a view's
    // local matrix, the matrix its pitch-yaw-roll helper reads): HostRows is exactly that
    // storage, and FromHostRows reads one back. ToColumnMatrix is the same transform as Ogre's
    // own column-vector matrix (the transpose), for Ogre's products and nodes.
    const Ogre::Matrix4& HostRows() const { return m_rows; }
    static RowMatrix FromHostRows(const Ogre::Matrix4& rows) {
        RowMatrix m;
        m.m_rows = rows;
        return m;
    }
    Ogre::Matrix4 ToColumnMatrix() const { return m_rows.transpose(); }

private:
    Ogre::Matrix4 m_rows;
};

// Rotation by `angle` radians about `axis` (normalised here; a zero axis gives the identity).
void MatrixRotationAxis(RowMatrix& out, const Ogre::Vector3& axis, float angle);
// Roll about Z, then pitch about X, then yaw about Y.
void MatrixRotationYawPitchRoll(RowMatrix& out, float yaw, float pitch, float roll);
void MatrixRotationX(RowMatrix& out, float angle);
void MatrixRotationY(RowMatrix& out, float angle);
void MatrixRotationZ(RowMatrix& out, float angle);
void MatrixScaling(RowMatrix& out, float sx, float sy, float sz);
void MatrixTranslation(RowMatrix& out, float x, float y, float z);
// out = a x b (a applies first). `out` may alias either argument.
void MatrixMultiply(RowMatrix& out, const RowMatrix& a, const RowMatrix& b);

// (x, y, z, 1) x m, divided by the resulting w (w of zero is treated as 1).
Ogre::Vector3 Vec3TransformCoord(const Ogre::Vector3& v, const RowMatrix& m);
void Vec3TransformCoordArray(Ogre::Vector3* out, const Ogre::Vector3* in, std::size_t count,
                             const RowMatrix& m);
// (x, y, z, 0) x m: directions ignore the translation.
Ogre::Vector3 Vec3TransformNormal(const Ogre::Vector3& v, const RowMatrix& m);
// Unit vector, or the zero vector when the length is (nearly) zero or not finite.
Ogre::Vector3 Vec3Normalize(const Ogre::Vector3& v);

// The rotation of a row-vector matrix as an Ogre quaternion (the scale in the rows is divided
// out; a row of zero length gives the identity), and finiteness tests.
Ogre::Quaternion RowMatrixToQuaternion(const RowMatrix& m);
bool IsFinite(float f);
using ::IsFinite; // vectors: the host interface's guard

} // namespace d3dx

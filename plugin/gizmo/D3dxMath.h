// Row-vector matrix helpers over Ogre's Matrix4/Vector3 storage.
//
// A point is a row vector multiplied by the matrix (p' = p x M), the translation lives in row 3
// (m[3][0..2]) and a product A x B applies A first. Yaw-pitch-roll rotations roll about Z first,
// then pitch about X, then yaw about Y. These matrices are what the host's views take as their
// "local" matrix, so they are never mixed with Ogre's own column-vector products.
#pragma once

#include "EditorTypes.h"

#include <OgreMatrix4.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstddef>

namespace d3dx {

// Rotation by `angle` radians about `axis` (normalised here; a zero axis gives the identity).
void MatrixRotationAxis(Ogre::Matrix4& out, const Ogre::Vector3& axis, float angle);
// Roll about Z, then pitch about X, then yaw about Y.
void MatrixRotationYawPitchRoll(Ogre::Matrix4& out, float yaw, float pitch, float roll);
void MatrixRotationX(Ogre::Matrix4& out, float angle);
void MatrixRotationY(Ogre::Matrix4& out, float angle);
void MatrixRotationZ(Ogre::Matrix4& out, float angle);
void MatrixScaling(Ogre::Matrix4& out, float sx, float sy, float sz);
void MatrixTranslation(Ogre::Matrix4& out, float x, float y, float z);
// out = a x b (a applies first). `out` may alias either argument.
void MatrixMultiply(Ogre::Matrix4& out, const Ogre::Matrix4& a, const Ogre::Matrix4& b);

// (x, y, z, 1) x m, divided by the resulting w (w of zero is treated as 1).
Ogre::Vector3 Vec3TransformCoord(const Ogre::Vector3& v, const Ogre::Matrix4& m);
void Vec3TransformCoordArray(Ogre::Vector3* out, const Ogre::Vector3* in, std::size_t count,
                             const Ogre::Matrix4& m);
// (x, y, z, 0) x m: directions ignore the translation.
Ogre::Vector3 Vec3TransformNormal(const Ogre::Vector3& v, const Ogre::Matrix4& m);
// Unit vector, or the zero vector when the length is (nearly) zero or not finite.
Ogre::Vector3 Vec3Normalize(const Ogre::Vector3& v);

// Helpers for the gizmo: the rotation of a row-vector matrix as an Ogre quaternion (the
// scale in the rows is divided out), and finiteness tests.
Ogre::Quaternion RowMatrixToQuaternion(const Ogre::Matrix4& m);
bool IsFinite(float f);
using ::IsFinite; // vectors: the host interface's guard

} // namespace d3dx

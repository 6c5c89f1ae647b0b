// The row-vector maths layer against hand-computed results.
#include "D3dxMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using d3dx::RowMatrix;
using Ogre::Vector3;

namespace {

const float kHalfPi = 1.5707963f;

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "z";
}

Vector3 Apply(const RowMatrix& m, const Vector3& p) {
    return d3dx::Vec3TransformCoord(p, m);
}

} // namespace

TEST(D3dxMath, PrincipalRotationsTurnCounterClockwiseForRowVectors) {
    RowMatrix m;
    d3dx::MatrixRotationZ(m, kHalfPi);
    ExpectNear(Apply(m, Vector3(1, 0, 0)), Vector3(0, 1, 0));
    EXPECT_NEAR(m[0][1], 1.0f, 1e-6f); // sin sits in row 0, column 1
    d3dx::MatrixRotationX(m, kHalfPi);
    ExpectNear(Apply(m, Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_NEAR(m[1][2], 1.0f, 1e-6f);
    d3dx::MatrixRotationY(m, kHalfPi);
    ExpectNear(Apply(m, Vector3(0, 0, 1)), Vector3(1, 0, 0));
    ExpectNear(Apply(m, Vector3(1, 0, 0)), Vector3(0, 0, -1));
    EXPECT_NEAR(m[2][0], 1.0f, 1e-6f);
}

TEST(D3dxMath, ProductAppliesTheLeftMatrixFirst) {
    RowMatrix rotate, translate, both;
    d3dx::MatrixRotationZ(rotate, kHalfPi);
    d3dx::MatrixTranslation(translate, 5, 0, 0);
    EXPECT_FLOAT_EQ(translate[3][0], 5.0f); // translation lives in row 3

    d3dx::MatrixMultiply(both, rotate, translate);
    ExpectNear(Apply(both, Vector3(1, 0, 0)), Vector3(5, 1, 0));
    d3dx::MatrixMultiply(both, translate, rotate);
    ExpectNear(Apply(both, Vector3(1, 0, 0)), Vector3(0, 6, 0));

    // The output may alias an input.
    RowMatrix scale;
    d3dx::MatrixScaling(scale, 2, 3, 4);
    d3dx::MatrixMultiply(scale, scale, translate);
    ExpectNear(Apply(scale, Vector3(1, 1, 1)), Vector3(7, 3, 4));
}

TEST(D3dxMath, YawPitchRollRollsFirstThenPitchesThenYaws) {
    RowMatrix m;
    d3dx::MatrixRotationYawPitchRoll(m, kHalfPi, kHalfPi, kHalfPi);
    // (0,1,0): roll -> (-1,0,0), pitch keeps it, yaw -> (0,0,1).
    ExpectNear(Apply(m, Vector3(0, 1, 0)), Vector3(0, 0, 1));
    // (0,0,1): roll keeps it, pitch -> (0,-1,0), yaw keeps it.
    ExpectNear(Apply(m, Vector3(0, 0, 1)), Vector3(0, -1, 0));
    // Any other order gives a different image of one of these, e.g. yaw first:
    RowMatrix y, x, z, yawFirst;
    d3dx::MatrixRotationY(y, kHalfPi);
    d3dx::MatrixRotationX(x, kHalfPi);
    d3dx::MatrixRotationZ(z, kHalfPi);
    d3dx::MatrixMultiply(yawFirst, y, x);
    d3dx::MatrixMultiply(yawFirst, yawFirst, z);
    ExpectNear(Apply(yawFirst, Vector3(0, 0, 1)), Vector3(0, 1, 0));

    // Yaw alone equals the Y rotation.
    d3dx::MatrixRotationYawPitchRoll(m, 0.3f, 0, 0);
    d3dx::MatrixRotationY(y, 0.3f);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(m[i][j], y[i][j], 1e-6f);
}

TEST(D3dxMath, RotationAboutAnArbitraryAxis) {
    RowMatrix m;
    // A third of a turn about (1,1,1) cycles the axes X -> Y -> Z; the axis length does not matter.
    d3dx::MatrixRotationAxis(m, Vector3(2, 2, 2), 2.0943951f);
    ExpectNear(Apply(m, Vector3(1, 0, 0)), Vector3(0, 1, 0));
    ExpectNear(Apply(m, Vector3(0, 1, 0)), Vector3(0, 0, 1));
    // About Z it matches the principal rotation.
    RowMatrix z;
    d3dx::MatrixRotationAxis(m, Vector3(0, 0, 1), 0.7f);
    d3dx::MatrixRotationZ(z, 0.7f);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(m[i][j], z[i][j], 1e-6f);
    // A zero axis gives the identity, never NaN.
    d3dx::MatrixRotationAxis(m, Vector3::ZERO, 1.0f);
    ExpectNear(Apply(m, Vector3(1, 2, 3)), Vector3(1, 2, 3));
}

TEST(D3dxMath, TransformsOfPointsAndDirections) {
    RowMatrix m;
    d3dx::MatrixTranslation(m, 1, 2, 3);
    ExpectNear(d3dx::Vec3TransformNormal(Vector3(1, 0, 0), m), Vector3(1, 0, 0));

    // A projective matrix: w = z, so the point is divided by its depth.
    RowMatrix p;
    p[2][3] = 1;
    p[3][3] = 0;
    ExpectNear(d3dx::Vec3TransformCoord(Vector3(4, 6, 2), p), Vector3(2, 3, 1));
    // w of zero does not divide by zero.
    EXPECT_TRUE(d3dx::IsFinite(d3dx::Vec3TransformCoord(Vector3(4, 6, 0), p)));

    Vector3 in[3] = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 0, 1)};
    Vector3 out[3];
    d3dx::MatrixScaling(m, 2, 2, 2);
    m[3][1] = 5;
    d3dx::Vec3TransformCoordArray(out, in, 3, m);
    ExpectNear(out[0], Vector3(0, 5, 0));
    ExpectNear(out[1], Vector3(2, 5, 0));
    ExpectNear(out[2], Vector3(0, 5, 2));
}

TEST(D3dxMath, NormaliseGuardsDegenerateVectors) {
    ExpectNear(d3dx::Vec3Normalize(Vector3(0, 3, 4)), Vector3(0, 0.6f, 0.8f));
    EXPECT_EQ(d3dx::Vec3Normalize(Vector3::ZERO), Vector3::ZERO);
    EXPECT_EQ(d3dx::Vec3Normalize(Vector3(1e-30f, 0, 0)), Vector3::ZERO);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(d3dx::Vec3Normalize(Vector3(inf, 0, 0)), Vector3::ZERO);
    EXPECT_EQ(d3dx::Vec3Normalize(Vector3(std::nanf(""), 1, 0)), Vector3::ZERO);
}

TEST(D3dxMath, QuaternionOfARowMatrixTurnsVectorsTheSameWay) {
    RowMatrix m;
    d3dx::MatrixRotationYawPitchRoll(m, 0.4f, -0.9f, 1.3f);
    const Ogre::Quaternion q = d3dx::RowMatrixToQuaternion(m);
    for (const Vector3& v : {Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0.3f, -2, 5)})
        ExpectNear(q * v, d3dx::Vec3TransformNormal(v, m), 1e-4f);
    // Scale in the rows is divided out.
    RowMatrix s, scaled;
    d3dx::MatrixScaling(s, 7, 7, 7);
    d3dx::MatrixMultiply(scaled, m, s);
    const Ogre::Quaternion q2 = d3dx::RowMatrixToQuaternion(scaled);
    EXPECT_NEAR(std::fabs(q.Dot(q2)), 1.0f, 1e-5f);
}

// Entity transforms, the yaw-pitch-roll convention and the segment helper.
#include "EngineFixture.h"

#include "ID3dUtil.h"

#include <OgreMatrix3.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <limits>

namespace {

const float kPi = 3.14159265f;

// The published row-vector rotations, written out independently of the code under test.
Ogre::Matrix4 RowRotX(float a) {
    return Ogre::Matrix4(1, 0, 0, 0, 0, std::cos(a), std::sin(a), 0, 0, -std::sin(a), std::cos(a),
                         0, 0, 0, 0, 1);
}
Ogre::Matrix4 RowRotY(float a) {
    return Ogre::Matrix4(std::cos(a), 0, -std::sin(a), 0, 0, 1, 0, 0, std::sin(a), 0, std::cos(a),
                         0, 0, 0, 0, 1);
}
Ogre::Matrix4 RowRotZ(float a) {
    return Ogre::Matrix4(std::cos(a), std::sin(a), 0, 0, -std::sin(a), std::cos(a), 0, 0, 0, 0, 1,
                         0, 0, 0, 0, 1);
}
// Roll first, then pitch, then yaw (A * B applies A first).
Ogre::Matrix4 RowYPR(const Ogre::Vector3& pyr) {
    return RowRotZ(pyr.z) * RowRotX(pyr.x) * RowRotY(pyr.y);
}
Ogre::Vector3 RowApply(const Ogre::Vector3& p, const Ogre::Matrix4& m) {
    return Ogre::Vector3(p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0],
                         p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1],
                         p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2]);
}
void ExpectSameRotation(const Ogre::Matrix4& a, const Ogre::Matrix4& b) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(a[i][j], b[i][j], 2e-4f) << i << "," << j;
}

} // namespace

TEST(YawPitchRoll, RoundTripsThroughTheRowMatrixIncludingGimbalLock) {
    const float pitches[] = {-kPi / 2, -1.2f, -0.3f, 0.0f, 0.7f, kPi / 2};
    const float angles[] = {-2.5f, -0.4f, 0.0f, 1.1f, 3.0f};
    for (float p : pitches)
        for (float y : angles)
            for (float r : angles) {
                const Ogre::Vector3 in(p, y, r);
                const Ogre::Matrix4 m = RowYPR(in);
                const Ogre::Vector3 out = ID3dUtil::GenerateYPRFromMat(m);
                // The matrix is what must survive (at +-90 degrees pitch the angles are not
                // unique); away from it the angles come back as given.
                ExpectSameRotation(RowYPR(out), m);
                EXPECT_LE(std::fabs(out.x), kPi / 2 + 1e-5f);
                if (std::fabs(p) < 1.5f) {
                    EXPECT_NEAR(out.x, p, 1e-4f);
                    EXPECT_NEAR(out.y, y, 1e-4f);
                    EXPECT_NEAR(out.z, r, 1e-4f);
                }
                // The entity's Ogre rotation is the same rotation in column form.
                const Ogre::Quaternion q = CEditorEntity::RotationFromYPR(in);
                const Ogre::Vector3 v(0.3f, -0.5f, 0.8f);
                ExpectNear(q * v, RowApply(v, m));
            }
    // A non-finite matrix gives zero angles, not NaN.
    Ogre::Matrix4 bad = Ogre::Matrix4::IDENTITY;
    bad[1][2] = std::numeric_limits<float>::quiet_NaN();
    ExpectNear(ID3dUtil::GenerateYPRFromMat(bad), Ogre::Vector3::ZERO);
}

// The angles as the transform bar (world, "%.2f") and the side panel (local, "%.3f") show them.
static std::string Shown(float radians, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, double(Ogre::Math::RadiansToDegrees(radians)));
    return text;
}

TEST_F(EngineTest, QuarterTurnsAboutEachAxisShowExactly) {
    const Ogre::Vector3 axes[] = {Ogre::Vector3::UNIT_X, Ogre::Vector3::UNIT_Y,
                                  Ogre::Vector3::UNIT_Z};
    // Components of (pitch, yaw, roll) that a turn about X, Y, Z changes.
    const int component[] = {0, 1, 2};
    CEditorEntity* e = scene->AddMesh("e", "box", "", Ogre::Vector3::ZERO);
    ASSERT_NE(e, nullptr);
    for (int a = 0; a < 3; ++a)
        for (float sign : {-1.0f, 1.0f}) {
            const std::string expected2 = sign < 0 ? "-90.00" : "90.00";
            const std::string expected3 = sign < 0 ? "-90.000" : "90.000";
            // A gizmo turn: a world-space change relative to the press.
            e->SetOrientation(Ogre::Vector3::ZERO);
            e->PreTransform(Ogre::Vector3(0, 1, 0));
            e->RotateDelta(axes[a], sign * Ogre::Math::HALF_PI, true);
            const int c = component[a];
            EXPECT_EQ(Shown(e->GetWorldOrientation()[c], "%.2f"), expected2) << a << " " << sign;
            EXPECT_EQ(Shown(e->GetOrientation()[c], "%.3f"), expected3) << a << " " << sign;
            // Typed into the bar as world angles.
            Ogre::Vector3 typed = Ogre::Vector3::ZERO;
            typed[c] = sign * Ogre::Math::HALF_PI;
            e->SetOrientation(Ogre::Vector3(0.3f, 0.2f, 0.1f));
            e->SetWorldOrientation(typed.x, typed.y, typed.z);
            EXPECT_EQ(Shown(e->GetWorldOrientation()[c], "%.2f"), expected2) << a << " " << sign;
            EXPECT_EQ(Shown(e->GetOrientation()[c], "%.3f"), expected3) << a << " " << sign;
        }
}

// The conversion as it stood before the pole was treated apart: results away from the pole
// must stay bit for bit what they were (saved scenes and undo records hold them).
static Ogre::Vector3 AsinConversion(const Ogre::Matrix4& m) {
    const float sp = std::min(1.0f, std::max(-1.0f, -m[2][1]));
    return Ogre::Vector3(std::asin(sp), std::atan2(m[2][0], m[2][2]), std::atan2(m[0][1], m[1][1]));
}

TEST(YawPitchRoll, AwayFromThePoleResultsAreUnchanged) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> pitch(-1.48f, 1.48f), other(-kPi, kPi);
    for (int i = 0; i < 20000; ++i) {
        const Ogre::Matrix4 m = RowYPR(Ogre::Vector3(pitch(random), other(random), other(random)));
        const Ogre::Vector3 now = ID3dUtil::GenerateYPRFromMat(m), before = AsinConversion(m);
        ASSERT_EQ(std::memcmp(&now, &before, sizeof now), 0)
            << i << ": " << now << " was " << before;
    }
}

TEST(SegmentHelper, NearestPointsForCrossingParallelAndDegenerateSegments) {
    Ogre::Vector3 a, b, mid;
    // Skew segments: x axis and a segment along z at height 2 over x = 1.
    ID3dUtil::IntersectLineSegments({-5, 0, 0}, {5, 0, 0}, {1, 2, -3}, {1, 2, 3}, a, b, mid);
    ExpectNear(a, {1, 0, 0});
    ExpectNear(b, {1, 2, 0});
    ExpectNear(mid, {1, 1, 0});
    // Parallel and overlapping: a pair of points 1 apart, no NaN.
    ID3dUtil::IntersectLineSegments({0, 0, 0}, {4, 0, 0}, {2, 1, 0}, {6, 1, 0}, a, b, mid);
    EXPECT_NEAR(a.distance(b), 1.0f, 1e-5f);
    EXPECT_TRUE(a.x >= 2 - 1e-5f && a.x <= 4 + 1e-5f);
    // Parallel and disjoint: the facing ends.
    ID3dUtil::IntersectLineSegments({0, 0, 0}, {1, 0, 0}, {3, 1, 0}, {5, 1, 0}, a, b, mid);
    ExpectNear(a, {1, 0, 0});
    ExpectNear(b, {3, 1, 0});
    // Closest point beyond an end is clamped to the end.
    ID3dUtil::IntersectLineSegments({0, 0, 0}, {1, 0, 0}, {3, -1, 0}, {3, 1, 0}, a, b, mid);
    ExpectNear(a, {1, 0, 0});
    ExpectNear(b, {3, 0, 0});
    // Point segments.
    ID3dUtil::IntersectLineSegments({1, 1, 1}, {1, 1, 1}, {0, 0, 0}, {0, 4, 0}, a, b, mid);
    ExpectNear(a, {1, 1, 1});
    ExpectNear(b, {0, 1, 0});
}

TEST_F(EngineTest, WorldTransformFollowsTheParentChainAndTheOgreNodes) {
    CEditorEntity* parent = scene->AddMesh("p", "box", "", {10, 0, 0}, {0, kPi / 2, 0}, {2, 2, 2});
    CEditorEntity* child = scene->AddMesh("c", "box", "p", {1, 0, 0}, {0.3f, 0, 0}, {1, 1, 1});
    ASSERT_TRUE(parent && child);
    // Yaw +90 degrees takes +X to -Z (row-vector: (1,0,0) * Ry = (0,0,-1)).
    ExpectNear(child->GetWorldPosition(), {10, 0, -2});
    ExpectNear(child->GetWorldScale(), {2, 2, 2});
    ExpectSameRotation(RowYPR(child->GetWorldOrientation()),
                       RowYPR({0.3f, 0, 0}) * RowYPR({0, kPi / 2, 0}));
    // The Ogre node hierarchy agrees.
    scene->GetOgreSceneManager()->getRootSceneNode()->_update(true, false);
    ExpectNear(child->GetNode()->_getDerivedPosition(), child->GetWorldPosition());

    // World setters go back through the chain.
    child->SetWorldPosition(4, 5, 6);
    ExpectNear(child->GetWorldPosition(), {4, 5, 6});
    child->SetWorldOrientation(0.2f, -1.0f, 0.4f);
    ExpectSameRotation(RowYPR(child->GetWorldOrientation()), RowYPR({0.2f, -1.0f, 0.4f}));
    child->SetWorldScale(3, 4, 5);
    ExpectNear(child->GetWorldScale(), {3, 4, 5});
    ExpectNear(child->GetScale(), {1.5f, 2, 2.5f});
    // Moving the parent carries the child.
    const Ogre::Vector3 before = child->GetWorldPosition();
    parent->SetPosition(Ogre::Vector3(10, 3, 0));
    ExpectNear(child->GetWorldPosition(), before + Ogre::Vector3(0, 3, 0));
}

TEST_F(EngineTest, AxisLimitedSettersAndRefusedValues) {
    CEditorEntity* e = scene->AddMesh("e", "box", "", {1, 2, 3}, {0.1f, 0.2f, 0.3f}, {1, 2, 3});
    ASSERT_TRUE(e);
    e->SetPosition(Ogre::Vector3(9, 9, 9), AXIS_Y);
    ExpectNear(e->GetPosition(), {1, 9, 3});
    e->SetOrientation(Ogre::Vector3(7, 7, 7), AXIS_Z);
    ExpectNear(e->GetOrientation(), {0.1f, 0.2f, 7});
    e->SetScale(Ogre::Vector3(5, 5, 5), AXIS_X);
    ExpectNear(e->GetScale(), {5, 2, 3});
    e->SetPosition(Ogre::Vector3(0, 0, 0), static_cast<COORDINATE_AXIS>(7));
    ExpectNear(e->GetPosition(), {1, 9, 3});

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    e->PreTransform({1, 1, 1});
    e->SetPosition(nan, 0, 0);
    e->SetPosition(Ogre::Vector3(inf, 0, 0), AXIS_X);
    e->SetOrientation(Ogre::Vector3(0, nan, 0), AXIS_ALL);
    e->SetScale(Ogre::Vector3(0, 1, 1)); // zero scale
    e->SetScale(Ogre::Vector3(1, inf, 1), AXIS_Y);
    e->SetWorldPosition(nan, 1, 1);
    e->SetWorldOrientation(0, inf, 0);
    e->SetWorldScale(1, 0, 1);
    e->MoveDelta(Ogre::Vector3(nan, 0, 0));
    e->RotateDelta(Ogre::Vector3(0, 0, nan));
    e->RotateDelta(Ogre::Vector3(0, 1, 0), inf, true);
    e->RotateDelta(Ogre::Vector3(0, 0, 0), 1.0f, true); // no axis
    e->ScaleDelta(Ogre::Vector3(nan, 1, 1));
    e->ScaleDelta(Ogre::Vector3(0, 1, 1));
    ExpectNear(e->GetPosition(), {1, 9, 3});
    ExpectNear(e->GetOrientation(), {0.1f, 0.2f, 7});
    ExpectNear(e->GetScale(), {5, 2, 3});
}

TEST_F(EngineTest, DeltasAreMeasuredFromThePreTransformRecord) {
    CEditorEntity* parent = scene->AddMesh("p", "box", "", {0, 0, 0}, {0, 0.7f, 0}, {2, 1, 1});
    CEditorEntity* e = scene->AddMesh("e", "box", "p", {1, 1, 1}, {0.2f, 0.1f, 0}, {1, 1, 1});
    ASSERT_TRUE(parent && e);
    const Ogre::Vector3 start = e->GetWorldPosition();
    e->PreTransform({1, 0, 0});
    e->MoveDelta({1, 0, 0});
    e->MoveDelta({0, 2, 0}); // totals since the press: replaces the first step
    ExpectNear(e->GetWorldPosition(), start + Ogre::Vector3(0, 2, 0));
    e->MoveDelta({1, 0, 0}, 0, 0); // not relative: from the current position
    ExpectNear(e->GetWorldPosition(), start + Ogre::Vector3(1, 2, 0));
    e->MoveDelta({0, 0, 3}, 1, 1); // in the parent's space, from the record
    ExpectNear(e->GetPosition(), {1, 1, 4});

    // Rotation: Mnew = Mpre * R, about the entity's own position.
    e->PreTransform({0, 1, 0});
    const Ogre::Matrix4 pre = RowYPR(e->GetWorldOrientation());
    const Ogre::Vector3 at = e->GetWorldPosition();
    e->RotateDelta(Ogre::Vector3(0.5f, 0, 0));
    e->RotateDelta(Ogre::Vector3(0, 0.4f, 0.1f));
    ExpectSameRotation(RowYPR(e->GetWorldOrientation()), pre * RowYPR({0, 0.4f, 0.1f}));
    ExpectNear(e->GetWorldPosition(), at);
    e->RotateDelta(Ogre::Vector3(0, 1, 0), 0.6f, true);
    ExpectSameRotation(RowYPR(e->GetWorldOrientation()), pre * RowRotY(0.6f));
    e->RotateDelta(Ogre::Vector3(0, 1, 0), 0.6f, false); // accumulates
    ExpectSameRotation(RowYPR(e->GetWorldOrientation()), pre * RowRotY(1.2f));

    // Scale multiplies the current local scale.
    e->ScaleDelta({2, 1, 0.5f});
    e->ScaleDelta({2, 3, 1});
    ExpectNear(e->GetScale(), {4, 3, 0.5f});
}

TEST_F(EngineTest, BoundsStateAndNames) {
    CEditorEntity* e = scene->AddMesh("e", "box", "", {5, 0, 0}, {0, kPi / 4, 0}, {2, 1, 2});
    CEditorEntity* lamp =
        scene->AddLight("lamp", Ogre::Light::LT_SPOTLIGHT, {0, 4, 0}, Ogre::ColourValue::White);
    ASSERT_TRUE(e && lamp);
    const float r = 2.0f * std::sqrt(2.0f);
    ExpectNear(e->GetBoundsMin(), {5 - r, -1, -r});
    ExpectNear(e->GetBoundsMax(), {5 + r, 1, r});
    EXPECT_LT(lamp->GetBoundsMin().y, 4.0f); // the marker has a size
    EXPECT_GT(lamp->GetBoundsMax().y, 4.0f);
    EXPECT_EQ(e->getMovableObjectName(), "box");
    EXPECT_EQ(lamp->getMovableObjectName(), "SpotLight");
    EXPECT_NE(lamp->GetOgreLight(), nullptr);
    EXPECT_EQ(lamp->GetOgreEntity(), nullptr);
    e->AddState(STATE_LOCK_POSITION | STATE_NO_COPY);
    e->RemoveState(STATE_LOCK_POSITION);
    EXPECT_EQ(e->GetState(), std::uint32_t(STATE_NO_COPY));
}

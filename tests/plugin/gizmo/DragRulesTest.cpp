// The drag rules on plain values, without an engine.
#include "D3dxMath.h"
#include "GizmoDragRules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Ogre::Vector3;
using namespace GizmoDragRules;

namespace {

const GizmoPart kRotateParts[] = {GizmoPart::RotateView, GizmoPart::RotateFree, GizmoPart::RotateX,
                                  GizmoPart::RotateY, GizmoPart::RotateZ};

const float kPi = 3.14159265f;

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// A ray straight down -Z from (x, y, 50).
DragRay DownZ(float x, float y) {
    DragRay ray;
    EXPECT_TRUE(MakeRay(Vector3(x, y, 50), Vector3(x, y, -50), ray));
    return ray;
}

DragFrame Frame(float size, const Vector3& ringAxis = Vector3::UNIT_Z) {
    DragFrame frame;
    frame.centre = Vector3::ZERO;
    frame.sizeFactor = size;
    frame.viewNormal = Vector3::UNIT_Z;
    frame.ringAxis = ringAxis;
    return frame;
}

} // namespace

TEST(DragRules, RaysMustBeFiniteAndLong) {
    DragRay ray;
    EXPECT_TRUE(MakeRay(Vector3(1, 2, 3), Vector3(1, 2, 13), ray));
    EXPECT_EQ(ray.origin, Vector3(1, 2, 3));
    EXPECT_EQ(ray.direction, Vector3::UNIT_Z);
    EXPECT_FALSE(MakeRay(Vector3(1, 2, 3), Vector3(1, 2, 3), ray));
    EXPECT_FALSE(MakeRay(Vector3(std::nanf(""), 0, 0), Vector3(0, 0, 1), ray));
    EXPECT_FALSE(
        MakeRay(Vector3::ZERO, Vector3(std::numeric_limits<float>::infinity(), 0, 0), ray));
}

TEST(DragRules, SphereRuleMeetsTheInnerSphereOrPassesBesideIt) {
    // Through the centre: the sphere's near pole, 9 units towards the viewer.
    ExpectNear(SphereDirection(DownZ(0, 0), Frame(1), GizmoPart::RotateFree), Vector3(0, 0, -1));
    // Three units aside: the sphere at height sqrt(81 - 9).
    const float h = std::sqrt(72.0f);
    ExpectNear(SphereDirection(DownZ(3, 0), Frame(1), GizmoPart::RotateFree),
               Vector3(-3, 0, -h) / 9.0f);
    // The radius follows the size factor.
    const float h2 = std::sqrt(18.0f * 18.0f - 9.0f);
    ExpectNear(SphereDirection(DownZ(3, 0), Frame(2), GizmoPart::RotateFree),
               Vector3(-3, 0, -h2) / 18.0f);
    // Outside the sphere: the ray's point nearest the centre.
    ExpectNear(SphereDirection(DownZ(20, 0), Frame(1), GizmoPart::RotateFree), Vector3(-1, 0, 0));
    // An axis ring projects the point onto its plane; the view-axis part does not.
    ExpectNear(SphereDirection(DownZ(3, 4), Frame(1, Vector3::UNIT_X), GizmoPart::RotateX),
               Vector3(0, -4, -std::sqrt(81.0f - 25.0f)).normalisedCopy());
    ExpectNear(SphereDirection(DownZ(3, 4), Frame(1, Vector3::UNIT_X), GizmoPart::RotateFree),
               Vector3(-3, -4, -std::sqrt(56.0f)) / 9.0f);
}

TEST(DragRules, ViewRingRuleCrossesThePlaneThroughTheCentre) {
    ExpectNear(ViewRingDirection(DownZ(5, 0), Frame(1)), Vector3(-1, 0, 0));
    // Oblique rays cross the plane where they meet it, not above the pointer.
    DragRay ray;
    ASSERT_TRUE(MakeRay(Vector3(0, 0, 10), Vector3(10, 0, 0), ray));
    ExpectNear(ViewRingDirection(ray, Frame(1)), Vector3(-1, 0, 0));
    // A ray along the plane measures from its origin.
    ASSERT_TRUE(MakeRay(Vector3(0, 4, 0), Vector3(10, 4, 0), ray));
    ExpectNear(ViewRingDirection(ray, Frame(1)), Vector3(0, -1, 0));
}

TEST(DragRules, PrincipalAxesGiveOneAngleAndOthersGoThroughTheMatrix) {
    EXPECT_EQ(AxisAngleToYawPitchRoll(Vector3::UNIT_X, 0.3f), Vector3(0.3f, 0, 0));
    EXPECT_EQ(AxisAngleToYawPitchRoll(Vector3::NEGATIVE_UNIT_X, 0.3f), Vector3(-0.3f, 0, 0));
    EXPECT_EQ(AxisAngleToYawPitchRoll(Vector3::UNIT_Y, 0.3f), Vector3(0, 0.3f, 0));
    EXPECT_EQ(AxisAngleToYawPitchRoll(Vector3::NEGATIVE_UNIT_Y, 0.3f), Vector3(0, -0.3f, 0));
    EXPECT_EQ(AxisAngleToYawPitchRoll(Vector3::UNIT_Z, 0.3f), Vector3(0, 0, 0.3f));
    EXPECT_EQ(AxisAngleToYawPitchRoll(Vector3::NEGATIVE_UNIT_Z, 0.3f), Vector3(0, 0, -0.3f));
    // Within 0.001 of X still counts as X.
    const Vector3 nearX = Vector3(0.9995f, 0.0316f, 0).normalisedCopy();
    EXPECT_EQ(AxisAngleToYawPitchRoll(nearX, 0.3f), Vector3(0.3f, 0, 0));

    // Any other axis: the (pitch, yaw, roll) rebuild the same rotation.
    const Vector3 axis = Vector3(1, 2, 3).normalisedCopy();
    const Vector3 ypr = AxisAngleToYawPitchRoll(axis, 0.7f);
    d3dx::RowMatrix expected, rebuilt;
    d3dx::MatrixRotationAxis(expected, axis, 0.7f);
    d3dx::MatrixRotationYawPitchRoll(rebuilt, ypr.y, ypr.x, ypr.z);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(rebuilt[r][c], expected[r][c], 1e-5f) << r << "," << c;
}

TEST(DragRules, RotationIsMeasuredFromThePressDirection) {
    Vector3 axis;
    float angle = 0;
    for (GizmoPart part : kRotateParts) {
        SCOPED_TRACE(PartNumber(part));
        ASSERT_TRUE(RotationSincePress(part, Vector3::UNIT_X, Vector3::UNIT_Y, Vector3::UNIT_Z,
                                       axis, angle));
        ExpectNear(axis, Vector3::UNIT_Z);
        EXPECT_NEAR(angle, kPi / 2, 1e-6f);
    }
    // An unusable direction gives nothing; "no component beyond 0.1" spares only the free turn.
    EXPECT_FALSE(RotationSincePress(GizmoPart::RotateX, Vector3::UNIT_X, Vector3::ZERO,
                                    Vector3::UNIT_Z, axis, angle));
    EXPECT_FALSE(RotationSincePress(GizmoPart::RotateFree, Vector3::UNIT_X,
                                    Vector3(std::nanf(""), 0, 0), Vector3::UNIT_Z, axis, angle));
    const Vector3 faint(0.05f, 0.1f, 0.0f);
    EXPECT_FALSE(RotationSincePress(GizmoPart::RotateView, Vector3::UNIT_X, faint, Vector3::UNIT_Z,
                                    axis, angle));
    EXPECT_TRUE(RotationSincePress(GizmoPart::RotateFree, Vector3::UNIT_X, faint, Vector3::UNIT_Z,
                                   axis, angle));
}

TEST(DragRules, OppositeDirectionsTurnHalfAboutTheViewNormalExceptFreeRotation) {
    const Vector3 start = Vector3(1, -2, 0.5f).normalisedCopy();
    const Vector3 normal = Vector3(0.3f, 0.4f, 0.866f).normalisedCopy();
    for (GizmoPart part :
         {GizmoPart::RotateView, GizmoPart::RotateX, GizmoPart::RotateY, GizmoPart::RotateZ}) {
        SCOPED_TRACE(PartNumber(part));
        Vector3 axis;
        float angle = 0;
        ASSERT_TRUE(RotationSincePress(part, start, -start, normal, axis, angle));
        EXPECT_EQ(axis, normal);
        EXPECT_NEAR(angle, kPi, 5e-4f); // arccos near -1 is coarse in single precision
    }
    Vector3 axis = Vector3::UNIT_Y;
    float angle = 0.25f;
    EXPECT_FALSE(RotationSincePress(GizmoPart::RotateFree, start, -start, normal, axis, angle));
    EXPECT_EQ(axis, Vector3::UNIT_Y); // untouched
    EXPECT_EQ(angle, 0.25f);
}

TEST(DragRules, BackAtThePressDirectionIsNoRotationForEveryPart) {
    // The press direction itself, as normalising gives it (its dot product with itself is
    // below 1, whose arccos would be a turn of 3.45e-4 rad), and one a rounding step away.
    const Vector3 start = d3dx::Vec3Normalize(Vector3(0.31f, -0.7f, 0.648f));
    ASSERT_LT(start.dotProduct(start), 1.0f);
    const Vector3 nudged(start.x, std::nextafter(start.y, 0.0f), start.z);
    const Vector3 normal = Vector3(0.2f, 0.5f, 0.84f).normalisedCopy();
    for (GizmoPart part : kRotateParts) {
        for (const Vector3& g : {start, nudged}) {
            SCOPED_TRACE(PartNumber(part));
            Vector3 axis;
            float angle = 1;
            ASSERT_TRUE(RotationSincePress(part, start, g, normal, axis, angle));
            EXPECT_EQ(angle, 0.0f);
            EXPECT_EQ(axis, normal);
            EXPECT_EQ(AxisAngleToYawPitchRoll(axis, angle), Vector3::ZERO);
        }
    }
    // A real step away, however small a pixel makes it, is a rotation.
    const Vector3 step = d3dx::Vec3Normalize(start + Vector3(0.002f, 0, 0));
    Vector3 axis;
    float angle = 0;
    ASSERT_TRUE(RotationSincePress(GizmoPart::RotateFree, start, step, normal, axis, angle));
    EXPECT_GT(angle, 1e-3f);
}

TEST(DragRules, ScaleTotalsAndRatios) {
    float total = 0;
    ASSERT_TRUE(UniformScaleTotal(100, 560, total));
    EXPECT_NEAR(total, 2.0f, 1e-6f);
    ASSERT_TRUE(UniformScaleTotal(800, 800, total)); // a whole view width
    EXPECT_NEAR(total, 6.6f, 1e-6f);
    EXPECT_FALSE(UniformScaleTotal(10, 0, total));

    float ratio = 0;
    ASSERT_TRUE(ScaleRatio(3.0f, 2.0f, ratio));
    EXPECT_NEAR(ratio, 1.5f, 1e-6f);
    ASSERT_TRUE(ScaleRatio(-1.5f, 3.0f, ratio)); // a negative total shrinks, never mirrors
    EXPECT_NEAR(ratio, 0.5f, 1e-6f);
    ratio = 7;
    EXPECT_FALSE(ScaleRatio(0.0f, 3.0f, ratio));
    EXPECT_FALSE(ScaleRatio(0.0002f, 3.0f, ratio)); // below 0.0001
    EXPECT_FALSE(ScaleRatio(1.0f, 0.0f, ratio));
    EXPECT_FALSE(ScaleRatio(std::nanf(""), 1.0f, ratio));
    EXPECT_EQ(ratio, 7.0f); // untouched
}

// Moving the pointer inward never grows the total: past where it would reach 0 it stays at
// its floor, for the centre box and the axis boxes alike.
TEST(DragRules, ScaleTotalsStopAtTheirFloorInward) {
    using GizmoGeometry::kMinScaleTotal;
    float total = 0;
    float previous = 2.0f;
    for (int dx = 100; dx >= -600; --dx) {
        ASSERT_TRUE(UniformScaleTotal(dx, 560, total));
        ASSERT_LE(total, previous) << dx;
        ASSERT_GE(total, kMinScaleTotal) << dx;
        previous = total;
    }
    EXPECT_EQ(total, kMinScaleTotal);

    // Along +X from a centre at (1, 2, 3), reference length 4.
    const Vector3 centre(1, 2, 3);
    ASSERT_TRUE(AxisScaleTotal(centre + Vector3(8, 0, 0), centre, Vector3::UNIT_X, 4, total));
    EXPECT_NEAR(total, 2.0f, 1e-6f);
    ASSERT_TRUE(AxisScaleTotal(centre + Vector3(1, 0, 0), centre, Vector3::UNIT_X, 4, total));
    EXPECT_NEAR(total, 0.25f, 1e-6f);
    previous = 3.0f;
    for (float along = 8.0f; along >= -20.0f; along -= 0.25f) {
        ASSERT_TRUE(
            AxisScaleTotal(centre + Vector3(along, 0, 0), centre, Vector3::UNIT_X, 4, total));
        ASSERT_LE(total, previous) << along;
        ASSERT_GE(total, kMinScaleTotal) << along;
        previous = total;
    }
    EXPECT_EQ(total, kMinScaleTotal);
    // Nothing to measure with: no reference length, or points that are not finite.
    total = 7;
    EXPECT_FALSE(AxisScaleTotal(centre, centre, Vector3::UNIT_X, 0, total));
    EXPECT_FALSE(AxisScaleTotal(Vector3(std::nanf(""), 0, 0), centre, Vector3::UNIT_X, 4, total));
    EXPECT_EQ(total, 7.0f);
}

TEST(DragRules, SnapRoundsToTheNearestMultipleAndRefusesUnusableSteps) {
    EXPECT_EQ(SnapToStep(2.4f, 1.0f), 2.0f);
    EXPECT_EQ(SnapToStep(-2.6f, 1.0f), -3.0f);
    EXPECT_EQ(SnapToStep(0.26f, 0.25f), 0.25f);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // A step that cannot be used, or a value that is not finite, is left as it is.
    for (float step : {0.0f, -1.0f, inf, nan, 2e38f, kMaxSnapStep * 2})
        EXPECT_EQ(SnapToStep(2.4f, step), 2.4f) << step;
    EXPECT_TRUE(std::isinf(SnapToStep(inf, 1.0f)));
    // Rounding the largest float stays a float.
    EXPECT_TRUE(std::isfinite(SnapToStep(std::numeric_limits<float>::max(), kMaxSnapStep)));

    // Along an axis: the length along it is rounded, what lies off it dropped.
    ExpectNear(SnapAlongAxis(Vector3(2.7f, 0.3f, 0), Vector3::UNIT_X, 1.0f), Vector3(3, 0, 0));
    const Vector3 diagonal = Vector3(1, 1, 0).normalisedCopy();
    const Vector3 snapped = SnapAlongAxis(diagonal * 1.3f, diagonal, 0.5f);
    ExpectNear(snapped, diagonal * 1.5f);
    EXPECT_EQ(SnapAlongAxis(Vector3(2.7f, 0, 0), Vector3::UNIT_X, nan), Vector3(2.7f, 0, 0));
}

TEST(DragRules, SnappedScaleTotalIsNeverZero) {
    EXPECT_NEAR(SnapScaleTotal(1.26f, 0.1f), 1.3f, 1e-6f);
    EXPECT_NEAR(SnapScaleTotal(-0.74f, 0.1f), -0.7f, 1e-6f);
    // Near zero the total keeps one step on its own side, so no ratio divides by it later.
    EXPECT_EQ(SnapScaleTotal(0.04f, 0.1f), 0.1f);
    EXPECT_EQ(SnapScaleTotal(-0.04f, 0.1f), -0.1f);
    EXPECT_EQ(SnapScaleTotal(0.0f, 0.1f), 0.1f);
    EXPECT_EQ(SnapScaleTotal(1.26f, 0.0f), 1.26f);
    float ratio = 0.0f;
    EXPECT_TRUE(ScaleRatio(SnapScaleTotal(0.01f, 0.1f), 1.0f, ratio));
    EXPECT_NEAR(ratio, 0.1f, 1e-7f);
}

TEST(PlaneRules, RayMeetsThePlaneInFrontOnlyAndTheSquareHasExactEdges) {
    DragRay ray;
    ray.origin = Ogre::Vector3(3, 3, 10);
    ray.direction = Ogre::Vector3(0, 0, -1);
    Ogre::Vector3 hit;
    ASSERT_TRUE(GizmoDragRules::RayPlane(ray, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_Z, hit));
    EXPECT_EQ(hit, Ogre::Vector3(3, 3, 0));
    // Behind the origin, or running along the plane: nothing.
    EXPECT_FALSE(
        GizmoDragRules::RayPlane(ray, Ogre::Vector3(0, 0, 20), Ogre::Vector3::UNIT_Z, hit));
    ray.direction = Ogre::Vector3(1, 0, 0);
    EXPECT_FALSE(GizmoDragRules::RayPlane(ray, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_Z, hit));

    // The square spans offset +- half size on both axes, in gizmo units of the size factor.
    const Ogre::Vector3 c(10, 0, 0), u = Ogre::Vector3::UNIT_X, v = Ogre::Vector3::UNIT_Y;
    const float s = 2.0f;
    EXPECT_TRUE(GizmoDragRules::InPlaneSquare(c + Ogre::Vector3(6, 6, 0), c, u, v, s));
    EXPECT_TRUE(GizmoDragRules::InPlaneSquare(c + Ogre::Vector3(4, 8, 0), c, u, v, s));
    EXPECT_FALSE(GizmoDragRules::InPlaneSquare(c + Ogre::Vector3(3.9f, 6, 0), c, u, v, s));
    EXPECT_FALSE(GizmoDragRules::InPlaneSquare(c + Ogre::Vector3(6, 8.1f, 0), c, u, v, s));
    EXPECT_FALSE(GizmoDragRules::InPlaneSquare(c + Ogre::Vector3(-6, -6, 0), c, u, v, s));
    EXPECT_FALSE(GizmoDragRules::InPlaneSquare(c + Ogre::Vector3(6, 6, 0), c, u, v, 0.0f));

    // Edge-on within kPlaneMinFacing of the cosine: hidden, whichever side the viewer is on.
    EXPECT_TRUE(GizmoDragRules::PlaneFacesView(Ogre::Vector3::UNIT_Z, Ogre::Vector3(0, 0, -1)));
    EXPECT_TRUE(GizmoDragRules::PlaneFacesView(Ogre::Vector3::UNIT_Z,
                                               Ogre::Vector3(0.9f, 0, 0.3f).normalisedCopy()));
    EXPECT_FALSE(GizmoDragRules::PlaneFacesView(Ogre::Vector3::UNIT_Z,
                                                Ogre::Vector3(0.99f, 0, 0.1f).normalisedCopy()));
    EXPECT_FALSE(
        GizmoDragRules::PlaneFacesView(Ogre::Vector3::UNIT_Z, Ogre::Vector3(std::nanf(""), 0, 1)));
}

TEST(PlaneRules, SnapInPlaneRoundsEachAxisAndDropsTheNormal) {
    const Ogre::Vector3 u = Ogre::Vector3::UNIT_Z, v = Ogre::Vector3::UNIT_X;
    EXPECT_EQ(GizmoDragRules::SnapInPlane(Ogre::Vector3(1.4f, 0.3f, -2.6f), u, v, 1.0f),
              Ogre::Vector3(1, 0, -3));
    // A step that is no step leaves the value as it is.
    const Ogre::Vector3 value(1.4f, 0.3f, -2.6f);
    EXPECT_EQ(GizmoDragRules::SnapInPlane(value, u, v, 0.0f), value);
    EXPECT_EQ(GizmoDragRules::SnapInPlane(value, u, v, std::nanf("")), value);
}

// The move plane squares, the move handles on the entity's own axes, and exact amounts typed
// while a part is held: laid out, picked and dragged in the headless engine.
#include "GizmoFixture.h"

#include <OgreSceneNode.h>

#include <cmath>

using Ogre::Vector2;
using Ogre::Vector3;
using namespace GizmoGeometry;

namespace {

GizmoOptions Local() {
    GizmoOptions options;
    options.space = SPACE_LOCAL;
    return options;
}

void ExpectNear(const Vector3& a, const Vector3& b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance) << a << " " << b;
    EXPECT_NEAR(a.y, b.y, tolerance) << a << " " << b;
    EXPECT_NEAR(a.z, b.z, tolerance) << a << " " << b;
}

} // namespace

TEST_F(GizmoTest, PlaneSquaresShowWhereTheirPlaneFacesTheViewerAndFollowLocalAxes) {
    // The view looks along -Z: the XY square is face-on, the other two are seen edge-on.
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const float s = Size();
    const GizmoViewState& state = gizmo->GetViewState(0);
    EXPECT_EQ(state.shown[NODE_PLANE_XY], 1);
    EXPECT_EQ(state.shown[NODE_PLANE_YZ], 0);
    EXPECT_EQ(state.shown[NODE_PLANE_XZ], 0);
    EXPECT_TRUE(Visible(NODE_PLANE_XY));
    EXPECT_FALSE(Visible(NODE_PLANE_YZ));
    EXPECT_FALSE(Visible(NODE_PLANE_XZ));
    ExpectNear(gizmo->GetNode(NODE_PLANE_XY)->getPosition(), Vector3(3 * s, 3 * s, 0), 1e-4f);
    // World axes by default: the arrows lie exactly on the world axes.
    for (int i = 0; i < 3; ++i) {
        Vector3 unit = Vector3::ZERO;
        unit[i] = 1;
        EXPECT_EQ(state.moveAxes[i], unit);
        EXPECT_EQ((state.axisPoints[2 * i + 1] - state.axisPoints[2 * i]).normalisedCopy(), unit);
    }

    // Turned 30 degrees about Y and seen from above-front, local axes turn the arrows and the
    // squares with the entity; a layout of the world axes again puts them back.
    view->LookAt(Vector3(0, 40, 30), Vector3::ZERO);
    CEditorEntity* turned = SelectNew("box_t", Vector3(2, 0, 0), Vector3(0, Ogre::Math::PI / 6, 0));
    gizmo->SetOptions(Local());
    gizmo->UpdateView(view.get(), 0);
    const Vector3 ownX = gizmo->GetViewState(0).moveAxes[0];
    ExpectNear(ownX, Vector3(std::cos(Ogre::Math::PI / 6), 0, -std::sin(Ogre::Math::PI / 6)),
               1e-5f);
    const Vector3 arrow = state.axisPoints[1] - state.axisPoints[0];
    ExpectNear(arrow.normalisedCopy(), ownX, 1e-5f);
    EXPECT_TRUE(Visible(NODE_PLANE_XZ)); // seen from above
    const float sl = Size();
    const Vector3 square = gizmo->GetNode(NODE_PLANE_XZ)->getPosition();
    ExpectNear(square,
               turned->GetWorldPosition() +
                   (state.moveAxes[2] + state.moveAxes[0]) * (kPlaneHandleOffset * sl),
               1e-4f);
    gizmo->SetOptions(GizmoOptions());
    gizmo->UpdateView(view.get(), 0);
    EXPECT_EQ(gizmo->GetViewState(0).moveAxes[0], Vector3::UNIT_X);
}

TEST_F(GizmoTest, ASquareIsGrabbedWhereNoArrowIsAndDragsInItsPlaneOnly) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const float s = Size();
    // Off the square, between it and the arrows: nothing.
    const Vector2 off = Pixel(Vector3(1.5f * s, 1.5f * s, 0));
    EXPECT_EQ(gizmo->PartAt(view.get(), 0, int(off.x), int(off.y), false), GizmoPart::None);
    const Vector2 c = Pixel(Vector3(3 * s, 3 * s, 0));
    const int px = int(std::lround(c.x)), py = int(std::lround(c.y));
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::MovePlaneXY);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_PLANE);
    EXPECT_EQ(MaterialColour("MapSelectMgrPlaneXY"), kHighlightColour);
    EXPECT_EQ(MaterialColour("MapSelectMgrBlue"), kNormalColours[MaterialOf(GizmoPart::MoveZ)]);

    // 20 pixels right and 10 up is (2, 1) size units in the plane; Z stays exactly 0.
    GizmoDragResult result;
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 20, py - 10, &result), 1);
    EXPECT_EQ(result.kind, DRAG_KIND_MOVE);
    EXPECT_EQ(result.part, 16);
    EXPECT_NEAR(result.value.x, 2 * s, 0.05f * s);
    EXPECT_NEAR(result.value.y, 1 * s, 0.05f * s);
    EXPECT_EQ(result.value.z, 0.0f);
    // Snapped, both plane axes go by whole steps.
    SnapSteps steps;
    steps.move = 0.5f * s;
    gizmo->SetSnapSteps(steps);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON | KEY_CTRL, px + 23, py - 13, &result), 1);
    EXPECT_NEAR(std::remainder(result.value.x, steps.move), 0.0f, 1e-4f);
    EXPECT_NEAR(std::remainder(result.value.y, steps.move), 0.0f, 1e-4f);
    EXPECT_EQ(result.value.z, 0.0f);
    // A square takes no typed amount: it has two axes.
    EXPECT_FALSE(gizmo->TakesTypedAmount());
    EXPECT_EQ(gizmo->OnTyped(0, 2.0f, &result), 0);
    ASSERT_EQ(gizmo->OnRelease(view.get(), 0, 0, px, py), 1);

    // The arrow keeps its priority where it crosses nothing else: its cone grabs the arrow.
    const Vector2 cone = Pixel(Vector3(7 * s, 0, 0));
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(cone.x) + 3, int(cone.y) - 2), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::MoveX);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
}

TEST_F(GizmoTest, TypedAmountsAreExactTotalsSinceThePress) {
    SelectNew("box_a", Vector3::ZERO);
    GizmoDragResult result;
    EXPECT_EQ(gizmo->OnTyped(0, 1.0f, &result), 0); // nothing held

    // Move: units along the arrow.
    gizmo->SetMode(MODE_MOVE);
    const Vector2 c = Pixel(Vector3::ZERO);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x) + 30, int(c.y)), 1);
    ASSERT_TRUE(gizmo->TakesTypedAmount());
    ASSERT_EQ(gizmo->OnTyped(0, 2.0f, &result), 1);
    EXPECT_EQ(result.kind, DRAG_KIND_MOVE);
    EXPECT_EQ(result.value, Vector3(2, 0, 0));
    EXPECT_EQ(gizmo->OnTyped(0, 2.0f, &result), RESULT_NOTHING_NEW);
    ASSERT_EQ(gizmo->OnTyped(0, -0.25f, &result), 1);
    EXPECT_EQ(result.value, Vector3(-0.25f, 0, 0));
    EXPECT_EQ(gizmo->OnTyped(0, std::nanf(""), &result), 0);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    EXPECT_EQ(gizmo->OnTyped(0, 1.0f, &result), 0);

    // Rotate: degrees about the held ring's axis, applied as a turn about that axis.
    gizmo->SetMode(MODE_ROTATE);
    const int rx = int(std::lround(c.x)) + 3, ry = int(std::lround(c.y)) - 45 - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, rx, ry), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateX);
    ASSERT_EQ(gizmo->OnTyped(0, 45.0f, &result), 1);
    EXPECT_EQ(result.kind, DRAG_KIND_AXIS_TURN);
    EXPECT_EQ(result.axis, Vector3::UNIT_X);
    EXPECT_EQ(result.angle, 45.0f * kDegreesToRadians);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    // The free turn has no axis to type about.
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x) + 20, int(c.y) + 25), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateFree);
    EXPECT_FALSE(gizmo->TakesTypedAmount());
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);

    // Scale: a factor since the press, each step the ratio to the last; a negative factor is
    // refused and 0 stops at the drag's floor.
    gizmo->SetMode(MODE_SCALE);
    const Vector2 xBox = Pixel(gizmo->GetNode(NODE_BOX_X)->getPosition());
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(xBox.x) + 3, int(xBox.y) - 2), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::ScaleX);
    ASSERT_EQ(gizmo->OnTyped(0, 2.0f, &result), 1);
    EXPECT_EQ(result.value, Vector3(2, 1, 1));
    ASSERT_EQ(gizmo->OnTyped(0, 0.5f, &result), 1);
    EXPECT_EQ(result.value, Vector3(0.25f, 1, 1));
    EXPECT_EQ(gizmo->OnTyped(0, -1.0f, &result), 0);
    EXPECT_EQ(gizmo->GetScaleTotal(), 0.5f);
    ASSERT_EQ(gizmo->OnTyped(0, 0.0f, &result), 1);
    EXPECT_EQ(gizmo->GetScaleTotal(), kMinScaleTotal);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
}

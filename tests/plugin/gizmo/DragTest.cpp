// Turning pointer motion into move, rotate and scale values.
#include "GizmoFixture.h"

#include "D3dxMath.h"

#include <OgreSceneNode.h>

#include <cmath>
#include <limits>
#include <map>
#include <vector>

using Ogre::Vector2;
using Ogre::Vector3;

TEST_F(GizmoTest, MoveDragGivesTheDisplacementSincePressAlongTheAxis) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const float s = Size();
    const Vector2 c = Pixel(Vector3::ZERO);
    const int px = int(c.x) + 30, py = int(c.y);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px, py), RESULT_NOTHING_NEW);

    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 20, py + 15), 1);
    Vector3 v = gizmo->GetDragResult();
    EXPECT_NEAR(v.x, 2.0f * s, 0.05f * s); // 20 pixels = 2 size units; vertical motion ignored
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 40, py), 1);
    EXPECT_NEAR(gizmo->GetDragResult().x, 4.0f * s, 0.05f * s); // total, not the step
    // Back at the press point: zero once, then nothing while the pointer stays.
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px, py), 1);
    EXPECT_EQ(gizmo->GetDragResult(), Vector3::ZERO);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px, py), RESULT_NOTHING_NEW);

    EXPECT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 1);
    EXPECT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 0);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 5, py), 0);
}

TEST_F(GizmoTest, RotateAboutTheXRingGivesPitchOnly) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 c = Pixel(Vector3::ZERO);
    const int px = int(std::lround(c.x)) + 3, py = int(std::lround(c.y)) - 45 - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateX);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 10, py + 60), 1);
    const Vector3 v = gizmo->GetDragResult();
    Vector3 axis;
    float angle = 0;
    gizmo->GetRotation(axis, angle);
    EXPECT_GT(angle, 0.1f);
    EXPECT_NEAR(std::fabs(axis.x), 1.0f, 1e-3f);
    EXPECT_EQ(v, Vector3(axis.x > 0 ? angle : -angle, 0, 0));
}

TEST_F(GizmoTest, ParallelDirectionsFallBackToTheViewNormalOrGiveNothing) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 c = Pixel(Vector3::ZERO);
    // Outer view ring: dragging along the same radius keeps the direction; the axis becomes
    // the view normal and the angle 0.
    const int ox = int(std::lround(c.x + 104 * 0.7071f)) + 3,
              oy = int(std::lround(c.y - 104 * 0.7071f)) - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, ox, oy), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateView);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, ox + 10, oy - 10), 1);
    Vector3 axis;
    float angle = 1;
    gizmo->GetRotation(axis, angle);
    EXPECT_NEAR(angle, 0.0f, 0.02f);
    // A drag across the ring turns about the view normal (towards the viewer, +Z).
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, int(c.x) - 60, int(c.y) - 60), 1);
    gizmo->GetRotation(axis, angle);
    EXPECT_NEAR(std::fabs(axis.z), 1.0f, 1e-3f);
    EXPECT_NEAR(angle, 1.5708f, 0.05f);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);

    // Free rotation: no motion from the press point gives nothing.
    const int fx = int(c.x) + 35, fy = int(c.y) - 35;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, fx, fy), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateFree);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, fx, fy), RESULT_NOTHING_NEW);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, fx + 20, fy), 1);
}

TEST_F(GizmoTest, UniformScaleTakesRatiosAndGuardsAVanishingFactor) {
    view->LookAt(Vector3(20, 15, 45), Vector3::ZERO);
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    view->SetPixelSize(560, 400); // 100 pixels = one unit of m
    const Vector2 c = Pixel(Vector3::ZERO);
    gizmo->UpdateView(view.get(), 0);
    const int px = int(c.x) + 3, py = int(c.y) - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::ScaleAll);

    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, px + 100, py), 1); // m = 2
    EXPECT_NEAR(gizmo->GetDragResult().x, 2.0f, 1e-5f);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, px + 200, py), 1); // m = 3: ratio 3/2
    EXPECT_NEAR(gizmo->GetDragResult().y, 1.5f, 1e-5f);
    // Where m would be 0 the total stops at its floor: the ratio from 3 down to it.
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, px - 100, py), 1);
    const Vector3 v = gizmo->GetDragResult();
    EXPECT_NEAR(v.x, GizmoGeometry::kMinScaleTotal / 3.0f, 1e-6f);
    EXPECT_EQ(v.x, v.y);
    EXPECT_EQ(v.y, v.z);
    // Further left the total stays there: a factor of exactly 1, never a growing one.
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, px - 250, py), 1);
    EXPECT_EQ(gizmo->GetDragResult(), Vector3(1, 1, 1));
    // Back to the right it grows from the floor: m = 2 again.
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, px + 100, py), 1);
    EXPECT_NEAR(gizmo->GetDragResult().x, 2.0f / GizmoGeometry::kMinScaleTotal, 1e-2f);
}

// A scale box dragged steadily inward, through the centre and beyond, shrinks the entity at
// every step until the total factor since the press reaches its floor, and never grows it.
TEST_F(GizmoTest, ScaleDragsInwardNeverGrowTheEntity) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    struct Case {
        const char* what;
        Vector3 eye;
        Vector3 grab;  // world point pressed, in gizmo units
        Vector3 inner; // world point the drag ends at, well past the centre, in gizmo units
        int component; // of the value that scales
    };
    // Seen from aside the centre box is clear of the Z box; looking down -Z the X and Y boxes
    // are dragged along a pixel row and a pixel column.
    const Case cases[] = {
        {"uniform", Vector3(20, 15, 45), Vector3::ZERO, Vector3(-40, 0, 0), 0},
        {"x box", Vector3(0, 0, 50), Vector3(9, 0, 0), Vector3(-18, 0, 0), 0},
        {"y box", Vector3(0, 0, 50), Vector3(0, 9, 0), Vector3(0, -18, 0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view->LookAt(c.eye, Vector3::ZERO);
        gizmo->UpdateView(view.get(), 0);
        const float s = Size();
        const bool uniform = c.grab == Vector3::ZERO;
        const Vector2 press = Pixel(c.grab * s);
        const int px = int(std::lround(press.x)) + (uniform ? 3 : 0);
        const int py = int(std::lround(press.y)) - (uniform ? 2 : 0);
        ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
        ASSERT_EQ(gizmo->GetDragPart(),
                  uniform ? GizmoPart::ScaleAll : AxisPart(GizmoPart::ScaleX, c.component));
        const Vector2 end = Pixel(c.inner * s);
        double total = 1.0;
        int growing = 0; // steps that grew the entity
        for (int i = 1; i <= 200; ++i) {
            const float t = i / 200.0f;
            const int x = int(std::lround(px + (end.x - px) * t));
            const int y = uniform ? py : int(std::lround(py + (end.y - py) * t));
            if (gizmo->OnDrag(view.get(), 0, 0, x, y) != 1)
                continue;
            const double f = gizmo->GetDragResult()[c.component];
            if (f > 1.0 + 1e-6 && growing++ == 0)
                ADD_FAILURE() << "step " << i << " grows the entity from " << total << " to "
                              << total * f;
            total *= f;
        }
        EXPECT_EQ(growing, 0);
        EXPECT_NEAR(total, GizmoGeometry::kMinScaleTotal, 1e-4);
        // The grabbed box stays on its own side of the centre, at the floor's stretch.
        if (!uniform) {
            const Vector3 box = gizmo->GetNode(4 + c.component)->getPosition();
            EXPECT_GT(box[c.component], 0.0f);
            EXPECT_LT(box[c.component], 9 * s * 2 * GizmoGeometry::kMinScaleTotal);
        }
        ASSERT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 1);
    }
}

TEST_F(GizmoTest, AxisScaleStretchesTheGizmoAndReleaseSnapsItBack) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    const float s = Size();
    const Vector3 end = gizmo->GetNode(4)->getPosition();
    const Vector2 xBox = Pixel(end);
    const int px = int(xBox.x) + 3, py = int(xBox.y) - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::ScaleX);

    // Dragging the box out to twice its distance doubles X only.
    const Vector2 twice = Pixel(Vector3(18 * s, 0, 0));
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, int(std::lround(twice.x)), py + 7), 1);
    Vector3 v = gizmo->GetDragResult();
    EXPECT_NEAR(v.x, 2.0f, 0.03f);
    EXPECT_EQ(v.y, 1.0f);
    EXPECT_EQ(v.z, 1.0f);
    EXPECT_NEAR(gizmo->GetNode(4)->getPosition().x, 18 * s, 0.3f * s);
    EXPECT_NEAR(gizmo->GetViewState(0).axisPoints[1].x, 18 * s, 0.3f * s);
    // The next step is a ratio: back to 1.5 times the press length gives 0.75.
    const Vector2 oneAndHalf = Pixel(Vector3(13.5f * s, 0, 0));
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, int(std::lround(oneAndHalf.x)), py), 1);
    EXPECT_NEAR(gizmo->GetDragResult().x, 0.75f, 0.02f);
    // The box follows the pointer: it is stretched by the total factor since the press.
    EXPECT_NEAR(gizmo->GetNode(4)->getPosition().x, 13.5f * s, 0.3f * s);
    // Past the centre the total stays at its floor: the entity shrinks to it, is never
    // mirrored, and the box stays on its own side.
    const Vector2 opposite = Pixel(Vector3(-9 * s, 0, 0));
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, int(std::lround(opposite.x)), py), 1);
    EXPECT_NEAR(gizmo->GetDragResult().x, GizmoGeometry::kMinScaleTotal / 1.5f, 1e-4f);
    EXPECT_NEAR(gizmo->GetNode(4)->getPosition().x, 9 * s * GizmoGeometry::kMinScaleTotal,
                0.01f * s);

    ASSERT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 1);
    EXPECT_EQ(gizmo->GetNode(4)->getPosition(), end);
    EXPECT_EQ(gizmo->GetViewState(0).axisPoints[1], end);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
}

TEST_F(GizmoTest, DegenerateRaysChangeNothing) {
    ForwardingView poisoned(*view);
    host.views[0] = &poisoned;
    SelectNew("box_a", Vector3::ZERO);
    for (int mode : {MODE_MOVE, MODE_ROTATE, MODE_SCALE}) {
        SCOPED_TRACE(mode);
        gizmo->SetMode(mode);
        const Vector2 c = Pixel(Vector3::ZERO);
        // Move: on the X line; rotate: on the X ring; scale: on the X box.
        const Vector2 target = mode == MODE_MOVE     ? c + Vector2(30, 0)
                               : mode == MODE_ROTATE ? c + Vector2(0, -45)
                                                     : Pixel(gizmo->GetNode(4)->getPosition());
        const int px = int(target.x) + 3, py = int(target.y) - 2;
        ASSERT_EQ(gizmo->OnPress(&poisoned, 0, KEY_LBUTTON, px, py), 1);
        ASSERT_EQ(gizmo->OnDrag(&poisoned, 0, 0, px + 12, py + 12), 1);
        const Vector3 before = gizmo->GetDragResult();
        Vector3 axisBefore, axisAfter;
        float angleBefore, angleAfter;
        gizmo->GetRotation(axisBefore, angleBefore);
        poisoned.poisoned = true;
        EXPECT_EQ(gizmo->OnDrag(&poisoned, 0, 0, px + 30, py + 30), RESULT_NOTHING_NEW);
        EXPECT_EQ(gizmo->GetDragResult(), before);
        gizmo->GetRotation(axisAfter, angleAfter);
        EXPECT_EQ(axisAfter, axisBefore);
        EXPECT_EQ(angleAfter, angleBefore);
        // A press through a degenerate ray grabs nothing that a drag could measure from.
        gizmo->OnRelease(&poisoned, 0, 0, 0, 0);
        if (mode != MODE_SCALE) {
            EXPECT_EQ(gizmo->OnPress(&poisoned, 0, KEY_LBUTTON, px, py), 0);
        }
        poisoned.poisoned = false;
        gizmo->OnRelease(&poisoned, 0, 0, 0, 0);
    }
}

TEST_F(GizmoTest, BackAtThePressPointEveryRotatePartLeavesTheEntityUnturned) {
    // A tilted view of a tilted entity, so that no ring axis is a principal axis.
    view->LookAt(Vector3(20, 15, 45), Vector3::ZERO);
    const Vector3 start(0.3f, 0.5f, 0.2f);
    CEditorEntity* box = SelectNew("box_a", Vector3::ZERO, start);
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 c = Pixel(Vector3::ZERO);

    // Pixels around the centre at which a press grabs each part (a few per part, as the press
    // directions round differently), each with a step of one pixel across the radius.
    struct Grab {
        int x, y, dx, dy;
    };
    std::map<GizmoPart, std::vector<Grab>> grabs;
    for (int r = 10; r <= 120; r += 2)
        for (int k = 0; k < 32; ++k) {
            const float a = k * 6.2831853f / 32;
            const int x = int(std::lround(c.x + r * std::cos(a))) + 3;
            const int y = int(std::lround(c.y - r * std::sin(a))) - 2;
            if (!gizmo->OnPress(view.get(), 0, KEY_LBUTTON, x, y))
                continue;
            const GizmoPart part = gizmo->GetDragPart();
            gizmo->OnRelease(view.get(), 0, 0, 0, 0);
            const bool across = std::fabs(std::cos(a)) > std::fabs(std::sin(a));
            if (PartInfo(part).mode == MODE_ROTATE && grabs[part].size() < 12)
                grabs[part].push_back({x, y, across ? 0 : 1, across ? 1 : 0});
        }
    // What the plug-in does with a step: turn the entity from its orientation at the press.
    auto apply = [&](const GizmoDragResult& drag) {
        if (drag.kind == DRAG_KIND_AXIS_TURN)
            box->RotateDelta(drag.axis, drag.angle, true);
        else if (drag.kind == DRAG_KIND_TURN)
            box->RotateDelta(drag.value);
        gizmo->OnSceneNotify(box, 1, NOTIFY_ROTATED);
    };

    for (GizmoPart part : {GizmoPart::RotateView, GizmoPart::RotateFree, GizmoPart::RotateX,
                           GizmoPart::RotateY, GizmoPart::RotateZ}) {
        ASSERT_FALSE(grabs[part].empty()) << PartNumber(part);
        for (const Grab& g : grabs[part]) {
            SCOPED_TRACE(testing::Message()
                         << "part " << PartNumber(part) << " at " << g.x << "," << g.y);
            const int x = g.x, y = g.y, dx = g.dx, dy = g.dy;
            ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, x, y), 1);
            box->PreTransform(Vector3(0, 1, 0));
            GizmoDragResult drag;
            ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, x + dx, y + dy, &drag), 1);
            EXPECT_EQ(drag.part, PartNumber(part));
            EXPECT_EQ(drag.kind,
                      part == GizmoPart::RotateView ? DRAG_KIND_TURN : DRAG_KIND_AXIS_TURN);
            apply(drag);
            EXPECT_GT((box->GetOrientation() - start).length(), 1e-3f);

            ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, x, y, &drag), 1);
            EXPECT_EQ(drag.value, Vector3::ZERO);
            EXPECT_EQ(drag.angle, 0.0f);
            apply(drag);
            // Staying there is nothing new.
            EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, x, y, &drag), RESULT_NOTHING_NEW);
            ASSERT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 1);
            EXPECT_LT((box->GetOrientation() - start).length(), 1e-5f);
            box->SetOrientation(start);
            gizmo->OnSceneNotify(box, 1, NOTIFY_ROTATED);
        }
    }
}

TEST_F(GizmoTest, CtrlSnapsTheTotalSincePressAndLettingGoFollowsThePointer) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    gizmo->SetSnapSteps(SnapSteps{0.5f, 15.0f, 0.1f});
    const float s = Size();
    const Vector2 c = Pixel(Vector3::ZERO);
    const int px = int(c.x) + 30, py = int(c.y);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON | KEY_CTRL, px, py), 1);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON | KEY_CTRL, px + 23, py), 1);
    const Vector3 snapped = gizmo->GetDragResult();
    EXPECT_NEAR(std::remainder(snapped.x, 0.5f), 0.0f, 1e-5f);
    EXPECT_NEAR(snapped.x, 2.3f * s, 0.25f + 0.05f * s);
    EXPECT_EQ(snapped.y, 0.0f);
    EXPECT_EQ(snapped.z, 0.0f);
    // One more pixel stays on the same multiple: nothing new.
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON | KEY_CTRL, px + 23, py + 1),
              RESULT_NOTHING_NEW);
    // Ctrl let go: the pointer's own total.
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 23, py), 1);
    EXPECT_NE(gizmo->GetDragResult().x, snapped.x);
    EXPECT_NEAR(gizmo->GetDragResult().x, 2.3f * s, 0.05f * s);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);

    // A turn about the X ring: the angle is a multiple of 15 degrees, about X only.
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 r = Pixel(Vector3::ZERO);
    const int rx = int(std::lround(r.x)) + 3, ry = int(std::lround(r.y)) - 45 - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, rx, ry), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateX);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON | KEY_CTRL, rx + 10, ry + 60), 1);
    Vector3 axis;
    float angle = 0;
    gizmo->GetRotation(axis, angle);
    const float degrees = angle * 57.2957795f;
    EXPECT_GE(degrees, 15.0f - 1e-3f);
    EXPECT_NEAR(std::remainder(degrees, 15.0f), 0.0f, 1e-3f);
    EXPECT_EQ(gizmo->GetDragResult(), Vector3(axis.x > 0 ? angle : -angle, 0, 0));
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
}

TEST_F(GizmoTest, SnappedScaleMultipliesUpToAMultipleOfTheStep) {
    view->LookAt(Vector3(20, 15, 45), Vector3::ZERO);
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    view->SetPixelSize(560, 400); // 100 pixels = one unit of m
    gizmo->UpdateView(view.get(), 0);
    const Vector2 c = Pixel(Vector3::ZERO);
    const int px = int(c.x) + 3, py = int(c.y) - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    float total = 1.0f;
    // m = 1.27, 1.53, then 0.02.
    for (int dx : {27, 53, -98}) {
        ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_CTRL, px + dx, py), 1) << dx;
        total *= gizmo->GetDragResult().x;
        EXPECT_NEAR(std::remainder(total, 0.1f), 0.0f, 1e-5f) << dx;
    }
    // The last total rounded to 0 and kept one step instead.
    EXPECT_NEAR(total, 0.1f, 1e-6f);
    // Still the same multiple, also far left of where m is 0: nothing new, and nothing
    // divides by zero afterwards.
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_CTRL, px - 99, py), RESULT_NOTHING_NEW);
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_CTRL, px - 198, py), RESULT_NOTHING_NEW);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, px + 100, py), 1); // unsnapped m = 2
    EXPECT_NEAR(total * gizmo->GetDragResult().x, 2.0f, 1e-5f);
}

TEST_F(GizmoTest, CancelEndsTheDragSnapsTheScaleGizmoBackAndDropsTheHighlight) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    const float s = Size();
    const Vector3 end = gizmo->GetNode(4)->getPosition();
    EXPECT_EQ(gizmo->CancelDrag(), 0); // nothing held
    const Vector2 xBox = Pixel(end);
    const int px = int(xBox.x) + 3, py = int(xBox.y) - 2;
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    ASSERT_EQ(MaterialColour("MapSelectMgrRed"), GizmoGeometry::kHighlightColour);
    const Vector2 twice = Pixel(Vector3(18 * s, 0, 0));
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, 0, int(std::lround(twice.x)), py), 1);
    ASSERT_NE(gizmo->GetNode(4)->getPosition(), end);

    EXPECT_EQ(gizmo->CancelDrag(), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_NONE);
    EXPECT_EQ(gizmo->GetNode(4)->getPosition(), end);
    EXPECT_EQ(gizmo->GetViewState(0).axisPoints[1], end);
    for (int m = 0; m < MATERIAL_COUNT; ++m)
        EXPECT_EQ(MaterialColour(GizmoGeometry::kMaterialNames[m]),
                  GizmoGeometry::kNormalColours[m])
            << m;
    // Over: later steps and the release have nothing to end.
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, 0, px + 40, py), 0);
    EXPECT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 0);
    EXPECT_EQ(gizmo->CancelDrag(), 0);
}

TEST_F(GizmoTest, AMoveDragMeasuresFromWhatThePressFixed) {
    CEditorEntity* box = SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const Vector2 c = Pixel(Vector3::ZERO);
    const int cx = int(std::lround(c.x)), cy = int(std::lround(c.y));
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, cx + 30, cy - 1), 1);
    const GizmoDragState pressed = gizmo->GetDragState();
    EXPECT_EQ(pressed.part, GizmoPart::MoveX);
    EXPECT_EQ(pressed.viewIndex, 0);
    EXPECT_EQ(pressed.x, cx + 30);
    EXPECT_EQ(pressed.y, cy - 1);
    EXPECT_LT(pressed.axisDirection.distance(Vector3::UNIT_X), 1e-6f);
    EXPECT_LT(std::fabs(pressed.start.y) + std::fabs(pressed.start.z), 1e-3f);

    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, cx + 60, cy), 1);
    const Vector3 first = gizmo->GetDragResult();
    EXPECT_GT(first.x, 0.0f);

    // The entity moves far off the press line and the view is laid out again: the steps still
    // measure along the line and from the point the press fixed.
    box->SetPosition(Vector3(0, 50, 20));
    gizmo->OnSceneNotify(box, 1, NOTIFY_MOVED);
    ASSERT_NE(gizmo->GetViewState(0).axisPoints[0], Vector3::ZERO);
    const GizmoDragState during = gizmo->GetDragState();
    EXPECT_EQ(during.start, pressed.start);
    EXPECT_EQ(during.axisLine[0], pressed.axisLine[0]);
    EXPECT_EQ(during.axisLine[1], pressed.axisLine[1]);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, cx + 40, cy), 1);
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, cx + 60, cy), 1);
    EXPECT_EQ(gizmo->GetDragResult(), first);
    ASSERT_EQ(gizmo->OnRelease(view.get(), 0, 0, 0, 0), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
}

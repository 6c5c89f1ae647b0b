// Picking gizmo parts at a press.
#include "GizmoFixture.h"

#include <OgreMaterialManager.h>
#include <OgreSceneNode.h>

#include <cmath>

using Ogre::Vector2;
using Ogre::Vector3;

TEST_F(GizmoTest, PressGrabsNothingWhenRefused) {
    CEditorEntity* box = SelectNew("box_a", Vector3::ZERO);
    const Vector2 c = Pixel(Vector3::ZERO);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x), int(c.y)), 0); // select mode
    gizmo->SetMode(MODE_MOVE);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_RBUTTON, int(c.x), int(c.y)), 0);
    box->SetTransformEnabled(false);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x), int(c.y)), 0);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
    EXPECT_EQ(host.redraws, 1); // only SetMode's
    box->SetTransformEnabled(true);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x), int(c.y)), 1);
    EXPECT_FALSE(view->HasPickRect()); // the region is cleared after the press
}

TEST_F(GizmoTest, PickRectangleReachesSevenLeftOneRightTwoUpSixDown) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const Vector2 c = Pixel(Vector3::ZERO);
    const int cx = int(std::lround(c.x)), cy = int(std::lround(c.y));
    // The X axis line runs right from the centre along row cy.
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, cx + 30, cy - 4), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::MoveX);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, cx + 30, cy + 4), 0);
    // The Y axis line runs up from the centre along column cx.
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, cx + 4, cy - 30), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::MoveY);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, cx - 4, cy - 30), 0);
}

TEST_F(GizmoTest, MovePressPrefersXAndRecordsTheGrab) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const Vector2 c = Pixel(Vector3::ZERO);
    // At the centre the three axis lines meet: X wins.
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x) + 2, int(c.y)), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::MoveX);
    EXPECT_EQ(gizmo->GetActiveElement(), 0);
    EXPECT_GT(host.redraws, 1);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    // The Y cone alone.
    const Vector2 yCone = Pixel(gizmo->GetNode(1)->getPosition() + Vector3(0, Size(), 0));
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(yCone.x) + 3, int(yCone.y) - 2), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::MoveY);
    EXPECT_EQ(MaterialColour("MapSelectMgrGreen"), Ogre::ColourValue(1, 1, 0, 1));
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));
}

TEST_F(GizmoTest, RotatePressPrefersAxisRingsThenOuterRingThenSphere) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 c = Pixel(Vector3::ZERO);
    auto pressAt = [&](float radiusPixels, float angle) {
        gizmo->OnRelease(view.get(), 0, 0, 0, 0);
        const int x = int(std::lround(c.x + radiusPixels * std::cos(angle))) + 3;
        const int y = int(std::lround(c.y - radiusPixels * std::sin(angle))) - 2;
        return gizmo->OnPress(view.get(), 0, KEY_LBUTTON, x, y);
    };
    // The X ring is seen edge-on as a vertical line through the centre, inside the sphere:
    // the ring wins over the sphere.
    ASSERT_EQ(pressAt(45, 1.5708f), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateX);
    EXPECT_LT((gizmo->GetDragState().ringAxis - Vector3::UNIT_X).length(), 1e-5f);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 1, 0, 1));
    // The Z ring faces the camera: a circle of 90 pixels.
    ASSERT_EQ(pressAt(90, 0.8f), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateZ);
    // The outer view ring at 104 pixels highlights nothing.
    ASSERT_EQ(pressAt(104, 0.8f), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateView);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_OUTER_RING);
    EXPECT_EQ(gizmo->GetDragState().ringAxis, gizmo->GetViewState(0).viewNormal);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));
    EXPECT_EQ(MaterialColour("MapSelectMgrBlue"), Ogre::ColourValue(0, 0, 1, 1));
    // Between rings, inside the sphere: free rotation, nothing highlighted.
    ASSERT_EQ(pressAt(50, 0.8f), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateFree);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_NONE);
    // Outside everything.
    EXPECT_EQ(pressAt(140, 0.8f), 0);
}

TEST_F(GizmoTest, ScalePressGrabsAxisBoxesThenTheCentre) {
    // Seen from the side, so that the Z box does not cover the centre box.
    view->LookAt(Vector3(20, 15, 45), Vector3::ZERO);
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    const Vector2 xBox = Pixel(gizmo->GetNode(4)->getPosition());
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(xBox.x) + 3, int(xBox.y) - 2), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::ScaleX);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    const Vector2 c = Pixel(Vector3::ZERO);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x) + 3, int(c.y) - 2), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::ScaleAll);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_CENTRE);
    EXPECT_EQ(MaterialColour("MapSelectXYZ"), Ogre::ColourValue(1, 1, 0, 1));
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));
}

TEST_F(GizmoTest, PressInAnotherViewTestsThePartsAsThatViewShowsThem) {
    view->LookAt(Vector3(20, 15, 45), Vector3::ZERO);
    CEditorView nearView(engine->GetOgreSceneManager(), "NearCamera");
    nearView.SetPixelSize(800, 600);
    nearView.LookAt(Vector3(8, 6, 18), Vector3::ZERO);
    host.views[1] = &nearView;
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_SCALE);
    gizmo->UpdateView(view.get(), 0); // a frame ends with view 0's layout

    Ogre::Vector3 box;
    nearView.projectPoint(box, gizmo->GetViewState(1).axisPoints[1], nullptr);
    EXPECT_EQ(gizmo->OnPress(&nearView, 1, KEY_LBUTTON, int(box.x) + 3, int(box.y) - 2), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::ScaleX);
    host.views[1] = nullptr;
}

TEST_F(GizmoTest, PickRectangleIsSevenLeftTwoUpOneRightSixDownOfThePointer) {
    ForwardingView recording(*view);
    host.views[0] = &recording;
    SelectNew("box_a", Vector3::ZERO);
    for (int mode : {MODE_MOVE, MODE_ROTATE, MODE_SCALE}) {
        SCOPED_TRACE(mode);
        gizmo->SetMode(mode);
        recording.pickRects.clear();
        gizmo->OnPress(&recording, 0, KEY_LBUTTON, 123, 456);
        gizmo->OnRelease(&recording, 0, 0, 0, 0);
        // Every region the press set is the one rectangle.
        ASSERT_FALSE(recording.pickRects.empty());
        for (const PixelRect& r : recording.pickRects) {
            EXPECT_EQ(r.left, 123 - 7);
            EXPECT_EQ(r.top, 456 - 2);
            EXPECT_EQ(r.right, 123 + 1);
            EXPECT_EQ(r.bottom, 456 + 6);
        }
    }
    host.views[0] = view.get();
}

TEST_F(GizmoTest, UnderOnePickRectangleAnAxisRingWinsOverTheOuterRingAndTheSphere) {
    ForwardingView forced(*view);
    host.views[0] = &forced;
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 c = Pixel(Vector3::ZERO);
    const int x = int(c.x) + 50, y = int(c.y) - 30;
    auto press = [&] {
        gizmo->OnRelease(&forced, 0, 0, 0, 0);
        return gizmo->OnPress(&forced, 0, KEY_LBUTTON, x, y);
    };
    // Everything under the rectangle: the X ring, the first axis ring tested.
    forced.segment = forced.localSegment = forced.sphere = ForwardingView::HIT;
    ASSERT_EQ(press(), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateX);
    // No axis ring: the outer ring before the sphere.
    forced.segment = ForwardingView::MISS;
    ASSERT_EQ(press(), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateView);
    forced.localSegment = ForwardingView::MISS;
    ASSERT_EQ(press(), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::RotateFree);
    forced.sphere = ForwardingView::MISS;
    EXPECT_EQ(press(), 0);
    host.views[0] = view.get();
}

TEST_F(GizmoTest, FreeRotationHighlightsNothing) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    const Vector2 c = Pixel(Vector3::ZERO);
    // A grabbed X ring is yellow...
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(std::lround(c.x)) + 3,
                             int(std::lround(c.y)) - 45 - 2),
              1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateX);
    ASSERT_EQ(MaterialColour("MapSelectMgrRed"), GizmoGeometry::kHighlightColour);
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    // ...and a press inside the sphere, between the rings, puts every colour back.
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x) + 35 + 3, int(c.y) - 35 - 2), 1);
    ASSERT_EQ(gizmo->GetDragPart(), GizmoPart::RotateFree);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_NONE);
    gizmo->UpdateView(view.get(), 0);
    for (int m = 0; m < MATERIAL_COUNT; ++m)
        EXPECT_EQ(MaterialColour(GizmoGeometry::kMaterialNames[m]),
                  GizmoGeometry::kNormalColours[m])
            << m;
}

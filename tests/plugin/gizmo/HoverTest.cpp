// The part under the pointer before any press (hover), and what stays highlighted after a drag.
#include "GizmoFixture.h"

#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreTechnique.h>

#include <cmath>

using Ogre::Vector2;
using Ogre::Vector3;

namespace {

const Ogre::ColourValue kYellow = GizmoGeometry::kHighlightColour;

} // namespace

class GizmoHoverTest : public GizmoTest {
protected:
    // A pixel on the X axis line, right of the centre, inside the pick rectangle's reach.
    void OnXLine(int& x, int& y) {
        const Vector2 c = Pixel(Vector3::ZERO);
        x = int(std::lround(c.x)) + 30;
        y = int(std::lround(c.y)) - 2;
    }
    bool AllNormal() const {
        for (int m = 0; m < MATERIAL_COUNT; ++m)
            if (MaterialColour(GizmoGeometry::kMaterialNames[m]) !=
                GizmoGeometry::kNormalColours[m])
                return false;
        return true;
    }
};

TEST_F(GizmoHoverTest, HoverHighlightsThePartAPressWouldGrabAndRedrawsOnlyOnChange) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    int x = 0, y = 0;
    OnXLine(x, y);
    const int before = host.redraws;
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, x, y), 1);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::MoveX);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), kYellow);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None); // nothing started
    EXPECT_EQ(host.redraws, before + 1);
    // The same part again (one pixel on): no redraw.
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, x + 1, y), 0);
    EXPECT_EQ(host.redraws, before + 1);
    // The frame's layout keeps the hover highlight.
    gizmo->UpdateView(view.get(), 0);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), kYellow);
    // Off the part: every colour back, one redraw.
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, x, y + 40), 1);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::None);
    EXPECT_TRUE(AllNormal());
    EXPECT_EQ(host.redraws, before + 2);
}

TEST_F(GizmoHoverTest, LeavingTheViewDropsTheHover) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    int x = 0, y = 0;
    OnXLine(x, y);
    ASSERT_EQ(gizmo->OnPointerHover(view.get(), 0, x, y), 1);
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, -1, -1), 1);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::None);
    EXPECT_TRUE(AllNormal());
}

TEST_F(GizmoHoverTest, HoverFollowsThePressPriorities) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    const Vector2 c = Pixel(Vector3::ZERO);
    // Where the axis lines meet, X wins, as for a press.
    gizmo->OnPointerHover(view.get(), 0, int(c.x) + 2, int(c.y));
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::MoveX);
    // Rotate: the axis ring wins over the sphere inside it.
    gizmo->SetMode(MODE_ROTATE);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::None); // a mode change forgets the hover
    gizmo->OnPointerHover(view.get(), 0, int(std::lround(c.x)) + 3, int(std::lround(c.y)) - 45 - 2);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::RotateX);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), kYellow);
}

TEST_F(GizmoHoverTest, NothingHoversOnAnEntityThatMayNotBeTransformed) {
    CEditorEntity* box = SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    box->SetTransformEnabled(false);
    int x = 0, y = 0;
    OnXLine(x, y);
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, x, y), 0);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::None);
    // The press's own pick would still find the part: the plug-in says why nothing happens.
    EXPECT_EQ(gizmo->PartAt(view.get(), 0, x, y, true), GizmoPart::MoveX);
}

TEST_F(GizmoHoverTest, ReleaseLeavesOnlyWhatIsUnderThePointerHighlighted) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    int x = 0, y = 0;
    OnXLine(x, y);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, x, y), 1);
    // While the part is held, a hover changes nothing.
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, x, y + 60), 0);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), kYellow);
    // Let go away from every part: nothing stays highlighted, not even after a layout.
    ASSERT_EQ(gizmo->OnRelease(view.get(), 0, KEY_LBUTTON, x, y + 60), 1);
    EXPECT_EQ(gizmo->GetHighlightPart(), GizmoPart::None);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_NONE);
    gizmo->UpdateView(view.get(), 0);
    EXPECT_TRUE(AllNormal());
    // Let go over the part: it is highlighted as the hovered part, nothing is held.
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, x, y), 1);
    ASSERT_EQ(gizmo->OnRelease(view.get(), 0, KEY_LBUTTON, x, y), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
    EXPECT_EQ(gizmo->GetHoverPart(), GizmoPart::MoveX);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), kYellow);
    // ...and goes when the pointer leaves it.
    gizmo->OnPointerHover(view.get(), 0, x, y + 60);
    EXPECT_TRUE(AllNormal());
}

TEST_F(GizmoHoverTest, GizmoLinesAreDrawnTwoPixelsWide) {
    for (const char* name : {"AxisXYZ", "MapSelectMgrRed", "MapSelectMgrGreen", "MapSelectMgrBlue",
                             "MapSelectXYZ", "MapSelectGray"}) {
        Ogre::MaterialPtr m = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(m) << name;
        EXPECT_GE(m->getTechnique(0)->getPass(0)->getLineWidth(), 2.0f) << name;
    }
}

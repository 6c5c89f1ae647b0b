// The colour picker's window-free rules: table, layout, hit testing, the initial mark, the
// arrow-key walk and where the popup goes on the screen.
#include "ColorPickerLayout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace colorpick;

namespace {

const SSize kNoText{};
const SSize kAutomatic{60, 15};
const SSize kMore{80, 15};

} // namespace

TEST(ColorPickerTable, HoldsFortyColoursInDisplayOrder) {
    ASSERT_NE(ColorEntry(0), nullptr);
    ASSERT_NE(ColorEntry(39), nullptr);
    EXPECT_EQ(ColorEntry(-1), nullptr);
    EXPECT_EQ(ColorEntry(40), nullptr);

    EXPECT_STREQ(ColorEntry(0)->name, "Black");
    EXPECT_EQ(ColorEntry(1)->color, MakeColorRef(165, 42, 0));
    EXPECT_STREQ(ColorEntry(9)->name, "Orange");
    EXPECT_EQ(ColorEntry(9)->color, MakeColorRef(255, 104, 32));
    EXPECT_STREQ(ColorEntry(30)->name, "Plum");
    EXPECT_EQ(ColorEntry(37)->color, MakeColorRef(104, 131, 139));
    EXPECT_STREQ(ColorEntry(39)->name, "White");
    // The tooltip of entry 35 keeps its trailing space.
    EXPECT_EQ(std::string(ColorEntry(35)->name), "Pale Green ");

    std::set<std::string> names;
    for (int i = 0; i < kColorCount; ++i)
        names.insert(ColorEntry(i)->name);
    EXPECT_EQ(names.size(), 40u);
}

TEST(ColorPickerTable, ColourReferencesKeepRedInTheLowByte) {
    EXPECT_EQ(MakeColorRef(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(RedOf(0x563412u), 0x12);
    EXPECT_EQ(GreenOf(0x563412u), 0x34);
    EXPECT_EQ(BlueOf(0x563412u), 0x56);
    EXPECT_EQ(FindColor(MakeColorRef(255, 0, 0)), 16);
    EXPECT_EQ(FindColor(MakeColorRef(1, 2, 3)), kIndexNone);
}

TEST(ColorPickerLayout, GridAloneIs148By94) {
    const SLayout layout = ComputeLayout(kNoText, kNoText);
    EXPECT_EQ(layout.whole.width, 148);
    EXPECT_EQ(layout.whole.height, 94);
    EXPECT_TRUE(layout.defaultButton.Empty());
    EXPECT_TRUE(layout.customButton.Empty());
    EXPECT_EQ(layout.grid.x, 2);
    EXPECT_EQ(layout.grid.y, 2);
    EXPECT_EQ(layout.grid.width, 144);
    EXPECT_EQ(layout.grid.height, 90);
}

TEST(ColorPickerLayout, ButtonsAreAsHighAsTheTallerTextPlusTen) {
    const SLayout layout = ComputeLayout({60, 15}, {80, 17});
    const int buttonHeight = 17 + 4 * kMargin + 2;
    EXPECT_EQ(layout.defaultButton.height, buttonHeight);
    EXPECT_EQ(layout.customButton.height, buttonHeight);
    EXPECT_EQ(layout.whole.width, 148);
    // Default button on top, then the grid, then the custom button below an etched line.
    EXPECT_LT(layout.defaultButton.Bottom(), layout.grid.y + 1);
    EXPECT_GT(layout.customButton.y, layout.grid.Bottom() + 1);
    EXPECT_EQ(layout.customButton.Bottom() + kMargin, layout.whole.height);
    EXPECT_EQ(layout.defaultButton.x, kMargin);
    EXPECT_EQ(layout.defaultButton.width, 148 - 2 * kMargin);
}

TEST(ColorPickerLayout, WidensForLongTextsAndCentresTheGrid) {
    const SLayout custom = ComputeLayout(kNoText, {200, 15});
    EXPECT_EQ(custom.whole.width, 204);
    EXPECT_EQ(custom.grid.x, (204 - 144) / 2);

    // The default text keeps clear of the automatic colour's swatch on its left.
    const SLayout automatic = ComputeLayout({120, 15}, kNoText);
    EXPECT_EQ(automatic.whole.width, 120 + 2 * kMargin + 2 * SwatchAllowance(15));
    const int textLeft = automatic.defaultButton.x + (automatic.defaultButton.width - 120) / 2;
    EXPECT_GE(textLeft, automatic.defaultButton.x + SwatchAllowance(15));
}

TEST(ColorPickerLayout, HitTestFindsEveryItemAndNothingInTheMargins) {
    const SLayout layout = ComputeLayout(kAutomatic, kMore);
    for (int i = kIndexDefault; i < kColorCount; ++i) {
        if (i == kIndexNone)
            continue;
        const SRect r = ItemRect(layout, i);
        ASSERT_FALSE(r.Empty()) << i;
        EXPECT_EQ(HitTest(layout, r.x, r.y), i);
        EXPECT_EQ(HitTest(layout, r.Right() - 1, r.Bottom() - 1), i);
        EXPECT_EQ(HitTest(layout, r.x + r.width / 2, r.y + r.height / 2), i);
    }
    EXPECT_EQ(ItemRect(layout, 9).x, layout.grid.x + 18);
    EXPECT_EQ(ItemRect(layout, 9).y, layout.grid.y + 18);

    EXPECT_EQ(HitTest(layout, 0, 0), kIndexNone);
    EXPECT_EQ(HitTest(layout, 1, layout.grid.y + 5), kIndexNone);
    EXPECT_EQ(HitTest(layout, layout.grid.x + 5, layout.grid.Bottom()), kIndexNone);
    EXPECT_EQ(HitTest(layout, -5, -5), kIndexNone);
    EXPECT_EQ(HitTest(layout, layout.whole.width, layout.whole.height), kIndexNone);

    const SLayout bare = ComputeLayout(kNoText, kNoText);
    EXPECT_TRUE(ItemRect(bare, kIndexDefault).Empty());
    EXPECT_TRUE(ItemRect(bare, kIndexCustom).Empty());
    EXPECT_TRUE(ItemRect(bare, 40).Empty());
    EXPECT_EQ(HitTest(bare, 2, 2), 0);
}

TEST(ColorPickerInitialIndex, AutomaticFirstThenTableThenCustom) {
    const ColorRef red = MakeColorRef(255, 0, 0);
    const ColorRef odd = MakeColorRef(1, 2, 3);
    // Equal to the automatic colour marks "Automatic", even when the table has it too.
    EXPECT_EQ(InitialIndex(red, red, true, true), kIndexDefault);
    EXPECT_EQ(InitialIndex(red, red, false, true), 16);
    EXPECT_EQ(InitialIndex(red, 0, true, true), 16);
    // The first cell of a colour wins (grey 127 appears once; black is cell 0).
    EXPECT_EQ(InitialIndex(0, odd, true, true), 0);
    // Neither in the table nor automatic: "More Colors...", or nothing without it.
    EXPECT_EQ(InitialIndex(odd, red, true, true), kIndexCustom);
    EXPECT_EQ(InitialIndex(odd, red, true, false), kIndexNone);
}

TEST(ColorPickerArrows, WalkCellsAndWrapRowEnds) {
    EXPECT_EQ(MoveIndex(0, EArrow::Right, true, true), 1);
    EXPECT_EQ(MoveIndex(7, EArrow::Right, true, true), 8);
    EXPECT_EQ(MoveIndex(8, EArrow::Left, true, true), 7);
    EXPECT_EQ(MoveIndex(3, EArrow::Down, true, true), 11);
    EXPECT_EQ(MoveIndex(11, EArrow::Up, true, true), 3);
}

TEST(ColorPickerArrows, PassThroughTheButtonsAndWrapAround) {
    // Above the first row lies "Automatic", below the last row "More Colors...".
    EXPECT_EQ(MoveIndex(5, EArrow::Up, true, true), kIndexDefault);
    EXPECT_EQ(MoveIndex(0, EArrow::Left, true, true), kIndexDefault);
    EXPECT_EQ(MoveIndex(kIndexDefault, EArrow::Down, true, true), 0);
    EXPECT_EQ(MoveIndex(kIndexDefault, EArrow::Right, true, true), 0);
    EXPECT_EQ(MoveIndex(37, EArrow::Down, true, true), kIndexCustom);
    EXPECT_EQ(MoveIndex(39, EArrow::Right, true, true), kIndexCustom);
    EXPECT_EQ(MoveIndex(kIndexCustom, EArrow::Left, true, true), 39);
    EXPECT_EQ(MoveIndex(kIndexCustom, EArrow::Up, true, true), 32);
    // Past either end the walk comes round to the other.
    EXPECT_EQ(MoveIndex(kIndexCustom, EArrow::Right, true, true), kIndexDefault);
    EXPECT_EQ(MoveIndex(kIndexCustom, EArrow::Down, true, true), kIndexDefault);
    EXPECT_EQ(MoveIndex(kIndexDefault, EArrow::Left, true, true), kIndexCustom);
    EXPECT_EQ(MoveIndex(kIndexDefault, EArrow::Up, true, true), kIndexCustom);
}

TEST(ColorPickerArrows, SkipAbsentButtons) {
    EXPECT_EQ(MoveIndex(5, EArrow::Up, false, true), kIndexCustom);
    EXPECT_EQ(MoveIndex(0, EArrow::Left, false, true), kIndexCustom);
    EXPECT_EQ(MoveIndex(37, EArrow::Down, true, false), kIndexDefault);
    EXPECT_EQ(MoveIndex(39, EArrow::Right, true, false), kIndexDefault);
    // Without buttons the grid wraps onto itself, column kept for Up and Down.
    EXPECT_EQ(MoveIndex(5, EArrow::Up, false, false), 37);
    EXPECT_EQ(MoveIndex(37, EArrow::Down, false, false), 5);
    EXPECT_EQ(MoveIndex(39, EArrow::Right, false, false), 0);
    EXPECT_EQ(MoveIndex(0, EArrow::Left, false, false), 39);
    // A button that is not there is no place to start from.
    EXPECT_EQ(MoveIndex(kIndexDefault, EArrow::Right, false, false), 0);
}

TEST(ColorPickerArrows, StartFromNothing) {
    EXPECT_EQ(MoveIndex(kIndexNone, EArrow::Right, true, true), kIndexDefault);
    EXPECT_EQ(MoveIndex(kIndexNone, EArrow::Down, false, true), 0);
    EXPECT_EQ(MoveIndex(kIndexNone, EArrow::Left, true, true), kIndexCustom);
    EXPECT_EQ(MoveIndex(kIndexNone, EArrow::Up, true, false), 39);
}

TEST(ColorPickerPlacement, OpensWithItsCornerAtThePointer) {
    const SRect screen{0, 0, 1600, 1200};
    const SPoint at = PlacePopup({148, 150}, {377, 409}, 21, screen);
    EXPECT_EQ(at.x, 377);
    EXPECT_EQ(at.y, 409);
}

TEST(ColorPickerPlacement, MovesAboveTheRowAtTheBottomEdge) {
    const SRect screen{0, 0, 1600, 1200};
    // Past the bottom: up by its own height and the row's, so its bottom clears the row.
    EXPECT_EQ(PlacePopup({148, 150}, {300, 1110}, 21, screen).y, 1110 - 150 - 21);
    EXPECT_EQ(PlacePopup({148, 150}, {300, 1110}, 40, screen).y, 1110 - 150 - 40);
    // Exactly fitting does not move.
    EXPECT_EQ(PlacePopup({148, 150}, {300, 1050}, 21, screen).y, 1050);
    EXPECT_EQ(PlacePopup({148, 150}, {300, 1051}, 21, screen).y, 1051 - 171);
}

TEST(ColorPickerPlacement, StaysOnTheScreenSideways) {
    const SRect screen{0, 0, 1600, 1200};
    EXPECT_EQ(PlacePopup({148, 150}, {1550, 400}, 21, screen).x, 1600 - 148);
    EXPECT_EQ(PlacePopup({148, 150}, {1452, 400}, 21, screen).x, 1452); // ends at the edge
    EXPECT_EQ(PlacePopup({148, 150}, {-60, 400}, 21, screen).x, 0);
    // A second screen to the right: its own edges count.
    const SRect right{1600, 0, 1024, 768};
    EXPECT_EQ(PlacePopup({148, 150}, {1590, 100}, 21, right).x, 1600);
    const SPoint corner = PlacePopup({148, 150}, {2600, 700}, 21, right);
    EXPECT_EQ(corner.x, 2624 - 148);
    EXPECT_EQ(corner.y, 700 - 150 - 21);
}

TEST(ColorPickerPlacement, IsHeldOnTheScreenWhereMovingUpIsNotEnough) {
    // A short screen: a 150 pixel popup moved above a row near the top would leave it.
    const SRect screen{0, 0, 800, 200};
    EXPECT_EQ(PlacePopup({148, 150}, {10, 100}, 21, screen).y, 0);
    EXPECT_EQ(PlacePopup({148, 150}, {10, 30}, 21, screen).y, 30); // fits below
    // Taller than the screen: the top stays visible.
    EXPECT_EQ(PlacePopup({148, 400}, {10, 100}, 21, screen).y, 0);
    // A point below the screen's end still gets a popup on the screen.
    EXPECT_EQ(PlacePopup({148, 150}, {10, 500}, 21, screen).y, 50);
    // A screen that does not start at 0.
    const SRect lower{0, 1200, 800, 600};
    EXPECT_EQ(PlacePopup({148, 150}, {10, 1250}, 21, lower).y, 1250);
    EXPECT_EQ(PlacePopup({148, 150}, {10, 1790}, 21, lower).y, 1790 - 171);
    EXPECT_EQ(PlacePopup({148, 150}, {10, 1100}, 21, lower).y, 1200);
}

// The colour picker popup's rules, free of any window: the colour table, the layout of the
// "Automatic" button, the 8 x 5 grid and the "More Colors..." button, where the popup goes on
// the screen, which item starts marked, the arrow-key walk and hit testing.
#pragma once

#include <cstdint>

namespace colorpick {

// A colour reference: red in the low byte, then green, then blue; the high byte is 0.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(int r, int g, int b) {
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColorRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr int kColorCount = 40;
constexpr int kColumns = 8;
constexpr int kRows = 5;
constexpr int kCellSize = 18;
constexpr int kMargin = 2;

// Item indices: 0 to 39 are the grid cells, row by row.
constexpr int kIndexNone = -1;
constexpr int kIndexCustom = -2;  // "More Colors..."
constexpr int kIndexDefault = -3; // "Automatic"

struct SColorEntry {
    const char* name; // tooltip text of the cell
    ColorRef color;
};

// The 40 cells in display order. Out-of-range indices give nullptr.
const SColorEntry* ColorEntry(int index);
// The first cell holding exactly this colour, or kIndexNone.
int FindColor(ColorRef color);

struct SPoint {
    int x = 0;
    int y = 0;
};

struct SSize {
    int width = 0;
    int height = 0;
};

struct SRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; } // one past the last column
    int Bottom() const { return y + height; }
    bool Empty() const { return width <= 0 || height <= 0; }
    bool Contains(int px, int py) const {
        return !Empty() && px >= x && px < x + width && py >= y && py < y + height;
    }
};

// Width reserved at the left of the "Automatic" button for the swatch of the automatic colour,
// and kept free on the right as well so the centred text never runs into the swatch.
int SwatchAllowance(int textHeight);

// Where everything sits inside the popup (popup coordinates, origin at its top-left).
struct SLayout {
    SRect whole;         // the popup
    SRect defaultButton; // empty without a default text
    SRect grid;          // the 8 x 5 cells, without the margin around them
    SRect customButton;  // empty without a custom text
};

// Lays out the popup. A text size of 0 x 0 means the button is absent. Both buttons are as
// high as the taller text + 4 x margin + 2; the popup is widened when a text needs it, and the
// grid is then centred.
SLayout ComputeLayout(SSize defaultText, SSize customText);

// The rectangle of a cell (index 0-39) or button, or an empty one.
SRect ItemRect(const SLayout& layout, int index);

// The item at a point in popup coordinates: the custom button, the default button, a cell, or
// kIndexNone (margins, the etched line, outside the popup).
int HitTest(const SLayout& layout, int x, int y);

// The item marked when the popup opens: the default button when the colour equals the
// automatic colour and there is a default button; else the first cell of that colour; else
// the custom button when there is one; else none.
int InitialIndex(ColorRef initial, ColorRef automatic, bool hasDefault, bool hasCustom);

enum class EArrow { Left, Right, Up, Down };

// The item the arrow keys lead to from `current`. Left and Right step through the cells row by
// row, Up and Down by a whole row; above the first row lies the default button, below the last
// row the custom button, and the walk wraps around from one end to the other. Absent buttons are
// skipped. From kIndexNone, Right and Down start at the first item and Left and Up at the last.
int MoveIndex(int current, EArrow arrow, bool hasDefault, bool hasCustom);

// Top-left screen position of a popup of `size` opened at the point `at` (the pointer) on a
// screen whose usable area is `screen`. It opens with its top-left corner at the point. Past
// the right edge it moves left to end there, and left of the screen it moves right to start
// there; past the bottom it moves up by its own height plus `ownerHeight` (the row's window),
// so that it opens above the row. Where that still leaves the screen, it is held on it.
SPoint PlacePopup(SSize size, SPoint at, int ownerHeight, SRect screen);

} // namespace colorpick

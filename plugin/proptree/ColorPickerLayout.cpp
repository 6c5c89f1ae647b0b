#include "ColorPickerLayout.h"

#include <algorithm>

namespace colorpick {

namespace {

// Display order, row by row. The name of entry 35 really ends with a space: it is the tooltip
// text the cell has always shown.
const SColorEntry kColors[kColorCount] = {
    {"Black", MakeColorRef(0, 0, 0)},
    {"Brown", MakeColorRef(165, 42, 0)},
    {"Dark Olive Green", MakeColorRef(0, 64, 64)},
    {"Dark Green", MakeColorRef(0, 85, 0)},
    {"Dark Teal", MakeColorRef(0, 0, 94)},
    {"Dark Blue", MakeColorRef(0, 0, 139)},
    {"Indigo", MakeColorRef(75, 0, 130)},
    {"Gray-80%", MakeColorRef(40, 40, 40)},
    {"Dark Red", MakeColorRef(139, 0, 0)},
    {"Orange", MakeColorRef(255, 104, 32)},
    {"Dark Yellow", MakeColorRef(139, 139, 0)},
    {"Green", MakeColorRef(0, 147, 0)},
    {"Teal", MakeColorRef(56, 142, 142)},
    {"Blue", MakeColorRef(0, 0, 255)},
    {"Blue-Gray", MakeColorRef(123, 123, 192)},
    {"Gray-50%", MakeColorRef(102, 102, 102)},
    {"Red", MakeColorRef(255, 0, 0)},
    {"Light Orange", MakeColorRef(255, 173, 91)},
    {"Lime", MakeColorRef(50, 205, 50)},
    {"Sea Green", MakeColorRef(60, 179, 113)},
    {"Aqua", MakeColorRef(127, 255, 212)},
    {"Light Blue", MakeColorRef(125, 158, 192)},
    {"Violet", MakeColorRef(128, 0, 128)},
    {"Gray-40%", MakeColorRef(127, 127, 127)},
    {"Pink", MakeColorRef(255, 192, 203)},
    {"Gold", MakeColorRef(255, 215, 0)},
    {"Yellow", MakeColorRef(255, 255, 0)},
    {"Bright Green", MakeColorRef(0, 255, 0)},
    {"Turquoise", MakeColorRef(64, 224, 208)},
    {"Skyblue", MakeColorRef(192, 255, 255)},
    {"Plum", MakeColorRef(72, 0, 72)},
    {"Gray-25%", MakeColorRef(192, 192, 192)},
    {"Rose", MakeColorRef(255, 228, 225)},
    {"Tan", MakeColorRef(210, 180, 140)},
    {"Light Yellow", MakeColorRef(255, 255, 224)},
    {"Pale Green ", MakeColorRef(152, 251, 152)},
    {"Pale Turquoise", MakeColorRef(175, 238, 238)},
    {"Pale Blue", MakeColorRef(104, 131, 139)},
    {"Lavender", MakeColorRef(230, 230, 250)},
    {"White", MakeColorRef(255, 255, 255)},
};

bool IsCell(int index) {
    return index >= 0 && index < kColorCount;
}

} // namespace

const SColorEntry* ColorEntry(int index) {
    return IsCell(index) ? &kColors[index] : nullptr;
}

int FindColor(ColorRef color) {
    for (int i = 0; i < kColorCount; ++i) {
        if (kColors[i].color == color)
            return i;
    }
    return kIndexNone;
}

int SwatchAllowance(int textHeight) {
    return textHeight > 0 ? textHeight + 3 * kMargin : 0;
}

SLayout ComputeLayout(SSize defaultText, SSize customText) {
    const bool hasDefault = defaultText.width > 0 || defaultText.height > 0;
    const bool hasCustom = customText.width > 0 || customText.height > 0;
    const int textHeight =
        std::max(hasDefault ? defaultText.height : 0, hasCustom ? customText.height : 0);
    const int buttonHeight = textHeight + 4 * kMargin + 2;
    const int gridWidth = kColumns * kCellSize;
    const int gridHeight = kRows * kCellSize;

    int width = gridWidth + 2 * kMargin;
    if (hasDefault) {
        // The text is centred, so the swatch's room is kept on both sides of it.
        width = std::max(width, defaultText.width + 2 * kMargin + 2 * SwatchAllowance(textHeight));
    }
    if (hasCustom)
        width = std::max(width, customText.width + 2 * kMargin);

    SLayout layout;
    int y = kMargin;
    if (hasDefault) {
        layout.defaultButton = {kMargin, y, width - 2 * kMargin, buttonHeight};
        y += buttonHeight + kMargin;
    }
    layout.grid = {(width - gridWidth) / 2, y, gridWidth, gridHeight};
    y += gridHeight + kMargin;
    if (hasCustom) {
        y += kMargin; // room for the etched line between the grid and the button
        layout.customButton = {kMargin, y, width - 2 * kMargin, buttonHeight};
        y += buttonHeight + kMargin;
    }
    layout.whole = {0, 0, width, y};
    return layout;
}

SRect ItemRect(const SLayout& layout, int index) {
    if (index == kIndexDefault)
        return layout.defaultButton;
    if (index == kIndexCustom)
        return layout.customButton;
    if (!IsCell(index))
        return {};
    return {layout.grid.x + (index % kColumns) * kCellSize,
            layout.grid.y + (index / kColumns) * kCellSize, kCellSize, kCellSize};
}

int HitTest(const SLayout& layout, int x, int y) {
    if (layout.customButton.Contains(x, y))
        return kIndexCustom;
    if (layout.defaultButton.Contains(x, y))
        return kIndexDefault;
    if (!layout.grid.Contains(x, y))
        return kIndexNone;
    const int row = (y - layout.grid.y) / kCellSize;
    const int column = (x - layout.grid.x) / kCellSize;
    return row * kColumns + column;
}

int InitialIndex(ColorRef initial, ColorRef automatic, bool hasDefault, bool hasCustom) {
    if (hasDefault && initial == automatic)
        return kIndexDefault;
    const int cell = FindColor(initial);
    if (cell != kIndexNone)
        return cell;
    return hasCustom ? kIndexCustom : kIndexNone;
}

int MoveIndex(int current, EArrow arrow, bool hasDefault, bool hasCustom) {
    const int first = hasDefault ? kIndexDefault : 0;
    const int last = hasCustom ? kIndexCustom : kColorCount - 1;
    const bool forward = arrow == EArrow::Right || arrow == EArrow::Down;
    if (current == kIndexNone || (current == kIndexDefault && !hasDefault) ||
        (current == kIndexCustom && !hasCustom) || current < kIndexDefault ||
        current >= kColorCount)
        return forward ? first : last;

    switch (arrow) {
    case EArrow::Right:
        if (current == kIndexDefault)
            return 0;
        if (current == kIndexCustom)
            return first;
        return current + 1 < kColorCount ? current + 1 : last == kIndexCustom ? last : first;
    case EArrow::Left:
        if (current == kIndexCustom)
            return kColorCount - 1;
        if (current == kIndexDefault)
            return last;
        return current > 0 ? current - 1 : first == kIndexDefault ? first : last;
    case EArrow::Down:
        if (current == kIndexDefault)
            return 0;
        if (current == kIndexCustom)
            return first;
        if (current + kColumns < kColorCount)
            return current + kColumns;
        if (hasCustom)
            return kIndexCustom;
        return hasDefault ? kIndexDefault : current % kColumns;
    case EArrow::Up:
        if (current == kIndexCustom)
            return (kRows - 1) * kColumns;
        if (current == kIndexDefault)
            return hasCustom ? kIndexCustom : (kRows - 1) * kColumns;
        if (current >= kColumns)
            return current - kColumns;
        if (hasDefault)
            return kIndexDefault;
        return hasCustom ? kIndexCustom : current + (kRows - 1) * kColumns;
    }
    return current;
}

SPoint PlacePopup(SSize size, SPoint at, int ownerHeight, SRect screen) {
    if (at.x + size.width > screen.Right())
        at.x = screen.Right() - size.width;
    if (at.x < screen.x)
        at.x = screen.x;
    if (at.y + size.height > screen.Bottom())
        at.y -= size.height + ownerHeight;
    // Held on the screen: a popup taller than the room above the row, or a point off the
    // screen, still shows its top.
    at.y = std::max(std::min(at.y, screen.Bottom() - size.height), screen.y);
    return at;
}

} // namespace colorpick

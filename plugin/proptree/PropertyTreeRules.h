// Rules of the property tree that need no window: geometry of a row, hit testing, the scroll
// range, the column limits, number parsing and formatting, the value texts of the colour row,
// the character filter of the edit rows and UTF-8 helpers.
#pragma once

#include <cstdint>
#include <string>

namespace proptree {

// Style flags of the control.
enum : unsigned {
    kStyleInfoPane = 1,       // show the description pane
    kStyleNotify = 2,         // send notifications to the owner
    kStyleNoItemText = 4,     // the description pane explains what to do when nothing is focused
    kStyleShadeMargin = 8,    // the left margin is shaded in the button-face colour
    kStyleShadeCategory = 16, // category rows are shaded in their category background colour
};

// Notification codes sent to the owner.
enum : int {
    PROPN_INSERTED = -1101,
    PROPN_DELETING = -1102,
    PROPN_COMMITTED = -1105,
    PROPN_SELCHANGED = -1107,
    PROPN_EXPANDING = -1108,    // may be vetoed
    PROPN_DIVIDERDRAG = -1109,  // may be vetoed
    PROPN_ACTIVATING = -1110,   // may be vetoed
    PROPN_VALUECHANGED = -1111, // a colour row took a colour from its popup
};

// Flags of the edit and colour rows.
enum : unsigned {
    kEditReal = 0x100,        // digits, backspace, "." and "-"
    kEditWhole = 0x200,       // digits and backspace
    kEditPassword = 0x400,    // drawn as one "*" per character
    kEditMultiLine = 0x40000, // 75 pixels high
    kColorTrack = 0x400,      // the colour follows the popup's pointer; a cancel restores it
    kColorHex = 0x40000,      // shown as "#%.6X" instead of "RGB (%d, %d, %d)"
};

// Extra styles of an edit row's box (the second argument of CreateEditWindow).
enum : long {
    kEditReadOnly = 0x0800,   // the text cannot be changed
    kEditWantReturn = 0x1000, // Enter goes into the text instead of committing
};

constexpr int kListPaneId = 30000;
constexpr int kInfoPaneHeight = 50;
constexpr int kMargin = 16;           // left margin of the list, and the indent of a level
constexpr int kDefaultRowHeight = 21; // also the scroll line
constexpr int kMultiLineRowHeight = 75;
constexpr int kDividerSlop = 5; // the divider is hit within this distance of the column
constexpr int kDefaultColumn = 150;
constexpr int kColumnMinSet = 16;  // SetColumn keeps the column this far from both edges
constexpr int kColumnMinDrag = 41; // a dragged divider stays this far from the left edge
constexpr int kColumnMaxDrag = 25; // ... and this far from the right edge
constexpr int kBoxSize = 9;
constexpr int kBoxLeft = 4; // from the row's left edge
constexpr int kBoxTop = 5;  // from the row's top

struct SRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

// What a point of the list pane is over.
enum class EHit { Nothing, Divider, Value, ExpandBox, Label };

// Hit test within one row (`row` as last drawn, `found` false when no row is under the
// point). The order matters: the divider of a non-category row wins over the value column,
// which wins over the expand box.
EHit HitTestRow(bool found, const SRect& row, bool isCategory, bool hasChildren, int column, int x,
                int y);

// The expand box of a row whose left and top are given.
SRect ExpandBoxRect(int rowLeft, int rowTop);

// The column SetColumn keeps: at least 16 and, with a non-empty client area, at most its
// width - 16.
int ClampSetColumn(int x, int clientWidth);
// The column a dragged divider ends at: at least 41 and at most the pane width - 25.
int ClampDragColumn(int x, int paneWidth);
// The column a double click on the divider picks: the rightmost label extent + 5, at most the
// pane width - 25 (never left of the SetColumn minimum).
int FitColumn(int rightmostLabel, int paneWidth);

// The largest scroll origin: content taller than the page scrolls; otherwise 0. The page is
// the pane's height + 1.
int ScrollMax(int contentHeight, int paneHeight);
int ClampScroll(int origin, int contentHeight, int paneHeight);
// The origin that shows the row [top, top + height) (content coordinates) with as little
// movement as possible.
int ScrollToShow(int origin, int top, int height, int paneHeight, int contentHeight);

// The edit row's number text: "%.5f" of a single-precision value, independent of the locale.
std::string FormatValue(float value);
// The edit row's reading of its text: true with the number when the text has a digit and no
// letter or one of the symbols "`~[]{}_=+\|'/?>,<"; otherwise false with 0. The number is the
// longest decimal prefix after leading blanks (as the C library's atof reads it). A number
// beyond single precision (or beyond double precision) is not one: false with 0; one too
// small for either reads as 0.
bool ParseValue(const std::string& text, float& value);
// The first half of that rule: a digit, and no letter or refused symbol.
bool IsNumberText(const std::string& text);

// Whether every character of a row's text is one the row takes when typed (`flags` of the
// row; rows without a number flag take everything). Pasted text can hold others: a number
// row refuses such a text when it is committed.
bool IsTypedText(unsigned flags, const std::string& text);

// Whether the edit row's filter lets a typed character through (`flags` of the row). Keys that
// are not characters (arrows, Delete, control combinations) never reach the filter.
bool EditCharAllowed(unsigned flags, std::uint32_t ch);

// The colour row's text: "RGB (r, g, b)", or with kColorHex "#" and six hex digits of the
// colour reference (so blue comes first).
std::string FormatColor(std::uint32_t colorRef, unsigned flags);

// UTF-8: the number of characters, a mask of one "*" per character, and a byte offset moved
// back to the start of the character it falls in.
std::size_t Utf8Length(const std::string& text);
std::string PasswordMask(const std::string& text);
std::size_t Utf8CharStart(const std::string& text, std::size_t offset);

// True when the text has something other than blanks to draw.
bool HasVisibleText(const std::string& text);

} // namespace proptree

// The gizmo's parts, one row each: what the rest of the editor knows a part by (its number in a
// drag result, the engine entity the editor's scripts find it by), the handle set (mode) that
// shows it, its node, its material and colours, and what it makes active while it is held.
// Every other numbering of the parts (nodes, shown flags, the material list, entity names) is
// read from these rows.
//
// A new handle adds its parts to GizmoPart and its rows to kPartTable, next to each other (a
// set's rows are one run of the table); its handle set takes them with RowsOf(mode). Rows can
// also live outside the table: a handle set is given any run of rows, and the manager asks the
// sets it holds for a part's row.
#pragma once

#include "AutomationContract.h"

#include <initializer_list>

// Tool modes; SetMode stores any value, and one outside these shows and grabs nothing unless a
// handle set of that mode was added to the manager.
enum GizmoMode { MODE_SELECT = 0, MODE_MOVE = 1, MODE_ROTATE = 2, MODE_SCALE = 3 };

// The grabbable parts. Inside the gizmo a part is only ever this type; the numbers the rest of
// the editor sees (the part of a drag result) come from the rows, nowhere else.
enum class GizmoPart {
    None,
    MoveX,
    MoveY,
    MoveZ,
    RotateView, // the outer ring, about the view axis
    RotateFree, // inside the rings: a free turn on the sphere
    RotateX,
    RotateY,
    RotateZ,
    ScaleAll, // the centre box
    ScaleX,
    ScaleY,
    ScaleZ,
    // The move plane squares, by the plane's normal axis: YZ (X), XZ (Y), XY (Z).
    MovePlaneYZ,
    MovePlaneXZ,
    MovePlaneXY,
};

// Active element values: the axes 0, 1, 2 and these.
enum GizmoElement {
    ELEMENT_OUTER_RING = 3,
    ELEMENT_CENTRE = 4,
    ELEMENT_PLANE = 5, // a move plane square
    ELEMENT_NONE = 8,
};

// A flat colour, red, green, blue and alpha from 0 to 1.
struct GizmoColour {
    float r, g, b, a;
};

namespace GizmoColours {
inline constexpr GizmoColour kRed{1, 0, 0, 1};
inline constexpr GizmoColour kGreen{0, 1, 0, 1};
inline constexpr GizmoColour kBlue{0, 0, 1, 1};
inline constexpr GizmoColour kXyz{100.0f / 255.0f, 220.0f / 255.0f, 1, 1};
inline constexpr GizmoColour kGray{0.5f, 0.5f, 0.5f, 1};
// A held or hovered part's material.
inline constexpr GizmoColour kHighlight{1, 1, 0, 1};
} // namespace GizmoColours

// How opaque the materials of see-through parts (the plane squares) are drawn.
constexpr float kOpaque = 1.0f;
constexpr float kSeeThrough = 0.5f;

// One part. Parts that share a material name share the material (and must agree on its colour
// and opacity); the material is made by the first handle set that uses it.
struct GizmoPartRow {
    GizmoPart part;
    int number;  // in a drag result; never changes
    int mode;    // the handle set that shows it
    int element; // made active while the part is highlighted (an axis, or a GizmoElement)
    int axis;    // the world axis whose line is highlighted with it, -1 for none
    // The scene node (one entity each) that draws the part; it is also the part's shown flag
    // in a view's state. -1 for none.
    int node;
    // The engine entity, published to the editor's scripts: a name format and its number.
    const char* entityFormat;
    int entityNumber;
    const char* material;
    GizmoColour colour;
    float opacity; // kOpaque, or kSeeThrough: drawn see-through from both sides
    // Set on the material while the part is held or hovered; null: the part lights nothing.
    const GizmoColour* highlight;
};

namespace GizmoPartRows {
using namespace GizmoColours;
inline constexpr const char* kPart = automation::kGizmoPartEntity;
inline constexpr const char* kRing = automation::kGizmoRingEntity;
inline constexpr const GizmoColour* kLit = &kHighlight;
inline constexpr GizmoColour kNoColour{0, 0, 0, 0};

// The built-in parts, each handle set's rows together and in the order it builds them (which is
// the order their entities are made in). The first row is no part.
inline constexpr GizmoPartRow kTable[] = {
    // clang-format off
    // part                  no. mode         element            axis node entity     material               colour  opacity      highlight
    {GizmoPart::None,        0,  MODE_SELECT, ELEMENT_NONE,       -1, -1, nullptr, -1, nullptr,              kNoColour, kOpaque,   nullptr},
    // The move handles: the arrows, then the plane squares.
    {GizmoPart::MoveX,       2,  MODE_MOVE,   0,                   0,  0, kPart,  0,  "MapSelectMgrRed",     kRed,   kOpaque,     kLit},
    {GizmoPart::MoveY,       3,  MODE_MOVE,   1,                   1,  1, kPart,  1,  "MapSelectMgrGreen",   kGreen, kOpaque,     kLit},
    {GizmoPart::MoveZ,       4,  MODE_MOVE,   2,                   2,  2, kPart,  2,  "MapSelectMgrBlue",    kBlue,  kOpaque,     kLit},
    {GizmoPart::MovePlaneYZ, 14, MODE_MOVE,   ELEMENT_PLANE,      -1, 13, kPart,  12, "MapSelectMgrPlaneYZ", kRed,   kSeeThrough, kLit},
    {GizmoPart::MovePlaneXZ, 15, MODE_MOVE,   ELEMENT_PLANE,      -1, 14, kPart,  13, "MapSelectMgrPlaneXZ", kGreen, kSeeThrough, kLit},
    {GizmoPart::MovePlaneXY, 16, MODE_MOVE,   ELEMENT_PLANE,      -1, 15, kPart,  14, "MapSelectMgrPlaneXY", kBlue,  kSeeThrough, kLit},
    // The scale handles: the axis boxes, then the centre box.
    {GizmoPart::ScaleX,      11, MODE_SCALE,  0,                   0,  4, kPart,  3,  "MapSelectMgrRed",     kRed,   kOpaque,     kLit},
    {GizmoPart::ScaleY,      12, MODE_SCALE,  1,                   1,  5, kPart,  4,  "MapSelectMgrGreen",   kGreen, kOpaque,     kLit},
    {GizmoPart::ScaleZ,      13, MODE_SCALE,  2,                   2,  6, kPart,  5,  "MapSelectMgrBlue",    kBlue,  kOpaque,     kLit},
    {GizmoPart::ScaleAll,    10, MODE_SCALE,  ELEMENT_CENTRE,     -1,  7, kPart,  6,  "MapSelectXYZ",        kXyz,   kOpaque,     kLit},
    // The rotate handles: the axis rings, the inner view ring (the edge of the free turn's
    // sphere) and the outer one; the last two light nothing while held.
    {GizmoPart::RotateX,     7,  MODE_ROTATE, 0,                   0,  8, kRing,  7,  "MapSelectMgrRed",     kRed,   kOpaque,     kLit},
    {GizmoPart::RotateY,     8,  MODE_ROTATE, 1,                   1,  9, kRing,  8,  "MapSelectMgrGreen",   kGreen, kOpaque,     kLit},
    {GizmoPart::RotateZ,     9,  MODE_ROTATE, 2,                   2, 10, kRing,  9,  "MapSelectMgrBlue",    kBlue,  kOpaque,     kLit},
    {GizmoPart::RotateFree,  6,  MODE_ROTATE, ELEMENT_NONE,       -1, 11, kRing,  10, "MapSelectXYZ",        kXyz,   kOpaque,     nullptr},
    {GizmoPart::RotateView,  5,  MODE_ROTATE, ELEMENT_OUTER_RING, -1, 12, kRing,  11, "MapSelectGray",       kGray,  kOpaque,     nullptr},
    // clang-format on
};
} // namespace GizmoPartRows

inline constexpr const auto& kPartTable = GizmoPartRows::kTable;
constexpr int kPartCount = int(sizeof kPartTable / sizeof kPartTable[0]);

// A run of rows: the parts of one handle set.
class GizmoRows {
public:
    constexpr GizmoRows() = default;
    constexpr GizmoRows(const GizmoPartRow* first, int count) : m_first(first), m_count(count) {}
    template <int N>
    constexpr GizmoRows(const GizmoPartRow (&rows)[N]) : m_first(rows), m_count(N) {}

    constexpr const GizmoPartRow* begin() const { return m_first; }
    constexpr const GizmoPartRow* end() const { return m_first + m_count; }
    constexpr int size() const { return m_count; }
    constexpr const GizmoPartRow& operator[](int i) const { return m_first[i]; }
    // The row of `part` among these, or null.
    constexpr const GizmoPartRow* Find(GizmoPart part) const {
        for (const GizmoPartRow& row : *this)
            if (row.part == part)
                return &row;
        return nullptr;
    }

private:
    const GizmoPartRow* m_first = nullptr;
    int m_count = 0;
};

// The table's rows of one mode (empty for a mode without parts).
constexpr GizmoRows RowsOf(int mode) {
    int first = 0;
    while (first < kPartCount && kPartTable[first].mode != mode)
        ++first;
    int count = 0;
    while (first + count < kPartCount && kPartTable[first + count].mode == mode)
        ++count;
    return GizmoRows(kPartTable + first, count);
}

// The table's row of a part (no part's row for a value outside the table).
// (By index, not through Find: the undefined-behaviour sanitizer's null checks make a pointer
// test no constant expression, and the table's checks below run at compile time.)
constexpr const GizmoPartRow& PartInfo(GizmoPart part) {
    for (int i = 0; i < kPartCount; ++i)
        if (kPartTable[i].part == part)
            return kPartTable[i];
    return kPartTable[0];
}
constexpr int PartNumber(GizmoPart part) {
    return PartInfo(part).number;
}
// The part of an external number; None for a number no part has.
constexpr GizmoPart PartFromNumber(int number) {
    for (const GizmoPartRow& row : kPartTable)
        if (row.number == number)
            return row.part;
    return GizmoPart::None;
}
// The part of a handle set's axis: `first` is the set's X part, the Y and Z parts follow it.
constexpr GizmoPart AxisPart(GizmoPart first, int axis) {
    return static_cast<GizmoPart>(static_cast<int>(first) + axis);
}
constexpr int PartNode(GizmoPart part) {
    return PartInfo(part).node;
}

// The scene nodes, each with one entity: one per part that has a node, and the axis lines of
// move and scale (no part of their own).
constexpr int NODE_AXIS_LINES = 3;
constexpr int NODE_COUNT = [] {
    int count = 1;
    for (const GizmoPartRow& row : kPartTable)
        count += row.node >= 0 ? 1 : 0;
    return count;
}();
// Node slots (and shown flags) there is room for, with handle sets added at run time.
constexpr int kNodeCapacity = 32;
// The nodes by name: the first of three is the X axis's (or the YZ plane's), Y and Z follow.
constexpr int NODE_ARROW_X = PartNode(GizmoPart::MoveX);
constexpr int NODE_BOX_X = PartNode(GizmoPart::ScaleX);
constexpr int NODE_BOX_CENTRE = PartNode(GizmoPart::ScaleAll);
constexpr int NODE_RING_X = PartNode(GizmoPart::RotateX);
constexpr int NODE_RING_Y = PartNode(GizmoPart::RotateY);
constexpr int NODE_VIEW_RING_INNER = PartNode(GizmoPart::RotateFree);
constexpr int NODE_VIEW_RING_OUTER = PartNode(GizmoPart::RotateView);
constexpr int NODE_PLANE_YZ = PartNode(GizmoPart::MovePlaneYZ);
constexpr int NODE_PLANE_XZ = PartNode(GizmoPart::MovePlaneXZ);
constexpr int NODE_PLANE_XY = PartNode(GizmoPart::MovePlaneXY);

namespace GizmoPartRows {
constexpr bool SameName(const char* a, const char* b) {
    if (!a || !b)
        return a == b;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}
constexpr bool SameColour(const GizmoColour& a, const GizmoColour& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}
// Whether row i is the first of the table to name its material.
constexpr bool FirstWithMaterial(int i) {
    if (!kTable[i].material)
        return false;
    for (int j = 0; j < i; ++j)
        if (SameName(kTable[j].material, kTable[i].material))
            return false;
    return true;
}
} // namespace GizmoPartRows

// The materials the table names, each once, in the order the table first names them.
constexpr int MATERIAL_COUNT = [] {
    int count = 0;
    for (int i = 0; i < kPartCount; ++i)
        count += GizmoPartRows::FirstWithMaterial(i) ? 1 : 0;
    return count;
}();
// Materials there is room for, with handle sets added at run time.
constexpr int kMaterialCapacity = 16;
// The index in that order of a part's material, -1 for none.
constexpr int MaterialOf(GizmoPart part) {
    int index = 0;
    for (int i = 0; i < kPartCount; ++i) {
        if (!GizmoPartRows::FirstWithMaterial(i))
            continue;
        if (GizmoPartRows::SameName(kPartTable[i].material, PartInfo(part).material))
            return index;
        ++index;
    }
    return -1;
}

// What the table must keep: checked where it is compiled, so a row added wrongly fails the build.
namespace GizmoPartRows {
constexpr bool Check(bool (*rule)(const GizmoPartRow&, const GizmoPartRow&)) {
    for (int i = 1; i < kPartCount; ++i)
        for (int j = 0; j < i; ++j)
            if (!rule(kTable[i], kTable[j]))
                return false;
    return true;
}
// The published entity of a part, as the editor's scripts look it up.
constexpr bool Publishes(GizmoPart part, const char* format, int number) {
    return SameName(PartInfo(part).entityFormat, format) && PartInfo(part).entityNumber == number;
}
constexpr bool EntitiesAsPublished() {
    using namespace automation;
    for (int a = 0; a < 3; ++a)
        if (!Publishes(AxisPart(GizmoPart::MoveX, a), kGizmoPartEntity, kGizmoFirstArrow + a) ||
            !Publishes(AxisPart(GizmoPart::ScaleX, a), kGizmoPartEntity, kGizmoFirstAxisBox + a) ||
            !Publishes(AxisPart(GizmoPart::RotateX, a), kGizmoRingEntity,
                       kGizmoFirstAxisRing + a) ||
            !Publishes(AxisPart(GizmoPart::MovePlaneYZ, a), kGizmoPartEntity, kGizmoFirstPlane + a))
            return false;
    return Publishes(GizmoPart::ScaleAll, kGizmoPartEntity, kGizmoCentreBox) &&
           Publishes(GizmoPart::RotateFree, kGizmoRingEntity, kGizmoInnerRing) &&
           Publishes(GizmoPart::RotateView, kGizmoRingEntity, kGizmoOuterRing);
}
constexpr bool AxisPartsInOrder() {
    for (GizmoPart first : {GizmoPart::MoveX, GizmoPart::RotateX, GizmoPart::ScaleX})
        for (int a = 0; a < 3; ++a)
            if (PartInfo(AxisPart(first, a)).axis != a ||
                PartInfo(AxisPart(first, a)).element != a ||
                PartInfo(AxisPart(first, a)).mode != PartInfo(first).mode ||
                PartNode(AxisPart(first, a)) != PartNode(first) + a)
                return false;
    return true;
}
constexpr bool NodesFillTheSlots() {
    for (const GizmoPartRow& row : kTable)
        if (row.node == NODE_AXIS_LINES || row.node >= NODE_COUNT || row.node < -1)
            return false;
    return NODE_COUNT <= kNodeCapacity && MATERIAL_COUNT <= kMaterialCapacity;
}
// A mode's rows are one run: a mode seen again after another one's rows is out of place.
constexpr bool ModesInRuns() {
    for (int i = 2; i < kPartCount; ++i)
        for (int j = 0; j + 1 < i; ++j)
            if (kTable[j].mode == kTable[i].mode && kTable[i - 1].mode != kTable[i].mode)
                return false;
    return true;
}
} // namespace GizmoPartRows

static_assert(GizmoPartRows::Check([](const GizmoPartRow& a, const GizmoPartRow& b) {
                  return a.part != b.part && a.number != b.number;
              }),
              "every part has one row and a number of its own");
static_assert(GizmoPartRows::Check([](const GizmoPartRow& a, const GizmoPartRow& b) {
                  return a.node < 0 || a.node != b.node;
              }),
              "every node draws one part");
static_assert(GizmoPartRows::Check([](const GizmoPartRow& a, const GizmoPartRow& b) {
                  return !a.entityFormat || a.entityNumber != b.entityNumber ||
                         !GizmoPartRows::SameName(a.entityFormat, b.entityFormat);
              }),
              "every entity name is one part's");
static_assert(GizmoPartRows::Check([](const GizmoPartRow& a, const GizmoPartRow& b) {
                  return !GizmoPartRows::SameName(a.material, b.material) ||
                         (GizmoPartRows::SameColour(a.colour, b.colour) && a.opacity == b.opacity);
              }),
              "parts sharing a material agree on its colour and opacity");
static_assert(GizmoPartRows::EntitiesAsPublished(),
              "the entity names and numbers are those AutomationContract.h publishes");
static_assert(GizmoPartRows::AxisPartsInOrder(),
              "a set's Y and Z parts follow its X part, with their axis and node");
static_assert(GizmoPartRows::NodesFillTheSlots(), "the nodes are 0..NODE_COUNT-1");
static_assert(GizmoPartRows::ModesInRuns(), "each handle set's rows are one run of the table");

// The gizmo's geometry and identity in one place: parts and their external numbers, modes, node and
// material slots, the engine names of its meshes, entities and materials, its sizes (in gizmo
// units, one unit being the view's size factor), sample counts and colours. The builder, the
// layout, picking and dragging read these; so do the tests.
//
// The engine names are how the editor finds the gizmo's parts in the scene: changing one
// changes what the editor's scripts see.
#pragma once

#include "AutomationContract.h"
#include "EditorTypes.h"

#include <OgreColourValue.h>

#include <cstdint>

// Tool modes; SetMode stores any value, and one outside these shows and grabs nothing.
enum GizmoMode { MODE_SELECT = 0, MODE_MOVE = 1, MODE_ROTATE = 2, MODE_SCALE = 3 };

// The five flat-colour materials; the same index is the circle mesh of the ring that uses it.
enum GizmoMaterial {
    MATERIAL_RED = 0,
    MATERIAL_GREEN = 1,
    MATERIAL_BLUE = 2,
    MATERIAL_XYZ = 3,
    MATERIAL_GRAY = 4,
    // The move plane squares, each of its own so that the held one alone is highlighted; by
    // the plane's normal (YZ, XZ, XY), drawn see-through.
    MATERIAL_PLANE_YZ = 5,
    MATERIAL_PLANE_XZ = 6,
    MATERIAL_PLANE_XY = 7,
    MATERIAL_COUNT = 8,
};

// The grabbable parts, by handle set. Inside the gizmo a part is only ever this type; the
// numbers the rest of the editor sees (the part of a drag result) come from kPartTable through
// PartNumber and PartFromNumber, nowhere else.
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

// Everything a part means outside its handle set: its external number, the mode (handle set)
// it belongs to, the element it makes active, its world axis (-1 for none; the axis line
// highlighted while it is held) and the material highlighted while it is held (-1 for none).
struct GizmoPartInfo {
    GizmoPart part;
    int number;
    int mode;
    int element;
    int axis;
    int material;
};

// Indexed by GizmoPart, in its order.
constexpr GizmoPartInfo kPartTable[] = {
    {GizmoPart::None, 0, MODE_SELECT, ELEMENT_NONE, -1, -1},
    {GizmoPart::MoveX, 2, MODE_MOVE, 0, 0, MATERIAL_RED},
    {GizmoPart::MoveY, 3, MODE_MOVE, 1, 1, MATERIAL_GREEN},
    {GizmoPart::MoveZ, 4, MODE_MOVE, 2, 2, MATERIAL_BLUE},
    {GizmoPart::RotateView, 5, MODE_ROTATE, ELEMENT_OUTER_RING, -1, -1},
    {GizmoPart::RotateFree, 6, MODE_ROTATE, ELEMENT_NONE, -1, -1},
    {GizmoPart::RotateX, 7, MODE_ROTATE, 0, 0, MATERIAL_RED},
    {GizmoPart::RotateY, 8, MODE_ROTATE, 1, 1, MATERIAL_GREEN},
    {GizmoPart::RotateZ, 9, MODE_ROTATE, 2, 2, MATERIAL_BLUE},
    {GizmoPart::ScaleAll, 10, MODE_SCALE, ELEMENT_CENTRE, -1, MATERIAL_XYZ},
    {GizmoPart::ScaleX, 11, MODE_SCALE, 0, 0, MATERIAL_RED},
    {GizmoPart::ScaleY, 12, MODE_SCALE, 1, 1, MATERIAL_GREEN},
    {GizmoPart::ScaleZ, 13, MODE_SCALE, 2, 2, MATERIAL_BLUE},
    {GizmoPart::MovePlaneYZ, 14, MODE_MOVE, ELEMENT_PLANE, -1, MATERIAL_PLANE_YZ},
    {GizmoPart::MovePlaneXZ, 15, MODE_MOVE, ELEMENT_PLANE, -1, MATERIAL_PLANE_XZ},
    {GizmoPart::MovePlaneXY, 16, MODE_MOVE, ELEMENT_PLANE, -1, MATERIAL_PLANE_XY},
};
constexpr int kPartCount = int(sizeof kPartTable / sizeof kPartTable[0]);

// The row of a part (None's row for a value outside the enumeration).
constexpr const GizmoPartInfo& PartInfo(GizmoPart part) {
    const int index = static_cast<int>(part);
    return index >= 0 && index < kPartCount ? kPartTable[index] : kPartTable[0];
}
constexpr int PartNumber(GizmoPart part) {
    return PartInfo(part).number;
}
// The part of an external number; None for a number no part has.
constexpr GizmoPart PartFromNumber(int number) {
    for (const GizmoPartInfo& info : kPartTable)
        if (info.number == number)
            return info.part;
    return GizmoPart::None;
}
// The part of a handle set's axis: `first` is the set's X part, the Y and Z parts follow it.
constexpr GizmoPart AxisPart(GizmoPart first, int axis) {
    return static_cast<GizmoPart>(static_cast<int>(first) + axis);
}

// The scene nodes, each with one entity.
enum GizmoNode {
    NODE_ARROW_X = 0, // move arrows (cones) 0, 1, 2
    NODE_ARROW_Y = 1,
    NODE_ARROW_Z = 2,
    NODE_AXIS_LINES = 3, // the three axis lines of move and scale
    NODE_BOX_X = 4,      // scale boxes 4, 5, 6
    NODE_BOX_Y = 5,
    NODE_BOX_Z = 6,
    NODE_BOX_CENTRE = 7, // uniform scale
    NODE_RING_X = 8,     // axis rings 8, 9, 10
    NODE_RING_Y = 9,
    NODE_RING_Z = 10,
    NODE_VIEW_RING_INNER = 11, // view rings, always facing the viewer
    NODE_VIEW_RING_OUTER = 12,
    NODE_PLANE_YZ = 13, // move plane squares 13, 14, 15, by the plane's normal axis
    NODE_PLANE_XZ = 14,
    NODE_PLANE_XY = 15,
    NODE_COUNT = 16,
};

// Circle meshes: one per axis ring (0, 1, 2), then the inner and the outer view ring.
enum GizmoCircle { CIRCLE_VIEW_INNER = 3, CIRCLE_VIEW_OUTER = 4, CIRCLE_COUNT = 5 };

namespace GizmoGeometry {

// Views the gizmo lays out in, numbered 0..3.
constexpr int kViewCount = 4;
constexpr int kAxisCount = 3;
// Shown flags per view (the hit tests read them per element).
constexpr int kShownFlags = 8;
// Element matrices per view: the three axes and the centre, whose slot (and shown flag) is 3.
constexpr int kElementCount = 4;
constexpr int kCentreSlot = 3;
// The shown flags of the move plane squares, by their normal axis: 5, 6, 7.
constexpr int kPlaneShownSlot = 5;

// Axis template: one segment per axis from the centre, this long. It is the inner ring's
// radius too, the free-rotation sphere's and the reach of the scale boxes.
constexpr float kAxisLength = 9.0f;
// The move plane squares: centred this far along both of their plane's axes, this half side
// (well clear of the axis lines and the cones). Seen more edge-on than kPlaneMinFacing (the
// cosine between the plane's normal and the view direction) a square is hidden and not picked.
constexpr float kPlaneHandleOffset = 3.0f;
constexpr float kPlaneHandleHalfSize = 1.0f;
constexpr float kPlaneMinFacing = 0.2f;
constexpr float kPlaneAlpha = 0.5f;
// Cone bases of the move arrows lie this far along their axis.
constexpr float kArrowConeBase = 6.1f;
// Cone mesh: 2.1 high along +Y on a base of half-width 0.5, 12 segments.
constexpr float kConeHalfWidth = 0.5f;
constexpr float kConeHeight = 2.1f;
constexpr int kConeSegments = 12;
// Box mesh: half the side of the scale boxes.
constexpr float kBoxHalfSize = 0.5f;
constexpr std::uint32_t kMeshColour = 0xFFFFFFFFu;

// Rings: the inner (axis rings, inner view ring) and outer (view-axis ring) radii.
constexpr float kInnerRingRadius = kAxisLength;
constexpr float kOuterRingRadius = 10.4f;
// A ring template is 64 segments of a closed circle: 65 points, the last repeating the first,
// at steps of pi/32 (as a float, 0.09817477).
constexpr int kRingSegments = 64;
constexpr int kRingTemplatePoints = kRingSegments + 1;
constexpr float kRingStep = 0.09817477f;
// As a line list (each segment's two points): the size of every circle mesh and of a visible
// ring list.
constexpr int kRingListPoints = 2 * kRingSegments;
// Axis lines: three segments as a line list.
constexpr int kAxisLinePoints = 2 * kAxisCount;

// The layout refuses a view in which a box this many units around the centre is not finite
// (the outer ring's reach with room to spare).
constexpr float kLayoutReach = 16.0f;
// Orthographic views (no depth check) cut the rings on a plane this far towards the viewer.
constexpr float kOrthographicCutOffset = 0.1f;

// Pick rectangle around the pointer: 7 left, 2 up, 1 right, 6 down (right and bottom
// exclusive), 8 by 8 pixels.
constexpr PixelRect kPickOffsets{-7, -2, 1, 6};

// Uniform scale: a drag across the whole view width adds this to the factor.
constexpr float kUniformScaleSpeed = 5.6f;
// Scale drags: the smallest total factor since the press. A pointer moved inward past where
// the factor would reach 0 keeps it here instead of growing the entity again.
constexpr float kMinScaleTotal = 0.01f;

// Width in pixels of the gizmo's lines (axis lines and rings), whatever the view's size: a
// one-pixel line is hard to see and to aim at.
constexpr float kLineWidthPixels = 2.0f;

// Render queue groups: the centre box draws after the rest.
constexpr int kRenderQueue = 80;
constexpr int kRenderQueueCentreBox = 90;

// Engine names. Entity numbers: arrows 0..2, boxes 3..6 ("En"), rings 7..11 ("End").
constexpr const char* kResourceGroup = "General";
constexpr const char* kConeMesh = "CMapSelectMgrConeMesh";
constexpr const char* kBoxMesh = "CMapSelectMgrBoxMesh";
constexpr const char* kAxisMesh = "CMapSelectMgrAxisMesh";
constexpr const char* kCircleMeshFormat = "CMapSelectMgrCircleMesh_%d"; // circle index
constexpr const char* kPlaneMesh = "CMapSelectMgrPlaneMesh";
// The entity names and numbers are published to the editor's scripts.
constexpr const char* kPartEntityFormat = automation::kGizmoPartEntity; // arrows and boxes
constexpr const char* kRingEntityFormat = automation::kGizmoRingEntity; // rings
constexpr int kArrowEntityFirst = automation::kGizmoFirstArrow;
constexpr int kBoxEntityFirst = automation::kGizmoFirstAxisBox;
constexpr int kRingEntityFirst = automation::kGizmoFirstAxisRing;
constexpr int kPlaneEntityFirst = automation::kGizmoFirstPlane;
constexpr const char* kAxisEntity = automation::kGizmoAxisEntity;
constexpr const char* kAxisMaterial = "AxisXYZ";
constexpr const char* kMaterialBase = "Examples/selectterrain";
constexpr const char* kMaterialFallback = "BaseWhiteNoLighting";
constexpr const char* const kMaterialNames[MATERIAL_COUNT] = {
    "MapSelectMgrRed", "MapSelectMgrGreen",   "MapSelectMgrBlue",    "MapSelectXYZ",
    "MapSelectGray",   "MapSelectMgrPlaneYZ", "MapSelectMgrPlaneXZ", "MapSelectMgrPlaneXY"};

// Normal material colours (r, g, b, a) and the highlight of a grabbed part.
inline const Ogre::ColourValue kNormalColours[MATERIAL_COUNT] = {
    Ogre::ColourValue(1, 0, 0, 1),
    Ogre::ColourValue(0, 1, 0, 1),
    Ogre::ColourValue(0, 0, 1, 1),
    Ogre::ColourValue(100.0f / 255.0f, 220.0f / 255.0f, 1, 1),
    Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1),
    Ogre::ColourValue(1, 0, 0, 1),
    Ogre::ColourValue(0, 1, 0, 1),
    Ogre::ColourValue(0, 0, 1, 1)};
// The materials drawn see-through (the plane squares), with kPlaneAlpha.
constexpr bool IsSeeThroughMaterial(int index) {
    return index >= MATERIAL_PLANE_YZ && index <= MATERIAL_PLANE_XY;
}
inline const Ogre::ColourValue kHighlightColour(1, 1, 0, 1);
// Axis line vertex colours (ARGB) of the X, Y and Z lines, and of the highlighted one.
constexpr std::uint32_t kAxisLineColours[kAxisCount] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
constexpr std::uint32_t kAxisLineHighlight = 0xFFFFFF00u;

} // namespace GizmoGeometry

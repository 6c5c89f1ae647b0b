// The gizmo's geometry and identity in one place: part codes and modes, node and material
// slots, the engine names of its meshes, entities and materials, its sizes (in gizmo units, one
// unit being the view's size factor), sample counts and colours. The builder, the layout,
// picking and dragging read these; so do the tests.
//
// The engine names are how the editor finds the gizmo's parts in the scene: changing one
// changes what the editor's scripts see.
#pragma once

#include "EditorTypes.h"

#include <OgreColourValue.h>

#include <cstdint>

// Tool modes; SetMode stores any value, and one outside these shows and grabs nothing.
enum GizmoMode { MODE_SELECT = 0, MODE_MOVE = 1, MODE_ROTATE = 2, MODE_SCALE = 3 };

// Codes of the grabbable parts (the drag part).
enum GizmoPart {
    PART_NONE = 0,
    PART_MOVE_X = 2,
    PART_MOVE_Y = 3,
    PART_MOVE_Z = 4,
    PART_ROTATE_VIEW = 5,
    PART_ROTATE_FREE = 6,
    PART_ROTATE_X = 7,
    PART_ROTATE_Y = 8,
    PART_ROTATE_Z = 9,
    PART_SCALE_ALL = 10,
    PART_SCALE_X = 11,
    PART_SCALE_Y = 12,
    PART_SCALE_Z = 13,
};

// Active element values besides the axes 0, 1, 2.
enum GizmoElement { ELEMENT_OUTER_RING = 3, ELEMENT_CENTRE = 4, ELEMENT_NONE = 8 };

// The thirteen scene nodes, each with one entity.
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
    NODE_COUNT = 13,
};

// The five flat-colour materials; the same index is the circle mesh of the ring that uses it.
enum GizmoMaterial {
    MATERIAL_RED = 0,
    MATERIAL_GREEN = 1,
    MATERIAL_BLUE = 2,
    MATERIAL_XYZ = 3,
    MATERIAL_GRAY = 4,
    MATERIAL_COUNT = 5,
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

// Axis template: one segment per axis from the centre, this long. It is the inner ring's
// radius too, the free-rotation sphere's and the reach of the scale boxes.
constexpr float kAxisLength = 9.0f;
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

// Render queue groups: the centre box draws after the rest.
constexpr int kRenderQueue = 80;
constexpr int kRenderQueueCentreBox = 90;

// Engine names. Entity numbers: arrows 0..2, boxes 3..6 ("En"), rings 7..11 ("End").
constexpr const char* kResourceGroup = "General";
constexpr const char* kConeMesh = "CMapSelectMgrConeMesh";
constexpr const char* kBoxMesh = "CMapSelectMgrBoxMesh";
constexpr const char* kAxisMesh = "CMapSelectMgrAxisMesh";
constexpr const char* kCircleMeshFormat = "CMapSelectMgrCircleMesh_%d"; // circle index
constexpr const char* kPartEntityFormat = "CMapSelectMgrEn%d";          // arrows and boxes
constexpr const char* kRingEntityFormat = "CMapSelectMgrEnd%d";         // rings
constexpr int kBoxEntityFirst = 3;
constexpr int kRingEntityFirst = 7;
constexpr const char* kAxisEntity = "AxisEntity";
constexpr const char* kAxisMaterial = "AxisXYZ";
constexpr const char* kMaterialBase = "Examples/selectterrain";
constexpr const char* kMaterialFallback = "BaseWhiteNoLighting";
constexpr const char* const kMaterialNames[MATERIAL_COUNT] = {
    "MapSelectMgrRed", "MapSelectMgrGreen", "MapSelectMgrBlue", "MapSelectXYZ", "MapSelectGray"};

// Normal material colours (r, g, b, a) and the highlight of a grabbed part.
inline const Ogre::ColourValue kNormalColours[MATERIAL_COUNT] = {
    Ogre::ColourValue(1, 0, 0, 1), Ogre::ColourValue(0, 1, 0, 1), Ogre::ColourValue(0, 0, 1, 1),
    Ogre::ColourValue(100.0f / 255.0f, 220.0f / 255.0f, 1, 1),
    Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1)};
inline const Ogre::ColourValue kHighlightColour(1, 1, 0, 1);
// Axis line vertex colours (ARGB) of the X, Y and Z lines, and of the highlighted one.
constexpr std::uint32_t kAxisLineColours[kAxisCount] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
constexpr std::uint32_t kAxisLineHighlight = 0xFFFFFF00u;

} // namespace GizmoGeometry

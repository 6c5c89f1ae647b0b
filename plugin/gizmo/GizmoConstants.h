// The gizmo's geometry in one place: its sizes (in gizmo units, one unit being the view's size
// factor), sample counts, the engine names of its meshes and shared materials, and the colours
// of its parts (from their rows, GizmoParts.h) as the engine takes them. The builder, the
// layout, picking and dragging read these; so do the tests.
//
// The engine names are how the editor finds the gizmo's parts in the scene: changing one
// changes what the editor's scripts see.
#pragma once

#include "AutomationContract.h"
#include "EditorTypes.h"
#include "GizmoParts.h"

#include <OgreColourValue.h>

#include <array>
#include <cstdint>

namespace GizmoGeometry {

// Views the gizmo lays out in, numbered 0..3.
constexpr int kViewCount = 4;
constexpr int kAxisCount = 3;
// Element matrices per view: the three axes and the centre box's, in slot 3.
constexpr int kElementCount = 4;
constexpr int kCentreSlot = 3;

// Axis template: one segment per axis from the centre, this long. It is the inner ring's
// radius too, the free-rotation sphere's and the reach of the scale boxes.
constexpr float kAxisLength = 9.0f;
// The move plane squares: centred this far along both of their plane's axes, this half side
// (well clear of the axis lines and the cones). Seen more edge-on than kPlaneMinFacing (the
// cosine between the plane's normal and the view direction) a square is hidden and not picked.
constexpr float kPlaneHandleOffset = 3.0f;
constexpr float kPlaneHandleHalfSize = 1.0f;
constexpr float kPlaneMinFacing = 0.2f;
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

// Engine names of the meshes and of the materials every set shares; the parts' entities and
// materials are named by their rows.
constexpr const char* kResourceGroup = "General";
constexpr const char* kConeMesh = "CMapSelectMgrConeMesh";
constexpr const char* kBoxMesh = "CMapSelectMgrBoxMesh";
constexpr const char* kAxisMesh = "CMapSelectMgrAxisMesh";
constexpr const char* kCircleMeshFormat = "CMapSelectMgrCircleMesh_%d"; // circle index
constexpr const char* kPlaneMesh = "CMapSelectMgrPlaneMesh";
// The axis lines' entity is published to the editor's scripts.
constexpr const char* kAxisEntity = automation::kGizmoAxisEntity;
constexpr const char* kAxisMaterial = "AxisXYZ";
constexpr const char* kMaterialBase = "Examples/selectterrain";
constexpr const char* kMaterialFallback = "BaseWhiteNoLighting";

inline Ogre::ColourValue ToColourValue(const GizmoColour& c) {
    return Ogre::ColourValue(c.r, c.g, c.b, c.a);
}
// The materials the part table names, in its order, with their normal colours; and the
// highlight of a grabbed part.
constexpr std::array<const char*, MATERIAL_COUNT> kMaterialNames = [] {
    std::array<const char*, MATERIAL_COUNT> names{};
    int n = 0;
    for (int i = 0; i < kPartCount; ++i)
        if (GizmoPartRows::FirstWithMaterial(i))
            names[n++] = kPartTable[i].material;
    return names;
}();
inline const std::array<Ogre::ColourValue, MATERIAL_COUNT> kNormalColours = [] {
    std::array<Ogre::ColourValue, MATERIAL_COUNT> colours;
    int n = 0;
    for (int i = 0; i < kPartCount; ++i)
        if (GizmoPartRows::FirstWithMaterial(i))
            colours[n++] = ToColourValue(kPartTable[i].colour);
    return colours;
}();
inline const Ogre::ColourValue kHighlightColour = ToColourValue(GizmoColours::kHighlight);
// Axis line vertex colours (ARGB) of the X, Y and Z lines, and of the highlighted one.
constexpr std::uint32_t kAxisLineColours[kAxisCount] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
constexpr std::uint32_t kAxisLineHighlight = 0xFFFFFF00u;

} // namespace GizmoGeometry

// The rules that turn a pointer ray into rotate and scale values, on plain values: no view, no
// engine, no gizmo state. The gizmo feeds them what the press fixed; tests call them directly.
// Also the drag result the gizmo hands to the plug-in after each step.
#pragma once

#include "GizmoConstants.h"

#include <OgreVector.h>

// How the plug-in applies a drag result. The first four are the mode the step was made in:
// the value is applied according to it.
enum GizmoDragKind {
    DRAG_KIND_NONE = MODE_SELECT, // nothing to apply (a mode that shows nothing)
    DRAG_KIND_MOVE = MODE_MOVE,   // value: displacement since the press
    DRAG_KIND_TURN = MODE_ROTATE, // value: (pitch, yaw, roll) since the press
    DRAG_KIND_SCALE = MODE_SCALE, // value: factors since the previous step
    DRAG_KIND_AXIS_TURN = 4,      // axis and angle since the press (free turn, axis rings)
};

// One drag step's outcome: everything the plug-in needs to apply it to the selection and to
// show it in the status line, so that nothing of the drag is asked of the gizmo again.
struct GizmoDragResult {
    int part = 0; // the grabbed part's external number (PartNumber)
    int kind = DRAG_KIND_NONE;
    // As `kind` says: the move or (pitch, yaw, roll) since the press, or the scale factors
    // since the previous step.
    Ogre::Vector3 value = Ogre::Vector3::ZERO;
    // The turn since the press about a unit world axis (radians); applied for
    // DRAG_KIND_AXIS_TURN, shown for every turn.
    Ogre::Vector3 axis = Ogre::Vector3::UNIT_Y;
    float angle = 0.0f;
    // The scale factor since the press, and before this step (the ratio of the two spreads
    // the positions of a drag about the common centre).
    float scaleTotal = 1.0f;
    float previousScaleTotal = 1.0f;
    // The unit world axis a scale works along; zero for the centre box (all axes alike).
    Ogre::Vector3 scaleAxis = Ogre::Vector3::ZERO;
    // The pivot the press fixed (GizmoPivot): PIVOT_MEDIAN turns and scales several entities
    // about their common centre.
    int pivot = PIVOT_OWN;
};

// A ray through a pointer pixel: its near point and unit direction.
struct DragRay {
    Ogre::Vector3 origin = Ogre::Vector3::ZERO;
    Ogre::Vector3 direction = Ogre::Vector3::UNIT_Z;
};

// What a rotate drag keeps from the press view: the gizmo centre, the view's size factor (world
// length of one gizmo unit), the unit normal of its viewer-facing plane and the unit axis of the
// grabbed ring (the view normal for the view-axis ring).
struct DragFrame {
    Ogre::Vector3 centre = Ogre::Vector3::ZERO;
    float sizeFactor = 0.0f;
    Ogre::Vector3 viewNormal = Ogre::Vector3::UNIT_Z;
    Ogre::Vector3 ringAxis = Ogre::Vector3::UNIT_Z;
};

namespace GizmoDragRules {

// The ray from a view's near and far points through a pixel; false when it is degenerate (not
// finite, or of zero length), in which case nothing can be measured along it.
bool MakeRay(const Ogre::Vector3& nearPoint, const Ogre::Vector3& farPoint, DragRay& ray);

// Sphere rule (free turn and axis rings): the point where the ray meets the sphere of the inner
// ring's radius around the centre, or the ray's point nearest the centre when it passes outside;
// for the axis rings projected onto the ring's plane. The result is the unit direction
// from that point to the centre (zero when they coincide).
Ogre::Vector3 SphereDirection(const DragRay& ray, const DragFrame& frame, GizmoPart part);

// View-ring rule (the view-axis ring): where the ray crosses the plane through the centre
// perpendicular to the ring axis (the ray's origin when it runs along the plane), as the unit
// direction from there to the centre.
Ogre::Vector3 ViewRingDirection(const DragRay& ray, const DragFrame& frame);

// Rotation about a unit axis as (pitch, yaw, roll); within 0.001 of a principal axis the angle
// goes straight into that component.
Ogre::Vector3 AxisAngleToYawPitchRoll(const Ogre::Vector3& axis, float angle);

// The rotation of a rotate part from the press direction `start` to the direction `g` now.
// False when the step gives nothing: g unusable (zero, not finite, or for parts other than the
// free turn with no component beyond 0.1), or, for the free turn, g opposite to the start. g within
// rounding of the start is no rotation at all: angle 0 about the view normal. Otherwise the
// angle is arccos(start . g) about start x g; when those are opposite, about the view normal.
bool RotationSincePress(GizmoPart part, const Ogre::Vector3& start, const Ogre::Vector3& g,
                        const Ogre::Vector3& viewNormal, Ogre::Vector3& axis, float& angle);

// The scale totals since the press never go below kMinScaleTotal: moving the pointer inward
// shrinks the entity down to that floor and, past the point where the total would reach 0,
// keeps it there instead of growing it again.

// Uniform scale (the centre box): the total factor since the press for a pointer dx pixels right of
// the press point in a view `width` pixels wide. False for a view without width.
bool UniformScaleTotal(int dx, int width, float& total);

// Axis scale (the axis boxes): the total factor since the press for the point `onAxis` of the
// axis line through `centre` along the unit `direction`: its signed distance from the centre
// along the direction over the reference length (the distance of the box at the press). False
// for a reference length that is not above 0 or a total that is not finite.
bool AxisScaleTotal(const Ogre::Vector3& onAxis, const Ogre::Vector3& centre,
                    const Ogre::Vector3& direction, float referenceLength, float& total);

// The factor of one scale step: |total / previous total|. False when it is not finite or
// vanishes (below 0.0001), so that the previous total stays and no later step divides by zero.
bool ScaleRatio(float total, float previous, float& ratio);

// Snapping while Ctrl is held. Each rounds a total since the press to the nearest multiple of
// a step; a step that is not finite or not above 0, or a result that would not be finite,
// leaves the value as it is.

// A value rounded to the nearest multiple of step.
float SnapToStep(float value, float step);

// A move since the press rounded to a multiple of step along the unit axis: its length along
// the axis is rounded, and what lies off the axis is dropped.
Ogre::Vector3 SnapAlongAxis(const Ogre::Vector3& value, const Ogre::Vector3& axis, float step);

// A move in a plane rounded along each of the plane's unit axes u and v; what lies off the
// plane is dropped.
Ogre::Vector3 SnapInPlane(const Ogre::Vector3& value, const Ogre::Vector3& u,
                          const Ogre::Vector3& v, float step);

// The plane squares of the move handles.
//
// Where the ray meets the plane through `point` with the unit `normal`: false when the ray
// runs along the plane (the cosine between them below 0.0001), the plane lies behind the ray's
// origin, or the point is not finite.
bool RayPlane(const DragRay& ray, const Ogre::Vector3& point, const Ogre::Vector3& normal,
              Ogre::Vector3& hit);
// Whether a point of the plane spanned from `centre` by the unit axes u and v lies on its
// square: both coordinates, in gizmo units of `sizeFactor`, within kPlaneHandleHalfSize of
// kPlaneHandleOffset.
bool InPlaneSquare(const Ogre::Vector3& point, const Ogre::Vector3& centre, const Ogre::Vector3& u,
                   const Ogre::Vector3& v, float sizeFactor);
// Whether a plane with the unit `normal` is seen face-on enough along `viewDirection` (unit,
// either sense) to be drawn and grabbed: the cosine between them at least kPlaneMinFacing.
bool PlaneFacesView(const Ogre::Vector3& normal, const Ogre::Vector3& viewDirection);

// A scale factor since the press rounded to a multiple of step, never 0: a total that rounds
// to 0 keeps one step on its own side.
float SnapScaleTotal(float total, float step);

} // namespace GizmoDragRules

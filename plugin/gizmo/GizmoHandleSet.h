// One set of handles of the gizmo: the parts one mode shows, with everything that is particular
// to them (their rows, building their entities, laying them out in a view, picking one at a
// press, turning pointer motion into a value, and whatever a press of theirs keeps for the
// drag). The manager keeps what the sets share (CGizmoScene), finds the set of the current mode
// and hands it the press and the drag state.
#pragma once

#include "D3dxMath.h"
#include "EditorTypes.h"
#include "GizmoConstants.h"
#include "GizmoDragRules.h"
#include "GizmoScene.h"

#include <OgreVector.h>

namespace Ogre {
class SceneManager;
}
class CGameEngine;
class IView;

// Where the entity stands in the view being laid out, as the manager worked it out for every set.
struct GizmoPlacement {
    Ogre::Vector3 position;                 // the entity's world position, the gizmo centre
    Ogre::Vector3 orientation;              // its world (pitch, yaw, roll)
    d3dx::RowMatrix rotation{d3dx::kUnset}; // the orientation as a row matrix
    d3dx::RowMatrix scaleTranslate{
        d3dx::kUnset}; // one gizmo unit to the view's size, at the centre
    int heldAxis = -1; // the axis line drawn highlighted (held or hovered part), -1 for none
    // The move handles follow the entity's own axes instead of the world's.
    bool localAxes = false;
};

// What a press fixes for the whole drag: captured when a part is grabbed, read (never changed)
// by every drag step until the release.
struct GizmoDragState {
    GizmoPart part = GizmoPart::None;
    // The pressed view, its number and the press pixel.
    IView* view = nullptr;
    int viewIndex = 0;
    int x = 0;
    int y = 0;
    // Where the drag is measured from: the point under the press pixel on what the part moves
    // along (move), or the unit direction from the pressed point to the centre (rotate).
    Ogre::Vector3 start = Ogre::Vector3::ZERO;
    // The line through the centre along the grabbed axis, long enough to cover any drag, and the
    // unit direction the part is measured along (move and axis scale).
    Ogre::Vector3 axisLine[2] = {Ogre::Vector3::ZERO, Ogre::Vector3::ZERO};
    Ogre::Vector3 axisDirection = Ogre::Vector3::ZERO;
    // The unit world axis of the grabbed ring (the view normal for the view-axis ring).
    Ogre::Vector3 ringAxis = Ogre::Vector3::UNIT_Z;
    // What a rotate drag measures against, as the press found it: the gizmo centre, the size
    // factor and view normal of the pressed view and the ring axis, and the ray through the
    // press pixel. Later layouts move the gizmo with its entity (which orbits the shared pivot
    // during the drag), so measuring against them would make the angle depend on the path.
    DragFrame frame;
    DragRay pressRay;
    // The distance of the grabbed box from the centre at the press (axis scale).
    float referenceLength = 0.0f;
};

// What the steps of one drag carry from one to the next, and what the last step gave.
struct GizmoDragStep {
    Ogre::Vector3 lastValue = Ogre::Vector3::ZERO; // the last value given, not given again
    float previousScale = 1.0f;                    // the scale total since the press last applied
    Ogre::Vector3 result = Ogre::Vector3::ZERO;    // the value of the last step that gave one
    Ogre::Vector3 rotationAxis = Ogre::Vector3::UNIT_Y;
    float rotationAngle = 0.0f;
    bool axisTurn = false; // the last step's result is rotationAxis and rotationAngle
};

class CGizmoHandleSet {
public:
    // `rows` are the set's parts (one mode's), kept for the set's life.
    CGizmoHandleSet(CGizmoScene& scene, GizmoRows rows) : m_scene(scene), m_rows(rows) {}
    virtual ~CGizmoHandleSet() = default;
    CGizmoHandleSet(const CGizmoHandleSet&) = delete;
    CGizmoHandleSet& operator=(const CGizmoHandleSet&) = delete;

    // The mode that shows this set (the mode column of its rows).
    int Mode() const { return m_rows.size() > 0 ? m_rows[0].mode : MODE_SELECT; }
    const GizmoRows& Rows() const { return m_rows; }
    // The row of one of the set's parts; null for a part of another set.
    const GizmoPartRow* Row(GizmoPart part) const { return m_rows.Find(part); }
    // Makes (or finds) the materials the set's rows name, before Build.
    void RegisterMaterials() {
        for (const GizmoPartRow& row : m_rows)
            m_scene.RegisterMaterial(row);
    }
    // Creates the set's meshes, entities and nodes in the shared scene (its materials and the
    // gizmo node exist already; the axis lines are made after every set).
    virtual void Build(CGameEngine* engine, Ogre::SceneManager* sm) = 0;
    // Forgets the set's own meshes (on unload).
    virtual void Release() {}
    // Removes the set's own meshes from the engine, then forgets them (on unload).
    virtual void RemoveMeshes() { Release(); }
    // Lays the set out in a view: fills the view's state and places and shows the set's nodes.
    virtual void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) = 0;
    // The part under the pick rectangle around the press pixel (drag.view, drag.x, drag.y)
    // in the view's state, with whatever of `drag` the set's steps measure from; None when
    // nothing is grabbed (or nothing could be measured from there).
    // A set that keeps press state of its own records it in a pick too.
    virtual GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) = 0;
    // The last pick was a press that grabbed its part: what the set recorded in it is kept for
    // the drag's steps (a pick that only looks, as a hover's, replaces nothing of that).
    virtual void Grabbed() {}
    // One pointer step of a drag of one of the set's parts: 1 with step.result (and, for a turn
    // about an axis, step.axisTurn with the axis and angle) filled, or RESULT_NOTHING_NEW.
    // `snap` is null unless the step snaps (Ctrl held).
    virtual int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
                     const SnapSteps* snap) = 0;
    // An exact amount typed while the part is held, as the total since the press: units along
    // the dragged axis, degrees about the grabbed ring's axis, or a scale factor. Fills `step`
    // as Drag does and answers as Drag does; 0 when the part takes no typed amount.
    virtual int Typed(const GizmoDragState&, GizmoDragStep&, int /*viewNumber*/, float /*amount*/) {
        return 0;
    }
    // Shows the gizmo as `step` left it (a step state put back).
    virtual void ShowStep(const GizmoDragState&, const GizmoDragStep&) {}
    // Whether the part takes a typed amount at all.
    virtual bool TakesTypedAmount(GizmoPart) const { return false; }
    // A drag of one of this set's parts ends (released or taken back), whatever the gizmo's mode
    // is by then; the axis line of `highlightedAxis` stays highlighted (-1 for none).
    virtual void EndDrag(const GizmoDragState&, int /*highlightedAxis*/) {}
    // Whether a held part keeps the layout as the drag left it: a change of the entity then
    // redraws the views without laying view 0 out again.
    virtual bool KeepsLayoutWhileDragging() const { return false; }

protected:
    CGizmoScene& m_scene;

private:
    GizmoRows m_rows;
};

// The view's ray through a pixel; false when it is degenerate (not finite, or of zero length),
// in which case nothing can be measured along it.
bool GizmoPressRay(IView* view, int x, int y, Ogre::Vector3& nearPoint, Ogre::Vector3& farPoint);
// The axis line of element `axis` in a view's state, as GizmoDragState keeps it.
void GizmoSetupAxisLine(GizmoDragState& drag, const GizmoViewState& state, int axis);
// How far along a line or plane a drag in the view may measure: the view's far distance, or
// 100000 for an infinite far plane.
float GizmoDragReach(IView* view);

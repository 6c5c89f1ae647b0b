// The drag of a gizmo part and the side panel's one-step changes. A press on the gizmo begins
// the drag's transform commit over the selection, each pointer move applies the gizmo's value
// to every selected entity at once, and the release pushes the whole drag as one undo step;
// Escape or the right button takes it back. The side panel's typed values and its snap to the
// ground go through commits of their own.
#pragma once

#include "CTransformCommit.h"
#include "GizmoDragRules.h"
#include "GizmoHandleSet.h"
#include "PluginCalls.h"
#include "TypedAmount.h"

#include <string>

class CMapSelectMgr;
class IBaseCommand;
class Interface;

class CDragController {
public:
    CDragController(Interface* host, CMapSelectMgr& gizmo)
        : m_host(host), m_gizmo(gizmo), m_drag(host) {}

    // A left press: 1 when it grabbed a gizmo part and the drag began. A press while a drag's
    // step is open replaces it; the old one never reaches the undo stack.
    int Press(const PointerEvent& event);
    // A pointer move: applies the gizmo's drag step, if any, to the selection and shows the
    // change since the press in the status line; without a held part and without a button,
    // the gizmo highlights the part under the pointer. Always 1.
    int Move(const PointerEvent& event);

    // A key typed into a view (OnInputOther's code) while a part is held: digits, "-" and "."
    // set the exact total since the press, Backspace takes a character back (to an empty text:
    // the pointer drives the drag again), Return applies and ends the drag as a release would.
    // 1 when the key was used; 0 when no part that takes an amount is held or the key means
    // nothing here.
    int TypeKey(int code);

    enum class Release {
        // Not the end of a drag: the release may be a click.
        NotADrag,
        // The release of a drag taken back, or ended by Return: it ends nothing and selects
        // nothing.
        AfterCancel,
        // The drag ended and its step went to the undo stack.
        Pushed,
    };
    Release OnRelease(const PointerEvent& event);

    // Takes back the drag under way before its release: every entity the press captured gets
    // its captured value back, nothing is recorded, the gizmo ends the drag and the left
    // release that follows is neither a drag end nor a click. 0 when no gizmo part is held.
    int Cancel();

    // One undo step that sets the value's component(s) of `kind` on every selected entity;
    // 1 when done, 0 for a refused value.
    int ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind);
    // Puts every selected entity on the ground below it as one undo step; 1 when recorded.
    int SnapToGround();
    float GroundHeight(Ogre::Vector3 point);
    void SetGroundFollow(bool follow) { m_groundFollow = follow; }
    bool GetGroundFollow() const { return m_groundFollow; }

    // Hands over a step as if a press had opened it (tests of the tear-down).
    void AdoptPendingStep(IBaseCommand* step) { m_drag.Adopt(step); }

private:
    // Applies one drag result to the selection and shows it.
    void ApplyStep(const GizmoDragResult& drag, bool snapped);
    void ShowDragStep(const GizmoDragResult& drag, bool snapped);
    // The typed amount (or, with the text emptied, the pointer's last place) applied.
    void ApplyTyped();
    // The typed amount as a whole, checked against the world range and applied, or refused.
    void ApplyTypedAmount();
    // A typed amount refused: the entities and the gizmo go back to where the pointer had put
    // them, and the status line says why.
    void RefuseTyped(const std::string& why);
    // The change from where the entities stand (m_applied) to what a step gave, as the world
    // range check takes it; `before` is the gizmo's step state before that step.
    DragChange ChangeTo(const GizmoDragResult& drag, const GizmoDragStep& before) const;
    // Records the open step, or takes it back when it would record nothing but a refused typed
    // amount (the pointer changed nothing).
    void EndStep();
    void FollowPointer(const PointerEvent& event);
    // Ends the drag at the pointer's last place as a release does.
    void FinishWithReturn();

    Interface* m_host;
    CMapSelectMgr& m_gizmo;
    // The drag under way: its step is open from an accepted press to the release or cancel.
    CTransformCommit m_drag;
    bool m_groundFollow = false;
    // A drag was taken back or ended by Return: the left release still to come belongs to it.
    bool m_pressCancelled = false;
    // The amount typed during the drag under way, and where the pointer last was in it.
    CTypedAmount m_typed;
    PointerEvent m_lastPointer;
    // The last result applied to the entities: where they stand since the press.
    GizmoDragResult m_applied;
    // Where the pointer had put things when the typed amount began: the entities (the commit's
    // mark), the gizmo's step state and the applied result. Taken at the first typed key.
    bool m_pointerMarked = false;
    GizmoDragStep m_pointerStep;
    GizmoDragResult m_pointerResult;
    // The pointer applied a step during the drag under way.
    bool m_pointerChanged = false;
    // The typed amount as it stands was refused: the entities stand where the pointer put them.
    bool m_typedRefused = false;
    // A selected entity the drag under way leaves as it is (named at the release).
    std::string m_lockedInDrag;
};

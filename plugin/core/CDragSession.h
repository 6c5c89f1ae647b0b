// One drag of a gizmo part, from the press that grabbed it to its one end: the release, Return,
// or a take-back (Escape or the right button). It holds everything the drag keeps from the
// press to that end: the transform commit over the selection (opened at the press, recorded as
// one undo step or taken back at the end), the last result applied to the entities, the
// pointer's last place, the amount typed during the drag, and where the pointer had put things
// when typing began, so that a refused amount goes back there. The drag controller makes one
// at an accepted press and lets it go at the end; nothing of a drag outlives its session.
#pragma once

#include "CTransformCommit.h"
#include "GizmoDragRules.h"
#include "GizmoHandleSet.h"
#include "PluginCalls.h"
#include "TypedAmount.h"

#include <string>

class IBaseCommand;
class Interface;

class CDragSession {
public:
    // Opens the drag's step over the selection. `start` is the gizmo's result of the press
    // (the kind and pivot of the drag, nothing changed yet); `lockedName` names a selected
    // entity the drag leaves as it is (said at the end; empty for none).
    CDragSession(Interface* host, const GizmoDragResult& start, const PointerEvent& press,
                 std::string lockedName);
    // A surface drag (CSnapDrags): opens its step over the selection, the orientations too
    // when it turns the entities to the surface's normal.
    struct Surface {
        bool turn = false;
    };
    CDragSession(Interface* host, const PointerEvent& press, Surface surface,
                 std::string lockedName);
    // A session around a step handed over as if a press had opened it (tests of the
    // tear-down).
    CDragSession(Interface* host, IBaseCommand* step);
    CDragSession(const CDragSession&) = delete;
    CDragSession& operator=(const CDragSession&) = delete;

    // Where the pointer last was during the drag (the press, then each move while the part
    // is held): a typed amount is worked out in its view, and Return ends the drag there.
    const PointerEvent& LastPointer() const { return m_lastPointer; }
    void SetLastPointer(const PointerEvent& event) { m_lastPointer = event; }
    // The amount typed during the drag.
    CTypedAmount& Typed() { return m_typed; }
    const CTypedAmount& Typed() const { return m_typed; }
    // The last result applied to the entities: where they stand since the press.
    const GizmoDragResult& Applied() const { return m_applied; }

    // Applies a step's result to every entity the press captured: a move or turn since the
    // press, a turn about an axis, or a scale step (spreading the positions along the result's
    // axis about a common centre). A move keeps the height above the ground with
    // `groundFollow`. `byPointer` tells a pointer step from a typed amount.
    void Apply(const GizmoDragResult& drag, bool groundFollow, bool byPointer);

    // One surface drag step: every entity the press captured rests on `hit` (see
    // CTransformCommit::PlaceOnSurface).
    void PlaceOnSurface(const Ogre::Vector3& hit, const Ogre::Vector3& normal);

    // Typed amounts. Where the pointer had put things is marked once, before the first amount
    // of a typed text is applied: the entities, the gizmo's step state then, and the applied
    // result.
    bool IsPointerMarked() const { return m_pointerMarked; }
    void MarkPointerPlace(const GizmoDragStep& gizmoStep);
    // The gizmo's step state at the mark, to put back when an amount is refused.
    const GizmoDragStep& PointerStep() const { return m_pointerStep; }
    // The first entity the change from where things stand to `drag` would take out of the
    // world range; empty when it stays inside (or changes nothing).
    std::string FirstOutOfRange(const GizmoDragResult& drag) const;
    // A typed amount refused: the entities go back to the mark, as the pointer left them.
    void BackToPointer();
    // The typed amount as it stands was applied (or equals where things stand).
    void TypedStands() { m_typedRefused = false; }
    // The typed text emptied: the pointer drives again, and a new text marks again.
    void PointerDrives() { m_pointerMarked = m_typedRefused = false; }

    // The end. Record pushes the step as one undo step, or drops it when the drag changed
    // nothing but by a typed amount that was refused. TakeBack gives every captured entity its
    // value from the press back exactly and records nothing. Either ends the session's step.
    void Record();
    void TakeBack();
    // The selected entity the drag left as it is (empty for none).
    const std::string& LockedName() const { return m_lockedName; }

private:
    // The change from where the entities stand (m_applied) to what a step gave, as the world
    // range check takes it.
    DragChange ChangeTo(const GizmoDragResult& drag) const;

    CTransformCommit m_commit;
    CTypedAmount m_typed;
    PointerEvent m_lastPointer;
    GizmoDragResult m_applied;
    std::string m_lockedName;
    // The mark of where the pointer had put things (taken at the first typed amount).
    bool m_pointerMarked = false;
    GizmoDragStep m_pointerStep;
    GizmoDragResult m_pointerResult;
    // The pointer applied a step during the drag.
    bool m_pointerChanged = false;
    // The typed amount as it stands was refused: the entities stand where the pointer put them.
    bool m_typedRefused = false;
};

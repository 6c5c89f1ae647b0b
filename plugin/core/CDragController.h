// The drag of a gizmo part. A press that grabs a part opens a drag session (CDragSession) over
// the selection; each pointer move hands the gizmo's result for the step, which carries the
// whole drag as it stands, to the session and shows it in the status line; keys typed while
// the part is held set an exact amount. The drag ends in one place, whether by the release
// (one undo step), by Return (the same, the button still down) or taken back by Escape or the
// right button (nothing recorded). The move tool's placing drags (vertex and surface snapping,
// CSnapDrags) come before the gizmo's parts at a press and run through the same session and
// end.
#pragma once

#include "CDragSession.h"
#include "CSnapDrags.h"
#include "GizmoDragRules.h"
#include "PluginCalls.h"

#include <memory>
#include <string>

class CEditController;
class CMapSelectMgr;
class CSelectionController;
class IBaseCommand;
class Interface;

class CDragController {
public:
    // `edits` gives the ground-follow setting a move step reads; `selection` makes the copies
    // an Alt press drags.
    CDragController(Interface* host, CMapSelectMgr& gizmo, const CEditController& edits,
                    CSelectionController& selection);
    ~CDragController();
    CDragController(const CDragController&) = delete;
    CDragController& operator=(const CDragController&) = delete;

    // A left press: 1 when it grabbed a gizmo part and the drag began. An accepted press
    // replaces a drag still open; the old one never reaches the undo stack. With Alt held on a
    // part of the move gizmo the selection is copied first and the drag moves the copies: the
    // copy and the drag are one undo step, and a take-back removes the copies as well.
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

    // Hands over a step as if a press had opened it (tests of the tear-down).
    void AdoptPendingStep(IBaseCommand* step);

    // The vertex-snap key (V) went down or up; 1 when the move tool took it.
    int VertexKey(bool held);
    // The placing drags' marks out of the engine (the module unloads).
    void RemoveMarks() { m_snaps.RemoveMarks(); }
    const CSnapDrags& Snaps() const { return m_snaps; }

private:
    enum class EndBy { Release, Return, Cancel };
    // The one end of a drag: the gizmo lets go of the held part (at `at`, or taken back), the
    // session records its step or takes it back and ends, and the status line says how it
    // ended. After Return or a take-back the left release still to come belongs to the drag.
    // False when no part was held.
    bool EndDrag(EndBy how, const PointerEvent& at);
    // The gizmo's step for the pointer at `event`: applied when it gives something new.
    // Answers as OnDrag, with `drag` filled as it fills it.
    int FollowPointer(const PointerEvent& event, GizmoDragResult& drag);
    // Applies one drag result to the selection and shows it.
    void ApplyStep(const GizmoDragResult& drag, bool snapped, bool byPointer);
    void ShowDragStep(const GizmoDragResult& drag, bool snapped);
    // A press that starts a placing drag of `kind`: its session opened over the selection.
    int PressSnap(CSnapDrags::Kind kind, const PointerEvent& event);
    // One pointer step of the placing drag under way.
    void SnapStep(const PointerEvent& event);
    bool MoveMode() const;
    // The typed amount (or, with the text emptied, the pointer's last place) applied.
    void ApplyTyped();
    // The typed amount as a whole, checked against the world range and applied, or refused.
    void ApplyTypedAmount();
    // A typed amount refused: the entities and the gizmo go back to where the pointer had put
    // them, and the status line says why.
    void RefuseTyped(const std::string& why);
    // Whether an Alt press at `event` would grab a part of the move gizmo (and so copy first).
    bool PressCopies(const PointerEvent& event);
    // Opens the undo group of an Alt drag and copies the selection into it; false (the group
    // closed again, nothing changed) when nothing could be copied.
    bool BeginCopies();
    // Closes the group of an Alt drag: kept as one step, or undone with its copies.
    void EndCopies(bool keep);

    Interface* m_host;
    CMapSelectMgr& m_gizmo;
    const CEditController& m_edits;
    CSelectionController& m_selection;
    // The drag under way, from an accepted press to its end; null between drags.
    std::unique_ptr<CDragSession> m_session;
    // A drag ended by Return or taken back: the left release still to come belongs to it
    // (until it comes or a new press begins).
    bool m_releaseOwed = false;
    // The drag under way moves copies made at its press, inside an open undo group.
    bool m_copyGroup = false;
    CSnapDrags m_snaps;
};

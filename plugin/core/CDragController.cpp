#include "CDragController.h"

#include "CMapSelectMgr.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "StatusText.h"

namespace {

CSceneManager* SceneOf(Interface* host) {
    IEngineAccess* engine = host ? host->engineAccess() : nullptr;
    return engine ? engine->sceneManager() : nullptr;
}

} // namespace

int CDragController::Press(const PointerEvent& event) {
    // A new press: a release still owed to a taken-back drag is not coming any more.
    m_pressCancelled = false;
    m_lockedInDrag.clear();
    m_typed.Clear();
    m_pointerMarked = m_pointerChanged = m_typedRefused = false;
    // The axes and pivot hold from the press to the release.
    if (m_host)
        m_gizmo.SetOptions(m_host->gizmoOptions());
    if (m_gizmo.OnPress(event.view, event.viewNumber, event.keys.flags, event.x, event.y) != 1) {
        // A press on the gizmo of an entity that may not be transformed grabs nothing: say why.
        SceneEntity* entity = m_gizmo.GetEntity();
        if (entity && !entity->EnabledTrnaform() && !event.keys.right() &&
            m_gizmo.PartAt(event.view, event.viewNumber, event.x, event.y, true) != GizmoPart::None)
            StatusText::Show(m_host, StatusText::Locked(entity->GetName()));
        return 0;
    }
    // Entities that may not be transformed are neither recorded nor changed by the drag; the
    // release names one of them.
    m_lockedInDrag = StatusText::FirstLockedSelected(SceneOf(m_host));
    m_lastPointer = event;
    m_drag.BeginDrag(m_gizmo.GetMode(), m_gizmo.GetOptions().pivot == PIVOT_MEDIAN);
    // Nothing has changed yet: the status line starts the drag from zero.
    GizmoDragResult none;
    none.kind = m_gizmo.GetMode();
    m_applied = none;
    ShowDragStep(none, event.keys.ctrl());
    return 1;
}

int CDragController::Move(const PointerEvent& event) {
    // Without a button and without a held part the pointer only passes over the view.
    if (m_gizmo.GetDragPart() == GizmoPart::None && !event.keys.left() && !event.keys.right()) {
        m_gizmo.OnPointerHover(event.view, event.viewNumber, event.x, event.y);
        return 1;
    }
    if (m_gizmo.GetDragPart() != GizmoPart::None) {
        m_lastPointer = event;
        // A typed amount stands: the pointer is only remembered, for when the text is emptied.
        if (m_typed.IsActive())
            return 1;
    }
    FollowPointer(event);
    return 1;
}

void CDragController::FollowPointer(const PointerEvent& event) {
    GizmoDragResult drag;
    // The steps are the editor's setting, read when a step snaps (Ctrl held).
    if (event.keys.ctrl() && m_host)
        m_gizmo.SetSnapSteps(m_host->snapSteps());
    if (m_gizmo.OnDrag(event.view, event.viewNumber, event.keys.flags, event.x, event.y, &drag) ==
        1) {
        ApplyStep(drag, event.keys.ctrl());
        m_pointerChanged = true;
    }
}

void CDragController::ApplyStep(const GizmoDragResult& drag, bool snapped) {
    if (drag.kind == DRAG_KIND_AXIS_TURN) {
        m_drag.ApplyTurn(drag.axis, drag.angle);
    } else if (drag.kind == MODE_SCALE) {
        // The centre box scales alike on every axis: no axis to spread the positions along.
        const GizmoDragState& state = m_gizmo.GetDragState();
        const Ogre::Vector3 axis =
            state.part == GizmoPart::ScaleAll ? Ogre::Vector3::ZERO : state.axisDirection;
        m_drag.ApplyScale(drag.value, m_gizmo.GetScaleTotal(), axis);
    } else { // the other kinds are numbered as the modes the drag transforms take
        m_drag.ApplyDrag(drag.kind, drag.value, m_groundFollow);
    }
    m_applied = drag;
    ShowDragStep(drag, snapped);
}

int CDragController::TypeKey(int code) {
    if (m_gizmo.GetDragPart() == GizmoPart::None || !m_gizmo.TakesTypedAmount())
        return 0;
    if (code == INPUT_KEY_RETURN) {
        FinishWithReturn();
        return 1;
    }
    if (code == INPUT_KEY_BACKSPACE) {
        if (!m_typed.Backspace())
            return 0;
        ApplyTyped();
        return 1;
    }
    if (!CTypedAmount::IsAmountKey(code))
        return 0;
    // A key that changes nothing (a second point) is still the drag's.
    if (m_typed.Type(code))
        ApplyTyped();
    return 1;
}

void CDragController::ApplyTyped() {
    if (!m_typed.IsActive()) {
        // The text emptied: the pointer drives again, from where it is now.
        m_pointerMarked = m_typedRefused = false;
        FollowPointer(m_lastPointer);
    } else {
        if (!m_pointerMarked) {
            m_drag.MarkPlace();
            m_pointerStep = m_gizmo.GetStep();
            m_pointerResult = m_applied;
            m_pointerMarked = true;
        }
        ApplyTypedAmount();
        return;
    }
    // Nothing new was applied: the status line still shows the text as it now stands.
    GizmoDragResult shown;
    shown.kind = m_gizmo.GetMode();
    shown.value = m_gizmo.GetDragResult();
    ShowDragStep(shown, false);
}

void CDragController::ApplyTypedAmount() {
    // Nothing but a sign or a point yet: no change since the press.
    const bool scale = m_gizmo.GetMode() == MODE_SCALE;
    const float amount = m_typed.Value(scale ? 1.0f : 0.0f);
    if (scale && amount < 0.0f) {
        RefuseTyped(StatusText::kNegativeScale);
        return;
    }
    const GizmoDragStep before = m_gizmo.GetStep();
    GizmoDragResult drag;
    const int answer = m_gizmo.OnTyped(m_lastPointer.viewNumber, amount, &drag);
    if (answer == 1) {
        // The whole amount or nothing of it: a prefix that fitted is not left standing.
        const std::string outside = m_drag.FirstOutOfRange(ChangeTo(drag, before));
        if (!outside.empty()) {
            RefuseTyped(StatusText::OutOfRange(outside));
            return;
        }
        m_typedRefused = false;
        ApplyStep(drag, false);
        return;
    }
    // The same amount as where things stand (the pointer's, after a refusal): it stands.
    m_typedRefused = false;
    GizmoDragResult shown;
    shown.kind = m_gizmo.GetMode();
    shown.value = m_gizmo.GetDragResult();
    ShowDragStep(shown, false);
}

void CDragController::RefuseTyped(const std::string& why) {
    m_gizmo.RestoreStep(m_pointerStep);
    m_drag.BackToMark();
    m_applied = m_pointerResult;
    m_typedRefused = true;
    StatusText::Show(m_host, StatusText::TypedRefused(m_typed.Text(), why));
}

namespace {

// The world turn since the press that a drag result applies.
Ogre::Quaternion TurnOf(const GizmoDragResult& result) {
    if (result.kind == DRAG_KIND_AXIS_TURN && result.axis.squaredLength() > 0.0f)
        return Ogre::Quaternion(Ogre::Radian(result.angle), result.axis.normalisedCopy());
    if (result.kind == DRAG_KIND_TURN)
        return PivotRules::TurnOfPitchYawRoll(result.value);
    return Ogre::Quaternion::IDENTITY;
}

} // namespace

DragChange CDragController::ChangeTo(const GizmoDragResult& drag,
                                     const GizmoDragStep& before) const {
    DragChange change;
    if (drag.kind == DRAG_KIND_MOVE) {
        change.kind = DragChange::Move;
        change.move = drag.value;
        if (m_applied.kind == DRAG_KIND_MOVE)
            change.move -= m_applied.value;
    } else if (drag.kind == DRAG_KIND_TURN || drag.kind == DRAG_KIND_AXIS_TURN) {
        change.kind = DragChange::Turn;
        change.turn = TurnOf(drag) * TurnOf(m_applied).Inverse();
    } else if (drag.kind == DRAG_KIND_SCALE) {
        // The factors are the ratio to the total last applied; so is the spread.
        change.kind = DragChange::Scale;
        change.factors = drag.value;
        change.spread = m_gizmo.GetScaleTotal() / before.previousScale;
        const GizmoDragState& state = m_gizmo.GetDragState();
        change.spreadAxis =
            state.part == GizmoPart::ScaleAll ? Ogre::Vector3::ZERO : state.axisDirection;
    }
    return change;
}

void CDragController::EndStep() {
    if (m_typedRefused && !m_pointerChanged)
        m_drag.Cancel();
    else
        m_drag.Push();
    m_pointerMarked = m_typedRefused = m_pointerChanged = false;
}

void CDragController::FinishWithReturn() {
    const PointerEvent& at = m_lastPointer;
    if (m_gizmo.OnRelease(at.view, at.viewNumber, at.keys.flags, at.x, at.y) != 1)
        return;
    EndStep();
    m_typed.Clear();
    if (!m_lockedInDrag.empty())
        StatusText::Show(m_host, StatusText::Locked(m_lockedInDrag));
    m_lockedInDrag.clear();
    // The button is still down: its release ends nothing more.
    m_pressCancelled = true;
}

void CDragController::ShowDragStep(const GizmoDragResult& drag, bool snapped) {
    std::string text;
    if (drag.kind == MODE_MOVE) {
        text = StatusText::Move(drag.value, snapped);
    } else if (drag.kind == MODE_ROTATE || drag.kind == DRAG_KIND_AXIS_TURN) {
        Ogre::Vector3 axis;
        float angle = 0.0f;
        m_gizmo.GetRotation(axis, angle);
        text = StatusText::Rotate(angle, snapped);
    } else if (drag.kind == MODE_SCALE) {
        text = StatusText::Scale(m_gizmo.GetScaleTotal(), snapped);
    }
    if (!text.empty() && m_typed.IsActive())
        text += StatusText::Typed(m_typed.Text());
    if (!text.empty())
        StatusText::Show(m_host, text);
}

CDragController::Release CDragController::OnRelease(const PointerEvent& event) {
    if (m_pressCancelled) {
        m_pressCancelled = false;
        return Release::AfterCancel;
    }
    if (m_gizmo.OnRelease(event.view, event.viewNumber, event.keys.flags, event.x, event.y) != 1)
        return Release::NotADrag;
    EndStep();
    m_typed.Clear();
    if (!m_lockedInDrag.empty())
        StatusText::Show(m_host, StatusText::Locked(m_lockedInDrag));
    m_lockedInDrag.clear();
    return Release::Pushed;
}

int CDragController::Cancel() {
    if (m_gizmo.CancelDrag() != 1)
        return 0;
    // Every entity the press recorded gets its value back exactly; no undo step remains.
    m_drag.Cancel();
    m_typed.Clear();
    m_pointerMarked = m_typedRefused = m_pointerChanged = false;
    m_pressCancelled = true;
    m_lockedInDrag.clear();
    StatusText::Show(m_host, StatusText::kCancelled);
    return 1;
}

int CDragController::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    CTransformCommit commit(m_host);
    commit.Begin(kind, axis);
    // A refused value changes nothing and records nothing: the commit drops its step.
    if (!commit.SetValues(value))
        return 0;
    // One step even for an empty selection; done also without an undo manager to record it.
    commit.Push();
    StatusText::ShowLockedSelected(m_host, SceneOf(m_host));
    return 1;
}

int CDragController::SnapToGround() {
    CTransformCommit commit(m_host);
    if (!commit.CanRecord())
        return 0;
    commit.Begin(KIND_POSITION);
    commit.DropToGround();
    const int pushed = commit.Push();
    StatusText::ShowLockedSelected(m_host, SceneOf(m_host));
    return pushed;
}

float CDragController::GroundHeight(Ogre::Vector3 point) {
    return TransformSteps::GroundHeight(TransformSteps::GroundScene(m_host), point);
}

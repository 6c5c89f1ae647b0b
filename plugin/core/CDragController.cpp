#include "CDragController.h"

#include "CMapSelectMgr.h"
#include "Interface.h"

int CDragController::Press(const PointerEvent& event) {
    // A new press: a release still owed to a taken-back drag is not coming any more.
    m_pressCancelled = false;
    if (m_gizmo.OnPress(event.view, event.viewNumber, event.keys.flags, event.x, event.y) != 1)
        return 0;
    // Entities that may not be transformed are neither recorded nor changed by the drag.
    m_drag.BeginDrag(m_gizmo.GetMode());
    return 1;
}

int CDragController::Move(const PointerEvent& event) {
    GizmoDragResult drag;
    // The steps are the editor's setting, read when a step snaps (Ctrl held).
    if (event.keys.ctrl() && m_host)
        m_gizmo.SetSnapSteps(m_host->snapSteps());
    if (m_gizmo.OnDrag(event.view, event.viewNumber, event.keys.flags, event.x, event.y, &drag) !=
        1)
        return 1;
    if (drag.kind == DRAG_KIND_AXIS_TURN) {
        m_drag.ApplyTurn(drag.axis, drag.angle);
        return 1;
    }
    // The other kinds are numbered as the modes the drag transforms take.
    m_drag.ApplyDrag(drag.kind, drag.value, m_groundFollow);
    return 1;
}

CDragController::Release CDragController::OnRelease(const PointerEvent& event) {
    if (m_pressCancelled) {
        m_pressCancelled = false;
        return Release::AfterCancel;
    }
    if (m_gizmo.OnRelease(event.view, event.viewNumber, event.keys.flags, event.x, event.y) != 1)
        return Release::NotADrag;
    m_drag.Push();
    return Release::Pushed;
}

int CDragController::Cancel() {
    if (m_gizmo.CancelDrag() != 1)
        return 0;
    // Every entity the press recorded gets its value back exactly; no undo step remains.
    m_drag.Cancel();
    m_pressCancelled = true;
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
    return 1;
}

int CDragController::SnapToGround() {
    CTransformCommit commit(m_host);
    if (!commit.CanRecord())
        return 0;
    commit.Begin(KIND_POSITION);
    commit.DropToGround();
    return commit.Push();
}

float CDragController::GroundHeight(Ogre::Vector3 point) {
    return TransformSteps::GroundHeight(TransformSteps::GroundScene(m_host), point);
}

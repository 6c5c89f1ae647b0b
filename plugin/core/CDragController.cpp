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
    m_drag.BeginDrag(m_gizmo.GetMode());
    // Nothing has changed yet: the status line starts the drag from zero.
    GizmoDragResult none;
    none.kind = m_gizmo.GetMode();
    ShowDragStep(none, event.keys.ctrl());
    return 1;
}

int CDragController::Move(const PointerEvent& event) {
    // Without a button and without a held part the pointer only passes over the view.
    if (m_gizmo.GetDragPart() == GizmoPart::None && !event.keys.left() && !event.keys.right()) {
        m_gizmo.OnPointerHover(event.view, event.viewNumber, event.x, event.y);
        return 1;
    }
    GizmoDragResult drag;
    // The steps are the editor's setting, read when a step snaps (Ctrl held).
    if (event.keys.ctrl() && m_host)
        m_gizmo.SetSnapSteps(m_host->snapSteps());
    if (m_gizmo.OnDrag(event.view, event.viewNumber, event.keys.flags, event.x, event.y, &drag) !=
        1)
        return 1;
    if (drag.kind == DRAG_KIND_AXIS_TURN)
        m_drag.ApplyTurn(drag.axis, drag.angle);
    else // the other kinds are numbered as the modes the drag transforms take
        m_drag.ApplyDrag(drag.kind, drag.value, m_groundFollow);
    ShowDragStep(drag, event.keys.ctrl());
    return 1;
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
    m_drag.Push();
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

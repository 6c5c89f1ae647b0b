// Drag handling: a press on the gizmo begins the drag's transform commit over the selection,
// each pointer move applies the gizmo's value to every selected entity at once, and the release
// pushes the whole drag as one undo step (Escape or the right button cancels it back). Also
// ApplyTransform and SnapToGround, the one-step changes of the side panel, through commits of
// their own.
#include "CTranslate.h"

#include "CSceneManager.h"
#include "Interface.h"

int CTranslate::OnPointerDown(IView* view, int viewNumber, int keyFlags, int x, int y) {
    if (!m_toolEngaged)
        return 0;
    // A new press: a release still owed to a taken-back drag is not coming any more.
    m_pressCancelled = false;
    if (m_gizmo.OnPress(view, viewNumber, keyFlags, x, y) != 1)
        return 0;
    // A press while a drag's step is open replaces it; the old one never reaches the undo
    // stack. Entities that may not be transformed are neither recorded nor changed by the drag.
    m_drag.BeginDrag(m_gizmo.GetMode());
    return 1;
}

int CTranslate::OnPointerMove(IView* view, int viewNumber, int keyFlags, int x, int y) {
    if (!m_toolEngaged)
        return 0;
    GizmoDragResult drag;
    // The steps are the editor's setting, read when a step snaps (Ctrl held).
    if ((keyFlags & KEY_CTRL) && m_host)
        m_gizmo.SetSnapSteps(m_host->snapSteps());
    if (m_gizmo.OnDrag(view, viewNumber, keyFlags, x, y, &drag) != 1)
        return 1;
    if (drag.kind == DRAG_KIND_AXIS_TURN) {
        m_drag.ApplyTurn(drag.axis, drag.angle);
        return 1;
    }
    // The other kinds are numbered as the modes the drag transforms take.
    m_drag.ApplyDrag(drag.kind, drag.value, m_groundFollow);
    return 1;
}

int CTranslate::OnPointerUp(IView* view, int viewNumber, int keyFlags, int x, int y) {
    // Without the left button this is no release of ours: the pending step stays as it is.
    if (!(keyFlags & KEY_LBUTTON))
        return 0;
    if (!m_toolEngaged)
        return 0;
    // The release of a drag taken back: it ends nothing and selects nothing.
    if (m_pressCancelled) {
        m_pressCancelled = false;
        return 1;
    }
    const char* mode = "exclude";
    if (keyFlags & KEY_CTRL)
        mode = "add";
    else if (keyFlags & KEY_SHIFT)
        mode = "sub";

    if (m_gizmo.OnRelease(view, viewNumber, keyFlags, x, y) == 1) {
        m_drag.Push();
        return 1;
    }
    return ClickSelect(mode, view, x, y);
}

int CTranslate::CancelDrag() {
    if (m_gizmo.CancelDrag() != 1)
        return 0;
    // Every entity the press recorded gets its value back exactly; no undo step remains.
    m_drag.Cancel();
    m_pressCancelled = true;
    return 1;
}

int CTranslate::OnPointerOther(int, int button, int, int, int, int) {
    if (!m_toolEngaged || !(button & KEY_RBUTTON))
        return 0;
    return CancelDrag();
}

int CTranslate::OnInputOther(int code, int) {
    if (!m_toolEngaged || code != INPUT_KEY_ESCAPE)
        return 0;
    return CancelDrag();
}

float CTranslate::GroundHeight(Ogre::Vector3 point) {
    return TransformSteps::GroundHeight(TransformSteps::GroundScene(m_host), point);
}

int CTranslate::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    CTransformCommit commit(m_host);
    commit.Begin(kind, axis);
    // A refused value changes nothing and records nothing: the commit drops its step.
    if (!commit.SetValues(value))
        return 0;
    // One step even for an empty selection; done also without an undo manager to record it.
    commit.Push();
    return 1;
}

int CTranslate::SnapToGround() {
    CTransformCommit commit(m_host);
    if (!commit.CanRecord())
        return 0;
    commit.Begin(KIND_POSITION);
    commit.DropToGround();
    return commit.Push();
}

// Drag handling: a press on the gizmo starts an undoable transform of the selection, each
// pointer move applies the gizmo's value to every selected entity at once, and the release hands
// the whole drag to the undo manager as one step. Also ApplyTransform, the one-step change used
// by the side panel and the transform bar.
#include "CTranslate.h"

#include "CTransformCommand.h"
#include "CGameEngine.h"
#include "CSceneManager.h"
#include "Interface.h"
#include "SceneEntity.h"

namespace {

IToolManager* Notifier(Interface* host) {
    return host ? host->toolManager() : nullptr;
}

// The scene that answers ground queries: the engine's.
CSceneManager* GroundScene(Interface* host) {
    IEngineAccess* access = host ? host->engineAccess() : nullptr;
    CGameEngine* engine = access ? access->gameEngine() : nullptr;
    return engine ? engine->GetSceneManager() : nullptr;
}

} // namespace

int CTranslate::OnPointerDown(IView* view, int viewNumber, int keyFlags, int x, int y) {
    if (!m_toolEngaged)
        return 0;
    // A new press: a release still owed to a taken-back drag is not coming any more.
    m_pressCancelled = false;
    if (m_gizmo.OnPress(view, viewNumber, keyFlags, x, y) != 1)
        return 0;
    const int mode = m_gizmo.GetMode();
    // A press while a step is pending replaces it; the old one never reaches the undo stack.
    // Entities that may not be transformed are neither recorded nor changed by the drag.
    auto command = std::make_unique<CTransformCommand>();
    command->Capture(TransformSteps::TransformableSelection(m_sceneManager), mode, AXIS_ALL);
    TransformSteps::PrepareDrag(m_sceneManager, mode);
    m_pending = std::move(command);
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
        TransformSteps::ApplyAxisRotation(m_sceneManager, Notifier(m_host), drag.axis, drag.angle);
        return 1;
    }
    // The other kinds are numbered as the modes the drag transforms take.
    TransformSteps::ApplyDragResult(m_sceneManager, GroundScene(m_host), Notifier(m_host),
                                    drag.kind, drag.value, m_groundFollow);
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
        // The undo manager owns the step from here on.
        CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
        if (m_pending && undo)
            undo->addUndo(m_pending.release());
        m_pending.reset();
        return 1;
    }
    return ClickSelect(mode, view, x, y);
}

int CTranslate::CancelDrag() {
    if (m_gizmo.CancelDrag() != 1)
        return 0;
    // The pending step holds every entity's value from the press: swapping it back restores
    // each exactly and notifies; the step itself is then dropped, so no undo step remains.
    if (m_pending)
        m_pending->undo();
    m_pending.reset();
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
    return TransformSteps::GroundHeight(GroundScene(m_host), point);
}

int CTranslate::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
    return TransformSteps::ApplyTransform(m_sceneManager, Notifier(m_host), undo, value, axis,
                                          kind);
}

int CTranslate::SnapToGround() {
    CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
    return TransformSteps::SnapToGround(m_sceneManager, GroundScene(m_host), Notifier(m_host),
                                        undo);
}

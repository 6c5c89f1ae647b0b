// The drag's press, pointer steps, typed keys and its one end, between the gizmo (which turns
// the pointer into results) and the drag session (which applies them to the entities).
#include "CDragController.h"

#include "CEditController.h"
#include "CMapSelectMgr.h"
#include "CSelectionController.h"
#include "CTransformCommit.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "StatusText.h"

CDragController::CDragController(Interface* host, CMapSelectMgr& gizmo,
                                 const CEditController& edits, CSelectionController& selection)
    : m_host(host), m_gizmo(gizmo), m_edits(edits), m_selection(selection), m_snaps(host) {}

// A drag still open goes with its session: its step never reaches the undo stack. The copies
// of an Alt drag stay, with their copy step, as the host's open group keeps them.
CDragController::~CDragController() = default;

bool CDragController::PressCopies(const PointerEvent& event) {
    return event.keys.alt() && !event.keys.right() && m_gizmo.GetMode() == MODE_MOVE &&
           m_gizmo.PartAt(event.view, event.viewNumber, event.x, event.y, false) != GizmoPart::None;
}

bool CDragController::BeginCopies() {
    CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
    if (!undo)
        return false;
    undo->beginGroup();
    m_copyGroup = true;
    if (m_selection.CopySelection())
        return true;
    EndCopies(true); // nothing pushed: the group leaves the stacks as they were
    return false;
}

void CDragController::EndCopies(bool keep) {
    if (!m_copyGroup)
        return;
    m_copyGroup = false;
    if (CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr)
        undo->endGroup(keep);
}

void CDragController::AdoptPendingStep(IBaseCommand* step) {
    m_session = std::make_unique<CDragSession>(m_host, step);
}

int CDragController::Press(const PointerEvent& event) {
    // A new press: a release still owed to a drag ended early is not coming any more, and a
    // placing drag still open goes with its session.
    m_releaseOwed = false;
    if (m_snaps.Active() != CSnapDrags::Kind::None)
        m_snaps.End();
    // The axes and pivot hold from the press to the release.
    if (m_host)
        m_gizmo.SetOptions(m_host->gizmoOptions());
    // An Alt drag still open (its release never came) goes whole, copies and all.
    if (m_copyGroup) {
        m_session.reset();
        EndCopies(false);
    }
    // V held, or Ctrl and Shift on the gizmo's centre, come before the gizmo's parts.
    const CSnapDrags::Kind snap = m_snaps.PressKind(event, MoveMode(), m_gizmo.GetEntity());
    if (snap != CSnapDrags::Kind::None)
        return PressSnap(snap, event);
    // The copies are made before the press, so that the gizmo grabs them, where the originals
    // are: the drag then captures and moves only the copies.
    if (PressCopies(event) && !BeginCopies()) {
        StatusText::Show(m_host, StatusText::kNothingCopied);
        return 0;
    }
    GizmoDragResult start;
    if (m_gizmo.OnPress(event.view, event.viewNumber, event.keys.flags, event.x, event.y, &start) !=
        1) {
        EndCopies(false);
        // A press on the gizmo of an entity that may not be transformed grabs nothing: say why.
        SceneEntity* entity = m_gizmo.GetEntity();
        if (entity && !entity->EnabledTrnaform() && !event.keys.right() &&
            m_gizmo.PartAt(event.view, event.viewNumber, event.x, event.y, true) != GizmoPart::None)
            StatusText::Show(m_host, StatusText::Locked(entity->GetName()));
        return 0;
    }
    // Entities that may not be transformed are neither recorded nor changed by the drag; its
    // end names one of them. The old drag's step is dropped before the new one captures.
    std::string locked = StatusText::FirstLockedSelected(TransformSteps::HostScene(m_host));
    m_session.reset();
    m_session = std::make_unique<CDragSession>(m_host, start, event, std::move(locked));
    // Nothing has changed yet: the status line starts the drag from zero.
    ShowDragStep(start, event.keys.ctrl());
    return 1;
}

bool CDragController::MoveMode() const {
    return m_gizmo.GetMode() == MODE_MOVE;
}

int CDragController::VertexKey(bool held) {
    return m_snaps.VertexKey(held, MoveMode());
}

int CDragController::PressSnap(CSnapDrags::Kind kind, const PointerEvent& event) {
    CSceneManager* scene = TransformSteps::HostScene(m_host);
    std::string locked = StatusText::FirstLockedSelected(scene);
    // Nothing the drag could move: it does not begin, and the status line says why.
    if (TransformSteps::TransformableSelection(scene).empty()) {
        if (!locked.empty())
            StatusText::Show(m_host, StatusText::Locked(locked));
        return 0;
    }
    m_session.reset();
    GizmoDragResult start;
    start.kind = DRAG_KIND_MOVE;
    if (kind == CSnapDrags::Kind::Surface) {
        CDragSession::Surface surface;
        surface.turn = m_host && m_host->gizmoOptions().alignNormal != 0;
        m_session = std::make_unique<CDragSession>(m_host, event, surface, std::move(locked));
    } else {
        m_session = std::make_unique<CDragSession>(m_host, start, event, std::move(locked));
    }
    m_snaps.Begin(kind, event);
    ShowDragStep(start, false);
    return 1;
}

void CDragController::SnapStep(const PointerEvent& event) {
    m_session->SetLastPointer(event);
    GizmoDragResult drag;
    drag.kind = DRAG_KIND_MOVE;
    if (m_snaps.Active() == CSnapDrags::Kind::Vertex) {
        if (m_snaps.VertexStep(event, drag.value))
            ApplyStep(drag, false, true);
        return;
    }
    Ogre::Vector3 hit, normal;
    SceneEntity* current = m_gizmo.GetEntity();
    const Ogre::Vector3 before = current ? current->GetWorldPosition() : Ogre::Vector3::ZERO;
    if (!m_snaps.SurfaceStep(event, hit, normal))
        return;
    m_session->PlaceOnSurface(hit, normal);
    // The status line shows how far the current entity went in this step.
    drag.value = current ? current->GetWorldPosition() - before : Ogre::Vector3::ZERO;
    ShowDragStep(drag, false);
}

int CDragController::Move(const PointerEvent& event) {
    if (m_snaps.Active() != CSnapDrags::Kind::None && m_session) {
        SnapStep(event);
        return 1;
    }
    // Without a button and without a held part the pointer only passes over the view.
    if (m_gizmo.GetDragPart() == GizmoPart::None && !event.keys.left() && !event.keys.right()) {
        m_snaps.Hover(event, MoveMode());
        m_gizmo.OnPointerHover(event.view, event.viewNumber, event.x, event.y);
        return 1;
    }
    if (m_gizmo.GetDragPart() != GizmoPart::None && m_session) {
        m_session->SetLastPointer(event);
        // A typed amount stands: the pointer is only remembered, for when the text is emptied.
        if (m_session->Typed().IsActive())
            return 1;
    }
    GizmoDragResult drag;
    FollowPointer(event, drag);
    return 1;
}

int CDragController::FollowPointer(const PointerEvent& event, GizmoDragResult& drag) {
    // The steps are the editor's setting, read when a step snaps (Ctrl held).
    if (event.keys.ctrl() && m_host)
        m_gizmo.SetSnapSteps(m_host->snapSteps());
    const int answer =
        m_gizmo.OnDrag(event.view, event.viewNumber, event.keys.flags, event.x, event.y, &drag);
    if (answer == 1 && m_session)
        ApplyStep(drag, event.keys.ctrl(), true);
    return answer;
}

void CDragController::ApplyStep(const GizmoDragResult& drag, bool snapped, bool byPointer) {
    m_session->Apply(drag, m_edits.GetGroundFollow(), byPointer);
    ShowDragStep(drag, snapped);
}

int CDragController::TypeKey(int code) {
    if (!m_session || m_gizmo.GetDragPart() == GizmoPart::None || !m_gizmo.TakesTypedAmount())
        return 0;
    if (code == INPUT_KEY_RETURN) {
        const PointerEvent at = m_session->LastPointer();
        EndDrag(EndBy::Return, at);
        return 1;
    }
    CTypedAmount& typed = m_session->Typed();
    if (code == INPUT_KEY_BACKSPACE) {
        if (!typed.Backspace())
            return 0;
        ApplyTyped();
        return 1;
    }
    if (!CTypedAmount::IsAmountKey(code))
        return 0;
    // A key that changes nothing (a second point) is still the drag's.
    if (typed.Type(code))
        ApplyTyped();
    return 1;
}

void CDragController::ApplyTyped() {
    CDragSession& session = *m_session;
    if (session.Typed().IsActive()) {
        if (!session.IsPointerMarked())
            session.MarkPointerPlace(m_gizmo.GetStep());
        ApplyTypedAmount();
        return;
    }
    // The text emptied: the pointer drives again, from where it is now, and the status line
    // shows the drag as it then stands, without the text.
    session.PointerDrives();
    GizmoDragResult drag;
    FollowPointer(session.LastPointer(), drag);
    ShowDragStep(drag, false);
}

void CDragController::ApplyTypedAmount() {
    CDragSession& session = *m_session;
    // Nothing but a sign or a point yet: no change since the press.
    const bool scale = session.Applied().kind == DRAG_KIND_SCALE;
    const float amount = session.Typed().Value(scale ? 1.0f : 0.0f);
    if (scale && amount < 0.0f) {
        RefuseTyped(StatusText::kNegativeScale);
        return;
    }
    GizmoDragResult drag;
    const int answer = m_gizmo.OnTyped(session.LastPointer().viewNumber, amount, &drag);
    if (answer == 1) {
        // The whole amount or nothing of it: a prefix that fitted is not left standing.
        const std::string outside = session.FirstOutOfRange(drag);
        if (!outside.empty()) {
            RefuseTyped(StatusText::OutOfRange(outside));
            return;
        }
        session.TypedStands();
        ApplyStep(drag, false, false);
        return;
    }
    // The same amount as where things stand (the pointer's, after a refusal): it stands.
    session.TypedStands();
    ShowDragStep(drag, false);
}

void CDragController::RefuseTyped(const std::string& why) {
    m_gizmo.RestoreStep(m_session->PointerStep());
    m_session->BackToPointer();
    StatusText::Show(m_host, StatusText::TypedRefused(m_session->Typed().Text(), why));
}

bool CDragController::EndDrag(EndBy how, const PointerEvent& at) {
    int ended = 0;
    if (m_snaps.Active() != CSnapDrags::Kind::None) {
        // A placing drag holds no gizmo part.
        m_snaps.End();
        ended = 1;
    } else {
        ended = how == EndBy::Cancel
                    ? m_gizmo.CancelDrag()
                    : m_gizmo.OnRelease(at.view, at.viewNumber, at.keys.flags, at.x, at.y);
    }
    if (ended != 1)
        return false;
    const std::unique_ptr<CDragSession> session = std::move(m_session);
    if (how == EndBy::Cancel) {
        if (session)
            session->TakeBack();
        EndCopies(false);
        StatusText::Show(m_host, StatusText::kCancelled);
    } else if (session) {
        session->Record();
        EndCopies(true);
        if (!session->LockedName().empty())
            StatusText::Show(m_host, StatusText::Locked(session->LockedName()));
    }
    // Return leaves the button down, and a take-back may come before the release.
    m_releaseOwed = how != EndBy::Release;
    return true;
}

void CDragController::ShowDragStep(const GizmoDragResult& drag, bool snapped) {
    std::string text;
    if (drag.kind == DRAG_KIND_MOVE)
        text = StatusText::Move(drag.value, snapped);
    else if (drag.kind == DRAG_KIND_TURN || drag.kind == DRAG_KIND_AXIS_TURN)
        text = StatusText::Rotate(drag.angle, snapped);
    else if (drag.kind == DRAG_KIND_SCALE)
        text = StatusText::Scale(drag.scaleTotal, snapped);
    if (!text.empty() && m_session && m_session->Typed().IsActive())
        text += StatusText::Typed(m_session->Typed().Text());
    if (!text.empty())
        StatusText::Show(m_host, text);
}

CDragController::Release CDragController::OnRelease(const PointerEvent& event) {
    if (m_releaseOwed) {
        m_releaseOwed = false;
        return Release::AfterCancel;
    }
    return EndDrag(EndBy::Release, event) ? Release::Pushed : Release::NotADrag;
}

int CDragController::Cancel() {
    return EndDrag(EndBy::Cancel, PointerEvent()) ? 1 : 0;
}

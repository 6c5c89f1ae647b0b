// The state of one drag from its press to its end, and the changes it makes to the entities
// through its transform commit.
#include "CDragSession.h"

#include "CDragPivot.h"

#include <utility>

CDragSession::CDragSession(Interface* host, const GizmoDragResult& start, const PointerEvent& press,
                           std::string lockedName)
    : m_commit(host), m_lastPointer(press), m_applied(start), m_lockedName(std::move(lockedName)) {
    m_commit.BeginDrag(start.kind, start.pivot == PIVOT_MEDIAN);
}

CDragSession::CDragSession(Interface* host, const PointerEvent& press, Surface surface,
                           std::string lockedName)
    : m_commit(host), m_lastPointer(press), m_lockedName(std::move(lockedName)) {
    m_applied.kind = DRAG_KIND_MOVE;
    m_commit.BeginSurface(surface.turn);
}

void CDragSession::PlaceOnSurface(const Ogre::Vector3& hit, const Ogre::Vector3& normal) {
    if (m_commit.PlaceOnSurface(hit, normal) > 0)
        m_pointerChanged = true;
}

CDragSession::CDragSession(Interface* host, IBaseCommand* step) : m_commit(host) {
    m_commit.Adopt(step);
}

void CDragSession::Apply(const GizmoDragResult& drag, bool groundFollow, bool byPointer) {
    if (drag.kind == DRAG_KIND_AXIS_TURN)
        m_commit.ApplyTurn(drag.axis, drag.angle);
    else if (drag.kind == DRAG_KIND_SCALE)
        m_commit.ApplyScale(drag.value, drag.scaleTotal, drag.scaleAxis);
    else // the other kinds are numbered as the modes the drag transforms take
        m_commit.ApplyDrag(drag.kind, drag.value, groundFollow);
    m_applied = drag;
    if (byPointer)
        m_pointerChanged = true;
}

void CDragSession::MarkPointerPlace(const GizmoDragStep& gizmoStep) {
    m_commit.MarkPlace();
    m_pointerStep = gizmoStep;
    m_pointerResult = m_applied;
    m_pointerMarked = true;
}

void CDragSession::BackToPointer() {
    m_commit.BackToMark();
    m_applied = m_pointerResult;
    m_typedRefused = true;
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

DragChange CDragSession::ChangeTo(const GizmoDragResult& drag) const {
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
        change.spread = drag.scaleTotal / drag.previousScaleTotal;
        change.spreadAxis = drag.scaleAxis;
    }
    return change;
}

std::string CDragSession::FirstOutOfRange(const GizmoDragResult& drag) const {
    return m_commit.FirstOutOfRange(ChangeTo(drag));
}

void CDragSession::Record() {
    if (m_typedRefused && !m_pointerChanged)
        m_commit.Cancel();
    else
        m_commit.Push();
    m_typed.Clear();
}

void CDragSession::TakeBack() {
    // Every entity the press recorded gets its value back exactly; no undo step remains.
    m_commit.Cancel();
    m_typed.Clear();
}

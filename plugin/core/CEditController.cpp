// The side panel's changes, each through a transform commit of its own.
#include "CEditController.h"

#include "CTransformCommit.h"
#include "Interface.h"
#include "StatusText.h"

int CEditController::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    CTransformCommit commit(m_host);
    commit.Begin(kind, axis);
    // A refused value changes nothing and records nothing: the commit drops its step.
    if (!commit.SetValues(value))
        return 0;
    // One step even for an empty selection; done also without an undo manager to record it.
    commit.Push();
    StatusText::ShowLockedSelected(m_host, TransformSteps::HostScene(m_host));
    return 1;
}

int CEditController::SnapToGround() {
    CTransformCommit commit(m_host);
    if (!commit.CanRecord())
        return 0;
    commit.Begin(KIND_POSITION);
    commit.DropToGround();
    const int pushed = commit.Push();
    StatusText::ShowLockedSelected(m_host, TransformSteps::HostScene(m_host));
    return pushed;
}

float CEditController::GroundHeight(Ogre::Vector3 point) {
    return TransformSteps::GroundHeight(TransformSteps::GroundScene(m_host), point);
}

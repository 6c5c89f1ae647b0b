// One transform commit: an undoable change of the selected entities' transforms, from the
// capture of the values before it to the one undo step it leaves, or to the exact restore when
// it is taken back. Every path that transforms entities goes through it:
//
//   drag           BeginDrag(mode) at the press, ApplyDrag / ApplyTurn / ApplyScale per pointer
//                  move (about the common centre when the press fixed it),
//                  Push() at the release, Cancel() on Escape or the right button
//   side panel     Begin(kind, axis), SetValues(value), Push()
//   transform bar  Begin(kind) per group, SetWorldValues(value, mask), Push()
//   snap to ground Begin(KIND_POSITION), DropToGround(), Push()
//   surface drag   BeginSurface(turn) at the press, PlaceOnSurface per pointer move, then as
//                  a drag
//
// The host comes in through the constructor: it gives the scene (selection and entities), the
// ground queries, the notifier that hears 51, 52 or 53 per changed entity, and the undo
// manager; any of them may be missing.
//
// An entity that may not be transformed (EnabledTrnaform() is 0) is passed by everywhere, as
// if it were not selected: it keeps its transform, gets no notification and is not recorded in
// the step. A selection of such entities alone is treated as an empty one.
#pragma once

#include "CDragPivot.h"
#include "CSurfacePlacement.h"
#include "CTransformCommand.h"
#include "TransformChannel.h"
#include "WorldRangeCheck.h"

#include <OgreVector.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

class CSceneManager;
class CUndoRedoManager;
class IToolManager;
class Interface;

class CTransformCommit {
public:
    explicit CTransformCommit(Interface* host);
    // A step still open is dropped, not recorded; its entities stay as they are.
    ~CTransformCommit();

    CTransformCommit(const CTransformCommit&) = delete;
    CTransformCommit& operator=(const CTransformCommit&) = delete;

    // Opens a step that records the value of the kind's channel (ChannelOf) on `axis` of every
    // selected entity that may be transformed. A step already open is dropped first, never
    // recorded.
    void Begin(int kind, COORDINATE_AXIS axis = AXIS_ALL);
    // Begin for a drag in gizmo mode `mode` (kinds are numbered as the modes), then tells each
    // of those entities at what it stands (PreTransform with the channel's marker). With
    // `aboutCentre`, a turn or scale of two or more entities works about the mean of their
    // world positions, which then orbit or spread too: the step records the positions as well.
    void BeginDrag(int mode, bool aboutCentre = false);
    // A surface drag: Begin for the positions (and, with `turn`, the orientations in the same
    // step), each entity told at what it stands, and where each stands recorded for placing
    // (CSurfacePlacement).
    void BeginSurface(bool turn);
    // One surface drag step: every entity the press recorded rests on `hit`, turned so that
    // its up axis follows `normal` when the press asked for the turn. 0 without a surface drag
    // or with a hit or normal that is not finite; else the number of entities placed.
    int PlaceOnSurface(const Ogre::Vector3& hit, const Ogre::Vector3& normal);
    bool IsOpen() const { return m_step != nullptr; }
    // Whether a step can be recorded at all: a scene to read and an undo manager to take it.
    bool CanRecord() const;

    // One drag step with the gizmo's result (a move or turn since the press, scale factors
    // since the previous step), applied to the selection as it is now: MODE_MOVE moves
    // (keeping the height above the ground when groundFollow is set and the step is not
    // vertical), MODE_ROTATE rotates by (pitch, yaw, roll), MODE_SCALE scales; other modes
    // change nothing. A non-finite delta changes nothing. Returns the number of entities
    // changed.
    int ApplyDrag(int mode, const Ogre::Vector3& delta, bool groundFollow);
    // One drag step of a rotation part: every selected entity turns about `axis` by `angle`
    // since the press. A non-finite or zero axis, or a non-finite angle, changes nothing.
    int ApplyTurn(const Ogre::Vector3& axis, float angle);
    // One scale step: `factors` since the previous step as ApplyDrag takes them, and, for a
    // drag about the common centre, `total` since the press along the unit world `axis` (zero
    // for all three axes alike), which spreads the positions.
    int ApplyScale(const Ogre::Vector3& factors, float total, const Ogre::Vector3& axis);

    // The typed changes work on the entities the open step recorded. Each is refused (0,
    // nothing changed) without an open step of ours.
    //
    // Sets the step's axis (0..2 one component, 3 all) of its channel to `value`. A value that
    // is not finite in the components it would set, or an unknown axis, is refused.
    int SetValues(const Ogre::Vector3& value);
    // Sets the world value of the step's channel (orientation in radians) in the components
    // that `mask` names (bit 0 X, bit 1 Y, bit 2 Z), each entity keeping its own world value
    // in the others; parents go before their children. An empty mask, or a value that is not
    // finite in a named component, is refused. Open the step on AXIS_ALL: it then holds every
    // entity's whole local value, so one undo restores each exactly, whatever a parent made of
    // the world value.
    int SetWorldValues(const Ogre::Vector3& value, unsigned mask);
    // Puts every recorded entity's world position down (or up) on the ground under it.
    int DropToGround();

    // Where a drag's entities stand, to go back to it: MarkPlace records every selected entity's
    // local position, orientation and scale that may be transformed; BackToMark sets them again
    // exactly, each entity notified as moved, rotated and scaled (false without a mark). Begin,
    // Push and Cancel forget the mark.
    void MarkPlace();
    bool BackToMark();
    // The first selected entity that `change` would take, or whose descendant it would take,
    // out of the world range (see WorldRangeCheck); empty when it keeps every entity within.
    // A turn or scale of a drag about the common centre is checked about that centre.
    std::string FirstOutOfRange(DragChange change) const;

    // Hands the open step to the undo manager as one undo step (without one, drops it);
    // 1 when it was recorded.
    int Push();
    // Takes the open step back: every recorded entity gets its value from the capture back
    // exactly and is notified; nothing is recorded. 1 when a step was open.
    int Cancel();

    // Makes `step` the open one, as if a Begin had made it (the tear-down tests); the typed
    // changes refuse to work on it. Inline: tests that load the module reach it through the
    // plug-in's header alone.
    void Adopt(IBaseCommand* step) {
        if (step == m_step.get())
            return;
        m_step.reset(step);
        m_captured = nullptr;
    }

private:
    // About the common centre: every selected entity that may be transformed, parents before
    // children, changed by `change`, then put at `place(its world position at the press)`;
    // notified with `code`, and as moved.
    template <typename Change, typename Place>
    int ApplyAboutCentre(int code, Change change, Place place);

    CSceneManager* Scene() const;
    IToolManager* Notifier() const;
    CUndoRedoManager* Undo() const;
    // The open step when it is one of ours, else null.
    const CTransformCommand* Captured() const;

    // One entity's local values, as MarkPlace records them.
    struct MarkedPlace {
        std::string name;
        Ogre::Vector3 position, orientation, scale;
    };

    Interface* m_host = nullptr;
    std::vector<MarkedPlace> m_mark;
    std::unique_ptr<IBaseCommand> m_step;
    const CTransformCommand* m_captured = nullptr; // m_step, when Begin made it
    CDragPivot m_pivot;                            // active for a drag about the common centre
    CSurfacePlacement m_surface;                   // active for a surface drag
    bool m_surfaceTurn = false;                    // the surface drag turns to the normal
};

// The parts of a transform that do not depend on a step.
namespace TransformSteps {

// The selected names less those of entities that may not be transformed: what a step records.
// A name without an entity stays (its slot is kept and skipped).
std::set<std::string> TransformableSelection(CSceneManager* scene);

// A move step whose |y| is above 0.0005, compared in double precision, is vertical.
bool IsVerticalMove(const Ogre::Vector3& delta);

// The host's scene with its selection; null without a host or engine access.
CSceneManager* HostScene(Interface* host);

// The scene that answers the host's ground queries: the engine's.
CSceneManager* GroundScene(Interface* host);

// The height of the ground straight below (or above) a point, by a ground ray query (flags 6)
// from 100000 above it; over no ground, the plane y = 0.
float GroundHeight(CSceneManager* ground, const Ogre::Vector3& point);

} // namespace TransformSteps

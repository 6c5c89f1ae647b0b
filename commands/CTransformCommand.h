// One undo step of a transform: the value of one transform component of every entity that was
// selected when the step was captured. Undo and redo both swap the recorded and the current
// values, so a step pushed after its change already happened restores the old values on its
// first undo and puts the new ones back on redo.
#pragma once

#include "IBaseCommand.h"

#include <OgreVector.h>

#include <memory>
#include <set>
#include <string>

class CSceneManager;
class CUndoRedoManager;
class IToolManager;
class SceneEntity;

class CTransformCommand : public IBaseCommand {
public:
    // Fetches the scene manager and the notifier from the host; nothing captured yet.
    CTransformCommand();
    ~CTransformCommand() override;

    CTransformCommand(const CTransformCommand&) = delete;
    CTransformCommand& operator=(const CTransformCommand&) = delete;

    // Records, per name, the position (KIND_POSITION), orientation (KIND_ORIENTATION) or scale
    // (any other kind) of its entity. A name without an entity keeps a zero slot and is
    // skipped by the swap.
    int Capture(const std::set<std::string>& names, int kind, COORDINATE_AXIS axis);

    // Both swap recorded and current values; the parameters are not read.
    int execute(CommandParams* params) override;
    int undo() override;

    // Read access for tests and diagnostics.
    const std::set<std::string>& GetNames() const { return m_names; }
    int GetKind() const { return m_kind; }
    COORDINATE_AXIS GetAxis() const { return m_axis; }
    // The recorded value of the i-th name in set order; zero when out of range or not captured.
    Ogre::Vector3 GetSaved(std::size_t index) const;

private:
    void Swap();
    // The entity's value of the step's kind, and whether it holds the saved one (on the
    // step's axis).
    Ogre::Vector3 Current(const SceneEntity* entity) const;
    bool Took(const Ogre::Vector3& now, const Ogre::Vector3& saved) const;

    std::set<std::string> m_names;
    CSceneManager* m_sceneManager = nullptr;
    std::unique_ptr<Ogre::Vector3[]> m_saved;
    IToolManager* m_notifier = nullptr;
    int m_kind = KIND_SCALE;
    COORDINATE_AXIS m_axis = AXIS_ALL;
};

// Applying transforms to the selection, without the toolkit: the plug-in's drag handling,
// ApplyTransform, the transform bar and snap to ground are thin wrappers over these. `scene`
// gives the selection and the entities, `notifier` receives 51, 52 or 53 per changed entity
// (may be null).
//
// An entity that may not be transformed (EnabledTrnaform() is 0) is passed by on every one of
// them, as if it were not selected: it keeps its transform, gets no notification and is not
// recorded in the step. A selection of such entities alone is treated as an empty one.
namespace TransformSteps {

// The selected names less those of entities that may not be transformed: what a step captures.
std::set<std::string> TransformableSelection(CSceneManager* scene);

// A move step whose |y| is above 0.0005, compared in double precision, is vertical.
bool IsVerticalMove(const Ogre::Vector3& delta);

// The height of the ground straight below (or above) a point, by a ground ray query (flags 6)
// from 100000 above it; over no ground, the plane y = 0.
float GroundHeight(CSceneManager* ground, const Ogre::Vector3& point);

// Records the transform at a press on every selected entity: position for MODE_MOVE,
// orientation for MODE_ROTATE, scale otherwise.
void PrepareDrag(CSceneManager* scene, int mode);

// One drag step with the gizmo's result: MODE_MOVE moves (keeping the height above `ground`
// when groundFollow is set and the step is not vertical), MODE_ROTATE rotates by (pitch, yaw,
// roll), MODE_SCALE scales; other modes change nothing. A non-finite delta changes nothing.
// Returns the number of entities changed.
int ApplyDragResult(CSceneManager* scene, CSceneManager* ground, IToolManager* notifier, int mode,
                    const Ogre::Vector3& delta, bool groundFollow);

// One drag step of a rotation part: every selected entity turns about `axis` by `angle` since
// the press. A non-finite or zero axis, or a non-finite angle, changes nothing.
int ApplyAxisRotation(CSceneManager* scene, IToolManager* notifier, const Ogre::Vector3& axis,
                      float angle);

// Sets one transform component (axis 0..2) or all three (axis 3) of every selected entity to
// `value` and pushes one undo step, even for an empty selection. A value that is not finite
// in the components it would set, or an unknown axis, is refused: nothing changes, no step,
// result 0. Else 1.
int ApplyTransform(CSceneManager* scene, IToolManager* notifier, CUndoRedoManager* undo,
                   const Ogre::Vector3& value, COORDINATE_AXIS axis, int kind);

// The transform bar's change: sets the world position (kind 1), orientation (kind 2, radians)
// or scale (other kinds) of every selected entity in the components that `mask` names (bit 0
// X, bit 1 Y, bit 2 Z), each entity keeping its own world value in the other components, and
// pushes one undo step, even for an empty selection. The step holds every entity's whole local
// component from before any change, so one undo restores each of them exactly, whatever a
// parent made of the world value. An empty mask, or a value that is not finite in a named
// component, is refused: nothing changes, no step, result 0. Else 1.
int ApplyWorldTransform(CSceneManager* scene, IToolManager* notifier, CUndoRedoManager* undo,
                        const Ogre::Vector3& value, unsigned mask, int kind);

// Snap to ground: every selected entity's world position goes down (or up) to the ground
// under it (`ground` answers the ground queries), as one undo step of positions, even for an
// empty selection. 0 without a scene or an undo manager, else 1.
int SnapToGround(CSceneManager* scene, CSceneManager* ground, IToolManager* notifier,
                 CUndoRedoManager* undo);

} // namespace TransformSteps

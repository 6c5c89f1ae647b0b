// One undo step of a transform: the value of one transform channel (position, orientation or
// scale) of every entity that was selected when the step was captured. Undo and redo both swap
// the recorded and the current values, so a step pushed after its change already happened
// restores the old values on its first undo and puts the new ones back on redo. Steps are made
// by CTransformCommit, which also applies the change they record.
#pragma once

#include "IBaseCommand.h"

#include <OgreVector.h>

#include <memory>
#include <set>
#include <string>

class CSceneManager;
class IToolManager;
class SceneEntity;
struct TransformChannel;

class CTransformCommand : public IBaseCommand {
public:
    // Fetches the scene manager and the notifier from the process's host; nothing captured yet.
    CTransformCommand();
    // Works on `scene` and tells `notifier` (either may be null); nothing captured yet.
    CTransformCommand(CSceneManager* scene, IToolManager* notifier);
    ~CTransformCommand() override;

    CTransformCommand(const CTransformCommand&) = delete;
    CTransformCommand& operator=(const CTransformCommand&) = delete;

    // Records, per name, the value of the kind's channel (ChannelOf: any kind other than
    // position and orientation is the scale) of its entity. A name without an entity keeps a
    // zero slot and is skipped by the swap.
    int Capture(const std::set<std::string>& names, int kind, COORDINATE_AXIS axis);

    // Both swap recorded and current values; the parameters are not read.
    int execute(CommandParams* params) override;
    int undo() override;

    // Read access for the commit, tests and diagnostics.
    const std::set<std::string>& GetNames() const { return m_names; }
    int GetKind() const { return m_kind; }
    COORDINATE_AXIS GetAxis() const { return m_axis; }
    // The recorded value of the i-th name in set order; zero when out of range or not captured.
    Ogre::Vector3 GetSaved(std::size_t index) const;

private:
    void Swap();
    const TransformChannel& Channel() const;
    // Whether the entity's value now holds the saved one (on the step's axis).
    bool Took(const Ogre::Vector3& now, const Ogre::Vector3& saved) const;

    std::set<std::string> m_names;
    CSceneManager* m_sceneManager = nullptr;
    std::unique_ptr<Ogre::Vector3[]> m_saved;
    IToolManager* m_notifier = nullptr;
    int m_kind = KIND_SCALE;
    COORDINATE_AXIS m_axis = AXIS_ALL;
};

// What the undoable scene commands share. The undo manager makes commands by factories that
// take no arguments, so a command finds the scene it acts on and the notifier it tells in the
// context of its command set, set while the set is registered. Each set (SceneCommands.h,
// EditCommands.h) has a context of its own, so one can be registered without the other.
#pragma once

#include "EditorTypes.h"
#include "IBaseCommand.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

class CEditorScene;
class CUndoRedoManager;
class IToolManager;

class CCommandContext {
public:
    // The commands of a set: each name with its factory.
    using Commands = std::vector<std::pair<const char*, CommandFactory>>;

    explicit CCommandContext(Commands commands) : m_commands(std::move(commands)) {}

    // Registers every command of the set; they act on `scene` and broadcast through `notifier`
    // until Unregister. False, registering nothing, when a name is taken.
    bool Register(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier);
    void Unregister(CUndoRedoManager& undo);

    // The scene, null while the set is not registered.
    CEditorScene* Scene() const { return m_scene; }
    // Tells the notifier, when there is one.
    void Broadcast(int code, int arg, void* data) const;
    // Makes `selection` the scene's selection and tells the plug-ins (50). Answers 1, what a
    // command that did its step answers.
    int Reselect(const std::set<std::string>& selection) const;
    // Tells the plug-ins that the selection changed (50). Answers 1, as above.
    int SelectionChanged() const;

    // The names of a list: "a b c " -> {a, b, c}; one name as a click gives it (no trailing
    // space) is taken whole when an entity has exactly that name, so names with spaces work.
    std::vector<std::string> Names(const std::string& list) const;
    // The names of the parameter "entity" as above; the selection when it is missing or empty.
    std::vector<std::string> NamesOrSelection(const CommandParams* params) const;

private:
    Commands m_commands;
    CEditorScene* m_scene = nullptr;
    IToolManager* m_notifier = nullptr;
};

// The frame every command of a set shares. Nothing is done while the set is not registered.
// The first execute prepares the step (Prepare; false when there is nothing to do: not
// executed), then every execute applies it (Apply; `again` for a redo, which applies the
// prepared step once more); undo takes an applied step back (Revert).
class CSceneCommand : public IBaseCommand {
public:
    explicit CSceneCommand(const CCommandContext& context) : m_context(context) {}

    int execute(CommandParams* params) final;
    int undo() final;

protected:
    virtual bool Prepare(CEditorScene& scene, CommandParams* params) = 0;
    virtual int Apply(CEditorScene& scene, bool again) = 0;
    virtual int Revert(CEditorScene& scene) = 0;

    const CCommandContext& m_context;

private:
    bool m_prepared = false;
};

// The factory of a command class of the set whose context `context` answers.
template <class Command, CCommandContext& (*context)()> IBaseCommand* MakeCommand() {
    return new Command(context());
}

// The parameter `key`, or `def` when it is missing (or there are no parameters).
std::string CommandParam(const CommandParams* params, const std::string& key,
                         const std::string& def);

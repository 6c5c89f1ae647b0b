// Script commands that read what the plug-in's edits left in the editor. (The commands that
// type into and click the plug-in's panels, groundfollow among them, are in
// ScriptPanelCommands.cpp.)
//
//   undocount             prints "undo N redo M", the depths of the editor's undo stacks.
//   ground NAME           prints "NAME above ground H": the entity's world height above the
//                         terrain straight below it (above y = 0 off the terrain), "%.1f".
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "SceneEntity.h"

#include <cstdio>
#include <ostream>

namespace {

bool UndoCount(CScriptRunner& runner, const CScriptRunner::Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: undocount";
        return false;
    }
    CEditorUndoManager& undo = EditorSession(runner).Host().Undo();
    runner.Out() << "undo " << undo.undoCount() << " redo " << undo.redoCount() << "\n";
    return true;
}

bool Ground(CScriptRunner& runner, const CScriptRunner::Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: ground NAME";
        return false;
    }
    CEditorScene& scene = EditorSession(runner).Host().Scene();
    SceneEntity* entity = scene.getSceneEntity(args[0]);
    if (!entity) {
        error = "unknown entity '" + args[0] + "'";
        return false;
    }
    const Ogre::Vector3 p = entity->GetWorldPosition();
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", double(p.y - scene.TerrainHeightAt(p.x, p.z)));
    runner.Out() << entity->GetName() << " above ground " << text << "\n";
    return true;
}

} // namespace

void RegisterPluginScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"undocount", UndoCount}, {"ground", Ground}});
}

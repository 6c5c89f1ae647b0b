// Script commands about entities and the view that later commands act on: view, select,
// selection, print, project.
#include "IView.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

bool View(CScriptRunner& r, const Args& args, std::string& error) {
    int n = 0;
    if (!Count(args, 1, "view N", error))
        return false;
    if (!CScriptRunner::ParseInt(args[0], n) || !EditorSession(r).Host().GetView(n)) {
        error = "no view " + args[0];
        return false;
    }
    r.SetTargetView(n);
    return true;
}

bool Select(CScriptRunner& r, const Args& args, std::string& error) {
    std::string list;
    for (const std::string& name : args) {
        if (!Entity(r, name, error))
            return false;
        list += name + " ";
    }
    CommandParams params{{"entity", list}, {"mode", "exclude"}};
    CUndoRedoManager& undo = EditorSession(r).Host().Undo();
    if (!undo.isCommandRegistered("SelectEntity")) {
        error = "the editor has no SelectEntity command";
        return false;
    }
    undo.doCommand("SelectEntity", &params); // false only when nothing changed
    EditorSession(r).Host().redraw();
    return true;
}

bool Selection(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "selection", error))
        return false;
    r.Out() << "selection:";
    for (const std::string& name : EditorSession(r).Host().Scene().getSelectedEntities())
        r.Out() << " " << name;
    r.Out() << "\n";
    return true;
}

bool Print(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "print NAME", error))
        return false;
    SceneEntity* e = Entity(r, args[0], error);
    if (!e)
        return false;
    const float degrees = kRadiansToDegrees;
    r.Out() << e->GetName() << " pos " << Triple(e->GetPosition()) << " rot "
            << Triple(e->GetOrientation(), degrees) << " scale " << Triple(e->GetScale())
            << " wpos " << Triple(e->GetWorldPosition()) << " wrot "
            << Triple(e->GetWorldOrientation(), degrees) << " wscale " << Triple(e->GetWorldScale())
            << "\n";
    return true;
}

bool Project(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "project NAME", error))
        return false;
    SceneEntity* e = Entity(r, args[0], error);
    CEditorView* view = e ? TargetView(r, error) : nullptr;
    if (!view)
        return false;
    Ogre::Vector3 out;
    view->projectPoint(out, e->GetWorldPosition(), nullptr);
    r.Out() << e->GetName() << " px " << Fixed(out.x, 1) << " " << Fixed(out.y, 1) << "\n";
    return true;
}
} // namespace

void RegisterSelectionScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"view", View},
                               {"select", Select},
                               {"selection", Selection},
                               {"print", Print},
                               {"project", Project}});
}

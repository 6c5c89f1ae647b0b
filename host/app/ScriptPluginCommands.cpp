// Script commands that drive plug-in controls the way a user would.
//
//   groundfollow on|off   ticks or clears the side panel's "贴地走" check box and sends its
//                         check-box event, so the plug-in's own handler takes the new state.
//   undocount             prints "undo N redo M", the depths of the editor's undo stacks.
//   ground NAME           prints "NAME above ground H": the entity's world height above the
//                         terrain straight below it (above y = 0 off the terrain), "%.1f".
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "ScriptRunner.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "SceneEntity.h"

#include <wx/checkbox.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <cstdio>
#include <ostream>

namespace {

// Scripts address the side panel's controls by the ids its template gives them (README);
// this shortcut is the ground-follow check box's.
constexpr int kGroundFollowId = 1022;

wxCheckBox* FindCheckBox(wxWindow* window, int id) {
    if (!window)
        return nullptr;
    if (window->GetId() == id) {
        if (auto* box = dynamic_cast<wxCheckBox*>(window))
            return box;
    }
    for (wxWindow* child : window->GetChildren()) {
        if (wxCheckBox* box = FindCheckBox(child, id))
            return box;
    }
    return nullptr;
}

wxCheckBox* FindGroundFollowBox() {
    for (wxWindow* top : wxTopLevelWindows) {
        if (wxCheckBox* box = FindCheckBox(top, kGroundFollowId))
            return box;
    }
    return nullptr;
}

bool GroundFollow(CScriptRunner& runner, const CScriptRunner::Args& args, std::string& error) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
        error = "usage: groundfollow on|off";
        return false;
    }
    const bool on = args[0] == "on";
    CEditorSession& session = runner.Session();
    wxCheckBox* box = FindGroundFollowBox();
    if (!box) {
        // The panel is built when the tool's page is first shown: engage the tool.
        CEditorHost& host = session.Host();
        IPluginBase* plugin = nullptr;
        int moveCommand = 0;
        if (host.FindStripTool(1, plugin, moveCommand))
            host.ClickTool(plugin, moveCommand);
        session.ProcessEvents();
        box = FindGroundFollowBox();
    }
    if (!box) {
        error = "groundfollow: no ground-follow check box (is the transform plug-in loaded?)";
        return false;
    }
    box->SetValue(on);
    wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
    event.SetEventObject(box);
    event.SetInt(on ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
    session.ProcessEvents();
    return true;
}

bool UndoCount(CScriptRunner& runner, const CScriptRunner::Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: undocount";
        return false;
    }
    CEditorUndoManager& undo = runner.Session().Host().Undo();
    runner.Out() << "undo " << undo.undoCount() << " redo " << undo.redoCount() << "\n";
    return true;
}

bool Ground(CScriptRunner& runner, const CScriptRunner::Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: ground NAME";
        return false;
    }
    CEditorScene& scene = runner.Session().Host().Scene();
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
    runner.AddCommand("groundfollow", GroundFollow);
    runner.AddCommand("undocount", UndoCount);
    runner.AddCommand("ground", Ground);
}

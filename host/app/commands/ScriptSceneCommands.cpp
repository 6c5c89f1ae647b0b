// Script commands for scene files (open, save, entities, title), and the set of what the window
// tells a person at a glance (status, engaged, viewkey, hover). viewkey types one key into the
// target view (Q, W, E, R switch the tool, L flips the gizmo's axes).
#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "CToolManager.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"

#include <wx/aui/auibar.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cctype>
#include <functional>
#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// The words after the command as one path (a path may hold blanks).
bool PathOf(const Args& args, const char* usage, std::string& path, std::string& error) {
    if (args.empty()) {
        error = std::string("usage: ") + usage;
        return false;
    }
    path = args[0];
    for (size_t i = 1; i < args.size(); ++i)
        path += " " + args[i];
    return true;
}

// What an entity shows: its mesh, "light TYPE", "-" for none; a mesh that could not be
// loaded is named with "(missing)".
std::string Shows(const CEditorEntity& e) {
    if (Ogre::Light* light = e.GetOgreLight()) {
        switch (light->getType()) {
        case Ogre::Light::LT_DIRECTIONAL:
            return "light directional";
        case Ogre::Light::LT_SPOTLIGHT:
            return "light spot";
        default:
            return "light point";
        }
    }
    if (!e.GetMissingMesh().empty())
        return e.GetMissingMesh() + " (missing)";
    return e.GetMeshName().empty() ? "-" : e.GetMeshName();
}

const char* const kToolNames[4] = {"select", "move", "rotate", "scale"};

// The engaged tool by its place in the tool strip.
std::string EngagedTool(CEditorHost& host) {
    const int tool = host.Tools().CurrentTool();
    if (tool < 0)
        return "none";
    for (int position = 0; position < 4; ++position) {
        IPluginBase* plugin = nullptr;
        int id = 0;
        if (host.FindStripTool(position, plugin, id) && plugin == host.Tools().PluginOfTool(tool) &&
            id == host.Tools().CommandOfTool(tool))
            return kToolNames[position];
    }
    return "other";
}

// Handles events until `done` or about a second has passed.
void PumpUntil(CEditorSession& session, const std::function<bool()>& done) {
    wxStopWatch clock;
    while (!done() && clock.Time() < 1000) {
        session.ProcessEvents();
        wxMilliSleep(5);
    }
    session.ProcessEvents();
}

// The latest text set for a field of the status line (the bar shows it from the next frame).
wxString StatusField(CMainFrame& frame, int field) {
    return frame.StatusText(field);
}

bool ViewKey(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.size() != 1 || args[0].size() != 1) {
        error = "usage: viewkey LETTER";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    if (!FocusTargetView(r, error))
        return false;
    // Waits for the key's release to be handled, so whatever the key does (a tool switched,
    // the gizmo's axes flipped) is done when the next line runs.
    if (!PressKey(session, static_cast<unsigned char>(std::tolower(args[0][0])))) {
        error = "viewkey: the key was not handled";
        return false;
    }
    session.RenderFrames(1);
    return true;
}

// Puts the pointer over button N of the first tool strip and prints the status line then; the
// pointer goes back where it was.
bool Hover(CScriptRunner& r, const Args& args, std::string& error) {
    int position = 0;
    if (args.size() != 1 || !CScriptRunner::ParseInt(args[0], position)) {
        error = "usage: hover N";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    CMainFrame* frame = session.Frame();
    IPluginBase* plugin = nullptr;
    int id = 0;
    wxAuiToolBar* strip = nullptr;
    if (!frame || !session.Host().FindStripTool(position, plugin, id) ||
        !(strip = frame->GetToolStrip(plugin))) {
        error = "no tool button " + args[0];
        return false;
    }
    const wxRect rect = strip->GetToolRect(id);
    const wxPoint centre = strip->ClientToScreen(rect.GetPosition() + rect.GetSize() / 2);
    const wxPoint before = wxGetMousePosition();
    const wxString was = StatusField(*frame, 0);
    wxUIActionSimulator simulator;
    simulator.MouseMove(centre);
    PumpUntil(session, [&] { return StatusField(*frame, 0) != was; });
    r.Out() << "hover " << StatusField(*frame, 0).utf8_string() << "\n";
    simulator.MouseMove(before);
    PumpUntil(session, [&] { return wxGetMousePosition() == before; });
    return true;
}

bool Status(CScriptRunner& r, const Args& args, std::string& error) {
    if (!args.empty() || !EditorSession(r).Frame()) {
        error = "usage: status";
        return false;
    }
    EditorSession(r).RenderFrames(1);
    CMainFrame& frame = *EditorSession(r).Frame();
    r.Out() << "status " << StatusField(frame, 0).utf8_string() << " | "
            << StatusField(frame, 1).utf8_string() << "\n";
    return true;
}

bool Engaged(CScriptRunner& r, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: engaged";
        return false;
    }
    r.Out() << "engaged " << EngagedTool(EditorSession(r).Host()) << "\n";
    return true;
}

} // namespace

void RegisterSceneScriptCommands(CScriptRunner& runner) {
    runner.AddCommand("open", [](CScriptRunner& r, const Args& args, std::string& error) {
        std::string path;
        if (!PathOf(args, "open PATH", path, error))
            return false;
        std::vector<std::string> warnings;
        if (!EditorSession(r).Document().Open(path, error, warnings))
            return false;
        for (const std::string& w : warnings)
            r.Out() << "warning: " << w << "\n";
        r.Out() << "opened " << path << ": " << EditorSession(r).Scene().GetEntityCount()
                << " entities\n";
        if (CMainFrame* frame = EditorSession(r).Frame())
            frame->ShowWarnings(warnings);
        EditorSession(r).RenderFrames(1);
        return true;
    });
    runner.AddCommand("save", [](CScriptRunner& r, const Args& args, std::string& error) {
        std::string path;
        if (!PathOf(args, "save PATH", path, error))
            return false;
        std::vector<std::string> warnings;
        if (!EditorSession(r).Document().Save(path, error, warnings))
            return false;
        for (const std::string& w : warnings)
            r.Out() << "warning: " << w << "\n";
        r.Out() << "saved " << path << "\n";
        if (CMainFrame* frame = EditorSession(r).Frame())
            frame->ShowWarnings(warnings);
        return true;
    });
    runner.AddCommand("entities", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!args.empty()) {
            error = "usage: entities";
            return false;
        }
        CEditorScene& scene = EditorSession(r).Scene();
        for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity()) {
            const CEditorEntity* e = scene.GetEntity(s->GetName());
            if (!e)
                continue;
            r.Out() << e->GetName() << " "
                    << (e->GetParentEntity() ? e->GetParentEntity()->GetName() : "-") << " "
                    << Shows(*e) << "\n";
        }
        return true;
    });
    runner.AddCommand("title", [](CScriptRunner& r, const Args& args, std::string& error) {
        if (!args.empty()) {
            error = "usage: title";
            return false;
        }
        EditorSession(r).RenderFrames(1); // the frame takes the title on its tick
        r.Out() << EditorSession(r).Document().Title() << "\n";
        return true;
    });
}

void RegisterWindowScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(
        runner, {{"status", Status}, {"engaged", Engaged}, {"viewkey", ViewKey}, {"hover", Hover}});
}

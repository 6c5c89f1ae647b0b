// Script commands that place entities: duplicate (a real Ctrl+D typed into the target view),
// align and distribute (the Tools menu's operations).
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "PlaceOperations.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

bool Duplicate(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "duplicate", error))
        return false;
    CEditorSession& session = EditorSession(r);
    CViewWindow* view = session.Frame() ? session.Frame()->GetViewWindow(r.TargetView()) : nullptr;
    if (!view) {
        error = "no view " + std::to_string(r.TargetView());
        return false;
    }
    view->SetFocus();
    if (!PumpUntil(session, [&] { return wxWindow::FindFocus() == view; })) {
        error = "view " + std::to_string(r.TargetView()) + " did not get the keyboard focus";
        return false;
    }
    const int before = session.Host().Scene().GetEntityCount();
    if (!PressKey(session, 'd', wxMOD_CONTROL)) {
        error = "duplicate: the key was not handled";
        return false;
    }
    r.Out() << "duplicated " << session.Host().Scene().GetEntityCount() - before << "\n";
    session.RenderFrames(1);
    return true;
}

bool Align(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 2, "align x|y|z min|center|max", error))
        return false;
    const int moved = PlaceOps::Align(EditorSession(r).Host(), args[0].c_str(), args[1].c_str());
    if (moved < 0) {
        error = "usage: align x|y|z min|center|max";
        return false;
    }
    r.Out() << "aligned " << moved << "\n";
    EditorSession(r).RenderFrames(1);
    return true;
}

bool Distribute(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "distribute x|y|z", error))
        return false;
    const int moved = PlaceOps::Distribute(EditorSession(r).Host(), args[0].c_str());
    if (moved < 0) {
        error = "usage: distribute x|y|z";
        return false;
    }
    r.Out() << "distributed " << moved << "\n";
    EditorSession(r).RenderFrames(1);
    return true;
}

} // namespace

void RegisterPlacementScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner,
                      {{"duplicate", Duplicate}, {"align", Align}, {"distribute", Distribute}});
}

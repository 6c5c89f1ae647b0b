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
    if (!FocusTargetView(r, error))
        return false;
    const int before = session.Host().Scene().GetEntityCount();
    if (!PressKey(session, 'd', wxMOD_CONTROL)) {
        error = "duplicate: the key was not handled";
        return false;
    }
    r.Out() << "duplicated " << session.Host().Scene().GetEntityCount() - before << "\n";
    session.RenderFrames(1);
    return true;
}

// Prints "WORD N" for an operation that moved N entities; -1 (words it does not know) is the
// usage error.
bool Placed(CScriptRunner& r, int moved, const char* word, const char* usage, std::string& error) {
    if (moved < 0) {
        error = std::string("usage: ") + usage;
        return false;
    }
    r.Out() << word << " " << moved << "\n";
    EditorSession(r).RenderFrames(1);
    return true;
}

bool Align(CScriptRunner& r, const Args& args, std::string& error) {
    const char* usage = "align x|y|z min|center|max";
    return Count(args, 2, usage, error) &&
           Placed(r, PlaceOps::Align(EditorSession(r).Host(), args[0].c_str(), args[1].c_str()),
                  "aligned", usage, error);
}

bool Distribute(CScriptRunner& r, const Args& args, std::string& error) {
    const char* usage = "distribute x|y|z";
    return Count(args, 1, usage, error) &&
           Placed(r, PlaceOps::Distribute(EditorSession(r).Host(), args[0].c_str()), "distributed",
                  usage, error);
}

} // namespace

void RegisterPlacementScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner,
                      {{"duplicate", Duplicate}, {"align", Align}, {"distribute", Distribute}});
}

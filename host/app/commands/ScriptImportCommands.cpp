// The script command "import PATH": a model file into the scene, reported as the File menu's
// import reports it, and printed.
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorImport.h"
#include "EditorScriptCommands.h"
#include "ModelImport.h"
#include "ScriptCommandArgs.h"

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

bool Import(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.empty()) {
        error = "usage: import PATH";
        return false;
    }
    std::string path = args[0];
    for (size_t i = 1; i < args.size(); ++i)
        path += " " + args[i];
    CEditorSession& session = EditorSession(r);
    ModelImportResult result;
    const bool ok = ImportIntoEditor(session.Host(), path, result, error);
    if (CMainFrame* frame = session.Frame())
        ShowImportOutcome(*frame, path, ok, result, error);
    if (!ok)
        return false;
    r.Out() << "imported " << path << ": " << result.entities << " entities, " << result.meshes
            << " meshes\n";
    for (const std::string& w : result.warnings)
        r.Out() << "warning: " << w << "\n";
    session.RenderFrames(1);
    return true;
}
} // namespace

void RegisterImportScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"import", Import}});
}

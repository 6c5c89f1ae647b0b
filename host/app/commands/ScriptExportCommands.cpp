// The script command "export PATH": the scene written as glTF, reported as the File menu's
// export reports it, and printed.
#include "CEditorSession.h"
#include "EditorExport.h"
#include "EditorScriptCommands.h"
#include "GltfExport.h"
#include "ScriptCommandArgs.h"

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

bool Export(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.empty()) {
        error = "usage: export PATH";
        return false;
    }
    std::string path = args[0];
    for (size_t i = 1; i < args.size(); ++i)
        path += " " + args[i];
    CEditorSession& session = EditorSession(r);
    GltfExportResult result;
    const bool ok = ExportFromEditor(session.Host(), path, result, error);
    if (CMainFrame* frame = session.Frame())
        ShowExportOutcome(*frame, path, ok, result, error);
    if (!ok)
        return false;
    r.Out() << "exported " << path << ": " << result.nodes << " nodes, " << result.meshes
            << " meshes\n";
    for (const std::string& w : result.warnings)
        r.Out() << "warning: " << w << "\n";
    return true;
}
} // namespace

void RegisterExportScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"export", Export}});
}

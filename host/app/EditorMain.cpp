#include "EditorMain.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorImport.h"
#include "SessionRecovery.h"
#include "EditorScriptCommands.h"
#include "ModelImport.h"
#include "PrivateDisplay.h"
#include "UnattendedEnvironment.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

#ifndef GIZMARK_VERSION
#define GIZMARK_VERSION "unknown"
#endif

namespace {
class CEditorApp : public wxApp {
public:
    // The editor parses its own options.
    bool OnInit() override { return true; }
};

void PrintUsage() {
    std::fprintf(stderr, "usage: scene-editor [FILE] [--views 1|4] [--scene FILE] "
                         "[--script FILE|-] [--plugins DIR] [--demo [OUTDIR]] [--size WxH] "
                         "[--autosave-seconds N] [--version]\n");
}

// The demo's folder when none is given: "screenshots" in the current folder, or a new folder
// under $TMPDIR (/tmp) when the current one cannot take it (an installed editor may be started
// anywhere). "" when neither can be made.
std::string DefaultDemoFolder() {
    struct stat info;
    if ((mkdir("screenshots", 0777) == 0 ||
         (stat("screenshots", &info) == 0 && S_ISDIR(info.st_mode))) &&
        access("screenshots", W_OK) == 0) {
        char* here = getcwd(nullptr, 0);
        std::string folder = here ? here : "";
        folder += folder.empty() || folder.back() != '/' ? "/screenshots" : "screenshots";
        std::free(here);
        return folder;
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gizmark-demo-XXXXXX";
    return mkdtemp(pattern.data()) ? pattern : std::string();
}

// The model given on the command line, imported into the scene as one undo step. False with
// the message printed when it cannot be imported.
bool ImportStartFile(CEditorSession& session, const std::string& path) {
    ModelImportResult result;
    std::string error;
    const bool ok = ImportIntoEditor(session.Host(), path, result, error);
    ShowImportOutcome(*session.Frame(), path, ok, result, error);
    if (!ok) {
        std::fprintf(stderr, "scene-editor: %s\n", error.c_str());
        return false;
    }
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "scene-editor: warning: %s\n", warning.c_str());
    return true;
}

void PrintAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    std::fprintf(stderr, "wx assertion %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}
} // namespace

int RunEditor(int argc, char** argv) {
    EditorOptions options;
    std::string error;
    if (!ParseEditorOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "scene-editor: %s\n", error.c_str());
        PrintUsage();
        return 1;
    }
    if (options.version) {
        std::printf("scene-editor %s\n", GIZMARK_VERSION);
        return 0;
    }
    std::ifstream scriptFile;
    if (!options.scriptFile.empty() && options.scriptFile != "-") {
        scriptFile.open(options.scriptFile);
        if (!scriptFile) {
            std::fprintf(stderr, "scene-editor: cannot read script %s\n",
                         options.scriptFile.c_str());
            return 1;
        }
    }
    const bool namedDemoFolder = !options.demoDir.empty();
    if (options.demo && !namedDemoFolder)
        options.demoDir = DefaultDemoFolder();
    if (options.demo) {
        mkdir(options.demoDir.c_str(), 0777);
        struct stat info;
        if (stat(options.demoDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "scene-editor: cannot create %s\n", options.demoDir.c_str());
            return 1;
        }
    }

    const bool batch = !options.scriptFile.empty() || options.demo;
    // A person at the screen keeps the libraries' defaults (parallel rendering, accessibility).
    if (batch)
        PrepareUnattendedEnvironment();
    // A script or the demo needs no person and so no screen: without one, the run gets an X
    // server of its own (Xvfb), ended with it.
    CPrivateDisplay ownDisplay;
    if (batch && !HasDisplay() && !ownDisplay.Start(error))
        std::fprintf(stderr, "scene-editor: no display and no display of its own: %s\n",
                     error.c_str());
    wxApp::SetInstance(new CEditorApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "scene-editor: cannot start the toolkit (no display?)\n");
        return 1;
    }
    if (batch) {
        // No modal boxes in batch runs: messages go to stderr.
        wxSetAssertHandler(PrintAssert);
        delete wxLog::SetActiveTarget(new wxLogStderr);
    }
    wxTheApp->CallOnInit();

    int code = 0;
    {
        CEditorSession session(options, EditorCommandSets());
        if (!session.Start(error)) {
            std::fprintf(stderr, "scene-editor: %s\n", error.c_str());
            code = 1;
        } else if (!options.importFile.empty() && !ImportStartFile(session, options.importFile) &&
                   batch) {
            code = 1;
        } else if (options.demo) {
            IPluginBase* plugin = nullptr;
            int moveCommand = 0;
            const bool move = session.Host().FindStripTool(1, plugin, moveCommand);
            code = session.RunScript(
                BuiltinDemoScript(options.demoDir, session.Host().ViewCount(), move));
            if (code == 0 && !namedDemoFolder)
                std::printf("screenshots written to %s\n", options.demoDir.c_str());
        } else if (!options.scriptFile.empty()) {
            code = session.Script().Run(options.scriptFile == "-" ? std::cin : scriptFile);
        } else {
            session.Frame()->SetCloseHandler([&session] { session.Shutdown(); });
            session.Frame()->StartRenderLoop([&session] { session.RenderTick(); });
            // Scripts and the demo never meet the question: they use recovery and recover.
            session.Recovery().OfferAtStart();
            wxTheApp->OnRun();
        }
        session.Shutdown();
    }
    wxEntryCleanup();
    return code;
}

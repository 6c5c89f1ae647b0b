#include "EditorMain.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "SessionRecovery.h"
#include "EditorScriptCommands.h"
#include "UnattendedEnvironment.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>

namespace {
class CEditorApp : public wxApp {
public:
    // The editor parses its own options.
    bool OnInit() override { return true; }
};

void PrintUsage() {
    std::fprintf(stderr, "usage: scene-editor [--views 1|4] [--scene FILE] [--script FILE|-] "
                         "[--plugins DIR] [--demo OUTDIR] [--size WxH] "
                         "[--autosave-seconds N]\n");
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
    std::ifstream scriptFile;
    if (!options.scriptFile.empty() && options.scriptFile != "-") {
        scriptFile.open(options.scriptFile);
        if (!scriptFile) {
            std::fprintf(stderr, "scene-editor: cannot read script %s\n",
                         options.scriptFile.c_str());
            return 1;
        }
    }
    if (!options.demoDir.empty()) {
        mkdir(options.demoDir.c_str(), 0777);
        struct stat info;
        if (stat(options.demoDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            std::fprintf(stderr, "scene-editor: cannot create %s\n", options.demoDir.c_str());
            return 1;
        }
    }

    const bool batch = !options.scriptFile.empty() || !options.demoDir.empty();
    // A person at the screen keeps the libraries' defaults (parallel rendering, accessibility).
    if (batch)
        PrepareUnattendedEnvironment();
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
        } else if (!options.demoDir.empty()) {
            IPluginBase* plugin = nullptr;
            int moveCommand = 0;
            const bool move = session.Host().FindStripTool(1, plugin, moveCommand);
            code = session.RunScript(
                BuiltinDemoScript(options.demoDir, session.Host().ViewCount(), move));
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

#include "EditorProcess.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <string>

namespace {

int g_asserts = 0;

void CountAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    ++g_asserts;
    std::fprintf(stderr, "wx assertion %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

} // namespace

int EditorAssertCount() {
    return g_asserts;
}

int RunInEditorSession(char** argv, const EditorOptions& options,
                       const std::function<int(CEditorSession&)>& body) {
    wxSetAssertHandler(&CountAssert);
    // GTK aborts in wxEntryStart without an application object.
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "no display: run under scripts/with-display.sh\n");
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    int code = 1;
    {
        CEditorSession session(options);
        std::string error;
        if (session.Start(error))
            code = body(session);
        else
            std::fprintf(stderr, "editor did not start: %s\n", error.c_str());
        session.Shutdown();
    }
    wxEntryCleanup();
    return code;
}

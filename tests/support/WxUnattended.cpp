#include "WxUnattended.h"

#include "UnattendedEnvironment.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>

namespace {

int g_asserts = 0;

void CountAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    ++g_asserts;
    std::fprintf(stderr, "wx assertion %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

} // namespace

int WxAssertCount() {
    return g_asserts;
}

bool StartUnattendedWx(char** argv) {
    PrepareUnattendedEnvironment();
    wxSetAssertHandler(&CountAssert);
    // GTK aborts in wxEntryStart without an application object.
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "no display: run under scripts/with-display.sh\n");
        return false;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    return true;
}

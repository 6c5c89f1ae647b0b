// main of the plug-in GUI test: one editor session for the whole process.
#include "GuiTestSession.h"

#include "host/app/CEditorSession.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<CEditorSession> g_session;
int g_asserts = 0;

void CountAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    ++g_asserts;
    std::fprintf(stderr, "wx assert %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

} // namespace

CEditorSession& TestSession() {
    return *g_session;
}

int TestAssertCount() {
    return g_asserts;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    wxSetAssertHandler(&CountAssert);
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "cannot initialise the toolkit\n");
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    EditorOptions options;
    options.loadPlugins = false; // the tests load the module themselves
    options.views = 1;
    options.width = 1100;
    options.height = 700;
    g_session = std::make_unique<CEditorSession>(options);
    std::string error;
    if (!g_session->Start(error)) {
        std::fprintf(stderr, "editor session: %s\n", error.c_str());
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    g_session->Shutdown();
    g_session.reset();
    wxEntryCleanup();
    return result;
}

#include "WxTestMain.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <thread>

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

bool PumpUntil(const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        wxYield();
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

int RunWxTests(int argc, char** argv, const std::function<void()>& setUp,
               const std::function<void()>& tearDown) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    wxSetAssertHandler(&CountAssert);
    wxApp::SetInstance(new wxApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "no display: run under scripts/with-display.sh\n");
        return 1;
    }
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (setUp)
        setUp();
    const int result = RUN_ALL_TESTS();
    if (tearDown)
        tearDown();
    wxEntryCleanup();
    return result;
}

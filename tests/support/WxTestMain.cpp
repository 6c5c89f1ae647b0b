#include "WxTestMain.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/utils.h>

#include <chrono>
#include <thread>

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
    if (!StartUnattendedWx(argv))
        return 1;
    if (setUp)
        setUp();
    const int result = RUN_ALL_TESTS();
    if (tearDown)
        tearDown();
    wxEntryCleanup();
    return result;
}

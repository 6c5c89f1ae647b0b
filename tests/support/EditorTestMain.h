// The main of a GUI test binary that runs all its tests in one editor session.
#pragma once

#include "EditorProcess.h"

#include <gtest/gtest.h>

// Parses the test flags, answers a listing without a display, and otherwise runs every test
// with `session` pointing at the started editor (null again before the editor goes).
inline int RunTestsInEditorSession(int argc, char** argv, const EditorOptions& options,
                                   CEditorSession*& session) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    return RunInEditorSession(argv, options, [&session](CEditorSession& started) {
        session = &started;
        const int code = RUN_ALL_TESTS();
        session = nullptr;
        return code;
    });
}

// main of the plug-in GUI test: one editor session for the whole process.
#include "GuiTestSession.h"

#include "EditorProcess.h"

#include <gtest/gtest.h>

namespace {
CEditorSession* g_session = nullptr;
} // namespace

CEditorSession& TestSession() {
    return *g_session;
}

int TestAssertCount() {
    return EditorAssertCount();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    EditorOptions options;
    options.loadPlugins = false; // the tests load the module themselves
    options.views = 1;
    options.width = 1100;
    options.height = 700;
    return RunInEditorSession(argv, options, [](CEditorSession& session) {
        g_session = &session;
        const int result = RUN_ALL_TESTS();
        g_session = nullptr;
        return result;
    });
}

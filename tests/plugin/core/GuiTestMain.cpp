// main of the plug-in GUI test: one editor session for the whole process.
#include "GuiTestSession.h"

#include "EditorTestMain.h"

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
    EditorOptions options;
    options.loadPlugins = false; // the tests load the module themselves
    options.views = 1;
    options.width = 1100;
    options.height = 700;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

#include "EditorProcess.h"

#include "EditorScriptCommands.h"
#include "WxUnattended.h"

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <string>

int EditorAssertCount() {
    return WxAssertCount();
}

int RunInEditorSession(char** argv, const EditorOptions& options,
                       const std::function<int(CEditorSession&)>& body) {
    if (!StartUnattendedWx(argv))
        return 1;
    int code = 1;
    {
        CEditorSession session(options, EditorCommandSets());
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

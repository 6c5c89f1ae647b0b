// The main of the panel GUI tests: the toolkit started unattended with the module's resources
// (dialog templates, tool strip) registered as the plug-in registers them.
#pragma once

#include "GizmarkResources.h"
#include "WxTestMain.h"

#include <wx/filesys.h>
#include <wx/fs_mem.h>

inline int RunPanelTests(int argc, char** argv) {
    return RunWxTests(
        argc, argv,
        [] {
            wxFileSystem::AddHandler(new wxMemoryFSHandler);
            RegisterGizmarkResources();
        },
        [] { UnregisterGizmarkResources(); });
}

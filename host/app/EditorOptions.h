// Command-line options of scene-editor.
#pragma once

#include <string>

// The longest interval between recovery copies (a day).
constexpr int kMostAutosaveSeconds = 24 * 60 * 60;

struct EditorOptions {
    int views = 1;          // --views 1|4
    std::string sceneFile;  // --scene FILE ("" = the built-in demo scene)
    std::string scriptFile; // --script FILE|- ("" = interactive)
    std::string pluginDir;  // --plugins DIR ("" = "plugins" beside the executable)
    std::string demoDir;    // --demo OUTDIR: run the built-in demo script, then quit
    int width = 1280;       // --size WxH: the main window's size
    int height = 800;
    bool loadPlugins = true; // tests may build an editor without modules
    // --autosave-seconds N: seconds between recovery copies, 0 = off; -1 = the user's setting.
    int autosaveSeconds = -1;
};

// False with a message for unknown options or bad values.
bool ParseEditorOptions(int argc, char** argv, EditorOptions& options, std::string& error);
// The folder "plugins" beside the running executable.
std::string DefaultPluginDir();

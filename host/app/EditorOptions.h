// Command-line options of scene-editor.
#pragma once

#include <string>

// The longest interval between recovery copies (a day).
constexpr int kMostAutosaveSeconds = 24 * 60 * 60;

struct EditorOptions {
    int views = 1;          // --views 1|4
    std::string sceneFile;  // --scene FILE, or FILE ("" = the built-in demo scene)
    std::string importFile; // FILE with a model's extension: imported into the demo scene
    std::string scriptFile; // --script FILE|- ("" = interactive)
    std::string pluginDir;  // --plugins DIR ("" = DefaultPluginDir())
    std::string demoDir;    // --demo [OUTDIR]: run the built-in demo script, then quit
    bool demo = false;      // --demo given (demoDir is then filled in by the program)
    bool version = false;   // --version: print "scene-editor VERSION" and quit
    int width = 1280;       // --size WxH: the main window's size
    int height = 800;
    bool loadPlugins = true; // tests may build an editor without modules
    // --autosave-seconds N: seconds between recovery copies, 0 = off; -1 = the user's setting.
    int autosaveSeconds = -1;
};

// False with a message for unknown options or bad values. One argument that is not an option
// is the file to open: a model (by its extension, IsModelFileName) is imported, anything else
// opened as a scene, as --scene does.
bool ParseEditorOptions(int argc, char** argv, EditorOptions& options, std::string& error);
// The extension of the file name, lower case, without its dot ("" for none).
std::string FileExtension(const std::string& path);
// Whether the file name ends in one of the extensions model import reads (case ignored).
bool IsModelFileName(const std::string& path);
// Where the plug-in modules are: "plugins" beside the running executable (the build tree),
// else "../lib/gizmark/plugins" from it (the installed tree); the first that exists.
std::string DefaultPluginDir();
// The folder of the running executable ("." when it cannot be told).
std::string ExecutableFolder();

#include "EditorOptions.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {
bool ParseSize(const std::string& text, int& w, int& h) {
    int width = 0, height = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &extra) != 2)
        return false;
    if (width < 320 || height < 240 || width > 8192 || height > 8192)
        return false;
    w = width;
    h = height;
    return true;
}
} // namespace

bool ParseEditorOptions(int argc, char** argv, EditorOptions& options, std::string& error) {
    std::string file; // the one file argument when it is a scene
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "option " + option + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (option == "--views") {
            if (!value(text))
                return false;
            if (text != "1" && text != "4") {
                error = "--views takes 1 or 4, not '" + text + "'";
                return false;
            }
            options.views = text == "4" ? 4 : 1;
        } else if (option == "--scene") {
            if (!value(options.sceneFile))
                return false;
        } else if (option == "--script") {
            if (!value(options.scriptFile))
                return false;
        } else if (option == "--plugins") {
            if (!value(options.pluginDir))
                return false;
        } else if (option == "--demo") {
            options.demo = true;
            // The folder is optional: the next argument is it unless it is an option.
            if (i + 1 < argc && argv[i + 1][0] != '-')
                options.demoDir = argv[++i];
        } else if (option == "--version") {
            options.version = true;
        } else if (option == "--size") {
            if (!value(text))
                return false;
            if (!ParseSize(text, options.width, options.height)) {
                error = "--size takes WIDTHxHEIGHT (320x240 to 8192x8192), not '" + text + "'";
                return false;
            }
        } else if (option == "--autosave-seconds") {
            if (!value(text))
                return false;
            char* end = nullptr;
            errno = 0;
            const long seconds = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) || *end ||
                errno || seconds > kMostAutosaveSeconds) {
                error = "--autosave-seconds takes 0 (off) to " +
                        std::to_string(kMostAutosaveSeconds) + ", not '" + text + "'";
                return false;
            }
            options.autosaveSeconds = int(seconds);
        } else if (option.empty() || option[0] != '-') {
            if (!options.importFile.empty() || !file.empty()) {
                error = "only one file may be given, not also '" + option + "'";
                return false;
            }
            (IsModelFileName(option) ? options.importFile : file) = option;
        } else {
            error = "unknown option '" + option + "'";
            return false;
        }
    }
    if (!file.empty()) {
        if (!options.sceneFile.empty()) {
            error = "a scene file is given twice: '" + file + "' and --scene";
            return false;
        }
        options.sceneFile = file;
    }
    if (options.demo && !options.scriptFile.empty()) {
        error = "--demo and --script cannot be combined";
        return false;
    }
    return true;
}

std::string FileExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

bool IsModelFileName(const std::string& path) {
    const std::string extension = FileExtension(path);
    for (const char* known : {"gltf", "glb", "obj", "fbx", "dae", "ply", "stl"})
        if (extension == known)
            return true;
    return false;
}

std::string ExecutableFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

std::string DefaultPluginDir() {
    const std::string folder = ExecutableFolder();
    // The build tree keeps the modules beside the programs; an installed editor under
    // PREFIX/bin finds them in PREFIX/lib/gizmark/plugins.
    const std::string beside = folder + "/plugins";
    const std::string installed = folder + "/../lib/gizmark/plugins";
    struct stat info;
    if (stat(beside.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return beside;
    return installed;
}

// Script commands that unload and load the plug-in modules inside a running editor, and read
// the process's resident memory: together they let a script cycle a module many times and see
// what each cycle leaves behind.
//
//   unload          ends a press under way (as a release where the pointer last was), empties
//                   the undo and redo stacks (their steps may be the modules' objects), calls
//                   every module's DllUnloadPlugin, last loaded first, and prints "unloaded N".
//   load [PATH]     loads the module file PATH, or without PATH every module of the plug-in
//                   folder the editor started with; prints "loaded N". A module already loaded
//                   is refused (a second DllLoadPlugin would build nothing and its unload would
//                   run twice), and so is a load that loads nothing.
//   memory          prints "memory N kB", the process's resident memory.
//   heap            prints "heap N kB", the bytes the allocator has handed out and not had
//                   back: unlike resident memory, it does not count freed blocks that the
//                   allocator keeps (fragmentation), so it tells growth from held memory.
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "CEditorUndoManager.h"
#include "CPluginLoader.h"

#include <dirent.h>
#include <limits.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define GIZMARK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIZMARK_ASAN 1
#endif
#endif
#ifndef GIZMARK_ASAN
#define GIZMARK_ASAN 0
#endif
#if GIZMARK_ASAN
// The sanitizer runtime's own count (gcc ships no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {
using Args = CScriptRunner::Args;

// The file a path names, so that two spellings of one module compare equal.
std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool IsLoaded(const CPluginLoader& loader, const std::string& path) {
    const std::string file = Canonical(path);
    const auto& modules = loader.modules();
    return std::any_of(modules.begin(), modules.end(),
                       [&](const CPluginLoader::Module& m) { return Canonical(m.path) == file; });
}

// The module files of a folder as the loader names them ("FOLDER/NAME.so").
std::vector<std::string> ModuleFiles(const std::string& folder) {
    std::vector<std::string> paths;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return paths;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
            paths.push_back(folder + "/" + name);
    }
    closedir(dir);
    return paths;
}

// The tool strip and the transform bar come and go with a module: lay the window out again
// and show one frame of the result.
void Relayout(CEditorSession& session) {
    if (CMainFrame* frame = session.Frame())
        frame->UpdateLayout();
    session.RenderFrames(1);
}

bool Unload(CScriptRunner& runner, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: unload";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    CEditorHost& host = session.Host();
    // A drag under way ends as the plug-in's own release would end it, before its steps go.
    host.EndPress();
    host.Undo().clear();
    const int count = static_cast<int>(host.Loader().modules().size());
    host.Loader().UnloadAll();
    Relayout(session);
    runner.Out() << "unloaded " << count << "\n";
    return true;
}

bool Load(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() > 1) {
        error = "usage: load [PATH]";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    CPluginLoader& loader = session.Host().Loader();
    const std::string folder =
        session.Options().pluginDir.empty() ? DefaultPluginDir() : session.Options().pluginDir;
    const std::vector<std::string> paths = args.empty() ? ModuleFiles(folder) : args;
    if (paths.empty()) {
        error = "no plug-in module in " + folder;
        return false;
    }
    for (const std::string& path : paths)
        if (IsLoaded(loader, path)) {
            error = "plug-in " + path + " is loaded already";
            return false;
        }
    int loaded = 0;
    if (args.empty())
        loaded = loader.LoadFolder(folder);
    else if (loader.LoadModule(args[0]))
        loaded = 1;
    if (loaded == 0) {
        error = "no plug-in module could be loaded from " + (args.empty() ? folder : args[0]);
        return false;
    }
    Relayout(session);
    runner.Out() << "loaded " << loaded << "\n";
    return true;
}

bool Memory(CScriptRunner& runner, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: memory";
        return false;
    }
    // statm: total and resident size in pages.
    unsigned long total = 0, resident = 0;
    FILE* file = std::fopen("/proc/self/statm", "r");
    const bool read = file && std::fscanf(file, "%lu %lu", &total, &resident) == 2;
    if (file)
        std::fclose(file);
    if (!read) {
        error = "cannot read /proc/self/statm";
        return false;
    }
    const unsigned long kb = resident * static_cast<unsigned long>(sysconf(_SC_PAGESIZE)) / 1024;
    runner.Out() << "memory " << kb << " kB\n";
    return true;
}

// Bytes the allocator has handed out and not had back. Under AddressSanitizer its own
// allocator serves every block and the C library's counts stay at zero, so ask it instead.
std::size_t HeapInUse() {
#if GIZMARK_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    // Small blocks in use in the arenas plus the large ones mapped on their own.
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

bool Heap(CScriptRunner& runner, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: heap";
        return false;
    }
    runner.Out() << "heap " << HeapInUse() / 1024 << " kB\n";
    return true;
}

} // namespace

void RegisterModuleScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner,
                      {{"unload", Unload}, {"load", Load}, {"memory", Memory}, {"heap", Heap}});
}

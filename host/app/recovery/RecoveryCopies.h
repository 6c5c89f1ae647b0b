// Recovery copies: what autosave leaves of a scene, one folder per editor process under the
// user's state folder ($XDG_STATE_HOME/gizmark/recovery/PID-START, START the process's start
// time in clock ticks after boot, so that a PID used again by another process is not taken for
// the editor that died). A folder holds the scene file, the files it needs, and an info file
// written last: the file the scene came from, when the copy was written, the undo position.
//
// A copy is offered when the process of its folder no longer runs; nothing in a folder is
// trusted: a folder that is a link, or whose info file is missing, too big or unreadable, is
// not offered.
#pragma once

#include <functional>
#include <string>
#include <vector>

constexpr const char* kRecoverySceneFile = "recovery.scene";
constexpr const char* kRecoveryInfoFile = "info";

struct EditorProcess {
    long pid = 0;
    unsigned long long start = 0; // clock ticks after boot
};
EditorProcess CurrentEditorProcess();
// The start time of the process `pid` from /proc; false when no process has that PID.
bool ProcessStartTime(long pid, unsigned long long& start);
// True when `process` still runs: its PID names a process started at the same time.
bool IsProcessRunning(const EditorProcess& process);
// "PID-START", and back; false for a name that is not one.
std::string ProcessFolderName(const EditorProcess& process);
bool ParseProcessFolderName(const std::string& name, EditorProcess& process);
// The folder of all recovery copies: UserStateFolder()/recovery ("" when there is none).
std::string RecoveryRoot();

struct RecoveryInfo {
    std::string source; // the file the scene came from, "" for an untitled scene
    long long time = 0; // when the copy was written, seconds after the epoch
    int undoSteps = 0;  // steps on the undo stack then
    int entities = 0;
};
// The info file's text, and back: false with `error` for a text that is not one.
std::string FormatRecoveryInfo(const RecoveryInfo& info);
bool ParseRecoveryInfo(const std::string& text, RecoveryInfo& info, std::string& error);
// "YYYY-MM-DDTHH:MM:SSZ" (UTC), as scripts print a copy's time.
std::string FormatRecoveryTime(long long time);
// The local time in the strftime `format` ("?" when it cannot be told), as a person sees it.
std::string LocalTimeText(long long time, const char* format);

struct RecoveryCopy {
    std::string folder;
    EditorProcess owner;
    RecoveryInfo info;
    // How scripts and the question name it: the file it came from, or the copy's folder for
    // an untitled scene.
    std::string Shown() const { return info.source.empty() ? folder : info.source; }
};
// The copies under `root` whose process no longer runs (`running` decides), newest first (by
// time, then by folder name). Entries not named like a process's folder, links, and folders
// without a readable info file and scene file are left out.
std::vector<RecoveryCopy>
FindRecoveryCopies(const std::string& root,
                   const std::function<bool(const EditorProcess&)>& running = IsProcessRunning);
// Removes a recovery folder and what it holds (links inside are removed, never followed). A
// path that is not a folder is left alone. False with `error` when something stays.
bool RemoveRecoveryFolder(const std::string& folder, std::string& error);

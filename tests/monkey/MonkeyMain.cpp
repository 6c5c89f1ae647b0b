// gizmark_monkey: seeded random real input over the editor's window (MonkeyGestures.h), in
// the real editor with the plug-in module, checked after every gesture and at the end
// (MonkeyCheck.h): every entity finite and within the world range, no toolkit assertion, each
// undo and redo giving back the scene seen at that depth, and at the end every step undone.
//
//   gizmark_monkey --seed S [--events N] [--out DIR]   one run; the replay script is written
//                                                      to DIR/monkey-S.script as it goes
//   gizmark_monkey --replay FILE                       runs a replay script with the checks
//
// Prints "monkey: N events, seed S, ok" or "monkey: seed S, event N: FAULT why" and the
// replay script's path. A replay script is also an editor script: scene-editor --size
// 800x600 --script FILE sends the same input (without the checks).
// Needs a display (scripts/with-display.sh). Exit 0 pass, 1 no editor, 3 a fault, 4 hung.
#include "EditorProcess.h"
#include "MonkeyCheck.h"
#include "MonkeyGestures.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"

#include <wx/dialog.h>
#include <wx/timer.h>
#include <wx/tooltip.h>
#include <wx/utils.h>
#include <wx/toplevel.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 800, kHeight = 600;
// A gesture that takes longer than this has hung the editor (a sanitizer build on a busy
// machine takes a few seconds for the slowest).
constexpr unsigned kHangSeconds = 120;

struct Options {
    unsigned long seed = 1;
    int events = 2000;
    std::string out = ".";
    std::string replay;
};

// What the watchdog prints when a gesture does not end: made before each gesture, written
// from the signal handler as it is.
char g_hangMessage[512];

void OnHang(int) {
    const ssize_t written = write(2, g_hangMessage, std::strlen(g_hangMessage));
    (void)written;
    _exit(4);
}

// Ends any modal dialog of the toolkit that a gesture opened (none should: their keys and
// menus are left out), so that the run goes on and says so.
class CDialogGuard : public wxTimer {
public:
    void Notify() override {
        for (wxWindow* w : wxTopLevelWindows)
            if (auto* dialog = wxDynamicCast(w, wxDialog))
                if (dialog->IsModal()) {
                    dialog->EndModal(wxID_CANCEL);
                    ++m_ended;
                }
    }
    int Ended() const { return m_ended; }

private:
    int m_ended = 0;
};

// The checks after a gesture; false with `why`.
bool CheckAfter(CEditorSession& session, CUndoTrail& trail, int event, int asserts,
                std::string& why) {
    if (EditorAssertCount() != asserts) {
        why = "a toolkit assertion fired (see the error output)";
        return false;
    }
    if (!CheckWorldRange(session.Scene(), why))
        return false;
    CEditorUndoManager& undo = session.Host().Undo();
    // A group of steps (an Alt drag's copies and move) closes with its drag: with every button
    // up, none may be left open, or the next undo would fold steps nobody grouped.
    const wxMouseState mouse = wxGetMouseState();
    const bool buttonsUp = !mouse.LeftIsDown() && !mouse.MiddleIsDown() && !mouse.RightIsDown();
    if (buttonsUp && undo.GroupOpen()) {
        why = "an undo group is still open with every button up";
        return false;
    }
    // Nor a left press the editor still takes as held: its release went astray.
    if (buttonsUp && session.Host().Pressing()) {
        why = "the editor still takes the left button as pressed with every button up";
        return false;
    }
    trail.SetGesture(event);
    if (!trail.After(TakeSnapshot(session.Scene()), undo.TopStep(), undo.BaseStep())) {
        why = trail.Why();
        return false;
    }
    return true;
}

// The replay script's groups of lines, one per gesture ("# event N" starts each), after the
// lines before the first (the prelude).
bool ReadReplay(const std::string& path, std::vector<std::string>& prelude,
                std::vector<std::vector<std::string>>& events, std::vector<std::string>& digests) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# event ", 0) == 0) {
            events.emplace_back();
            digests.emplace_back();
        } else if (line.rfind("# scene ", 0) == 0 && !digests.empty())
            digests.back() = line.substr(8);
        else if (line.empty() || line[0] == '#')
            continue;
        else if (events.empty())
            prelude.push_back(line);
        else
            events.back().push_back(line);
    }
    return true;
}

int Fault(const Options& o, int event, const std::string& why, const std::string& replay) {
    std::printf("monkey: seed %lu, event %d: FAULT %s\n", o.seed, event, why.c_str());
    std::printf("monkey: replay: %s (gizmark_monkey --replay FILE, or scene-editor --size "
                "%dx%d --script FILE)\n",
                replay.c_str(), kWidth, kHeight);
    std::fflush(stdout);
    return 3;
}

void ArmWatchdog(const Options& o, int event, const std::string& replay) {
    std::snprintf(g_hangMessage, sizeof g_hangMessage,
                  "monkey: seed %lu, event %d: FAULT hung (no answer for %u s)\n"
                  "monkey: replay: %s\n",
                  o.seed, event, kHangSeconds, replay.c_str());
    alarm(kHangSeconds);
}

int RunMonkey(CEditorSession& session, const Options& o) {
    const bool replaying = !o.replay.empty();
    const std::string path =
        replaying ? o.replay : o.out + "/monkey-" + std::to_string(o.seed) + ".script";
    std::vector<std::string> prelude = {"frames 2"};
    std::vector<std::vector<std::string>> events;
    std::vector<std::string> digests; // of the run, per gesture
    int departed = 0;                 // the first gesture where the replay went another way
    std::ofstream file;
    if (replaying) {
        prelude.clear();
        if (!ReadReplay(path, prelude, events, digests)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 2;
        }
    } else {
        file.open(path);
        file << "# monkey replay, seed " << o.seed << ", " << o.events << " events\n"
             << "# run: scene-editor --size " << kWidth << "x" << kHeight
             << " --script FILE (or gizmark_monkey --replay FILE, with the checks)\n";
    }
    wxToolTip::Enable(false);
    CMonkeyGestures monkey(session, o.seed, replaying ? nullptr : &file);
    CDialogGuard guard;
    guard.Start(500);
    signal(SIGALRM, OnHang);
    for (const std::string& line : prelude)
        if (!monkey.Run(line))
            return Fault(o, 0, monkey.Why(), path);
    CUndoTrail trail;
    CEditorUndoManager& undo = session.Host().Undo();
    trail.Start(TakeSnapshot(session.Scene()), undo.TopStep());
    const unsigned long pushes = undo.Pushes(), dropped = undo.Dropped();
    const int asserts = EditorAssertCount();
    const int count = replaying ? int(events.size()) : o.events;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= count; ++i) {
        ArmWatchdog(o, i, path);
        bool ran = true;
        if (replaying) {
            for (const std::string& line : events[std::size_t(i - 1)])
                if (!(ran = monkey.Run(line)))
                    break;
        } else {
            ran = monkey.Gesture(i);
        }
        std::string why;
        if (!ran)
            return Fault(o, i, monkey.Why(), path);
        if (!CheckAfter(session, trail, i, asserts, why))
            return Fault(o, i, why, path);
        // The scene's fingerprint after each gesture: written by a run, compared by a replay.
        char digest[32];
        std::snprintf(digest, sizeof digest, "%016llx",
                      static_cast<unsigned long long>(Digest(TakeSnapshot(session.Scene()))));
        if (!replaying)
            file << "# scene " << digest << "\n";
        else if (!departed && !digests[std::size_t(i - 1)].empty() &&
                 digests[std::size_t(i - 1)] != digest) {
            departed = i;
            std::printf("monkey: the replay's scene differs from the run's after event %d\n", i);
        }
    }
    ArmWatchdog(o, count + 1, path);
    if (!replaying && !monkey.LetGo())
        return Fault(o, count + 1, monkey.Why(), path);
    if (!trail.Unwind(session))
        return Fault(o, count + 1, trail.Why(), path);
    alarm(0);
    guard.Stop();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const unsigned long droppedNow = undo.Dropped() - dropped;
    std::printf("monkey: %lu steps pushed, %lu dropped off the %d-step stack; the final undo "
                "compared %d depths bit for bit (%d passed inside one gesture), back to %s\n",
                undo.Pushes() - pushes, droppedNow, CEditorUndoManager::kDefaultDepth,
                trail.Compared(), trail.Unknown(),
                droppedNow ? "the oldest scene the stack keeps" : "the starting scene");
    if (guard.Ended())
        std::printf("monkey: %d modal dialogs ended\n", guard.Ended());
    std::string kinds = "monkey: gestures:";
    for (const auto& kv : monkey.Counts())
        kinds += " " + kv.first + " " + std::to_string(kv.second) + ",";
    kinds.pop_back();
    std::printf("%s\nmonkey: %.1f s (%.1f ms an event)\n", kinds.c_str(), seconds,
                1000.0 * seconds / std::max(1, count));
    std::printf("monkey: %d events, seed %lu, ok\n", count, o.seed);
    return 0;
}

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--seed" && more)
            o.seed = std::strtoul(argv[++i], nullptr, 10);
        else if (a == "--events" && more)
            o.events = std::atoi(argv[++i]);
        else if (a == "--out" && more)
            o.out = argv[++i];
        else if (a == "--replay" && more)
            o.replay = argv[++i];
        else
            return false;
    }
    return o.events >= 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        std::fprintf(stderr, "usage: gizmark_monkey --seed S [--events N] [--out DIR] | "
                             "--replay FILE\n");
        return 2;
    }
    // Fewer things that depend on the machine's speed: keys go through GTK's own input method,
    // never a daemon's answer; tooltips (which open after the pointer rests for a while, over
    // the spot the next click may take) stay away.
    setenv("GTK_IM_MODULE", "gtk-im-context-simple", 1);
    EditorOptions options;
    options.pluginDir = GIZMARK_MONKEY_PLUGIN_DIR;
    options.width = kWidth;
    options.height = kHeight;
    int result = 1;
    const int code = RunInEditorSession(argv, options, [&](CEditorSession& session) {
        result = RunMonkey(session, o);
        return 0;
    });
    return code ? code : result;
}

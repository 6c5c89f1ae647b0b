// gizmark_undo_model: a seeded random run of editor operations (drags of every gizmo part in
// every mode, panel edits, bar applies, snap to ground, selections by name, click, rectangle
// and parents, copies, light edits, undo and redo) in the real editor with the plug-in module,
// checked after every operation against a small model of the scene (SceneModel.h). At the end
// it undoes as far as the editor's bounded stack reaches and compares every depth exactly.
//
//   gizmark_undo_model --seed N [--ops N] [--out DIR]   one seeded run
//   gizmark_undo_model --replay FILE                     runs a replay script (exit 3 on failure)
//
// A failing run is shrunk (operations dropped while the model still fails, within a time
// budget, each try in a fresh editor process) and the minimal replay script is printed and
// written to DIR/undo-model-SEED.script; `scene-editor --size 800x600 --script FILE` runs it as
// it is (the pixels of clicks and rectangles are those of that window size).
// Needs a display (scripts/with-display.sh). Exit 0 pass, 1 no editor, 2 bad replay, 3 failure.
#include "CEditorSession.h"
#include "EditorProcess.h"
#include "ModelOps.h"
#include "ModelRun.h"

#include "CEditorHost.h"
#include "CEditorUndoManager.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 800, kHeight = 600;
using Ops = std::vector<ModelOp>;

struct Options {
    unsigned seed = 1;
    int ops = 10000;
    std::string replay;
    std::string out = ".";
    double shrinkSeconds = 240.0;
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string ScriptOf(const Ops& ops, unsigned seed) {
    std::string s = "# undo model replay, seed " + std::to_string(seed) + "\n";
    for (const std::string& line : CModelRun::Prelude())
        s += line + "\n";
    for (std::size_t i = 0; i < ops.size(); ++i) {
        s += "# op " + std::to_string(i) + "\n";
        for (const std::string& line : ops[i].lines)
            s += line + "\n";
    }
    return s;
}

// Reads the operations of a replay script: the lines after each "# op" comment.
bool ReadReplay(const std::string& path, Ops& ops) {
    std::ifstream in(path);
    if (!in)
        return false;
    std::vector<std::vector<std::string>> groups;
    bool inOps = false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("# op", 0) == 0) {
            groups.emplace_back();
            inOps = true;
        } else if (inOps && !line.empty() && line[0] != '#') {
            groups.back().push_back(line);
        }
    }
    for (const auto& lines : groups) {
        ModelOp op;
        if (!ParseOp(lines, op)) {
            std::fprintf(stderr, "not an operation: %s\n", lines.empty() ? "" : lines[0].c_str());
            return false;
        }
        ops.push_back(op);
    }
    return true;
}

// 0 pass, 3 model failure, 2 a line the editor refused.
int RunOps(CEditorSession& session, const Ops& ops, bool quiet) {
    CModelRun run(session);
    if (!run.Start()) {
        std::fprintf(stderr, "start: %s\n", run.Why().c_str());
        return 2;
    }
    for (std::size_t i = 0; i < ops.size(); ++i) {
        if (!run.Execute(ops[i])) {
            if (!quiet)
                std::printf("op %zu (%s): %s\n", i, ops[i].lines[0].c_str(), run.Why().c_str());
            return run.ScriptError() ? 2 : 3;
        }
    }
    if (!run.Unwind()) {
        if (!quiet)
            std::printf("final undo: %s\n", run.Why().c_str());
        return run.ScriptError() ? 2 : 3;
    }
    return 0;
}

// Runs a replay of `ops` in a fresh editor process; true when the model fails there.
bool FailsInChild(const std::string& self, const Ops& ops, unsigned seed) {
    char path[] = "/tmp/undo-model-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return false;
    const std::string text = ScriptOf(ops, seed);
    const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    int code = -1;
    if (written) {
        const pid_t pid = fork();
        if (pid == 0) {
            const int devnull = open("/dev/null", O_WRONLY);
            if (devnull >= 0) {
                dup2(devnull, 1);
                dup2(devnull, 2);
            }
            execl(self.c_str(), self.c_str(), "--replay", path, "--quiet", nullptr);
            _exit(127);
        }
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            code = WEXITSTATUS(status);
    }
    unlink(path);
    return code == 3;
}

// Drops operations while the replay still fails: halves, quarters, ... then single ones,
// within the time budget.
Ops Shrink(const std::string& self, Ops ops, unsigned seed, double budget) {
    const auto start = Clock::now();
    std::size_t chunks = 2;
    int tries = 0;
    while (ops.size() > 1 && Since(start) < budget) {
        const std::size_t size = (ops.size() + chunks - 1) / chunks;
        bool removed = false;
        // The failing operation is the last one: keep it, try dropping the others.
        for (std::size_t at = 0; at + 1 < ops.size() && Since(start) < budget; at += size) {
            const std::size_t end = std::min(at + size, ops.size() - 1);
            Ops candidate(ops.begin(), ops.begin() + at);
            candidate.insert(candidate.end(), ops.begin() + end, ops.end());
            ++tries;
            if (FailsInChild(self, candidate, seed)) {
                ops = candidate;
                removed = true;
                break;
            }
        }
        if (removed) {
            chunks = std::max<std::size_t>(2, chunks - 1);
        } else if (size <= 1) {
            break;
        } else {
            chunks = std::min(ops.size(), chunks * 2);
        }
    }
    std::fprintf(stderr, "shrink: %d tries in %.0f s, %zu operations left\n", tries, Since(start),
                 ops.size());
    return ops;
}

bool ParseArgs(int argc, char** argv, Options& o, bool& quiet) {
    quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if ((a == "--seed" || a == "--sequence") && more)
            o.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "--ops" && more)
            o.ops = std::atoi(argv[++i]);
        else if (a == "--replay" && more)
            o.replay = argv[++i];
        else if (a == "--out" && more)
            o.out = argv[++i];
        else if (a == "--shrink-seconds" && more)
            o.shrinkSeconds = std::atof(argv[++i]);
        else if (a == "--quiet")
            quiet = true;
        else
            return false;
    }
    return o.ops >= 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    bool quiet = false;
    if (!ParseArgs(argc, argv, o, quiet)) {
        std::fprintf(stderr, "usage: gizmark_undo_model --seed N [--ops N] [--out DIR] "
                             "[--shrink-seconds S] | --replay FILE\n");
        return 2;
    }
    EditorOptions options;
    options.pluginDir = GIZMARK_MODEL_PLUGIN_DIR;
    // A small window (the side panel still whole): frames cost a fraction of the default size's
    // on a software renderer.
    options.width = kWidth;
    options.height = kHeight;

    if (!o.replay.empty()) {
        Ops ops;
        if (!ReadReplay(o.replay, ops))
            return 2;
        int result = 2;
        const int code = RunInEditorSession(argv, options, [&](CEditorSession& session) {
            result = RunOps(session, ops, quiet);
            return 0;
        });
        return code ? code : result;
    }

    Ops log;
    int result = 0;
    double seconds = 0;
    std::string why;
    const auto start = Clock::now();
    const int code = RunInEditorSession(argv, options, [&](CEditorSession& session) {
        CModelRun run(session);
        if (!run.Start()) {
            why = run.Why();
            result = 2;
            return 0;
        }
        COpGenerator generator(o.seed);
        generator.SetSavePath(ModelSavePath());
        std::size_t maxEntities = 0;
        int maxDepth = 0;
        for (int i = 0; i < o.ops;) {
            log.push_back(generator.Next(run.Model(), run.Mode(), session));
            if (!run.Execute(log.back()) && run.ScriptError() && log.back().kind == OpKind::Drag &&
                run.Why().find("is hidden") != std::string::npos) {
                log.pop_back(); // refused before any input: nothing happened
                continue;
            }
            if (!run.Why().empty()) {
                why = "op " + std::to_string(i) + " (" + log.back().lines[0] + "): " + run.Why() +
                      " [mode " + std::to_string(run.Mode()) + ", selection:";
                for (const std::string& n : run.Model().selection)
                    why += " " + n;
                why += "]";
                result = run.ScriptError() ? 2 : 3;
                return 0;
            }
            ++i;
            maxEntities = std::max(maxEntities, run.Model().entities.size());
            maxDepth = std::max(maxDepth, session.Host().Undo().undoCount());
        }
        if (!run.Unwind()) {
            why = "final undo: " + run.Why();
            result = run.ScriptError() ? 2 : 3;
            return 0;
        }
        seconds = Since(start);
        std::printf("seed %u: %d ops passed in %.1f s (%.2f ms an op); undo depth up to %d, "
                    "up to %zu entities; %d final undos matched exactly\n",
                    o.seed, o.ops, seconds, 1000.0 * seconds / std::max(1, o.ops), maxDepth,
                    maxEntities, run.Undone());
        // Where the time went, per kind of operation.
        std::string times = "seed " + std::to_string(o.seed) + " time per kind:";
        for (int k = 0; k <= static_cast<int>(OpKind::SurfaceDrag); ++k) {
            if (!run.Counts()[k])
                continue;
            char part[96];
            std::snprintf(part, sizeof part, " %s %d x %.1f ms", CModelRun::KindName(OpKind(k)),
                          run.Counts()[k], 1000.0 * run.Seconds()[k] / run.Counts()[k]);
            times += part;
        }
        std::printf("%s\n", times.c_str());
        return 0;
    });
    if (code)
        return code;
    if (result == 0)
        return 0;
    std::printf("seed %u: FAILED %s\n", o.seed, why.c_str());
    if (result != 3)
        return result;
    std::fflush(stdout);
    const Ops minimal = Shrink("/proc/self/exe", log, o.seed, o.shrinkSeconds);
    const std::string script = ScriptOf(minimal, o.seed);
    const std::string path = o.out + "/undo-model-" + std::to_string(o.seed) + ".script";
    std::ofstream(path) << script;
    std::printf("seed %u: replay script (%zu ops), also in %s "
                "(run: scene-editor --size %dx%d --script %s):\n%s",
                o.seed, minimal.size(), path.c_str(), kWidth, kHeight, path.c_str(),
                script.c_str());
    return 3;
}

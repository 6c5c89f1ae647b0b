// Scenes at real size in the running editor with the transform plug-in loaded: opening a flat
// scene of 5,000 and 50,000 entities through the document (as the `open` script command and
// File › 打开 do), clearing a 50,000-entity scene (opening a one-entity scene over it), opening a
// chain of 10,000 nested nodes, saving the 50,000-entity scene, and one drag step of the move
// gizmo and the undo of a whole drag with every entity of the 5,000 and 50,000 scenes selected,
// and how long an autosave of the changed 50,000-entity scene holds the window.
// The program writes its scene files first, as the editor saves them (every mesh entity uses the
// editor's shared "box" mesh), into a temporary folder that it removes at the end. Needs a
// display (run it under scripts/with-display.sh). Each benchmark reports the median
// milliseconds of its iterations as "median_ms"; the opens also report the resident memory
// after the last one ("resident_mb") and the first rendered frame after it ("frame_ms").
#include "EditorBench.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CSceneDocument.h"
#include "SessionRecovery.h"
#include "SceneEntity.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The folder of the generated scene files: made on first use, removed by main at the end.
std::string g_folder;

const std::string& Folder() {
    if (g_folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/gizmark-bench-XXXXXX";
        if (mkdtemp(pattern.data()))
            g_folder = pattern;
    }
    return g_folder;
}

void RemoveFolder() {
    if (g_folder.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(g_folder, ec);
    g_folder.clear();
}

// One node as the editor saves it: transform, then the entity with the shared box mesh; the
// closing tag is left to the caller (a chain nests the next node inside).
void WriteNode(std::ofstream& out, const std::string& indent, const std::string& name, float x,
               float y, float z) {
    out << indent << "<node name=\"" << name << "\">\n"
        << indent << "    <position x=\"" << x << "\" y=\"" << y << "\" z=\"" << z << "\" />\n"
        << indent << "    <rotation qw=\"1\" qx=\"0\" qy=\"0\" qz=\"0\" />\n"
        << indent << "    <scale x=\"1\" y=\"1\" z=\"1\" />\n"
        << indent << "    <entity name=\"" << name << "\" meshFile=\"box\" />\n";
}

std::string EntityName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "e%05d", i);
    return name;
}

// Writes a file once and answers its path ("" when it could not be written).
template <typename Body> std::string SceneFile(const std::string& fileName, Body body) {
    if (Folder().empty())
        return "";
    const std::string path = Folder() + "/" + fileName;
    if (std::filesystem::exists(path))
        return path;
    {
        std::ofstream out(path);
        out.imbue(std::locale::classic());
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scene formatVersion=\"1.1\">\n"
            << "    <nodes>\n";
        body(out);
        out << "    </nodes>\n</scene>\n";
        if (out.good())
            return path;
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return "";
}

// `count` root nodes on a square grid two units apart. The first entity (e00000, the first
// name, on which the gizmo of a selection of all of them stands) takes the grid's middle cell.
std::string FlatScene(int count) {
    return SceneFile("flat" + std::to_string(count) + ".scene", [count](std::ofstream& out) {
        const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
        const int middle = std::min(count - 1, (side / 2) * side + side / 2);
        for (int i = 0; i < count; ++i) {
            const int cell = i == 0 ? middle : i == middle ? 0 : i;
            WriteNode(out, "        ", EntityName(i), 2.0f * (cell % side - side / 2), 0.5f,
                      2.0f * (cell / side - side / 2));
            out << "        </node>\n";
        }
    });
}

// `depth` nodes each holding the next one as its only child, each a tenth of a unit further
// along X than its parent.
std::string ChainScene(int depth) {
    return SceneFile("chain" + std::to_string(depth) + ".scene", [depth](std::ofstream& out) {
        for (int i = 0; i < depth; ++i)
            WriteNode(out, "        ", EntityName(i), i == 0 ? 0.0f : 0.1f, i == 0 ? 0.5f : 0.0f,
                      0.0f);
        for (int i = 0; i < depth; ++i)
            out << "        </node>\n";
    });
}

std::string TinyScene() {
    return SceneFile("tiny.scene", [](std::ofstream& out) {
        WriteNode(out, "        ", "tiny", 0.0f, 0.5f, 0.0f);
        out << "        </node>\n";
    });
}

// Opens a scene file through the document; otherwise skips the benchmark and answers false.
bool Open(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("the scene file could not be written");
        return false;
    }
    std::string error;
    std::vector<std::string> warnings;
    if (!EditorBench::Session().Document().Open(path, error, warnings)) {
        state.SkipWithError(("open failed: " + error).c_str());
        return false;
    }
    if (!warnings.empty()) {
        state.SkipWithError(("open warned: " + warnings.front()).c_str());
        return false;
    }
    return true;
}

// Opens the file unless it is the document's already (the set-up of a benchmark, not timed).
bool EnsureOpen(benchmark::State& state, const std::string& path) {
    if (!path.empty() && EditorBench::Session().Document().Path() == path)
        return true;
    return Open(state, path);
}

double ResidentMegabytes() {
    unsigned long total = 0, resident = 0;
    FILE* file = std::fopen("/proc/self/statm", "r");
    const bool read = file && std::fscanf(file, "%lu %lu", &total, &resident) == 2;
    if (file)
        std::fclose(file);
    return read ? resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// Times opening `path` after a one-entity scene each iteration (so the timed open removes
// almost nothing), checks that the scene then holds `count` entities, and reports the resident
// memory after the last open and the first frame rendered after each.
void TimeOpen(benchmark::State& state, const std::string& path, int count) {
    EditorBench::CTimes times;
    std::vector<double> frames;
    for (auto _ : state) {
        state.PauseTiming();
        const bool tiny = Open(state, TinyScene());
        state.ResumeTiming();
        if (!tiny)
            break;
        times.Start();
        const bool opened = Open(state, path);
        times.Stop();
        if (!opened)
            break;
        if (EditorBench::Session().Scene().GetEntityCount() != count) {
            state.SkipWithError("the scene does not hold every entity");
            break;
        }
        const EditorBench::Clock::time_point start = EditorBench::Clock::now();
        EditorBench::Session().RenderFrames(1);
        frames.push_back(EditorBench::MillisecondsSince(start));
    }
    times.Report(state, count);
    state.counters["resident_mb"] = ResidentMegabytes();
    state.counters["frame_ms"] = EditorBench::Median(frames);
}

void OpenScene(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TimeOpen(state, FlatScene(count), count);
}

void OpenChain(benchmark::State& state) {
    const int depth = static_cast<int>(state.range(0));
    TimeOpen(state, ChainScene(depth), depth);
}

// Opening a one-entity scene over the big one: mostly the removal of the old entities.
void ClearScene(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = FlatScene(count);
    EditorBench::CTimes times;
    for (auto _ : state) {
        state.PauseTiming();
        const bool opened = Open(state, path);
        state.ResumeTiming();
        if (!opened)
            break;
        times.Start();
        const bool cleared = Open(state, TinyScene());
        times.Stop();
        if (!cleared)
            break;
        if (EditorBench::Session().Scene().GetEntityCount() != 1) {
            state.SkipWithError("the old entities are still there");
            break;
        }
    }
    times.Report(state, count);
}

void SaveScene(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = FlatScene(count);
    if (!EnsureOpen(state, path))
        return;
    const std::string target = Folder() + "/saved.scene";
    EditorBench::CTimes times;
    for (auto _ : state) {
        std::string error;
        times.Start();
        const bool saved = EditorBench::Session().Document().Save(target, error);
        times.Stop();
        if (!saved) {
            state.SkipWithError(("save failed: " + error).c_str());
            break;
        }
    }
    std::error_code ec;
    if (std::filesystem::file_size(target, ec) < std::filesystem::file_size(path, ec) / 2)
        state.SkipWithError("the saved file is too small to hold the scene");
    times.Report(state, count);
}

// One autosave of the changed flat scene as the window feels it: what the editor's thread does
// (the scene taken in a snapshot); the files are written by autosave's own thread, waited for
// outside the timing. Each iteration writes a copy.
void Autosave(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    CEditorSession& session = EditorBench::Session();
    if (!EnsureOpen(state, FlatScene(count)))
        return;
    if (!session.RunScriptLine("rename " + EntityName(0) + " autosaved")) {
        state.SkipWithError("the scene could not be changed");
        return;
    }
    CAutosaver& autosaver = session.Recovery().Autosaver();
    autosaver.SetInterval(1);
    EditorBench::CTimes times;
    std::string error;
    double now = 0;
    for (auto _ : state) {
        autosaver.RemoveCopy(error); // the next copy is written whatever the content
        autosaver.Tick(now);         // arms the timer
        now += 2;
        times.Start();
        const bool started = autosaver.Tick(now);
        times.Stop();
        autosaver.WaitForWriter();
        if (!started || autosaver.CopiesWritten() == 0) {
            state.SkipWithError("no copy was written");
            break;
        }
    }
    autosaver.SetInterval(0);
    autosaver.RemoveCopy(error);
    session.RunScriptLine("undo");
    times.Report(state, count);
}

// Opens the flat scene of `count` entities, selects all of them and prepares a drag on the X
// arrow of the gizmo (on e00000); otherwise skips the benchmark and answers false.
bool PrepareDrag(benchmark::State& state, int count, int& x, int& y) {
    if (!EnsureOpen(state, FlatScene(count)))
        return false;
    std::string names;
    for (int i = 0; i < count; ++i)
        names += EntityName(i) + ' ';
    EditorBench::SelectOnly(names);
    if (static_cast<int>(EditorBench::Session().Scene().getSelectedEntities().size()) != count) {
        state.SkipWithError("not every entity is selected");
        return false;
    }
    return EditorBench::PrepareMoveDrag(state, EntityName(0), x, y);
}

// One pointer move of a drag on the X arrow: every selected entity moves.
void DragStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!PrepareDrag(state, count, x, y))
        return;
    // The drag must move the last entity too.
    CEditorScene& scene = EditorBench::Session().Scene();
    EditorBench::TimeDragSteps(
        state, x, y, 0,
        {scene.getSceneEntity(EntityName(0)), scene.getSceneEntity(EntityName(count - 1))}, count);
}

// The undo of a whole drag (press, four steps, release) of every entity.
void UndoDrag(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!PrepareDrag(state, count, x, y))
        return;
    SceneEntity* last = EditorBench::Session().Scene().getSceneEntity(EntityName(count - 1));
    const Ogre::Vector3 start = last->GetPosition();
    EditorBench::TimeUndoOfDrags(state, x, y, count, [&]() -> std::string {
        return last->GetPosition() == start ? "" : "the undo did not bring the last entity back";
    });
}

// Few iterations: each step is slow and the set-up of the next one slower still.
BENCHMARK(OpenScene)->Arg(5000)->Arg(50000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(ClearScene)->Arg(50000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenChain)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveScene)->Arg(50000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Autosave)->Arg(50000)->Iterations(5)->Unit(benchmark::kMillisecond);
// The 5,000 steps take a few milliseconds, where a busy machine's noise weighs most.
BENCHMARK(DragStep)->Arg(5000)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(DragStep)->Arg(50000)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoDrag)->Arg(5000)->Iterations(30)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoDrag)->Arg(50000)->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const int code = EditorBench::RunInEditor(argc, argv, GIZMARK_BENCH_PLUGIN_DIR);
    RemoveFolder();
    return code;
}

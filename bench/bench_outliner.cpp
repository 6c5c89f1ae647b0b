// The outliner in a scene of 10,000 entities: one selection change (the host's step and the
// outliner following it), and opening the scene with and without the outliner's rebuild.
#include "EditorBench.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "COutliner.h"
#include "CSceneDocument.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

COutliner* Outliner(benchmark::State& state) {
    CMainFrame* frame = EditorBench::Session().Frame();
    COutliner* outliner = frame ? frame->GetOutliner() : nullptr;
    if (!outliner)
        state.SkipWithError("the editor has no outliner");
    return outliner;
}

// A scene file of `count` entities, written once per process.
std::string SceneFile(benchmark::State& state, int count) {
    const std::string path = "/tmp/gizmark-bench-outliner-" + std::to_string(getpid()) + "-" +
                             std::to_string(count) + ".scene";
    if (access(path.c_str(), R_OK) == 0)
        return path;
    EditorBench::EnsureBoxes(count);
    std::string error;
    if (!EditorBench::Session().Document().Save(path, error)) {
        state.SkipWithError(("save failed: " + error).c_str());
        return std::string();
    }
    return path;
}

// A click's selection step, then the outliner brought up to date as the next frame does.
void SelectionChange(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    COutliner* outliner = Outliner(state);
    if (!outliner)
        return;
    EditorBench::EnsureBoxes(count);
    EditorBench::SelectOnly("box_a ");
    outliner->Sync(); // the tree built before the measure
    CEditorUndoManager& undo = EditorBench::Session().Host().Undo();
    const char* names[2] = {"gen_0002", "gen_0003"};
    EditorBench::CTimes times;
    int i = 0;
    for (auto _ : state) {
        CommandParams params{{"entity", names[i++ % 2]}, {"mode", "exclude"}};
        times.Start();
        undo.doCommand("SelectEntity", &params);
        outliner->Sync();
        times.Stop();
    }
    if (outliner->Rows().size() != size_t(EditorBench::Session().Scene().GetEntityCount()))
        state.SkipWithError("the outliner does not show every entity");
    times.Report(state, count);
    undo.clear();
}

// Opening the scene file (arg 1: and the outliner's rebuild that follows it). The open alone
// and the open with the rebuild are reported, and the rebuild's share of the open as
// "outliner_percent".
void OutlinerOpen(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    COutliner* outliner = Outliner(state);
    const std::string path = outliner ? SceneFile(state, count) : std::string();
    if (path.empty())
        return;
    CSceneDocument& document = EditorBench::Session().Document();
    EditorBench::CTimes times;
    std::vector<double> opens, rebuilds;
    for (auto _ : state) {
        std::string error;
        std::vector<std::string> warnings;
        const EditorBench::Clock::time_point start = EditorBench::Clock::now();
        if (!document.Open(path, error, warnings)) {
            state.SkipWithError(("open failed: " + error).c_str());
            break;
        }
        opens.push_back(EditorBench::MillisecondsSince(start));
        const EditorBench::Clock::time_point built = EditorBench::Clock::now();
        if (state.range(1))
            outliner->Sync();
        rebuilds.push_back(EditorBench::MillisecondsSince(built));
        state.PauseTiming();
        outliner->Sync(); // not timed without the outliner: the next open starts even
        state.ResumeTiming();
    }
    const double open = EditorBench::Median(opens);
    const double rebuild = EditorBench::Median(rebuilds);
    state.counters["median_ms"] = open + rebuild;
    state.counters["open_ms"] = open;
    state.counters["outliner_ms"] = rebuild;
    state.counters["outliner_percent"] = open > 0 ? 100.0 * rebuild / open : 0.0;
    state.counters["entities"] = count;
    std::remove(path.c_str());
}

BENCHMARK(SelectionChange)->Arg(10000)->Iterations(50)->Unit(benchmark::kMillisecond);
BENCHMARK(OutlinerOpen)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return EditorBench::RunInEditor(argc, argv, GIZMARK_BENCH_PLUGIN_DIR);
}

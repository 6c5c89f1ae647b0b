// Cost of a drag in the running editor with the transform plug-in loaded: one drag step (a
// pointer move with everything it triggers: the gizmo's value, the change of every selected
// entity and the notifications the gizmo, side panel and transform bar answer) and the undo of
// a whole drag, with 1, 100 and 1000 selected entities (the demo scene plus generated boxes).
// Needs a display (run it under scripts/with-display.sh). Each benchmark reports the median
// milliseconds of its iterations as "median_ms".
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorProcess.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

CEditorSession* g_session = nullptr;

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Selects "box_a" and count - 1 generated boxes, engages the move tool and answers the pixel
// on the X arrow of box_a's gizmo (60 pixels out from the centre); otherwise skips the
// benchmark and answers false.
bool Prepare(benchmark::State& state, int count, int& x, int& y) {
    CEditorSession& session = *g_session;
    CEditorScene& scene = session.Scene();
    std::string list = "box_a ";
    for (int i = 1; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "gen_%04d", i);
        if (!scene.GetEntity(name))
            scene.AddMesh(name, "box", "",
                          Ogre::Vector3(-20.0f + (i % 40), 1.0f, -20.0f + (i / 40) % 40));
        list += name;
        list += ' ';
    }
    CommandParams params{{"entity", list}, {"mode", "exclude"}};
    session.Host().Undo().doCommand("SelectEntity", &params);
    session.Host().Undo().clear();
    if (!session.RunScriptLine("tool move")) {
        state.SkipWithError("no move tool");
        return false;
    }
    session.RenderFrames(2);

    CEditorView* view = session.Host().GetView(0);
    SceneEntity* box = scene.getSceneEntity("box_a");
    if (!view || !box) {
        state.SkipWithError("no view or no box_a");
        return false;
    }
    const Ogre::Vector3 centre = box->GetWorldPosition();
    const float unit = view->sizeFactor(centre) / 10.0f; // world length of one pixel
    Ogre::Vector3 a, b;
    view->projectPoint(a, centre, nullptr);
    view->projectPoint(b, centre + Ogre::Vector3(60.0f * unit, 0, 0), nullptr);
    x = static_cast<int>(b.x + 0.5f);
    y = static_cast<int>(b.y + 0.5f);
    if (a.x >= b.x) {
        state.SkipWithError("cannot place the pointer on the gizmo");
        return false;
    }
    return true;
}

void DragStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    CEditorHost& host = g_session->Host();
    if (host.PointerDown(0, KEY_LBUTTON, x, y) != 1) {
        state.SkipWithError("the press did not grab the gizmo");
        return;
    }
    // The drag must really move the selection: check one step before timing.
    SceneEntity* box = g_session->Scene().getSceneEntity("box_a");
    const Ogre::Vector3 before = box->GetPosition();
    host.PointerMove(0, KEY_LBUTTON, x + 30, y);
    if (box->GetPosition().x <= before.x) {
        state.SkipWithError("the drag step did not move the selection");
        host.PointerUp(0, KEY_LBUTTON, x + 30, y);
        return;
    }
    std::vector<double> times;
    int step = 0;
    for (auto _ : state) {
        // Alternate between two positions so every step is a new value.
        const int dx = 20 + (step++ % 2) * 5;
        const auto start = Clock::now();
        host.PointerMove(0, KEY_LBUTTON, x + dx, y);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    host.PointerUp(0, KEY_LBUTTON, x + 20, y);
    host.Undo().undo();
    host.Undo().clear();
    state.counters["median_ms"] = Median(times);
    state.counters["entities"] = count;
}

void UndoDrag(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    CEditorHost& host = g_session->Host();
    std::vector<double> times;
    for (auto _ : state) {
        state.PauseTiming();
        // A whole drag: press, a few steps, release: one step on the undo stack.
        host.PointerDown(0, KEY_LBUTTON, x, y);
        for (int i = 1; i <= 4; ++i)
            host.PointerMove(0, KEY_LBUTTON, x + 6 * i, y);
        host.PointerUp(0, KEY_LBUTTON, x + 24, y);
        state.ResumeTiming();
        const auto start = Clock::now();
        const bool undone = host.Undo().undo();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!undone) {
            state.SkipWithError("the drag left no undo step");
            break;
        }
    }
    host.Undo().clear();
    state.counters["median_ms"] = Median(times);
    state.counters["entities"] = count;
}

BENCHMARK(DragStep)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoDrag)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    EditorOptions options;
    options.pluginDir = GIZMARK_BENCH_PLUGIN_DIR;
    const int code = RunInEditorSession(argv, options, [](CEditorSession& session) {
        g_session = &session;
        benchmark::RunSpecifiedBenchmarks();
        g_session = nullptr;
        return 0;
    });
    benchmark::Shutdown();
    return code;
}

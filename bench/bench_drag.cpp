// Cost of a drag in the running editor with the transform plug-in loaded: one drag step (a
// pointer move with everything it triggers: the gizmo's value, the change of every selected
// entity and the notifications the gizmo, side panel and transform bar answer), the undo of a
// whole drag, and one side-panel edit (a single component applied to the whole selection, as
// the panel applies an edit that loses the focus), with 1, 100, 1000 and 10000 selected
// entities (the demo scene plus generated boxes). The side panel and the transform bar are
// shown throughout. Needs a display (run it under scripts/with-display.sh). Each benchmark
// reports the median milliseconds of its iterations as "median_ms".
#include "IPanelOwner.h"
#include "IPluginBase.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorProcess.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"
#include "CPluginRegistry.h"
#include "CSizeControlChild.h"

#include <wx/window.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

CEditorSession* g_session = nullptr;

// The toolkit's id of the docked transform bar.
constexpr int kTransformBarId = 0xE805;

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
    // Every notification reaches a shown panel and a shown bar, as while a person drags.
    CSizeControlChild* panel = session.Host().SidePanel();
    wxWindow* bar = wxWindow::FindWindowById(kTransformBarId);
    if (!panel || !panel->GetWindow() || !panel->GetWindow()->IsShownOnScreen() || !bar ||
        !bar->IsShownOnScreen()) {
        state.SkipWithError("the side panel or the transform bar is not shown");
        return false;
    }

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

// Keys held during the timed drag steps (Ctrl: each step snaps).
int g_dragKeys = 0;

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
    host.PointerMove(0, KEY_LBUTTON | g_dragKeys, x + 30, y);
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
        host.PointerMove(0, KEY_LBUTTON | g_dragKeys, x + dx, y);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    host.PointerUp(0, KEY_LBUTTON, x + 20, y);
    host.Undo().undo();
    host.Undo().clear();
    state.counters["median_ms"] = Median(times);
    state.counters["entities"] = count;
}

// The same steps snapped, to a move step fine enough that every step still moves the selection.
void DragStepSnapped(benchmark::State& state) {
    CEditorHost& host = (*g_session).Host();
    const SnapSteps steps = host.snapSteps();
    host.SetSnapSteps(SnapSteps{0.001f, 0.1f, 0.001f});
    g_dragKeys = KEY_CTRL;
    DragStep(state);
    g_dragKeys = 0;
    host.SetSnapSteps(steps);
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

// One side-panel edit: position X of every selected entity set to one value, one undo step.
void PanelEdit(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    CEditorHost& host = g_session->Host();
    IPanelOwner* owner = nullptr;
    for (IPluginBase* plugin : host.Registry().plugins())
        if ((owner = dynamic_cast<IPanelOwner*>(plugin)))
            break;
    SceneEntity* box = g_session->Scene().getSceneEntity("box_a");
    if (!owner) {
        state.SkipWithError("no plug-in with a side panel");
        return;
    }
    const Ogre::Vector3 start = box->GetPosition();
    std::vector<double> times;
    int step = 0;
    for (auto _ : state) {
        // Alternate between two values so every edit changes the entities.
        const float value = start.x + 1.0f + static_cast<float>(step++ % 2);
        const auto begin = Clock::now();
        owner->ApplyTransform(Ogre::Vector3(value, 0, 0), AXIS_X, KIND_POSITION);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    }
    if (box->GetPosition().x == start.x)
        state.SkipWithError("the edit did not reach the entities");
    while (host.Undo().undo()) {
    }
    host.Undo().clear();
    state.counters["median_ms"] = Median(times);
    state.counters["entities"] = count;
}

BENCHMARK(DragStep)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(DragStepSnapped)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoDrag)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(PanelEdit)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

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

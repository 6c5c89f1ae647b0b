#include "EditorBench.h"

#include "CEditorHost.h"
#include "CEditorView.h"
#include "CSizeControlChild.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "EditorProcess.h"
#include "SceneEntity.h"

#include <wx/window.h>

#include <algorithm>
#include <ctime>
#include <cstdio>

namespace EditorBench {

namespace {
CEditorSession* g_session = nullptr;
// The toolkit's id of the docked transform bar.
constexpr int kTransformBarId = 0xE805;
} // namespace

CEditorSession& Session() {
    return *g_session;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string EnsureBoxes(int count) {
    CEditorScene& scene = g_session->Scene();
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
    return list;
}

void SelectOnly(const std::string& names) {
    CEditorUndoManager& undo = g_session->Host().Undo();
    CommandParams params{{"entity", names}, {"mode", "exclude"}};
    undo.doCommand("SelectEntity", &params);
    undo.clear();
}

bool EngageTool(benchmark::State& state, const std::string& tool) {
    if (g_session->RunScriptLine("tool " + tool))
        return true;
    state.SkipWithError(("no " + tool + " tool").c_str());
    return false;
}

bool PrepareMoveDrag(benchmark::State& state, const std::string& entity, int& x, int& y) {
    if (!EngageTool(state, "move"))
        return false;
    g_session->RenderFrames(2);
    // Every notification reaches a shown panel and a shown bar, as while a person drags.
    CSizeControlChild* panel = g_session->Host().SidePanel();
    wxWindow* bar = wxWindow::FindWindowById(kTransformBarId);
    if (!panel || !panel->GetWindow() || !panel->GetWindow()->IsShownOnScreen() || !bar ||
        !bar->IsShownOnScreen()) {
        state.SkipWithError("the side panel or the transform bar is not shown");
        return false;
    }

    CEditorView* view = g_session->Host().GetView(0);
    SceneEntity* target = g_session->Scene().getSceneEntity(entity);
    if (!view || !target) {
        state.SkipWithError(("no view or no " + entity).c_str());
        return false;
    }
    const Ogre::Vector3 centre = target->GetWorldPosition();
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

void TimeDragSteps(benchmark::State& state, int x, int y, int keys,
                   const std::vector<SceneEntity*>& watched, int entities) {
    CEditorHost& host = g_session->Host();
    if (host.PointerDown(0, KEY_LBUTTON, x, y) != 1) {
        state.SkipWithError("the press did not grab the gizmo");
        return;
    }
    // The drag must really move the selection: one step is checked before timing.
    std::vector<float> before;
    for (SceneEntity* e : watched)
        before.push_back(e->GetPosition().x);
    host.PointerMove(0, KEY_LBUTTON | keys, x + 30, y);
    for (size_t i = 0; i < watched.size(); ++i)
        if (watched[i]->GetPosition().x <= before[i]) {
            state.SkipWithError("the drag step did not move the selection");
            host.PointerUp(0, KEY_LBUTTON, x + 30, y);
            return;
        }
    CTimes times;
    int step = 0;
    for (auto _ : state) {
        const int dx = 20 + (step++ % 2) * 5;
        times.Start();
        host.PointerMove(0, KEY_LBUTTON | keys, x + dx, y);
        times.Stop();
    }
    host.PointerUp(0, KEY_LBUTTON, x + 20, y);
    host.Undo().undo();
    host.Undo().clear();
    times.Report(state, entities);
}

void TimeUndoOfDrags(benchmark::State& state, int x, int y, int entities,
                     const std::function<std::string()>& check) {
    CEditorHost& host = g_session->Host();
    CTimes times;
    for (auto _ : state) {
        state.PauseTiming();
        host.PointerDown(0, KEY_LBUTTON, x, y);
        for (int i = 1; i <= 4; ++i)
            host.PointerMove(0, KEY_LBUTTON, x + 6 * i, y);
        host.PointerUp(0, KEY_LBUTTON, x + 24, y);
        state.ResumeTiming();
        times.Start();
        const bool undone = host.Undo().undo();
        times.Stop();
        const std::string wrong = !undone ? "the drag left no undo step" : check ? check() : "";
        if (!wrong.empty()) {
            state.SkipWithError(wrong.c_str());
            break;
        }
    }
    host.Undo().clear();
    times.Report(state, entities);
}

double ThreadCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

void CTimes::Start() {
    m_cpuStart = ThreadCpuMilliseconds();
    m_wallStart = Clock::now();
}

void CTimes::Stop() {
    m_wall.push_back(MillisecondsSince(m_wallStart));
    m_cpu.push_back(ThreadCpuMilliseconds() - m_cpuStart);
}

void CTimes::Report(benchmark::State& state, int entities) const {
    state.counters["median_ms"] = Median(m_wall);
    state.counters["cpu_ms"] = Median(m_cpu);
    state.counters["entities"] = entities;
}

int RunInEditor(int argc, char** argv, const char* pluginDir) {
    benchmark::Initialize(&argc, argv);
    EditorOptions options;
    options.pluginDir = pluginDir;
    const int code = RunInEditorSession(argv, options, [](CEditorSession& session) {
        g_session = &session;
        benchmark::RunSpecifiedBenchmarks();
        g_session = nullptr;
        return 0;
    });
    benchmark::Shutdown();
    return code;
}

} // namespace EditorBench

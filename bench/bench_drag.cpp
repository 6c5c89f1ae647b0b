// Cost of a drag in the running editor with the transform plug-in loaded: the press that
// grabs a gizmo part (the pick, with what the plug-in prepares for the drag), one drag step (a
// pointer move with everything it triggers: the gizmo's value, the change of every selected
// entity and the notifications the gizmo, side panel and transform bar answer), the undo of a
// whole drag, and one side-panel edit (a single component applied to the whole selection, as
// the panel applies an edit that loses the focus), with 1, 100, 1000 and 10000 selected
// entities (the demo scene plus generated boxes). The side panel and the transform bar are
// shown throughout. Needs a display (run it under scripts/with-display.sh). Each benchmark
// reports the median milliseconds of its iterations as "median_ms".
#include "EditorBench.h"

#include "IPanelOwner.h"
#include "IPluginBase.h"
#include "SceneEntity.h"
#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"
#include "ModelImport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Selects "box_a" and count - 1 generated boxes, engages the move tool and answers the pixel
// on the X arrow of box_a's gizmo; otherwise skips the benchmark and answers false.
bool Prepare(benchmark::State& state, int count, int& x, int& y) {
    EditorBench::SelectOnly(EditorBench::EnsureBoxes(count));
    return EditorBench::PrepareMoveDrag(state, "box_a", x, y);
}

// The press on box_a's X arrow that grabs it, through the host's input path as the view
// window hands it a button press: the pick of a gizmo part and what the plug-in prepares for
// the drag (a record of every selected entity). Each press is released where it was made.
void Press(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    CEditorHost& host = EditorBench::Session().Host();
    EditorBench::CTimes times;
    for (auto _ : state) {
        times.Start();
        const int claimed = host.PointerDown(0, KEY_LBUTTON, x, y);
        times.Stop();
        host.PointerUp(0, KEY_LBUTTON, x, y);
        host.Undo().clear();
        if (claimed != 1) {
            state.SkipWithError("the press did not grab the gizmo");
            break;
        }
    }
    times.Report(state, count);
}

// A pointer move without a button over the view, through the host's input path as the view
// window hands it: the plug-in finds the gizmo part under the pointer (the press's pick) and
// highlights it. Alternates between the X arrow and a pixel off the gizmo, so every move changes
// the highlight (the dearer case: the colours are set and the views asked to redraw).
void Hover(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    CEditorHost& host = EditorBench::Session().Host();
    EditorBench::CTimes times;
    int step = 0;
    for (auto _ : state) {
        const int dy = (step++ & 1) ? 200 : 0;
        times.Start();
        host.Hover(0, 0, x, y + dy);
        times.Stop();
    }
    host.Hover(0, 0, -1, -1);
    times.Report(state, count);
}

// Keys held during the timed drag steps (Ctrl: each step snaps).
int g_dragKeys = 0;

void DragStep(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    EditorBench::TimeDragSteps(state, x, y, g_dragKeys,
                               {EditorBench::Session().Scene().getSceneEntity("box_a")}, count);
}

// The same steps snapped, to a move step fine enough that every step still moves the selection.
void DragStepSnapped(benchmark::State& state) {
    CEditorHost& host = EditorBench::Session().Host();
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
    // A whole drag: press, a few steps, release: one step on the undo stack.
    EditorBench::TimeUndoOfDrags(state, x, y, count);
}

// One side-panel edit: position X of every selected entity set to one value, one undo step.
void PanelEdit(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    int x = 0, y = 0;
    if (!Prepare(state, count, x, y))
        return;
    CEditorHost& host = EditorBench::Session().Host();
    IPanelOwner* owner = nullptr;
    for (IPluginBase* plugin : host.Registry().plugins())
        if ((owner = dynamic_cast<IPanelOwner*>(plugin)))
            break;
    SceneEntity* box = EditorBench::Session().Scene().getSceneEntity("box_a");
    if (!owner) {
        state.SkipWithError("no plug-in with a side panel");
        return;
    }
    const Ogre::Vector3 start = box->GetPosition();
    EditorBench::CTimes times;
    int step = 0;
    for (auto _ : state) {
        // Alternate between two values so every edit changes the entities.
        const float value = start.x + 1.0f + static_cast<float>(step++ % 2);
        times.Start();
        owner->ApplyTransform(Ogre::Vector3(value, 0, 0), AXIS_X, KIND_POSITION);
        times.Stop();
    }
    if (box->GetPosition().x == start.x)
        state.SkipWithError("the edit did not reach the entities");
    while (host.Undo().undo()) {
    }
    host.Undo().clear();
    times.Report(state, count);
}

// One drag step with box_a and count - 1 entities of an imported model selected: an OBJ file,
// written here, of count - 1 triangles, each an object of its own, so each an entity with an
// engine mesh of its own under the import's group. The import is taken back afterwards.
void DragStepImported(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    EditorBench::EnsureBoxes(1);
    CEditorHost& host = EditorBench::Session().Host();
    CEditorScene& scene = EditorBench::Session().Scene();
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("gizmark-bench-import-" + std::to_string(::getpid()) + ".obj"))
                                 .string();
    {
        std::ofstream out(path);
        for (int i = 1; i < count; ++i) {
            const float x = float(i % 40) * 3 - 60, z = float(i / 40) * 3 - 40;
            out << "o part_" << i << "\nv " << x << " 0 " << z << "\nv " << x + 1 << " 0 " << z
                << "\nv " << x << " 1 " << z << "\nf -3 -2 -1\n";
        }
    }
    host.Undo().clear();
    ModelImportResult result;
    std::string error;
    const bool imported = ImportModel(path, scene, host.Undo(), host.Tools(), result, error);
    std::remove(path.c_str());
    if (!imported || result.entities != count) {
        state.SkipWithError(("import: " + error).c_str());
        return;
    }
    std::set<std::string> names{"box_a"};
    for (const CEditorEntity* e : scene.GetEntity(result.group)->GetChildren())
        names.insert(e->GetName());
    scene.SetSelection(names);
    host.Tools().notify(NOTIFY_SELECTION, 0, nullptr);
    int x = 0, y = 0;
    if (EditorBench::PrepareMoveDrag(state, "box_a", x, y))
        EditorBench::TimeDragSteps(
            state, x, y, 0,
            {scene.getSceneEntity("box_a"), scene.GetEntity(result.group)->GetChildren().front()},
            count);
    while (host.Undo().undo()) {
    }
    host.Undo().clear();
}

BENCHMARK(Press)->Arg(1)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(Hover)->Arg(1)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(DragStep)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(DragStepSnapped)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(UndoDrag)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(PanelEdit)->Arg(1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(DragStepImported)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return EditorBench::RunInEditor(argc, argv, GIZMARK_BENCH_PLUGIN_DIR);
}

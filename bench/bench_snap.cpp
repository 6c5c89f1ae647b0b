// Cost of the move tool's placing drags in the running editor with the plug-in loaded, in a
// scene of 10,000 imported meshes (one small triangle each, spread over the demo ground): a
// pointer move with V held (the selection's vertex under the pointer marked), a step of a vertex
// drag (the vertex of another mesh nearest the pointer looked for among all of them) and a step
// of a surface drag (the mesh or ground under the pointer, the selection placed on it). Needs a
// display (run it under scripts/with-display.sh). Each benchmark reports the median
// milliseconds of its steps as "median_ms".
#include "EditorBench.h"

#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "CToolManager.h"
#include "ModelImport.h"
#include "SceneEntity.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Imports `count` one-triangle meshes once per process; false (the benchmark skipped) when the
// import fails.
bool EnsureImported(benchmark::State& state, int count) {
    static int imported = 0;
    if (imported == count)
        return true;
    CEditorHost& host = EditorBench::Session().Host();
    EditorBench::EnsureBoxes(1);
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("gizmark-bench-snap-" + std::to_string(::getpid()) + ".obj"))
                                 .string();
    {
        std::ofstream out(path);
        for (int i = 0; i < count; ++i) {
            const float x = float(i % 100) * 1.2f - 60, z = float(i / 100) * 0.8f - 40;
            out << "o part_" << i << "\nv " << x << " 0 " << z << "\nv " << x + 0.5f << " 0 " << z
                << "\nv " << x << " 0.5 " << z << "\nf -3 -2 -1\n";
        }
    }
    ModelImportResult result;
    std::string error;
    const bool ok =
        ImportModel(path, EditorBench::Session().Scene(), host.Undo(), host.Tools(), result, error);
    std::remove(path.c_str());
    if (!ok || result.entities < count) {
        state.SkipWithError(("import: " + error).c_str());
        return false;
    }
    imported = count;
    return true;
}

// Selects `name` alone, engages the move tool and answers the pixel of its position in view 0.
bool Prepare(benchmark::State& state, const char* name, int& x, int& y) {
    EditorBench::SelectOnly(std::string(name) + " ");
    if (!EditorBench::EngageTool(state, "move"))
        return false;
    CEditorSession& session = EditorBench::Session();
    session.RenderFrames(2);
    SceneEntity* entity = session.Scene().getSceneEntity(name);
    CEditorView* view = session.Host().GetView(0);
    if (!entity || !view) {
        state.SkipWithError("no entity or view");
        return false;
    }
    Ogre::Vector3 pixel;
    view->projectPoint(pixel, entity->GetWorldPosition(), nullptr);
    x = int(pixel.x + 0.5f);
    y = int(pixel.y + 0.5f);
    return true;
}

// A pointer move without a button, V held, over the selection: its nearest vertex marked.
void VertexHover(benchmark::State& state) {
    int x = 0, y = 0;
    if (!EnsureImported(state, int(state.range(0))) || !Prepare(state, "cone_a", x, y))
        return;
    CEditorHost& host = EditorBench::Session().Host();
    host.OtherInput(INPUT_KEY_VERTEX_DOWN, 0);
    EditorBench::CTimes times;
    int step = 0;
    for (auto _ : state) {
        const int d = (step++ & 1) ? 6 : -6;
        times.Start();
        host.Hover(0, 0, x + d, y + d);
        times.Stop();
    }
    host.OtherInput(INPUT_KEY_VERTEX_UP, 0);
    times.Report(state, int(state.range(0)));
}

// Steps of a held drag between two points over the imported meshes, from a press at (x, y)
// with `keys`; the drag is taken back at the end.
void TimeSteps(benchmark::State& state, int x, int y, int keys, SceneEntity* watched) {
    CEditorHost& host = EditorBench::Session().Host();
    CEditorView* view = host.GetView(0);
    if (host.PointerDown(0, KEY_LBUTTON | keys, x, y) != 1) {
        state.SkipWithError("the press started no drag");
        return;
    }
    // Two points on the imported grid, away from the selection.
    Ogre::Vector3 a, b;
    view->projectPoint(a, Ogre::Vector3(-20.1f, 0.2f, -20.1f), nullptr);
    view->projectPoint(b, Ogre::Vector3(20.3f, 0.2f, -10.3f), nullptr);
    const Ogre::Vector3 before = watched->GetWorldPosition();
    host.PointerMove(0, KEY_LBUTTON | keys, int(a.x), int(a.y));
    if (watched->GetWorldPosition() == before) {
        state.SkipWithError("a step did not move the selection");
        host.OtherInput(INPUT_KEY_ESCAPE, 0);
        return;
    }
    EditorBench::CTimes times;
    int step = 0;
    for (auto _ : state) {
        const Ogre::Vector3& to = (step++ & 1) ? a : b;
        times.Start();
        host.PointerMove(0, KEY_LBUTTON | keys, int(to.x), int(to.y));
        times.Stop();
    }
    host.OtherInput(INPUT_KEY_ESCAPE, 0);
    host.PointerUp(0, KEY_LBUTTON, int(a.x), int(a.y));
    host.Undo().clear();
    times.Report(state, int(state.range(0)));
}

void VertexDragStep(benchmark::State& state) {
    int x = 0, y = 0;
    if (!EnsureImported(state, int(state.range(0))) || !Prepare(state, "cone_a", x, y))
        return;
    CEditorHost& host = EditorBench::Session().Host();
    host.OtherInput(INPUT_KEY_VERTEX_DOWN, 0);
    host.Hover(0, 0, x, y);
    TimeSteps(state, x, y, 0, EditorBench::Session().Scene().getSceneEntity("cone_a"));
    host.OtherInput(INPUT_KEY_VERTEX_UP, 0);
}

void SurfaceDragStep(benchmark::State& state) {
    int x = 0, y = 0;
    if (!EnsureImported(state, int(state.range(0))) || !Prepare(state, "box_a", x, y))
        return;
    TimeSteps(state, x, y, KEY_CTRL | KEY_SHIFT,
              EditorBench::Session().Scene().getSceneEntity("box_a"));
}

BENCHMARK(VertexHover)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(VertexDragStep)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(SurfaceDragStep)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return EditorBench::RunInEditor(argc, argv, GIZMARK_BENCH_PLUGIN_DIR);
}

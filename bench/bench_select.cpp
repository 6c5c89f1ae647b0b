// Cost of selecting in the running editor with the transform plug-in loaded and its select tool
// engaged, among 10000 entities (the demo scene plus generated boxes): a click on an entity (a
// press and a release at one pixel of view 0: a ray query of the scene and one selection step)
// and a rectangle (a press, two moves and a release, as the "rect" script command makes it: every
// entity tested against the rectangle and one selection step). Each gesture goes through the
// host's input path as the view window hands it mouse events; its time includes the
// notifications the gizmo, the side panel and the transform bar answer. Needs a display (run it
// under scripts/with-display.sh). Each benchmark reports the median milliseconds of its
// iterations as "median_ms".
#include "EditorBench.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"
#include "SceneEntity.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

struct Pixel {
    int x = 0;
    int y = 0;
};

// Fills the scene up to `count` entities, selects box_a alone and engages the select tool;
// otherwise skips the benchmark and answers null. Answers view 0.
CEditorView* Prepare(benchmark::State& state, int count) {
    CEditorSession& session = EditorBench::Session();
    EditorBench::EnsureBoxes(count);
    EditorBench::SelectOnly("box_a");
    if (!EditorBench::EngageTool(state, "select"))
        return nullptr;
    session.RenderFrames(2);
    CEditorView* view = session.Host().GetView(0);
    if (!view)
        state.SkipWithError("no view");
    return view;
}

// The pixel of view 0 where an entity's origin lies; false when it is not in the view.
bool PixelOf(CEditorView* view, const std::string& name, Pixel& pixel) {
    SceneEntity* entity = EditorBench::Session().Scene().getSceneEntity(name);
    if (!entity)
        return false;
    Ogre::Vector3 p;
    view->projectPoint(p, entity->GetWorldPosition(), nullptr);
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || p.z < 0.0f || p.z > 1.0f)
        return false;
    pixel.x = static_cast<int>(std::lround(p.x));
    pixel.y = static_cast<int>(std::lround(p.y));
    return pixel.x >= 0 && pixel.y >= 0 && pixel.x < view->GetWidth() &&
           pixel.y < view->GetHeight();
}

void Click(CEditorHost& host, const Pixel& at) {
    host.PointerDown(0, KEY_LBUTTON, at.x, at.y);
    host.PointerUp(0, KEY_LBUTTON, at.x, at.y);
}

// The same gesture as the "rect" script command.
void Rectangle(CEditorHost& host, const Pixel& from, const Pixel& to) {
    host.PointerDown(0, KEY_LBUTTON, from.x, from.y);
    host.PointerMove(0, KEY_LBUTTON, (from.x + to.x) / 2, (from.y + to.y) / 2);
    host.PointerMove(0, KEY_LBUTTON, to.x, to.y);
    host.PointerUp(0, KEY_LBUTTON, to.x, to.y);
}

const std::set<std::string>& Selection() {
    return EditorBench::Session().Scene().getSelectedEntities();
}

// A click on one entity, then on another, and so on: every click changes the selection (a click
// on the one selected entity would change nothing). range(1) = 1: an entity far from both moves
// before each click (not timed), so nothing the scene worked out for an earlier click is still
// good: the click after a drag or an edit.
void ClickSelect(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bool moved = state.range(1) != 0;
    CEditorView* view = Prepare(state, count);
    if (!view)
        return;
    CEditorHost& host = EditorBench::Session().Host();
    Pixel targets[2];
    if (!PixelOf(view, "box_a", targets[0]) || !PixelOf(view, "gen_0001", targets[1])) {
        state.SkipWithError("box_a or gen_0001 is not in the view");
        return;
    }
    // Each click must select one entity, another one than the click before.
    std::string picked[2];
    for (int i = 0; i < 2; ++i) {
        Click(host, targets[i]);
        if (Selection().size() != 1) {
            state.SkipWithError("a click on an entity did not select one entity");
            return;
        }
        picked[i] = *Selection().begin();
    }
    if (picked[0] == picked[1]) {
        state.SkipWithError("both clicks selected the same entity");
        return;
    }
    SceneEntity* far = EditorBench::Session().Scene().getSceneEntity("gen_9999");
    if (moved && !far) {
        state.SkipWithError("no gen_9999 to move");
        return;
    }
    const Ogre::Vector3 farStart = far ? far->GetPosition() : Ogre::Vector3::ZERO;
    EditorBench::CTimes times;
    int step = 0;
    for (auto _ : state) {
        const Pixel& at = targets[step++ % 2];
        if (moved)
            far->SetPosition(farStart + Ogre::Vector3(0.0f, 0.01f * (step % 2), 0.0f));
        times.Start();
        Click(host, at);
        times.Stop();
        host.Undo().clear();
    }
    if (far)
        far->SetPosition(farStart);
    times.Report(state, EditorBench::Session().Scene().GetEntityCount());
}

// A rectangle over the whole view, then one over its left half, and so on: each selects
// thousands of entities and changes the selection.
void RectSelect(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    CEditorView* view = Prepare(state, count);
    if (!view)
        return;
    CEditorHost& host = EditorBench::Session().Host();
    const int w = view->GetWidth(), h = view->GetHeight();
    const Pixel corner{2, 2};
    const Pixel ends[2] = {{w - 3, h - 3}, {w / 2, h - 3}};
    Rectangle(host, corner, ends[0]);
    const std::size_t selected = Selection().size();
    if (selected < static_cast<std::size_t>(count) / 2) {
        state.SkipWithError("the rectangle over the whole view selected too few entities");
        return;
    }
    EditorBench::CTimes times;
    int step = 0;
    for (auto _ : state) {
        const Pixel& end = ends[++step % 2];
        times.Start();
        Rectangle(host, corner, end);
        times.Stop();
        host.Undo().clear();
    }
    times.Report(state, EditorBench::Session().Scene().GetEntityCount());
    state.counters["selected"] = static_cast<double>(selected);
    EditorBench::SelectOnly("box_a");
}

BENCHMARK(ClickSelect)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(RectSelect)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return EditorBench::RunInEditor(argc, argv, GIZMARK_BENCH_PLUGIN_DIR);
}

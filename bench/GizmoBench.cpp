// Per-frame cost of the gizmo: the layout of one view in each mode, the whole frame step
// (layout of view 0, then hiding while the tool is not engaged), the frame step of four views
// (counter "views": scripts/bench.sh divides its time by it to give the time per view) and one
// drag step, with the heap allocations each of them makes.
#include "CMapSelectMgr.h"
#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CEditorView.h"
#include "DemoScene.h"

#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreTechnique.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {
long g_allocations = 0;
}

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class BenchViewHost : public IViewHost {
public:
    void removeMenu(IPluginBase*, wxMenu*, int) override {}
    void removeToolStrip(IPluginBase*, wxToolBar*) override {}
    IView* view(int n) override { return n >= 0 && n < 4 ? views[n] : nullptr; }
    void redraw() override {}
    void setCursor(const wxCursor*) override {}
    void setSidePanel(CSizeControlChild*) override {}
    IView* views[4] = {};
};

// One engine for the whole run: a demo scene with "box_a" selected, one 1000 x 700 view.
struct World {
    World() {
        engine = std::make_unique<CEditorEngine>(false);
        CreateDemoMeshes(*engine);
        BuildDemoScene(*engine->GetScene());
        Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
        if (!mm.getByName("Examples/selectterrain"))
            mm.create("Examples/selectterrain", "General")
                ->getTechnique(0)
                ->getPass(0)
                ->createTextureUnitState();
        view = std::make_unique<CEditorView>(engine->GetOgreSceneManager(), "BenchCamera");
        view->SetPixelSize(1000, 700);
        view->LookAt(DemoCameraEye(), DemoCameraTarget());
        host.views[0] = view.get();
        // The other three views of the four-view layout: top, front and side, orthographic.
        const Ogre::Vector3 target = DemoCameraTarget();
        const Ogre::Vector3 eyes[3] = {target + Ogre::Vector3(0, 100, 0.01f),
                                       target + Ogre::Vector3(0, 0, 100),
                                       target + Ogre::Vector3(100, 0, 0)};
        for (int i = 0; i < 3; ++i) {
            others[i] = std::make_unique<CEditorView>(engine->GetOgreSceneManager(),
                                                      "BenchCamera" + std::to_string(i + 1));
            others[i]->SetPixelSize(500, 350);
            others[i]->SetOrthographic(true, 50.0f);
            others[i]->LookAt(eyes[i], target);
            host.views[i + 1] = others[i].get();
        }
        gizmo = std::make_unique<CMapSelectMgr>();
        gizmo->Create(engine.get(), &host);
        engine->GetScene()->SetSelection({"box_a"});
        gizmo->OnSceneNotify(nullptr, 0, NOTIFY_SELECTION);
    }
    ~World() {
        gizmo.reset();
        for (auto& other : others)
            other.reset();
        view.reset();
        engine.reset();
    }
    std::unique_ptr<CEditorEngine> engine;
    std::unique_ptr<CEditorView> view;
    std::unique_ptr<CEditorView> others[3];
    BenchViewHost host;
    std::unique_ptr<CMapSelectMgr> gizmo;
};

World& TheWorld() {
    static World world;
    return world;
}

void ReportAllocations(benchmark::State& state, long before) {
    state.counters["allocs/frame"] =
        benchmark::Counter(double(g_allocations - before), benchmark::Counter::kAvgIterations);
}

void BM_UpdateView(benchmark::State& state) {
    World& w = TheWorld();
    w.gizmo->SetMode(int(state.range(0)));
    w.gizmo->UpdateView(w.view.get(), 0); // warm: first layout places the nodes
    Ogre::SceneNode* root = w.engine->GetOgreSceneManager()->getRootSceneNode();
    root->_update(true, false);
    const long before = g_allocations;
    for (auto _ : state)
        benchmark::DoNotOptimize(w.gizmo->UpdateView(w.view.get(), 0));
    ReportAllocations(state, before);
}
BENCHMARK(BM_UpdateView)->Arg(MODE_MOVE)->Arg(MODE_ROTATE)->Arg(MODE_SCALE)->Arg(MODE_SELECT);

// What the frame listener does for the gizmo each frame, followed by the engine's node update
// that a rendered frame would run. range(1): the tool is engaged.
void BM_FrameStep(benchmark::State& state) {
    World& w = TheWorld();
    w.gizmo->SetMode(int(state.range(0)));
    const bool engaged = state.range(1) != 0;
    Ogre::SceneNode* root = w.engine->GetOgreSceneManager()->getRootSceneNode();
    w.gizmo->UpdateView(w.view.get(), 0);
    root->_update(true, false);
    const long before = g_allocations;
    for (auto _ : state) {
        w.gizmo->UpdateView(w.view.get(), 0);
        if (!engaged)
            w.gizmo->HideAll();
        root->_update(true, false);
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_FrameStep)
    ->Args({MODE_MOVE, 1})
    ->Args({MODE_ROTATE, 1})
    ->Args({MODE_SCALE, 1})
    ->Args({MODE_MOVE, 0});

// The frame step of the four-view layout: each view laid out as it is about to be drawn, with
// the node update its drawing runs. One iteration is four views.
void BM_FrameStep4Views(benchmark::State& state) {
    World& w = TheWorld();
    w.gizmo->SetMode(int(state.range(0)));
    Ogre::SceneNode* root = w.engine->GetOgreSceneManager()->getRootSceneNode();
    auto frame = [&] {
        for (int n = 0; n < 4; ++n) {
            w.gizmo->UpdateView(w.host.views[n], n);
            root->_update(true, false);
        }
    };
    frame();
    const long before = g_allocations;
    for (auto _ : state)
        frame();
    ReportAllocations(state, before);
    state.counters["views"] = 4;
}
BENCHMARK(BM_FrameStep4Views)->Arg(MODE_MOVE)->Arg(MODE_ROTATE)->Arg(MODE_SCALE);

// The same while the entity moves every frame (as during a drag): the nodes are placed anew.
void BM_FrameStepMoving(benchmark::State& state) {
    World& w = TheWorld();
    w.gizmo->SetMode(int(state.range(0)));
    CEditorEntity* box = w.engine->GetScene()->GetEntity("box_a");
    const Ogre::Vector3 start = box->GetPosition();
    Ogre::SceneNode* root = w.engine->GetOgreSceneManager()->getRootSceneNode();
    float t = 0;
    const long before = g_allocations;
    for (auto _ : state) {
        t += 0.01f;
        box->SetPosition(start + Ogre::Vector3(t - int(t), 0, 0));
        w.gizmo->UpdateView(w.view.get(), 0);
        root->_update(true, false);
    }
    ReportAllocations(state, before);
    box->SetPosition(start);
}
BENCHMARK(BM_FrameStepMoving)->Arg(MODE_MOVE)->Arg(MODE_ROTATE)->Arg(MODE_SCALE);

// One drag step of each mode: press on a part, then alternate between two pointer positions.
void BM_DragStep(benchmark::State& state) {
    World& w = TheWorld();
    const int mode = int(state.range(0));
    w.gizmo->SetMode(mode);
    w.gizmo->UpdateView(w.view.get(), 0);
    const GizmoViewState& st = w.gizmo->GetViewState(0);
    Ogre::Vector3 target = st.axisPoints[1]; // X arrow base or X box
    if (mode == MODE_ROTATE)
        target = st.ringPoints[0][st.ringCount[0] / 2];
    Ogre::Vector3 pixel;
    w.view->projectPoint(pixel, target, nullptr);
    const int x = int(pixel.x) + 3, y = int(pixel.y) - 2;
    if (w.gizmo->OnPress(w.view.get(), 0, KEY_LBUTTON, x, y) != 1) {
        state.SkipWithError("press grabbed nothing");
        return;
    }
    int step = 0;
    const long before = g_allocations;
    for (auto _ : state) {
        ++step;
        benchmark::DoNotOptimize(
            w.gizmo->OnDrag(w.view.get(), 0, KEY_LBUTTON, x + (step & 1 ? 20 : 10), y + 5));
    }
    ReportAllocations(state, before);
    w.gizmo->OnRelease(w.view.get(), 0, 0, 0, 0);
}
BENCHMARK(BM_DragStep)->Arg(MODE_MOVE)->Arg(MODE_ROTATE)->Arg(MODE_SCALE);

// One pointer move over the view without a button (hover): the part under the pointer is found
// by the press's pick. range(1) 0: the pointer stays on the same arrow (no highlight change);
// 1: it goes on and off the arrow every move (the highlight changes every time).
void BM_Hover(benchmark::State& state) {
    World& w = TheWorld();
    const int mode = int(state.range(0));
    const bool changing = state.range(1) != 0;
    w.gizmo->SetMode(mode);
    w.gizmo->UpdateView(w.view.get(), 0);
    const GizmoViewState& st = w.gizmo->GetViewState(0);
    Ogre::Vector3 target = st.axisPoints[1];
    if (mode == MODE_ROTATE)
        target = st.ringPoints[0][st.ringCount[0] / 2];
    Ogre::Vector3 pixel;
    w.view->projectPoint(pixel, target, nullptr);
    const int x = int(pixel.x) + 3, y = int(pixel.y) - 2;
    w.gizmo->OnPointerHover(w.view.get(), 0, x, y);
    if (w.gizmo->GetHoverPart() == GizmoPart::None) {
        state.SkipWithError("the pointer is over no part");
        return;
    }
    int step = 0;
    for (auto _ : state) {
        ++step;
        const int dy = (step & 1) ? (changing ? 300 : 1) : 0;
        benchmark::DoNotOptimize(w.gizmo->OnPointerHover(w.view.get(), 0, x, y + dy));
    }
    w.gizmo->OnPointerHover(w.view.get(), 0, -1, -1);
}
BENCHMARK(BM_Hover)
    ->Args({MODE_MOVE, 0})
    ->Args({MODE_MOVE, 1})
    ->Args({MODE_ROTATE, 0})
    ->Args({MODE_ROTATE, 1})
    ->Args({MODE_SCALE, 0})
    ->Args({MODE_SCALE, 1});

} // namespace

BENCHMARK_MAIN();

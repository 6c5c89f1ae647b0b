// Cost of the editor's frame while many entities are selected and each shows its selection box.
// FrameStepSelected: the frame step, everything a frame does but the drawing: the frame
// listeners (the plug-in's gizmo layout), the selection boxes brought up to date and the scene
// graph update. FrameSelected: the whole frame of the render loop's tick, every view drawn (on
// this machine's software renderer that drawing is most of it, with or without boxes).
// range(0): the number of selected entities among 1,000; range(1) = 1: one of the selected
// entities moves before each frame (not timed), so the frame rebuilds the boxes, as during a
// drag; 0: nothing changes between frames and the boxes are kept. Needs a display (run it
// under scripts/with-display.sh).
#include "EditorBench.h"

#include "CEditorEngine.h"
#include "CEditorSession.h"
#include "CEditorScene.h"
#include "CMainFrame.h"
#include "SceneEntity.h"
#include "SelectionBoxes.h"

#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

namespace {

// The first `count` of the names EnsureBoxes answers.
std::string FirstNames(const std::string& names, int count) {
    std::istringstream in(names);
    std::string name, out;
    for (int i = 0; i < count && in >> name; ++i)
        out += name + " ";
    return out;
}

// The frame without drawing: what Root::renderOneFrame does around the views' updates, and the
// boxes' check each view's update starts with.
void FrameStep(CEditorSession& session, CSelectionBoxes& boxes) {
    Ogre::Root* root = session.Engine().GetRoot();
    root->_fireFrameStarted();
    boxes.Update();
    session.Engine().GetOgreSceneManager()->getRootSceneNode()->_update(true, false);
    root->_fireFrameRenderingQueued();
    root->_fireFrameEnded();
}

void Selected(benchmark::State& state, bool draw) {
    const int selected = static_cast<int>(state.range(0));
    const bool moving = state.range(1) != 0;
    CEditorSession& session = EditorBench::Session();
    const std::string names = EditorBench::EnsureBoxes(1000);
    EditorBench::SelectOnly(FirstNames(names, selected));
    if (!EditorBench::EngageTool(state, "move"))
        return;
    session.RenderFrames(2);
    CSelectionBoxes* boxes = session.Frame() ? session.Frame()->SelectionBoxes() : nullptr;
    if (!boxes || boxes->BoxCount() != selected) {
        state.SkipWithError("the selection boxes do not show the selection");
        return;
    }
    // The last selected entity moves: a selected entity other than the current one.
    std::istringstream in(FirstNames(names, selected));
    std::string last;
    for (std::string name; in >> name;)
        last = name;
    SceneEntity* mover = session.Scene().getSceneEntity(last);
    if (!mover) {
        state.SkipWithError("no entity to move");
        return;
    }
    const Ogre::Vector3 start = mover->GetPosition();
    EditorBench::CTimes times;
    const std::uint64_t buildsBefore = boxes->Builds();
    int step = 0;
    for (auto _ : state) {
        if (moving)
            mover->SetPosition(start + Ogre::Vector3(0.0f, 0.01f * float(++step % 2), 0.0f));
        times.Start();
        if (draw)
            session.RenderTick();
        else
            FrameStep(session, *boxes);
        times.Stop();
    }
    mover->SetPosition(start);
    times.Report(state, session.Scene().GetEntityCount());
    state.counters["selected"] = selected;
    // One build per frame when moving, none when not: the boxes are not rebuilt per frame.
    state.counters["builds"] = double(boxes->Builds() - buildsBefore);
    EditorBench::SelectOnly("box_a");
}

void FrameStepSelected(benchmark::State& state) {
    Selected(state, false);
}

void FrameSelected(benchmark::State& state) {
    Selected(state, true);
}

BENCHMARK(FrameStepSelected)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FrameSelected)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({1, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return EditorBench::RunInEditor(argc, argv, GIZMARK_BENCH_PLUGIN_DIR);
}

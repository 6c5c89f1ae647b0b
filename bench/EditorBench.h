// What the benchmarks of the running editor share: one editor session with the plug-in module
// for the whole process (the benchmark binary's main), a scene of generated boxes, and the
// median of the times a benchmark measured itself. Such a benchmark reports that median as the
// counter "median_ms", the figure scripts/bench.sh compares with its target, and the median
// processor time of the same steps as "cpu_ms" (on a busy machine the two part ways).
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class CEditorSession;
class SceneEntity;

namespace EditorBench {

using Clock = std::chrono::steady_clock;

// The session the benchmarks run in (valid while RunInEditor runs them).
CEditorSession& Session();

double Median(std::vector<double> values);
double MillisecondsSince(Clock::time_point start);

// Makes sure the scene holds "box_a" and count - 1 generated boxes ("gen_0001", ...) spread
// over the demo ground, and answers their names, box_a first, each followed by a space.
std::string EnsureBoxes(int count);

// Makes `names` (as EnsureBoxes answers them) the selection in one selection step and empties
// the undo stack, so that no benchmark inherits another's steps.
void SelectOnly(const std::string& names);

// Engages a tool ("select", "move", ...) as the script command does; otherwise skips the
// benchmark and answers false.
bool EngageTool(benchmark::State& state, const std::string& tool);

// With the selection made: engages the move tool, renders, checks that the side panel and the
// transform bar are shown, and answers the pixel in view 0 on the X arrow of the gizmo standing
// on `entity` (60 pixels out from its centre). Otherwise skips the benchmark and answers false.
bool PrepareMoveDrag(benchmark::State& state, const std::string& entity, int& x, int& y);

// Presses on the gizmo at (x, y) of view 0, checks that one step moves every entity of
// `watched` along +X, then times steps of the held drag (two positions in turn, so that every
// step is a new value, with `keys` held), releases, takes the drag back and reports the times
// for `entities` entities. Skips the benchmark when the press or the step does nothing.
void TimeDragSteps(benchmark::State& state, int x, int y, int keys,
                   const std::vector<SceneEntity*>& watched, int entities);
// Times the undo of whole drags (press at (x, y), four steps, release: one undo step each),
// one per iteration, and reports the times for `entities` entities. `check` (may be empty)
// answers what went wrong after an undo, "" when nothing did.
void TimeUndoOfDrags(benchmark::State& state, int x, int y, int entities,
                     const std::function<std::string()>& check = {});

// Processor time of the calling thread, milliseconds.
double ThreadCpuMilliseconds();

// The wall-clock and processor times of the measured steps of one benchmark.
class CTimes {
public:
    void Start();
    void Stop();
    // Records the medians ("median_ms", "cpu_ms") and the entity count as counters.
    void Report(benchmark::State& state, int entities) const;

private:
    Clock::time_point m_wallStart;
    double m_cpuStart = 0.0;
    std::vector<double> m_wall;
    std::vector<double> m_cpu;
};

// The benchmark binary's main: starts the editor with the plug-in module of `pluginDir` under
// the current display and runs the benchmarks selected on the command line in it.
int RunInEditor(int argc, char** argv, const char* pluginDir);

} // namespace EditorBench

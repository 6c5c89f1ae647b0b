// Start-up costs, each measured in a new process as a person meets it:
//
// - EditorStart: scene-editor started on the demo scene with the plug-in folder, up to its first
//   rendered frame. The editor renders its first frames while it starts, before it reads its
//   script; the script's first command prints a line. The time runs on the monotonic clock of
//   this process from just before the spawn to the arrival of that line (so it includes the
//   process start, the toolkit, the engine, the views, the plug-ins and two rendered frames, but
//   not the shutdown).
// - PluginLoad: the module loaded through the host's plug-in loader (open, entry points,
//   DllLoadPlugin with everything the plug-in builds, and the host's tool strip for it), timed
//   inside a child process (this program again, with --load-module) whose editor was started
//   without plug-ins. A new process for every load, since a module stays mapped once loaded:
//   a second load in one process would not measure what a start-up pays.
//
// Each reports the median milliseconds of its runs as "median_ms". Runs the processes under the
// current display (start it under scripts/with-display.sh).
#include "EditorBench.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CPluginLoader.h"
#include "EditorProcess.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

using EditorBench::Clock;
using EditorBench::MillisecondsSince;

// How long one child may take before it counts as hung.
constexpr int kChildTimeoutMs = 60000;

const char* const kLoadOption = "--load-module";

// A child process whose standard output is read line by line.
class CChild {
public:
    // Starts `argv` with standard output into a pipe and standard error discarded.
    bool Start(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const int error = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (error != 0) {
            close(fds[0]);
            m_pid = -1;
            return false;
        }
        m_out = fds[0];
        return true;
    }

    // The next line of its output starting with `prefix`, without the line end; false at the
    // end of the output or after the time-out.
    bool ReadLine(const std::string& prefix, std::string& line) {
        const Clock::time_point start = Clock::now();
        for (;;) {
            std::size_t end;
            while ((end = m_buffer.find('\n')) != std::string::npos) {
                line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                if (line.compare(0, prefix.size(), prefix) == 0)
                    return true;
            }
            const int left = kChildTimeoutMs - static_cast<int>(MillisecondsSince(start));
            pollfd p{m_out, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0)
                return false;
            char chunk[4096];
            const ssize_t n = read(m_out, chunk, sizeof chunk);
            if (n <= 0)
                return false;
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // Waits for the end of the process (killed after the time-out); true when it exited with 0.
    // Its processor time (user and system, milliseconds) is then in CpuMilliseconds.
    bool Finish() {
        if (m_pid <= 0)
            return false;
        Drain();
        close(m_out);
        m_out = -1;
        int status = 0;
        rusage usage{};
        if (wait4(m_pid, &status, WNOHANG, &usage) == 0) {
            kill(m_pid, SIGKILL);
            wait4(m_pid, &status, 0, &usage);
        }
        m_cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
        m_pid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Reads the rest of the output up to its end (or the time-out), so the child never blocks
    // on a full pipe.
    void Drain() {
        const Clock::time_point start = Clock::now();
        char chunk[4096];
        for (;;) {
            const int left = kChildTimeoutMs - static_cast<int>(MillisecondsSince(start));
            pollfd p{m_out, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0 || read(m_out, chunk, sizeof chunk) <= 0)
                return;
        }
    }

    double CpuMilliseconds() const { return m_cpu; }

    ~CChild() {
        if (m_pid > 0)
            Finish();
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_buffer;
    double m_cpu = 0.0;
};

std::string SelfPath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

void EditorStart(benchmark::State& state) {
    char script[] = "/tmp/gizmark-bench-start-XXXXXX";
    const int fd = mkstemp(script);
    const char text[] = "engaged\nquit\n";
    if (fd < 0 || write(fd, text, sizeof text - 1) != static_cast<ssize_t>(sizeof text - 1)) {
        state.SkipWithError("cannot write the start-up script");
        if (fd >= 0)
            close(fd);
        return;
    }
    close(fd);
    std::vector<double> times, cpu;
    for (auto _ : state) {
        CChild editor;
        const Clock::time_point start = Clock::now();
        std::string line;
        const bool started = editor.Start({GIZMARK_BENCH_EDITOR, "--plugins",
                                           GIZMARK_BENCH_PLUGIN_DIR, "--script", script}) &&
                             editor.ReadLine("engaged ", line);
        times.push_back(MillisecondsSince(start));
        if (!editor.Finish() || !started) {
            state.SkipWithError("scene-editor did not start and quit cleanly");
            break;
        }
        cpu.push_back(editor.CpuMilliseconds());
    }
    unlink(script);
    state.counters["median_ms"] = EditorBench::Median(times);
    // The whole process's processor time, its shutdown included.
    state.counters["cpu_ms"] = EditorBench::Median(cpu);
}

void PluginLoad(benchmark::State& state) {
    const std::string self = SelfPath();
    std::vector<double> times, cpu;
    for (auto _ : state) {
        CChild child;
        std::string line;
        if (!child.Start({self, kLoadOption, GIZMARK_BENCH_PLUGIN_DIR "/Gizmark.so"}) ||
            !child.ReadLine("load_ms ", line)) {
            state.SkipWithError("the loading process gave no time");
            break;
        }
        char* end = nullptr;
        times.push_back(std::strtod(line.c_str() + std::strlen("load_ms "), &end));
        cpu.push_back(std::strtod(end, nullptr));
        if (!child.Finish()) {
            state.SkipWithError("the module did not load, or the process failed");
            break;
        }
    }
    state.counters["median_ms"] = EditorBench::Median(times);
    state.counters["cpu_ms"] = EditorBench::Median(cpu);
}

// The child of PluginLoad: an editor without plug-ins loads `module` once and prints
// "load_ms MILLISECONDS CPU_MILLISECONDS" (wall clock, then processor time); exit code 0 when the
// module loaded and registered a plug-in.
int LoadOnce(char** argv, const std::string& module) {
    EditorOptions options;
    options.loadPlugins = false;
    return RunInEditorSession(argv, options, [&](CEditorSession& session) {
        CPluginLoader& loader = session.Host().Loader();
        const double cpuStart = EditorBench::ThreadCpuMilliseconds();
        const Clock::time_point start = Clock::now();
        const bool loaded = loader.LoadModule(module);
        const double ms = MillisecondsSince(start);
        const double cpu = EditorBench::ThreadCpuMilliseconds() - cpuStart;
        std::printf("load_ms %.6f %.6f\n", ms, cpu);
        std::fflush(stdout);
        return loaded && !loader.modules().empty() && !loader.modules().back().plugins.empty() ? 0
                                                                                               : 1;
    });
}

BENCHMARK(EditorStart)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(PluginLoad)->Iterations(7)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kLoadOption) == 0)
        return LoadOnce(argv, argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

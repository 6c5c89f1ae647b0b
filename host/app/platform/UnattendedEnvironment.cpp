#include "UnattendedEnvironment.h"

#include <cstdlib>

extern "C" {
// GLib's pool of shared worker threads (declared here: the build has no GLib headers).
void g_thread_pool_set_max_idle_time(unsigned int interval);
void g_thread_pool_set_max_unused_threads(int maxThreads);
}

namespace {

struct EnvironmentDefault {
    const char* name;
    const char* value;
};

// At exit, a sanitizer build's leak checker stops every thread of the process and reads its
// stack; a thread that starts or ends meanwhile can crash it. Left alone, the libraries here
// keep threads of their own: llvmpipe a pool of render workers (one a core), Mesa a shader cache
// thread, the accessibility bridge and dconf D-Bus connections with GLib's worker threads. A
// run with nobody at the screen needs none of them: llvmpipe draws the same pixels on the
// calling thread, and GTK's settings keep their defaults in memory.
constexpr EnvironmentDefault kDefaults[] = {
    {"LP_NUM_THREADS", "0"},
    {"MESA_SHADER_CACHE_DISABLE", "true"},
    {"NO_AT_BRIDGE", "1"},
    {"GSETTINGS_BACKEND", "memory"},
};

} // namespace

void PrepareUnattendedEnvironment() {
    for (const EnvironmentDefault& variable : kDefaults)
        setenv(variable.name, variable.value, 0); // 0: a value the caller set wins
    // The text layout library runs font matching on GLib's shared thread pool, whose idle
    // threads end after 15 s, or at once beyond two idle ones: at any moment, exit included.
    // Kept idle instead, they end with the process (a few threads at most).
    g_thread_pool_set_max_idle_time(0);
    g_thread_pool_set_max_unused_threads(-1);
}

// The model reader in a child process (see ModelReaderProcess.h).
#include "ModelReaderProcess.h"

#include "ModelImport.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <fstream>

namespace {

// The reader recurses over the node tree (as deep as kMaxDotSceneDepth once the nesting check
// passed) in its parsers and post-processing steps.
constexpr size_t kReaderStackBytes = 512u * 1024 * 1024;

void RunWithLargeStack(const std::function<void()>& work) {
    pthread_attr_t attr;
    pthread_t thread;
    bool started = false;
    if (pthread_attr_init(&attr) == 0) {
        if (pthread_attr_setstacksize(&attr, kReaderStackBytes) == 0) {
            auto* job = new std::function<void()>(work);
            started = pthread_create(
                          &thread, &attr,
                          [](void* arg) -> void* {
                              auto* fn = static_cast<std::function<void()>*>(arg);
                              (*fn)();
                              delete fn;
                              return nullptr;
                          },
                          job) == 0;
            if (!started)
                delete job;
        }
        pthread_attr_destroy(&attr);
    }
    if (started)
        pthread_join(thread, nullptr);
    else
        work();
}

#if defined(__SANITIZE_ADDRESS__)
#define GIZMARK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIZMARK_ADDRESS_SANITIZER 1
#endif
#endif

// Caps the child's address space at what it has now plus kModelReadMemoryBytes: a file that
// makes the reader allocate without bound ends in a refusal, not in a machine out of memory.
void LimitMemory() {
#ifndef GIZMARK_ADDRESS_SANITIZER
    unsigned long long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const unsigned long long now = pages * static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
    const rlimit limit{now + kModelReadMemoryBytes, now + kModelReadMemoryBytes};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
}

class CWriter {
public:
    void U32(std::uint32_t v) { m_out.append(reinterpret_cast<const char*>(&v), 4); }
    void F32(float v) { m_out.append(reinterpret_cast<const char*>(&v), 4); }
    void Str(const std::string& s) {
        U32(static_cast<std::uint32_t>(s.size()));
        m_out += s;
    }
    template <typename T> void Array(const std::vector<T>& v) {
        U32(static_cast<std::uint32_t>(v.size()));
        m_out.append(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T));
    }
    std::string m_out;
};

class CReader {
public:
    explicit CReader(const std::string& in) : m_in(in) {}
    bool U32(std::uint32_t& v) { return Raw(&v, 4); }
    bool I32(int& v) { return Raw(&v, 4); }
    bool F32(float& v) { return Raw(&v, 4); }
    bool Str(std::string& s) {
        std::uint32_t n = 0;
        if (!U32(n) || n > m_in.size() - m_at)
            return false;
        s.assign(m_in, m_at, n);
        m_at += n;
        return true;
    }
    template <typename T> bool Array(std::vector<T>& v) {
        std::uint32_t n = 0;
        if (!U32(n) || n > (m_in.size() - m_at) / sizeof(T))
            return false;
        v.resize(n);
        return Raw(v.data(), n * sizeof(T));
    }
    bool Vector(Ogre::Vector3& v) { return F32(v.x) && F32(v.y) && F32(v.z); }
    bool Colour(Ogre::ColourValue& c) { return F32(c.r) && F32(c.g) && F32(c.b) && F32(c.a); }
    bool Count(std::uint32_t& n, size_t least) {
        return U32(n) && n <= (m_in.size() - m_at) / least;
    }
    bool AtEnd() const { return m_at == m_in.size(); }

private:
    bool Raw(void* to, size_t n) {
        if (n > m_in.size() - m_at)
            return false;
        if (n == 0)
            return true; // an empty array's data may be null, which memcpy must not get
        std::memcpy(to, m_in.data() + m_at, n);
        m_at += n;
        return true;
    }
    const std::string& m_in;
    size_t m_at = 0;
};

void Vector(CWriter& w, const Ogre::Vector3& v) {
    w.F32(v.x), w.F32(v.y), w.F32(v.z);
}

void Colour(CWriter& w, const Ogre::ColourValue& c) {
    w.F32(c.r), w.F32(c.g), w.F32(c.b), w.F32(c.a);
}

// The child dies of its own crash: a handler the editor's process installed (a crash
// reporter, a sanitizer's, a fuzzer's) would otherwise run in the child, report a crash of the
// editor that did not happen and perhaps write files; the parent turns the signal into an error.
void DefaultCrashSignals() {
    for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP}) {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string EncodeModelOutcome(bool ok, const ModelPlan& plan, const std::string& error) {
    CWriter w;
    w.U32(ok ? 1 : 0);
    w.Str(error);
    w.U32(static_cast<std::uint32_t>(plan.nodes.size()));
    for (const ModelPlanNode& n : plan.nodes) {
        w.Str(n.name);
        w.U32(static_cast<std::uint32_t>(n.parent));
        Vector(w, n.position), Vector(w, n.orientation), Vector(w, n.scale);
        w.U32(static_cast<std::uint32_t>(n.mesh));
        w.U32(n.light ? 1 : 0);
        w.U32(static_cast<std::uint32_t>(n.lightType));
        Colour(w, n.lightColour);
    }
    w.U32(static_cast<std::uint32_t>(plan.meshes.size()));
    for (const ModelPlanMesh& m : plan.meshes) {
        Vector(w, m.boundsMin), Vector(w, m.boundsMax);
        w.U32(static_cast<std::uint32_t>(m.subMeshes.size()));
        for (const ModelPlanSubMesh& s : m.subMeshes) {
            w.Array(s.vertices);
            w.Array(s.indices);
            w.U32(static_cast<std::uint32_t>(s.material));
        }
    }
    w.U32(static_cast<std::uint32_t>(plan.materials.size()));
    for (const ModelPlanMaterial& m : plan.materials) {
        w.Str(m.name);
        Colour(w, m.diffuse);
        w.Str(m.texture);
        w.Str(m.textureExt);
        w.U32(static_cast<std::uint32_t>(m.sameTextureAs));
    }
    w.U32(static_cast<std::uint32_t>(plan.warnings.size()));
    for (const std::string& s : plan.warnings)
        w.Str(s);
    return std::move(w.m_out);
}

bool DecodeModelOutcome(const std::string& bytes, bool& ok, ModelPlan& plan, std::string& error) {
    CReader r(bytes);
    std::uint32_t flag = 0, n = 0;
    if (!r.U32(flag) || !r.Str(error) || !r.Count(n, 60))
        return false;
    ok = flag == 1;
    plan = ModelPlan();
    plan.nodes.resize(n);
    for (ModelPlanNode& node : plan.nodes) {
        std::uint32_t light = 0, type = 0;
        if (!r.Str(node.name) || !r.I32(node.parent) || !r.Vector(node.position) ||
            !r.Vector(node.orientation) || !r.Vector(node.scale) || !r.I32(node.mesh) ||
            !r.U32(light) || !r.U32(type) || !r.Colour(node.lightColour) || type > 2)
            return false;
        node.light = light != 0;
        node.lightType = static_cast<Ogre::Light::LightTypes>(type);
    }
    if (!r.Count(n, 28))
        return false;
    plan.meshes.resize(n);
    for (ModelPlanMesh& m : plan.meshes) {
        std::uint32_t subs = 0;
        if (!r.Vector(m.boundsMin) || !r.Vector(m.boundsMax) || !r.Count(subs, 12))
            return false;
        m.subMeshes.resize(subs);
        for (ModelPlanSubMesh& s : m.subMeshes)
            if (!r.Array(s.vertices) || !r.Array(s.indices) || !r.I32(s.material))
                return false;
    }
    if (!r.Count(n, 32))
        return false;
    plan.materials.resize(n);
    for (size_t i = 0; i < plan.materials.size(); ++i) {
        ModelPlanMaterial& m = plan.materials[i];
        // A shared texture is an earlier material's.
        if (!r.Str(m.name) || !r.Colour(m.diffuse) || !r.Str(m.texture) || !r.Str(m.textureExt) ||
            !r.I32(m.sameTextureAs) || m.sameTextureAs < -1 ||
            m.sameTextureAs >= static_cast<int>(i))
            return false;
    }
    if (!r.Count(n, 4))
        return false;
    plan.warnings.resize(n);
    for (std::string& s : plan.warnings)
        if (!r.Str(s))
            return false;
    return r.AtEnd();
}

bool ReadInChildProcess(const std::function<bool(ModelPlan&, std::string&)>& read,
                        const std::string& label, ModelPlan& plan, std::string& error,
                        int seconds) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = label + ": cannot start the model reader (" + std::strerror(errno) + ")";
        return false;
    }
    pid_t child = -1;
    // Forked from the large-stack thread, the child's only thread runs on that stack.
    RunWithLargeStack([&] {
        child = ::fork();
        if (child != 0)
            return;
        ::close(fds[0]);
        DefaultCrashSignals();
        LimitMemory();
        ModelPlan made;
        std::string why;
        bool ok = false;
        try {
            ok = read(made, why);
        } catch (const std::bad_alloc&) {
            why = label + ": out of memory while reading the model";
        } catch (const std::exception& e) {
            why = label + ": cannot read the model (" + e.what() + ")";
        }
        // No destructors or exit handlers of the parent's libraries run in the child.
        ::_exit(WriteAll(fds[1], EncodeModelOutcome(ok, made, why)) ? 0 : 1);
    });
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        error = label + ": cannot start the model reader (" + std::strerror(errno) + ")";
        return false;
    }
    std::string bytes;
    bool timedOut = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue; // the deadline is checked above
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (timedOut)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        error = label + ": the model reader took longer than " + std::to_string(seconds) +
                " s and was stopped";
        return false;
    }
    if (WIFSIGNALED(status)) {
        error = label + ": the model reader failed on this file (signal " +
                std::to_string(WTERMSIG(status)) + ")";
        return false;
    }
    bool ok = false;
    ModelPlan made;
    std::string why;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        !DecodeModelOutcome(bytes, ok, made, why)) {
        error = label + ": the model reader ended without an answer";
        return false;
    }
    if (!ok) {
        error = why;
        return false;
    }
    plan = std::move(made);
    return true;
}

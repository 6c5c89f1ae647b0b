// Failures that come as exceptions (memory running out while a file is read) end as messages
// that say which file and what was being done, never as a bare "std::bad_alloc" or an
// exception leaving the editor.
#include "CEditorScene.h"
#include "DemoScene.h"
#include "DotScene.h"
#include "ModelImport.h"
#include "ModelReaderProcess.h"
#include "TextScene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <new>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Runs `read` in a child whose address space may grow by 64 MiB at most, and answers the
// message it made; a child that died (an exception left it) answers "died".
std::string MessageUnderMemoryLimit(const std::function<std::string()>& read) {
    int fds[2];
    if (::pipe(fds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t now = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE));
        const rlimit limit{now + 64 * 1024 * 1024, now + 64 * 1024 * 1024};
        ::setrlimit(RLIMIT_AS, &limit);
        const std::string message = read();
        const bool written =
            ::write(fds[1], message.data(), message.size()) == ssize_t(message.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(fds[1]);
    std::string message;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, size_t(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "died";
}

class FailureMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) /
                 ("failure_message_" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(FailureMessageTest, RunningOutOfMemoryWhileReadingASceneSaysSo) {
    if (kAddressSanitizer)
        GTEST_SKIP() << "address space is the sanitizer's shadow memory too";
    // 128 MiB (a sparse file): within the size limit, beyond the memory left.
    const std::string path = (folder / "big.scene").string();
    std::ofstream(path) << "<scene>";
    fs::resize_file(path, 128ull * 1024 * 1024);
    EXPECT_EQ(MessageUnderMemoryLimit([&] {
                  DotSceneDocument doc;
                  std::string error;
                  ReadDotSceneFile(path, doc, error);
                  return error;
              }),
              path + ": out of memory while reading the scene");
    EXPECT_EQ(MessageUnderMemoryLimit([&] {
                  std::string error;
                  ReadSceneTextFile(path, nullptr, error);
                  return error;
              }),
              path + ": out of memory while reading the scene");
}

TEST_F(FailureMessageTest, TheModelReaderRunningOutOfMemorySaysSo) {
    ModelPlan plan;
    std::string error;
    EXPECT_FALSE(ReadInChildProcess(
        [](ModelPlan&, std::string&) -> bool { throw std::bad_alloc(); }, "m.glb", plan, error));
    EXPECT_EQ(error, "m.glb: out of memory while reading the model");
}

} // namespace

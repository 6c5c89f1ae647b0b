// The model reader's child process: a plan comes back whole; a read that fails, throws, dies
// of a signal or runs too long becomes a one-line error; and handlers the editor's process
// installed for crash signals never run in the child.
#include "ModelImport.h"
#include "ModelReaderProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool ReadApart(const std::function<bool(ModelPlan&, std::string&)>& read, ModelPlan& plan,
               std::string& error, int seconds = kModelReadSeconds) {
    return ReadInChildProcess(read, "m.ply", plan, error, seconds);
}

TEST(ModelReaderProcessTest, APlanAndARefusalComeBackWhole) {
    ModelPlan plan;
    std::string error;
    ASSERT_TRUE(ReadApart(
        [](ModelPlan& made, std::string&) {
            made.nodes.resize(2);
            made.nodes[1].name = "child";
            made.nodes[1].parent = 0;
            made.meshes.resize(1);
            made.meshes[0].subMeshes.resize(1);
            // No vertices: an empty array crosses too (its data pointer is null).
            made.meshes[0].subMeshes[0].indices = {0, 1, 2};
            made.warnings = {"m.ply: a warning"};
            return true;
        },
        plan, error))
        << error;
    ASSERT_EQ(plan.nodes.size(), 2u);
    EXPECT_EQ(plan.nodes[1].name, "child");
    EXPECT_EQ(plan.nodes[1].parent, 0);
    EXPECT_EQ(plan.TriangleCount(), 1u);
    EXPECT_EQ(plan.warnings, std::vector<std::string>{"m.ply: a warning"});

    EXPECT_FALSE(ReadApart(
        [](ModelPlan&, std::string& why) {
            why = "m.ply: no";
            return false;
        },
        plan, error));
    EXPECT_EQ(error, "m.ply: no");
    EXPECT_FALSE(ReadApart(
        [](ModelPlan&, std::string&) -> bool { throw std::runtime_error("bad"); }, plan, error));
    EXPECT_EQ(error, "m.ply: cannot read the model (bad)");
}

TEST(ModelReaderProcessTest, AReadThatRunsOnIsStoppedAtItsLimit) {
    ModelPlan plan;
    std::string error;
    EXPECT_FALSE(ReadApart(
        [](ModelPlan&, std::string&) {
            for (;;)
                ::pause();
            return true;
        },
        plan, error, 1));
    EXPECT_EQ(error, "m.ply: the model reader took longer than 1 s and was stopped");
}

int g_handlerPipe = -1;

void MarkHandlerRan(int) {
    const char byte = 'x';
    (void)!::write(g_handlerPipe, &byte, 1);
}

// A handler of this process (here one that writes to a pipe) would run in the child, as a
// fuzzer's or a crash reporter's did, reporting a crash that was not the editor's.
TEST(ModelReaderProcessTest, TheChildDiesOfItsSignalWithoutThisProcesssHandlers) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    g_handlerPipe = fds[1];
    struct sigaction mark {
    }, oldAbort{}, oldSegv{};
    mark.sa_handler = MarkHandlerRan;
    sigemptyset(&mark.sa_mask);
    ::sigaction(SIGABRT, &mark, &oldAbort);
    ::sigaction(SIGSEGV, &mark, &oldSegv);

    ModelPlan plan;
    std::string error;
    EXPECT_FALSE(ReadApart([](ModelPlan&, std::string&) -> bool { std::abort(); }, plan, error));
    EXPECT_EQ(error, "m.ply: the model reader failed on this file (signal 6)");
    EXPECT_FALSE(ReadApart(
        [](ModelPlan&, std::string&) {
            ::raise(SIGSEGV);
            return true;
        },
        plan, error));
    EXPECT_EQ(error, "m.ply: the model reader failed on this file (signal 11)");

    ::sigaction(SIGABRT, &oldAbort, nullptr);
    ::sigaction(SIGSEGV, &oldSegv, nullptr);
    char byte = 0;
    EXPECT_EQ(::read(fds[0], &byte, 1), -1) << "a handler of the editor's process ran in the child";
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(ModelReaderProcessTest, AnAnswerCutShortOrPaddedIsNotTaken) {
    ModelPlan plan;
    plan.nodes.resize(1);
    plan.nodes[0].name = "root";
    const std::string whole = EncodeModelOutcome(true, plan, "");
    bool ok = false;
    ModelPlan back;
    std::string error;
    ASSERT_TRUE(DecodeModelOutcome(whole, ok, back, error));
    EXPECT_TRUE(ok);
    EXPECT_EQ(back.nodes.at(0).name, "root");
    for (size_t cut = 0; cut < whole.size(); ++cut)
        EXPECT_FALSE(DecodeModelOutcome(whole.substr(0, cut), ok, back, error)) << cut;
    EXPECT_FALSE(DecodeModelOutcome(whole + "x", ok, back, error));
}

} // namespace

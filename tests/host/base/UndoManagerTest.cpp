#include "CEditorUndoManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A command that adds its "value" parameter to a shared total and keeps a log.
int g_total = 0;
int g_alive = 0;
std::vector<std::string> g_log;

class CAddCommand : public IBaseCommand {
public:
    CAddCommand() { ++g_alive; }
    ~CAddCommand() override { --g_alive; }
    int execute(CommandParams* params) override {
        auto it = params->find("value");
        if (it == params->end())
            return 0; // nothing to do: not pushed
        m_value = std::stoi(it->second);
        g_total += m_value;
        g_log.push_back("do " + it->second);
        return 1;
    }
    int undo() override {
        g_total -= m_value;
        g_log.push_back("undo " + std::to_string(m_value));
        return 1;
    }

private:
    int m_value = 0;
};
IBaseCommand* MakeAdd() {
    return new CAddCommand;
}
IBaseCommand* MakeOther() {
    return new CAddCommand;
}
IBaseCommand* MakeNull() {
    return nullptr;
}

class CThrowingCommand : public IBaseCommand {
public:
    int execute(CommandParams*) override { throw 1; }
    int undo() override { return 1; }
};
IBaseCommand* MakeThrowing() {
    return new CThrowingCommand;
}

class UndoManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_total = 0;
        g_log.clear();
        ASSERT_TRUE(undo.registerCommand("Add", MakeAdd));
    }
    bool Add(int value) {
        CommandParams params{{"value", std::to_string(value)}};
        return undo.doCommand("Add", &params);
    }
    CEditorUndoManager undo{5};
};
} // namespace

TEST_F(UndoManagerTest, RegistrationKeepsTheFirstFactory) {
    EXPECT_FALSE(undo.registerCommand("Add", MakeOther));
    EXPECT_FALSE(undo.registerCommand("", MakeAdd));
    EXPECT_FALSE(undo.registerCommand("Null", nullptr));
    EXPECT_TRUE(undo.isCommandRegistered("Add"));
    EXPECT_TRUE(undo.unregisterCommand("Add"));
    EXPECT_FALSE(undo.unregisterCommand("Add"));
    EXPECT_FALSE(Add(1)); // unknown name now
    EXPECT_EQ(undo.undoCount(), 0);
}

TEST_F(UndoManagerTest, DoUndoRedoRoundTrip) {
    EXPECT_TRUE(Add(2));
    EXPECT_TRUE(Add(3));
    EXPECT_EQ(g_total, 5);
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(g_total, 2);
    EXPECT_EQ(undo.redoCount(), 1);
    // Redo executes again with the parameters of the first execution.
    EXPECT_TRUE(undo.redo());
    EXPECT_EQ(g_total, 5);
    EXPECT_TRUE(undo.undo());
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(g_total, 0);
    EXPECT_FALSE(undo.undo());
    EXPECT_EQ(undo.redoCount(), 2);
    // A new step clears the redo stack.
    EXPECT_TRUE(Add(7));
    EXPECT_EQ(undo.redoCount(), 0);
    EXPECT_FALSE(undo.redo());
    EXPECT_EQ(g_total, 7);
}

TEST_F(UndoManagerTest, RefusedOrFailingCommandsAreNotPushed) {
    CommandParams empty;
    EXPECT_FALSE(undo.doCommand("Add", &empty));  // execute answered 0
    EXPECT_FALSE(undo.doCommand("Add", nullptr)); // null params: an empty map
    ASSERT_TRUE(undo.registerCommand("Null", MakeNull));
    EXPECT_FALSE(undo.doCommand("Null", &empty));
    ASSERT_TRUE(undo.registerCommand("Throw", MakeThrowing));
    EXPECT_FALSE(undo.doCommand("Throw", &empty));
    EXPECT_EQ(undo.undoCount(), 0);
    EXPECT_EQ(g_alive, 0); // the refused commands were deleted
}

TEST_F(UndoManagerTest, AddUndoOwnsTheStepAndDepthIsBounded) {
    undo.addUndo(nullptr);
    EXPECT_EQ(undo.undoCount(), 0);
    for (int i = 1; i <= 8; ++i)
        ASSERT_TRUE(Add(i));
    EXPECT_EQ(undo.undoCount(), 5); // the three oldest were dropped
    EXPECT_EQ(g_alive, 5);
    while (undo.undo()) {
    }
    EXPECT_EQ(g_total, 1 + 2 + 3); // only the last five could be undone

    auto* applied = new CAddCommand; // an already applied step
    undo.addUndo(applied);
    EXPECT_EQ(undo.redoCount(), 0);
    EXPECT_EQ(undo.undoCount(), 1);
    undo.clear();
    EXPECT_EQ(undo.undoCount(), 0);
    EXPECT_EQ(g_alive, 0);
}

TEST_F(UndoManagerTest, DocumentStateFollowsTheStepsThatChangeIt) {
    ASSERT_TRUE(undo.registerCommand("Look", MakeAdd));
    undo.SetChangesDocument("Look", false);
    auto look = [&] {
        CommandParams params{{"value", "0"}};
        return undo.doCommand("Look", &params);
    };
    const unsigned long start = undo.DocumentState();
    ASSERT_TRUE(look());
    EXPECT_EQ(undo.DocumentState(), start);
    ASSERT_TRUE(Add(1));
    const unsigned long one = undo.DocumentState();
    EXPECT_NE(one, start);
    ASSERT_TRUE(look());
    EXPECT_EQ(undo.DocumentState(), one);
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(undo.DocumentState(), start);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(undo.DocumentState(), one);
    // A new step after an undo is a new state, even with the same effect.
    ASSERT_TRUE(undo.undo());
    ASSERT_TRUE(Add(1));
    EXPECT_NE(undo.DocumentState(), one);
    EXPECT_NE(undo.DocumentState(), start);
    // Unnamed steps change the document; a name can be made to count again.
    const unsigned long two = undo.DocumentState();
    undo.addUndo(new CAddCommand);
    EXPECT_NE(undo.DocumentState(), two);
    undo.SetChangesDocument("Look", true);
    const unsigned long three = undo.DocumentState();
    ASSERT_TRUE(look());
    EXPECT_NE(undo.DocumentState(), three);

    // Dropping steps off the bottom (depth 5) keeps the state reached by undoing them all.
    undo.clear();
    EXPECT_EQ(undo.undoCount(), 0);
    ASSERT_TRUE(Add(1));
    const unsigned long kept = undo.DocumentState();
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(Add(1));
    while (undo.undo()) {
    }
    EXPECT_EQ(undo.DocumentState(), kept);
}

TEST_F(UndoManagerTest, AGroupKeptUndoesAndRedoesAsOneStep) {
    ASSERT_TRUE(Add(1));
    const unsigned long before = undo.DocumentState();
    undo.beginGroup();
    ASSERT_TRUE(Add(10));
    undo.addUndo(new CAddCommand); // a step applied already (as a drag pushes it)
    ASSERT_TRUE(Add(100));
    undo.endGroup(true);
    EXPECT_EQ(undo.undoCount(), 2);
    EXPECT_EQ(g_total, 111);
    const unsigned long grouped = undo.DocumentState();
    EXPECT_NE(grouped, before);
    g_log.clear();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(g_total, 1);
    // Newest first on undo, in their order on redo, each with its own parameters.
    EXPECT_EQ(g_log, (std::vector<std::string>{"undo 100", "undo 0", "undo 10"}));
    EXPECT_EQ(undo.DocumentState(), before);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(g_total, 111);
    EXPECT_EQ(undo.DocumentState(), grouped);
    EXPECT_EQ(undo.redoCount(), 0);
}

TEST_F(UndoManagerTest, AGroupDroppedLeavesBothStacksAsTheyWere) {
    ASSERT_TRUE(Add(1));
    ASSERT_TRUE(Add(2));
    ASSERT_TRUE(undo.undo()); // one redo step waiting
    const unsigned long before = undo.DocumentState();
    const int alive = g_alive;
    undo.beginGroup();
    ASSERT_TRUE(Add(10));
    ASSERT_TRUE(Add(20));
    EXPECT_EQ(undo.redoCount(), 0);
    undo.endGroup(false);
    EXPECT_EQ(g_total, 1);
    EXPECT_EQ(g_alive, alive); // the group's steps were deleted
    EXPECT_EQ(undo.undoCount(), 1);
    EXPECT_EQ(undo.redoCount(), 1);
    EXPECT_EQ(undo.DocumentState(), before);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(g_total, 3);

    // An empty group kept changes nothing either; one step kept stays a plain step.
    undo.beginGroup();
    undo.endGroup(true);
    EXPECT_EQ(undo.undoCount(), 2);
    undo.beginGroup();
    ASSERT_TRUE(Add(5));
    undo.endGroup(true);
    EXPECT_EQ(undo.undoCount(), 3);
    // Closing twice, or without a group, does nothing.
    undo.endGroup(false);
    EXPECT_EQ(g_total, 8);
}

TEST_F(UndoManagerTest, AnUndoOrANewGroupKeepsTheOpenGroup) {
    undo.beginGroup();
    ASSERT_TRUE(Add(1));
    ASSERT_TRUE(Add(2));
    ASSERT_TRUE(undo.undo()); // the group closes as one step first
    EXPECT_EQ(g_total, 0);
    EXPECT_FALSE(undo.GroupOpen());
    ASSERT_TRUE(undo.redo());
    undo.beginGroup();
    ASSERT_TRUE(Add(4));
    undo.beginGroup(); // keeps the first as it stands
    ASSERT_TRUE(Add(8));
    undo.endGroup(false);
    EXPECT_EQ(g_total, 7);
    EXPECT_EQ(undo.undoCount(), 2);
    // A group longer than the stack keeps what the stack holds.
    undo.clear();
    undo.beginGroup();
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(Add(1));
    undo.endGroup(true);
    EXPECT_EQ(undo.undoCount(), 1);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(g_total, 7 + 2); // five of the seven were still on the stack
}

// TopStep names the step the scene stands at, whatever the depth: kept through undo and redo,
// new for a folded group, back to the one before for a dropped group, the dropped step's own
// when a full stack drops its oldest, and a fresh one at a clear.
TEST_F(UndoManagerTest, TopStepNamesTheStepTheSceneStandsAt) {
    EXPECT_EQ(undo.TopStep(), 0u);
    ASSERT_TRUE(Add(1));
    const unsigned long one = undo.TopStep();
    ASSERT_TRUE(Add(2));
    const unsigned long two = undo.TopStep();
    EXPECT_NE(one, two);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(undo.TopStep(), one);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(undo.TopStep(), two);

    undo.beginGroup();
    ASSERT_TRUE(Add(10));
    undo.endGroup(false);
    EXPECT_EQ(undo.TopStep(), two);
    EXPECT_EQ(undo.undoCount(), 2);
    undo.beginGroup();
    ASSERT_TRUE(Add(10));
    ASSERT_TRUE(Add(20));
    undo.endGroup(true);
    const unsigned long group = undo.TopStep();
    EXPECT_GT(group, two);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(undo.TopStep(), two);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(undo.TopStep(), group);

    // Three steps on the five-step stack: the two oldest go, and undoing every step that stays
    // stands at the newest of them.
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(Add(1));
    EXPECT_EQ(undo.Dropped(), 2u);
    EXPECT_EQ(undo.BaseStep(), two);
    while (undo.undo()) {
    }
    EXPECT_EQ(undo.TopStep(), two);
    undo.clear();
    EXPECT_GT(undo.TopStep(), group);
    EXPECT_EQ(undo.BaseStep(), undo.TopStep());
}

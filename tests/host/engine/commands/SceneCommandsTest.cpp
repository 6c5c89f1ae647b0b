// The undoable "SelectEntity" and "CopyEntity" commands through the editor's undo manager.
#include "EngineFixture.h"

#include "CEditorUndoManager.h"
#include "HostFakes.h"
#include "SceneCommands.h"
#include "Interface.h"

#include <utility>
#include <vector>

namespace {

class RecordingNotifier : public CQuietTools {
public:
    void notify(int code, int, void* data) override {
        std::string name;
        if (code == NOTIFY_REMOVED && data)
            name = static_cast<SceneEntity*>(data)->GetName();
        events.emplace_back(code, name);
    }
    std::vector<std::pair<int, std::string>> events;
};

class CommandsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        for (const char* n : {"a", "b", "c"})
            scene->AddMesh(n, "box", "", {0, 0, 0});
        ASSERT_TRUE(RegisterSceneCommands(undo, *scene, notifier));
    }
    void TearDown() override {
        UnregisterSceneCommands(undo);
        undo.clear();
        EngineTest::TearDown();
    }
    bool Select(const std::string& names, const std::string& mode) {
        CommandParams p{{"entity", names}, {"mode", mode}};
        return undo.doCommand("SelectEntity", &p);
    }
    using Names = std::set<std::string>;
    Names Selection() const { return scene->getSelectedEntities(); }

    CEditorUndoManager undo;
    RecordingNotifier notifier;
};

} // namespace

TEST_F(CommandsTest, SelectEntityModesAndExactUndoRedo) {
    EXPECT_TRUE(Select("a b ", "exclude"));
    EXPECT_EQ(Selection(), (Names{"a", "b"}));
    EXPECT_TRUE(Select("c ghost ", "add")); // unknown names ignored
    EXPECT_EQ(Selection(), (Names{"a", "b", "c"}));
    EXPECT_TRUE(Select("a", "sub")); // a click's single name
    EXPECT_EQ(Selection(), (Names{"b", "c"}));
    EXPECT_TRUE(Select("", "exclude"));
    EXPECT_TRUE(Selection().empty());
    EXPECT_FALSE(Select("a ", "toggle")); // unknown mode: nothing pushed
    EXPECT_EQ(undo.undoCount(), 4);
    EXPECT_EQ(notifier.events.size(), 4u);

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Selection(), (Names{"b", "c"}));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Selection(), (Names{"a", "b", "c"}));
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(Selection(), (Names{"a", "b"}));
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(Selection(), (Names{"a", "b", "c"}));
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(Selection(), (Names{"b", "c"}));
    for (const auto& e : notifier.events)
        EXPECT_EQ(e.first, NOTIFY_SELECTION);
    EXPECT_EQ(notifier.events.size(), 9u);
}

TEST_F(CommandsTest, CopyEntityCopiesSelectsAndUndoesWithRemovalNotices) {
    scene->GetEntity("b")->SetPosition(Ogre::Vector3(1, 2, 3));
    scene->GetEntity("c")->AddState(STATE_NO_COPY);
    Select("b c ", "exclude");
    notifier.events.clear();

    CommandParams p{{"entity", "b c "}};
    ASSERT_TRUE(undo.doCommand("CopyEntity", &p));
    EXPECT_EQ(Selection(), (Names{"b_1"})); // c may not be copied
    ExpectNear(scene->GetEntity("b_1")->GetPosition(), {1, 2, 3});
    ASSERT_EQ(notifier.events.size(), 1u);
    EXPECT_EQ(notifier.events[0].first, NOTIFY_SELECTION);

    notifier.events.clear();
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(scene->GetEntity("b_1"), nullptr);
    EXPECT_EQ(Selection(), (Names{"b", "c"}));
    ASSERT_EQ(notifier.events.size(), 2u);
    EXPECT_EQ(notifier.events[0], std::make_pair(int(NOTIFY_REMOVED), std::string("b_1")));
    EXPECT_EQ(notifier.events[1].first, NOTIFY_SELECTION);

    ASSERT_TRUE(undo.redo());
    EXPECT_NE(scene->GetEntity("b_1"), nullptr); // the same name again
    EXPECT_EQ(Selection(), (Names{"b_1"}));

    // Nothing copyable: the command fails and no step is recorded.
    const int steps = undo.undoCount();
    CommandParams none{{"entity", "c ghost "}};
    EXPECT_FALSE(undo.doCommand("CopyEntity", &none));
    EXPECT_EQ(undo.undoCount(), steps);
    // Without a list the selection is copied.
    CommandParams selection;
    ASSERT_TRUE(undo.doCommand("CopyEntity", &selection));
    EXPECT_EQ(Selection(), (Names{"b_1_1"}));
}

TEST_F(CommandsTest, RegistrationIsRefusedTwiceAndCommandsGoQuietAfterUnregistering) {
    RecordingNotifier other;
    EXPECT_FALSE(RegisterSceneCommands(undo, *scene, other));
    Select("a ", "exclude");
    EXPECT_EQ(Selection(), (Names{"a"}));
    UnregisterSceneCommands(undo);
    EXPECT_FALSE(Select("b ", "exclude"));
    undo.undo(); // a step made before refuses quietly: nothing to act on any more
    EXPECT_EQ(Selection(), (Names{"a"}));
}

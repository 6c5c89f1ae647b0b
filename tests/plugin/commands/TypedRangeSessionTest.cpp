// Inside the running editor with the module loaded: turns about the shared pivot that go out
// and back to the press pixel, typed amounts the world range refuses, the totals the status
// line shows during a drag, and the ways a drag ends.
#include "IView.h"
#include "SceneEntity.h"
#include "StatusText.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorTestMain.h"
#include "CEditorUndoManager.h"
#include "CEditorScene.h"
#include "ScriptRunner.h"
#include "SelectedBoxTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

// An entity's world place and turn.
struct Placed {
    Ogre::Vector3 position, orientation, scale;
    explicit Placed(SceneEntity* e)
        : position(e->GetWorldPosition()), orientation(e->GetWorldOrientation()),
          scale(e->GetWorldScale()) {}
};

void ExpectNear(const Ogre::Vector3& a, const Ogre::Vector3& b, float tolerance,
                const std::string& what) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << what << " component " << i;
}

class TypedRangeTest : public SelectedBoxTest {
protected:
    void SetUp() override {
        SelectedBoxTest::SetUp();
        if (HasFatalFailure())
            return;
        cone = g_session->Scene().getSceneEntity("cone_a");
        ASSERT_TRUE(cone);
        saved = {Save(box), Save(cone)};
    }
    void TearDown() override {
        Run("pivot own");
        SelectedBoxTest::TearDown();
        SceneEntity* const entities[] = {box, cone};
        for (int i = 0; i < 2; ++i) {
            entities[i]->SetPosition(saved[i][0]);
            entities[i]->SetOrientation(saved[i][1]);
            entities[i]->SetScale(saved[i][2]);
        }
    }
    static std::vector<Ogre::Vector3> Save(SceneEntity* e) {
        return {e->GetPosition(), e->GetOrientation(), e->GetScale()};
    }
    std::string Output(const std::string& line) {
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        Run(line);
        g_session->Script().SetOutput(nullptr);
        return out.str();
    }
    // Selects `names` afresh, engages `tool` and gives the pixel of gizmo part `part`.
    void Grab(const std::string& names, const std::string& tool, const std::string& part, int& px,
              int& py) {
        Run("select pillar");
        Run("select " + names);
        Run("tool " + tool);
        g_session->RenderFrames(2);
        Undo().clear();
        std::string word;
        std::istringstream in(Output("handle " + part));
        in >> word >> word >> word >> px >> py;
        ASSERT_EQ(word, "px") << in.str();
    }
    // Grab, then a press on the part and the pointer moved (dx, dy) from there; answers where
    // the press found box_a.
    Placed Drag(const std::string& names, const std::string& tool, const std::string& part, int dx,
                int dy, int& px, int& py) {
        Grab(names, tool, part, px, py);
        const Placed press(box);
        EXPECT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
        host().PointerMove(0, KEY_LBUTTON, px + dx, py + dy);
        return press;
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            EXPECT_EQ(host().OtherInput(c, 0), 1) << c;
    }
    std::string Status() {
        g_session->RenderFrames(1);
        return Output("status");
    }

    SceneEntity* cone = nullptr;
    std::vector<std::vector<Ogre::Vector3>> saved;
};

// Out along a ring and back to the press pixel in several step counts: every entity ends where
// the press found it, and the turn at the far point is the same however many steps led there.
TEST_F(TypedRangeTest, SharedPivotTurnsOutAndBackEndWhereThePressFoundEveryEntity) {
    Run("pivot median");
    for (const char* ring : {"x", "y", "z"}) {
        SCOPED_TRACE(ring);
        int px = 0, py = 0;
        Grab("box_a cone_a", "rotate", ring, px, py);
        const Placed a(box), c(cone);
        std::vector<Placed> far;
        for (int steps : {1, 4, 15}) {
            SCOPED_TRACE(steps);
            ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
            const int dx = 45, dy = 30;
            for (int i = 1; i <= steps; ++i)
                host().PointerMove(0, KEY_LBUTTON, px + dx * i / steps, py + dy * i / steps);
            far.emplace_back(box);
            for (int i = steps - 1; i >= 0; --i)
                host().PointerMove(0, KEY_LBUTTON, px + dx * i / steps, py + dy * i / steps);
            ExpectNear(Placed(box).position, a.position, 1e-4f, "box_a position");
            ExpectNear(Placed(box).orientation, a.orientation, 1e-4f, "box_a turn");
            ExpectNear(Placed(cone).position, c.position, 1e-4f, "cone_a position");
            ExpectNear(Placed(cone).orientation, c.orientation, 1e-4f, "cone_a turn");
            host().PointerUp(0, KEY_LBUTTON, px, py);
            ASSERT_TRUE(Undo().undo());
        }
        // The far point turned the entities at all, and alike for every step count.
        EXPECT_GT(far[0].orientation.distance(a.orientation), 0.01f);
        for (std::size_t k = 1; k < far.size(); ++k) {
            ExpectNear(far[k].orientation, far[0].orientation, 1e-4f, "far turn");
            ExpectNear(far[k].position, far[0].position, 1e-3f, "far place");
        }
    }
}

// A move typed beyond the world range: refused as a whole, the entity back where the pointer
// put it (not at the last amount that fitted), the reason shown, and only the pointer's change
// recorded; without a pointer change, nothing.
TEST_F(TypedRangeTest, AMoveTypedOutOfRangeLeavesThePointersPlaceAndRecordsOnlyIt) {
    int px = 0, py = 0;
    Grab("box_a", "move", "x", px, py);
    const Placed press(box);
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
    host().PointerMove(0, KEY_LBUTTON, px + 30, py);
    const Placed pointer(box);
    ASSERT_GT(pointer.position.x, press.position.x + 0.1f);
    Type("200000");
    EXPECT_NEAR(box->GetWorldPosition().x, press.position.x + 200000.0f, 0.1f);
    Type("0");
    EXPECT_EQ(box->GetWorldPosition(), pointer.position);
    const std::string status = Status();
    EXPECT_NE(status.find("已拒绝输入 2000000：box_a 的变换会超出世界范围"), std::string::npos)
        << status;
    // Return records the pointer's change alone.
    EXPECT_EQ(host().OtherInput(INPUT_KEY_RETURN, 0), 1);
    host().PointerUp(0, KEY_LBUTTON, px + 30, py);
    EXPECT_EQ(box->GetWorldPosition(), pointer.position);
    ASSERT_EQ(Undo().undoCount(), 1);
    ASSERT_TRUE(Undo().undo());
    EXPECT_EQ(box->GetWorldPosition(), press.position);

    // The pointer never moved: nothing is recorded.
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
    Type("2000000");
    EXPECT_EQ(box->GetWorldPosition(), press.position);
    host().PointerUp(0, KEY_LBUTTON, px, py);
    EXPECT_EQ(box->GetWorldPosition(), press.position);
    EXPECT_EQ(Undo().undoCount(), 0);
}

// Scale factors typed on a box: one that would take the entity or its child beyond the range,
// and a negative one, are refused with the reason, the scale back where the pointer left it.
TEST_F(TypedRangeTest, ScalesTypedOutOfRangeOrBelowZeroAreRefusedWithTheReason) {
    int px = 0, py = 0;
    Grab("box_a", "scale", "x", px, py);
    const Placed press(box);
    ASSERT_EQ(host().PointerDown(0, KEY_LBUTTON, px, py), 1);
    host().PointerMove(0, KEY_LBUTTON, px + 25, py);
    const Placed pointer(box);
    ASSERT_NE(pointer.scale.x, press.scale.x);
    Type("2000000");
    EXPECT_EQ(box->GetWorldScale(), pointer.scale);
    EXPECT_NE(Status().find("已拒绝输入 2000000：box_a 的变换会超出世界范围"), std::string::npos);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(host().OtherInput(INPUT_KEY_BACKSPACE, 0), 1);
    Type("3");
    EXPECT_NEAR(box->GetWorldScale().x, press.scale.x * 3.0f, 1e-3f);
    Type("-");
    EXPECT_EQ(box->GetWorldScale(), pointer.scale);
    EXPECT_NE(Status().find("已拒绝输入 -3：缩放倍数不能为负"), std::string::npos);
    host().PointerUp(0, KEY_LBUTTON, px + 25, py);
    EXPECT_EQ(box->GetWorldScale(), pointer.scale);
    ASSERT_EQ(Undo().undoCount(), 1);
    ASSERT_TRUE(Undo().undo());
    EXPECT_EQ(box->GetWorldScale(), press.scale);
}

// The status line shows the drag's totals since the press, from the pointer and typed alike:
// the scale factor (not the last step's ratio) and the turn's angle.
TEST_F(TypedRangeTest, TheStatusLineShowsTheTotalsSinceThePress) {
    int px = 0, py = 0;
    const Placed press = Drag("box_a", "scale", "x", 20, 0, px, py);
    for (int dx : {20, 45}) {
        host().PointerMove(0, KEY_LBUTTON, px + dx, py);
        const float total = box->GetWorldScale().x / press.scale.x;
        ASSERT_GT(total, 1.05f);
        EXPECT_NE(Status().find(StatusText::Scale(total, false)), std::string::npos) << dx;
    }
    Type("3");
    EXPECT_NE(Status().find(StatusText::Scale(3.0f, false) + StatusText::Typed("3")),
              std::string::npos);
    Run("cancel");
    host().PointerUp(0, KEY_LBUTTON, px + 45, py);

    Drag("cone_a", "rotate", "x", 0, 40, px, py);
    EXPECT_EQ(Status().find(StatusText::Rotate(0.0f, false)), std::string::npos);
    Type("45");
    EXPECT_NE(Status().find(StatusText::Rotate(0.25f * 3.14159265f, false) + "  输入 45"),
              std::string::npos);
    Run("cancel");
    host().PointerUp(0, KEY_LBUTTON, px, py + 40);
}

// The mode switched while a scale box is held: the drag stays a scale to its end (the entity
// is never moved by the scale factors) and undoes as one step.
TEST_F(TypedRangeTest, AModeSwitchDuringADragLeavesItToThePartHeld) {
    int px = 0, py = 0;
    const Placed press = Drag("box_a", "scale", "x", 20, 0, px, py);
    const float first = box->GetWorldScale().x;
    ASSERT_GT(first, press.scale.x);
    CommandParams params{{"mode", "move"}};
    ASSERT_TRUE(Undo().doCommand("SelectTranslateMode", &params));
    const int steps = Undo().undoCount();
    host().PointerMove(0, KEY_LBUTTON, px + 45, py);
    EXPECT_GT(box->GetWorldScale().x, first);
    ExpectNear(box->GetWorldPosition(), press.position, 1e-5f, "position");
    EXPECT_NE(Status().find("缩放"), std::string::npos);
    host().PointerUp(0, KEY_LBUTTON, px + 45, py);
    EXPECT_EQ(Undo().undoCount(), steps + 1);
    ASSERT_TRUE(Undo().undo());
    EXPECT_EQ(box->GetWorldScale(), press.scale);
}

// A drag ended by the release and the same drag ended by Return leave the same entities and one
// undo step each, and both name the locked entity of the selection; taken back, it leaves
// nothing. Whatever ended it, the gesture's release that follows changes nothing more.
TEST_F(TypedRangeTest, ReleaseAndReturnEndADragAlikeAndACancelRecordsNothing) {
    const char* const ends[] = {"release", "return", "cancel"};
    Ogre::Vector3 moved[2];
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(ends[i]);
        int px = 0, py = 0;
        const Placed press = Drag("box_a pillar", "move", "x", 30, 0, px, py);
        if (i == 1)
            EXPECT_EQ(host().OtherInput(INPUT_KEY_RETURN, 0), 1);
        else if (i == 2)
            Run("cancel");
        host().PointerUp(0, KEY_LBUTTON, px + 30, py);
        const std::string status = Status();
        if (i == 2) {
            EXPECT_NE(status.find(StatusText::kCancelled), std::string::npos) << status;
            EXPECT_EQ(Undo().undoCount(), 0);
            EXPECT_EQ(box->GetWorldPosition(), press.position);
            continue;
        }
        EXPECT_NE(status.find(StatusText::Locked("pillar")), std::string::npos) << status;
        moved[i] = box->GetWorldPosition();
        EXPECT_NE(moved[i], press.position);
        EXPECT_EQ(Undo().undoCount(), 1);
        ASSERT_TRUE(Undo().undo());
        EXPECT_EQ(box->GetWorldPosition(), press.position);
    }
    EXPECT_EQ(moved[0], moved[1]);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

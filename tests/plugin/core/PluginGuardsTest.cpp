// The loaded module at its edges: a load that fails part-way, failures written to the engine's
// log, commands with nothing to act on, and a selected name without an entity.
#include "PluginFixture.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CPluginRegistry.h"
#include "CSceneManager.h"
#include "CToolManager.h"
#include "IView.h"

#include <OgreException.h>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The real scene, except that its selection is one name that has no entity.
class GhostSelectionScene : public CSceneManager {
public:
    explicit GhostSelectionScene(CSceneManager& real) : m_real(real) {}
    const std::set<std::string>& getSelectedEntities() const override { return m_ghost; }
    SceneEntity* getSceneEntity(const std::string& name) const override {
        return m_real.getSceneEntity(name);
    }
    bool isEntitySelected(const std::string& name) const override { return m_ghost.count(name); }
    int rayQuery(RayQuery* query) override { return m_real.rayQuery(query); }
    SceneEntity* beginSelected() override { return nullptr; }
    SceneEntity* nextSelected() override { return nullptr; }
    SceneEntity* beginEntity() override { return m_real.beginEntity(); }
    SceneEntity* nextEntity() override { return m_real.nextEntity(); }
    bool canSelect(SceneEntity* entity) const override { return m_real.canSelect(entity); }
    int getNumLights() const override { return m_real.getNumLights(); }

private:
    CSceneManager& m_real;
    std::set<std::string> m_ghost{"ghost"};
};

// A view whose every pixel looks straight up into empty sky.
struct SkyView : StubView {
    void rayThroughPixel(int, int, Ogre::Vector3& a, Ogre::Vector3& b) const override {
        a = Ogre::Vector3(0, 5000, 0);
        b = Ogre::Vector3(0, 6000, 0);
    }
};

// An earlier test may have left the module loaded by the editor's own loader: unload it, so
// that these tests load it themselves (the loader's later unload then finds nothing to do).
void EnsureUnloaded() {
    if (!TestSession().Host().Registry().plugins().empty())
        TestModule().unload(&TestSession().Host());
    TestSession().ProcessEvents();
}

// Engages the tool through the real tool manager, in select mode.
void Engage(CTranslate* plugin) {
    const int tool = TestSession().Host().Tools().AddToolCommand(plugin, 40003);
    TestSession().Host().Tools().switchTool(tool);
    plugin->OnWindowMessage(273, 40003, 0);
}

} // namespace

TEST(PluginGuards, ALoadThatFailsPartWayIsLoggedOnceAndCanBeRetried) {
    EnsureUnloaded();
    ASSERT_NE(Ogre::LogManager::getSingleton().getDefaultLog(), nullptr);
    LogCapture capture;
    CEditorHost& real = TestSession().Host();
    const std::size_t before = real.Registry().plugins().size();
    {
        LoadedPlugin failed([](RecordingHost& host) { host.registerFailures = 1; });
        EXPECT_EQ(failed.loadResult(), 0);
        EXPECT_EQ(failed.plugin(), nullptr);
        EXPECT_EQ(real.Registry().plugins().size(), before);
        // What the load had made is gone again.
        EXPECT_FALSE(real.Undo().isCommandRegistered("SelectTranslateMode"));
        EXPECT_EQ(capture.Count("Gizmark: loading the plug-in failed: registry refused the "
                                "plug-in"),
                  1);
    }
    // The module is back in its unloaded state: the next load builds the plug-in.
    LoadedPlugin loaded;
    EXPECT_EQ(loaded.loadResult(), 1);
    ASSERT_NE(loaded.plugin(), nullptr);
    EXPECT_TRUE(real.Undo().isCommandRegistered("SelectTranslateMode"));
    FireFrameEnded();
    loaded.Unload();
    EXPECT_EQ(real.Registry().plugins().size(), before);
    // Normal operation writes nothing.
    EXPECT_EQ(capture.Count("Gizmark:"), 1);
}

TEST(PluginGuards, SelectParentsAnswersOneAndCopyWithoutASelectionIssuesNothing) {
    EnsureUnloaded();
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    RecordingHost& host = loaded.host();
    Engage(plugin);

    Select("");
    host.log.clear();
    EXPECT_EQ(plugin->OnToolCommand(40006), 1);
    EXPECT_EQ(plugin->OnWindowMessage(273, 0xE122, 0), 0);
    EXPECT_FALSE(host.Has("doCommand SelectEntity"));
    EXPECT_FALSE(host.Has("doCommand CopyEntity"));

    Select("box_b");
    EXPECT_EQ(plugin->OnToolCommand(40006), 1);
    EXPECT_TRUE(host.Has("doCommand SelectEntity"));
    EXPECT_EQ(TestSession().Scene().getSelectedEntities(), std::set<std::string>{"box_a"});
    TestSession().Host().Tools().switchTool(-1);
    Select("");
}

TEST(PluginGuards, AClickOnEmptySpaceWhileTheOneSelectedNameHasNoEntityChangesNothing) {
    EnsureUnloaded();
    std::unique_ptr<GhostSelectionScene> ghost;
    LoadedPlugin loaded([&](RecordingHost& host) {
        ghost = std::make_unique<GhostSelectionScene>(
            *TestSession().Host().engineAccess()->sceneManager());
        host.scene = ghost.get();
    });
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    Engage(plugin);
    SkyView sky;
    RecordingHost& host = loaded.host();
    host.log.clear();
    EXPECT_EQ(plugin->OnPointerDown(&sky, 0, 1, 50, 50), 0);
    EXPECT_EQ(plugin->OnPointerUp(&sky, 0, 1, 50, 50), 1);
    EXPECT_FALSE(host.Has("doCommand SelectEntity"));
    TestSession().Host().Tools().switchTool(-1);
    loaded.Unload();
}

namespace {

// A view that fails at every question, as an engine call inside it may.
struct FailingView : StubView {
    [[noreturn]] static void Fail() {
        OGRE_EXCEPT(Ogre::Exception::ERR_INVALID_STATE, "view failed on purpose", "FailingView");
    }
    void frameBox(const Ogre::Vector3&, const Ogre::Vector3&, float, float) override { Fail(); }
    PixelRect pixelRect() const override { Fail(); }
    void rayThroughPixel(int, int, Ogre::Vector3&, Ogre::Vector3&) const override { Fail(); }
    void projectPoint(Ogre::Vector3&, const Ogre::Vector3&, const Ogre::Matrix4*) const override {
        Fail();
    }
    Ogre::Vector3 viewOrientation() const override { Fail(); }
};

// One host slot with a collaborator that throws: a host call that fails (failOn) or the
// failing view. The slot answers `quiet` and logs "<slot> failed: <reason>" once.
struct SlotCase {
    const char* slot;
    const char* failOn; // a RecordingHost entry, or "" when the view is the one that fails
    const char* reason;
    std::function<int(CTranslate*, IView*)> call;
    int quiet;
};

void PrintTo(const SlotCase& c, std::ostream* os) {
    *os << c.slot << " (" << c.reason << ")";
}

const char* const kViewFailure = "view failed on purpose";

const SlotCase kSlotCases[] = {
    {"OnToolCommand", "toolForCommand", "toolForCommand 40004 failed on purpose",
     [](CTranslate* p, IView*) { return p->OnToolCommand(40004); }, 0},
    {"OnWindowMessage", "doCommand CopyEntity", "doCommand CopyEntity failed on purpose",
     [](CTranslate* p, IView*) { return p->OnWindowMessage(273, 0xE122, 0); }, 0},
    {"OnNotify", "setSidePanel", "setSidePanel failed on purpose",
     [](CTranslate* p, IView*) { return p->OnNotify(10, 1, nullptr); }, 0},
    {"OnNotify", "", kViewFailure, [](CTranslate* p, IView* v) { return p->OnNotify(60, 1, v); },
     0},
    {"OnSelectRect", "", kViewFailure,
     [](CTranslate* p, IView* v) {
         return p->OnSelectRect(v, 0, PixelRect{0, 0, 50, 50});
     },
     0},
    {"OnPointerDown", "", kViewFailure,
     [](CTranslate* p, IView* v) { return p->OnPointerDown(v, 0, 1, 10, 10); }, 0},
    {"OnPointerMove", "snapSteps", "snapSteps failed on purpose",
     [](CTranslate* p, IView* v) { return p->OnPointerMove(v, 0, 1 | 8, 10, 10); }, 0},
    {"OnPointerUp", "", kViewFailure,
     [](CTranslate* p, IView* v) { return p->OnPointerUp(v, 0, 1, 10, 10); }, 0},
    {"OnViewUpdate", "", kViewFailure,
     [](CTranslate* p, IView* v) { return p->OnViewUpdate(v, 1); }, 0},
};

} // namespace

class SlotGuards : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotGuards, AThrowingCollaboratorIsLoggedAndTheSlotAnswersQuietly) {
    const SlotCase& c = GetParam();
    EnsureUnloaded();
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    RecordingHost& host = loaded.host();
    // The tool engaged in move mode, its page shown, one entity selected: every slot has
    // something to do.
    const int tool = TestSession().Host().Tools().AddToolCommand(plugin, 40002);
    TestSession().Host().Tools().switchTool(tool);
    plugin->OnWindowMessage(273, 40002, 0);
    if (std::string(c.failOn) != "setSidePanel")
        plugin->OnNotify(10, 1, nullptr);
    Select("box_a ");
    ASSERT_EQ(plugin->IsToolEngaged(), 1);

    LogCapture capture;
    FailingView view;
    host.failOn = c.failOn;
    int answer = -1;
    EXPECT_NO_THROW(answer = c.call(plugin, &view));
    host.failOn.clear();
    EXPECT_EQ(answer, c.quiet);
    const std::string expected = std::string("Gizmark: ") + c.slot + " failed: ";
    EXPECT_EQ(capture.Count(expected), 1) << c.slot;
    EXPECT_EQ(capture.Count(c.reason), 1) << c.slot;

    // The plug-in goes on working after it.
    EXPECT_EQ(plugin->OnToolCommand(40006), 1);
    TestSession().Host().Tools().switchTool(-1);
    plugin->OnNotify(10, 0, nullptr);
    Select("");
    loaded.Unload();
}

INSTANTIATE_TEST_SUITE_P(EverySlotKind, SlotGuards, ::testing::ValuesIn(kSlotCases),
                         [](const ::testing::TestParamInfo<SlotCase>& info) {
                             return std::string(info.param.slot) + "_" + std::to_string(info.index);
                         });

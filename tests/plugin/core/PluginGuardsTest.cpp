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

#include <OgreLogManager.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Collects what is written to the engine's default log while it lives.
class LogCapture : public Ogre::LogListener {
public:
    LogCapture() {
        if (Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog())
            log->addListener(this);
    }
    ~LogCapture() override {
        if (Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog())
            log->removeListener(this);
    }
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                       const Ogre::String&, bool&) override {
        lines.push_back(message);
    }
    int Count(const std::string& part) const {
        int n = 0;
        for (const std::string& line : lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> lines;
};

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

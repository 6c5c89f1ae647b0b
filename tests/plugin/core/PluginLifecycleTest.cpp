// The module's load and unload in the real editor: what is registered, in which order it is
// undone, and that the module can be loaded again in the same process.
#include "PluginFixture.h"

#include "CTranslateListener.h"
#include "CEditorEngine.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CPluginRegistry.h"
#include "CSceneManager.h"
#include "GizmoConstants.h"
#include "SceneEntity.h"
#include "ToolIds.h"

#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/aui/framemanager.h>
#include <wx/cursor.h>
#include <wx/menu.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

const GizmarkModule& TestModule() {
    static GizmarkModule module = [] {
        GizmarkModule m;
        void* handle = dlopen(GIZMARK_MODULE_PATH, RTLD_NOW | RTLD_NODELETE);
        if (handle) {
            m.load = reinterpret_cast<int (*)(Interface*, int)>(dlsym(handle, "DllLoadPlugin"));
            m.unload = reinterpret_cast<void (*)(Interface*)>(dlsym(handle, "DllUnloadPlugin"));
        }
        return m;
    }();
    return module;
}

LoadedPlugin::LoadedPlugin(const std::function<void(RecordingHost&)>& prepare)
    : m_host(new RecordingHost(TestSession().Host())) {
    if (prepare)
        prepare(*m_host);
    const GizmarkModule& module = TestModule();
    if (!module.load)
        return;
    CPluginRegistry& registry = TestSession().Host().Registry();
    const std::size_t before = registry.plugins().size();
    m_loadResult = module.load(m_host.get(), 0);
    m_loaded = true;
    if (registry.plugins().size() > before)
        m_plugin = static_cast<CTranslate*>(registry.plugins().back());
}

LoadedPlugin::~LoadedPlugin() {
    Unload();
}

void LoadedPlugin::Unload() {
    if (!m_loaded)
        return;
    m_loaded = false;
    TestModule().unload(m_host.get());
    TestSession().ProcessEvents();
}

void Select(const std::string& names) {
    CommandParams params{{"entity", names}, {"mode", "exclude"}};
    TestSession().Host().Undo().doCommand("SelectEntity", &params);
}

void FireFrameEnded() {
    Ogre::Root::getSingleton()._fireFrameEnded();
}

namespace {

const char* const kPaneName = "GizmarkTransformBar";

wxAuiManager* FrameManager() {
    return wxAuiManager::GetManager(wxTheApp->GetTopWindow());
}

// Counts the view-0 requests the per-frame step makes: zero once the listener is gone.
int FrameStepsSeen(RecordingHost& host) {
    const std::size_t before = host.log.size();
    FireFrameEnded();
    int seen = 0;
    for (std::size_t i = before; i < host.log.size(); ++i)
        seen += host.log[i] == "view 0";
    return seen;
}

// A drag step that only reports its own end.
struct ProbeStep : IBaseCommand {
    explicit ProbeStep(bool& deleted) : m_deleted(deleted) {}
    ~ProbeStep() override { m_deleted = true; }
    int execute(CommandParams*) override { return 1; }
    int undo() override { return 1; }
    bool& m_deleted;
};

} // namespace

TEST(PluginLifecycle, LoadRegistersEverythingAndUnloadUndoesItInOrder) {
    ASSERT_TRUE(TestModule().load && TestModule().unload);
    CEditorHost& realHost = TestSession().Host();
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    RecordingHost& host = loaded.host();

    EXPECT_EQ(loaded.loadResult(), 1);
    EXPECT_TRUE(realHost.Registry().contains(plugin));
    EXPECT_EQ(realHost.Registry().kindOf(plugin), 2);
    EXPECT_TRUE(realHost.Undo().isCommandRegistered("SelectTranslateMode"));
    // Registration with the host comes last, after the command.
    EXPECT_LT(host.Find("registerCommand SelectTranslateMode"), host.Find("registerPlugin 2"));
    EXPECT_EQ(plugin->GetHost(), &host);
    EXPECT_EQ(plugin->GetSceneManager(), realHost.engineAccess()->sceneManager());
    EXPECT_NE(plugin->GetModuleHandle(), nullptr);

    ASSERT_NE(plugin->GetCursor(), nullptr);
    EXPECT_TRUE(plugin->GetCursor()->IsOk());
    ASSERT_NE(plugin->GetListener(), nullptr);
    EXPECT_EQ(plugin->GetListener()->GetPlugin(), plugin);
    EXPECT_EQ(FrameStepsSeen(host), 1);

    wxAuiManager* manager = FrameManager();
    ASSERT_NE(manager, nullptr);
    wxAuiPaneInfo& pane = manager->GetPane(kPaneName);
    ASSERT_TRUE(pane.IsOk());
    EXPECT_EQ(pane.dock_direction, wxAUI_DOCK_BOTTOM);
    EXPECT_TRUE(pane.IsShown());
    EXPECT_FALSE(pane.IsTopDockable() || pane.IsLeftDockable() || pane.IsRightDockable());
    ASSERT_NE(pane.window, nullptr);
    EXPECT_EQ(pane.window->GetId(), 0xE805);
    for (int id : {1030, 1031, 1032, 1004, 1005, 1006, 1007, 1008, 1009, 1033})
        EXPECT_NE(pane.window->FindWindow(id), nullptr) << id;

    // A second load while loaded builds nothing.
    const std::size_t plugins = realHost.Registry().plugins().size();
    EXPECT_EQ(TestModule().load(&host, 0), 0);
    EXPECT_EQ(realHost.Registry().plugins().size(), plugins);
    // So does a repeated load notification: still one listener and one cursor, and after the
    // unload below no frame reaches the plug-in.
    const CTranslateListener* listener = plugin->GetListener();
    const wxCursor* cursor = plugin->GetCursor();
    EXPECT_EQ(plugin->OnNotify(2, 0, nullptr), 0);
    EXPECT_EQ(plugin->GetListener(), listener);
    EXPECT_EQ(plugin->GetCursor(), cursor);
    EXPECT_EQ(FrameStepsSeen(host), 1);

    host.log.clear();
    loaded.Unload();
    const int strip = host.Find("removeToolStrip");
    const int command = host.Find("unregisterCommand SelectTranslateMode");
    const int registry = host.Find("unregisterPlugin");
    EXPECT_GE(strip, 0);
    EXPECT_LT(strip, command);
    EXPECT_LT(command, registry);
    EXPECT_FALSE(host.Has("removeMenu"));
    EXPECT_FALSE(realHost.Registry().contains(plugin));
    EXPECT_FALSE(realHost.Undo().isCommandRegistered("SelectTranslateMode"));
    EXPECT_FALSE(manager->GetPane(kPaneName).IsOk());
    EXPECT_EQ(FrameStepsSeen(host), 0);
    EXPECT_EQ(TestAssertCount(), 0);
}

TEST(PluginLifecycle, TheBarIsDockedAndUndockedThroughTheHost) {
    wxWindow* bar = nullptr;
    {
        LoadedPlugin loaded;
        ASSERT_NE(loaded.plugin(), nullptr);
        RecordingHost& host = loaded.host();
        const int window = host.Find("mainWindow");
        const int dock = host.Find(std::string("dockBottomBar ") + kPaneName);
        ASSERT_GE(window, 0);
        EXPECT_LT(window, dock);
        bar = FrameManager()->GetPane(kPaneName).window;
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->GetParent(), wxTheApp->GetTopWindow());
        // A repeated load notification docks nothing more.
        host.log.clear();
        loaded.plugin()->OnNotify(2, 0, nullptr);
        EXPECT_FALSE(host.Has(std::string("dockBottomBar ") + kPaneName));
        host.log.clear();
        loaded.Unload();
        EXPECT_TRUE(host.Has("undockBottomBar"));
        EXPECT_FALSE(FrameManager()->GetPane(kPaneName).IsOk());
    }
    // A host that docks nothing: the bar is still made, and stays out of the layout.
    LoadedPlugin undocked([](RecordingHost& host) { host.refuseDock = true; });
    ASSERT_NE(undocked.plugin(), nullptr);
    EXPECT_TRUE(undocked.host().Has(std::string("dockBottomBar ") + kPaneName));
    EXPECT_FALSE(FrameManager()->GetPane(kPaneName).IsOk());
    EXPECT_NE(wxTheApp->GetTopWindow()->FindWindow(0xE805), nullptr);
    undocked.Unload();
    EXPECT_EQ(wxTheApp->GetTopWindow()->FindWindow(0xE805), nullptr);
    EXPECT_EQ(TestAssertCount(), 0);
}

TEST(PluginLifecycle, LoadsAgainAfterUnloadInTheSameProcess) {
    for (int round = 0; round < 3; ++round) {
        LoadedPlugin loaded;
        ASSERT_NE(loaded.plugin(), nullptr) << "round " << round;
        EXPECT_EQ(loaded.loadResult(), 1);
        EXPECT_TRUE(FrameManager()->GetPane(kPaneName).IsOk());
        EXPECT_EQ(FrameStepsSeen(loaded.host()), 1);
    }
    EXPECT_EQ(TestAssertCount(), 0);
}

TEST(PluginLifecycle, PendingDragStepIsDeletedAtUnloadAndNeverRecorded) {
    LoadedPlugin loaded;
    ASSERT_NE(loaded.plugin(), nullptr);
    const int steps = TestSession().Host().Undo().undoCount();
    bool deleted = false;
    loaded.plugin()->AdoptPendingTransform(new ProbeStep(deleted));
    loaded.Unload();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(TestSession().Host().Undo().undoCount(), steps);
    EXPECT_FALSE(loaded.host().Has("addUndo"));
}

TEST(PluginLifecycle, MenuStepRemovesOnlyARealSubmenu) {
    {
        // A menu without a submenu at its first place: deleted, nothing asked of the host.
        LoadedPlugin loaded;
        ASSERT_NE(loaded.plugin(), nullptr);
        wxMenu* menu = new wxMenu;
        menu->Append(1, "plain");
        loaded.plugin()->SetMenu(menu);
        loaded.Unload();
        EXPECT_FALSE(loaded.host().Has("removeMenu"));
    }
    {
        LoadedPlugin loaded;
        ASSERT_NE(loaded.plugin(), nullptr);
        wxMenu* menu = new wxMenu;
        menu->AppendSubMenu(new wxMenu, "sub");
        loaded.plugin()->SetMenu(menu);
        loaded.Unload();
        const int removed = loaded.host().Find("removeMenu");
        EXPECT_GE(removed, 0);
        EXPECT_LT(removed, loaded.host().Find("removeToolStrip"));
    }
}

TEST(PluginLifecycle, QuerySlotsAndLoadText) {
    LoadedPlugin loaded;
    IPluginBase* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    EXPECT_STREQ(plugin->GetPluginName(), "CTranslate");
    EXPECT_EQ(plugin->GetDisplayName(), "移动");
    EXPECT_EQ(plugin->OnPointerOther(1, 2, 3, 4, 5, 6), 0);
    EXPECT_EQ(plugin->OnInputOther(1, 2), 0);

    const std::string rotate = "旋转模式"; // 12 bytes
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(plugin->LoadText(40004, buffer, static_cast<int>(rotate.size()) + 1), 12);
    EXPECT_EQ(std::string(buffer), rotate);
    // Size 5 leaves room for 4 bytes: only the first character fits whole.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(plugin->LoadText(40004, buffer, 5), 3);
    EXPECT_EQ(std::string(buffer), "旋");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(plugin->LoadText(40004, buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
    EXPECT_EQ(plugin->LoadText(40002, buffer, sizeof buffer), 12);
    EXPECT_EQ(std::string(buffer), "移动模式");
    EXPECT_EQ(plugin->LoadText(40003, buffer, sizeof buffer), 12);
    EXPECT_EQ(std::string(buffer), "选择模式");
    EXPECT_EQ(plugin->LoadText(40005, buffer, sizeof buffer), 12);
    EXPECT_EQ(std::string(buffer), "缩放模式");

    // Bad input: nothing written, 0.
    EXPECT_EQ(plugin->LoadText(12345, buffer, sizeof buffer), 0);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(plugin->LoadText(40004, nullptr, 20), 0);
    EXPECT_EQ(plugin->LoadText(40004, buffer, 0), 0);
    EXPECT_EQ(plugin->LoadText(40004, buffer, -3), 0);
    EXPECT_EQ(buffer[0], 'x');
}

TEST(PluginLifecycle, SelectTranslateModeSwitchesOnlyOnKnownModes) {
    LoadedPlugin loaded;
    ASSERT_NE(loaded.plugin(), nullptr);
    CMapSelectMgr& gizmo = loaded.plugin()->GetGizmo();
    CEditorUndoManager& undo = TestSession().Host().Undo();

    CommandParams params{{"mode", "rotate"}};
    EXPECT_TRUE(undo.doCommand("SelectTranslateMode", &params));
    EXPECT_EQ(gizmo.GetMode(), MODE_ROTATE);
    // Its undo changes nothing.
    EXPECT_TRUE(undo.undo());
    EXPECT_EQ(gizmo.GetMode(), MODE_ROTATE);

    CommandParams capital{{"mode", "Rotate"}};
    CommandParams none;
    params["mode"] = "scale";
    EXPECT_TRUE(undo.doCommand("SelectTranslateMode", &params));
    EXPECT_TRUE(undo.doCommand("SelectTranslateMode", &capital));
    EXPECT_TRUE(undo.doCommand("SelectTranslateMode", &none));
    EXPECT_EQ(gizmo.GetMode(), MODE_SCALE);
    params["mode"] = "select";
    EXPECT_TRUE(undo.doCommand("SelectTranslateMode", &params));
    EXPECT_EQ(gizmo.GetMode(), MODE_SELECT);
}

TEST(PluginLifecycle, RenameEntityKeepsTheName) {
    LoadedPlugin loaded;
    ASSERT_NE(loaded.plugin(), nullptr);
    CSceneManager* scene = TestSession().Host().engineAccess()->sceneManager();
    SceneEntity* entity = scene->beginEntity();
    ASSERT_NE(entity, nullptr);
    const std::string name = entity->GetName();
    EXPECT_EQ(loaded.plugin()->RenameEntity(entity, "renamed"), 1);
    EXPECT_EQ(entity->GetName(), name);
}

namespace {

// What of the module's gizmo the engine holds: entities, named nodes, meshes and materials
// whose names are the gizmo's, and the nodes under the scene's root.
struct GizmoLeftovers {
    int entities = 0;
    int nodes = 0;
    int meshes = 0;
    int materials = 0;
    std::size_t rootChildren = 0;

    GizmoLeftovers() {
        Ogre::SceneManager* sm = TestSession().Engine().GetOgreSceneManager();
        auto ours = [](const std::string& name) { return name.rfind("CMapSelectMgr", 0) == 0; };
        for (const auto& entry : sm->getMovableObjects("Entity"))
            entities += ours(entry.first) || entry.first == GizmoGeometry::kAxisEntity;
        nodes = sm->hasSceneNode("CMapSelectMgrNode") ? 1 : 0;
        rootChildren = sm->getRootSceneNode()->numChildren();
        for (const auto& entry : Ogre::MeshManager::getSingleton().getResourceIterator())
            meshes += ours(entry.second->getName());
        Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
        for (const char* name : GizmoGeometry::kMaterialNames)
            materials += mm.getByName(name) ? 1 : 0;
        materials += mm.getByName(GizmoGeometry::kAxisMaterial) ? 1 : 0;
        materials += mm.getByName(GizmoGeometry::kMaterialBase) ? 1 : 0;
    }
};

} // namespace

TEST(PluginLifecycle, UnloadTakesTheWholeGizmoOutOfTheEngine) {
    const GizmoLeftovers before;
    ASSERT_EQ(before.entities + before.nodes + before.meshes + before.materials, 0);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        LoadedPlugin loaded;
        ASSERT_NE(loaded.plugin(), nullptr);
        const GizmoLeftovers built;
        EXPECT_EQ(built.entities, NODE_COUNT);
        EXPECT_EQ(built.nodes, 1);
        EXPECT_GT(built.meshes, 0);
        EXPECT_EQ(built.materials, MATERIAL_COUNT + 2);
        loaded.Unload();
        const GizmoLeftovers after;
        EXPECT_EQ(after.entities, 0);
        EXPECT_EQ(after.nodes, 0);
        EXPECT_EQ(after.meshes, 0);
        EXPECT_EQ(after.materials, 0);
        EXPECT_EQ(after.rootChildren, before.rootChildren);
    }
    EXPECT_EQ(TestAssertCount(), 0);
}

TEST(PluginLifecycle, LoadedOverASelectionTheGizmoStandsOnItOnceTheToolIsEngaged) {
    Select("box_a");
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    SceneEntity* box = TestSession().Host().engineAccess()->sceneManager()->getSceneEntity("box_a");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(plugin->GetGizmo().GetEntity(), box);
    // The page shown and the tool engaged, as a switch to the tool does: the next frame shows
    // the move arrows on box_a, no selection change needed.
    plugin->OnWindowMessage(WM_COMMAND_MESSAGE, ID_CMD_MOVE_MODE, 0);
    plugin->OnNotify(NOTIFY_PAGE, 1, nullptr);
    plugin->OnNotify(NOTIFY_TOOL_ENGAGED, 0, nullptr);
    FireFrameEnded();
    Ogre::SceneNode* gizmoNode = plugin->GetGizmo().GetGizmoNode();
    ASSERT_NE(gizmoNode, nullptr);
    Ogre::SceneNode* arrow = plugin->GetGizmo().GetNode(NODE_ARROW_X);
    ASSERT_NE(arrow, nullptr);
    ASSERT_EQ(arrow->numAttachedObjects(), 1u);
    EXPECT_TRUE(arrow->getAttachedObject(0)->getVisible());
    EXPECT_LT(arrow->getPosition().distance(box->GetWorldPosition()), 1000.0f);
    plugin->OnNotify(NOTIFY_TOOL_RELEASED, 0, nullptr);
    plugin->OnNotify(NOTIFY_PAGE, 0, nullptr);
    loaded.Unload();
    Select("");
}

// Tool commands, window messages, notifications and the per-frame step of the loaded module,
// observed through the real editor host.
#include "PluginFixture.h"

#include "CSceneManager.h"
#include "IView.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScreenshot.h"
#include "CPluginLoader.h"
#include "CEditorUndoManager.h"
#include "CToolManager.h"

#include <OgreMovableObject.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/image.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

// A view that only records the box it was asked to frame.
struct FramingView : StubView {
    int framed = 0;
    Ogre::Vector3 low, high;
    float nearClip = 0, farClip = 0;
    void frameBox(const Ogre::Vector3& a, const Ogre::Vector3& b, float n, float f) override {
        ++framed;
        low = a;
        high = b;
        nearClip = n;
        farClip = f;
    }
};

int VisibleGizmoParts(CMapSelectMgr& gizmo) {
    int visible = 0;
    for (int i = 0; i < 13; ++i) {
        Ogre::SceneNode* node = gizmo.GetNode(i);
        if (!node)
            continue;
        for (unsigned k = 0; k < node->numAttachedObjects(); ++k)
            visible += node->getAttachedObject(k)->getVisible() ? 1 : 0;
    }
    return visible;
}

} // namespace

TEST(PluginDispatch, ToolCommandsSwitchOnlyKnownToolsAndAlwaysAnswerOne) {
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    RecordingHost& host = loaded.host();

    host.forcedTool = -1;
    for (int id : {40002, 40003, 40004, 40005})
        EXPECT_EQ(plugin->OnToolCommand(id), 1) << id;
    EXPECT_TRUE(host.Has("toolForCommand 40004"));
    for (const std::string& entry : host.log)
        EXPECT_NE(entry.rfind("switchTool", 0), 0u) << entry;

    host.forcedTool = -2;
    const int tool = TestSession().Host().Tools().AddToolCommand(plugin, 40004);
    host.log.clear();
    EXPECT_EQ(plugin->OnToolCommand(40004), 1);
    EXPECT_TRUE(host.Has("switchTool " + std::to_string(tool)));
    EXPECT_EQ(plugin->IsToolEngaged(), 1);
    EXPECT_EQ(plugin->IsPageShown(), 1);

    // Other ids: nothing asked, still 1.
    host.log.clear();
    EXPECT_EQ(plugin->OnToolCommand(12345), 1);
    EXPECT_EQ(plugin->OnToolCommand(0), 1);
    EXPECT_FALSE(host.Has("toolForCommand 12345"));
    TestSession().Host().Tools().switchTool(-1);
    EXPECT_EQ(plugin->IsToolEngaged(), 0);
    EXPECT_EQ(plugin->IsPageShown(), 0);
}

TEST(PluginDispatch, WindowCommandsSetTheModeFromTheLowWord) {
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    CMapSelectMgr& gizmo = plugin->GetGizmo();
    EXPECT_EQ(plugin->OnWindowMessage(273, 40004, 0), 0);
    EXPECT_EQ(gizmo.GetMode(), MODE_ROTATE);
    EXPECT_EQ(plugin->OnWindowMessage(273, 0x10000 | 40005, 0), 0);
    EXPECT_EQ(gizmo.GetMode(), MODE_SCALE);
    EXPECT_EQ(plugin->OnWindowMessage(274, 40002, 0), 0);
    EXPECT_EQ(gizmo.GetMode(), MODE_SCALE);
    EXPECT_EQ(plugin->OnWindowMessage(273, 40002, 0), 0);
    EXPECT_EQ(gizmo.GetMode(), MODE_MOVE);
    EXPECT_EQ(plugin->OnWindowMessage(273, 40003, 0), 0);
    EXPECT_EQ(gizmo.GetMode(), MODE_SELECT);

    // Copy needs the tool engaged.
    Select("box_a ");
    const int steps = TestSession().Host().Undo().undoCount();
    EXPECT_EQ(plugin->OnWindowMessage(273, 0xE122, 0), 0);
    EXPECT_EQ(TestSession().Host().Undo().undoCount(), steps);
    EXPECT_FALSE(loaded.host().Has("doCommand CopyEntity"));
    Select("");
}

TEST(PluginDispatch, FrameNotificationFramesTheSelectionOrTheDefaultBox) {
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    Select("");
    FramingView view;
    EXPECT_EQ(plugin->OnNotify(60, 1, &view), 1);
    ASSERT_EQ(view.framed, 1);
    EXPECT_EQ(view.low, Ogre::Vector3(-12, -12, -12));
    EXPECT_EQ(view.high, Ogre::Vector3(12, 12, 12));
    EXPECT_FLOAT_EQ(view.nearClip, 0.03f);
    EXPECT_FLOAT_EQ(view.farClip, 30000.0f);

    // Two entities: the box around both.
    CSceneManager* scene = plugin->GetSceneManager();
    SceneEntity* first = scene->beginEntity();
    SceneEntity* second = scene->nextEntity();
    ASSERT_TRUE(first && second);
    Select(first->GetName() + " " + second->GetName() + " ");
    ASSERT_EQ(scene->getSelectedEntities().size(), 2u);
    Ogre::Vector3 low = first->GetBoundsMin(), high = first->GetBoundsMax();
    low.makeFloor(second->GetBoundsMin());
    high.makeCeil(second->GetBoundsMax());
    EXPECT_EQ(plugin->OnNotify(60, 1, &view), 1);
    EXPECT_EQ(view.framed, 2);
    EXPECT_EQ(view.low, low);
    EXPECT_EQ(view.high, high);
    // Without a view there is nothing to frame; still handled.
    EXPECT_EQ(plugin->OnNotify(60, 1, nullptr), 1);
    Select("");
}

TEST(PluginDispatch, EngagedToolShowsTheGizmoAndEveryFrameHidesItOtherwise) {
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    RecordingHost& host = loaded.host();
    CToolManager& tools = TestSession().Host().Tools();
    const int move = tools.AddToolCommand(plugin, 40002);
    Select("box_a ");
    plugin->OnToolCommand(40002);
    plugin->OnWindowMessage(273, 40002, 0);
    ASSERT_EQ(plugin->IsToolEngaged(), 1);
    EXPECT_EQ(tools.CurrentTool(), move);
    EXPECT_EQ(TestSession().Host().CurrentCursor(), plugin->GetCursor());
    TestSession().RenderFrames(2);
    EXPECT_GT(VisibleGizmoParts(plugin->GetGizmo()), 0);

    // Released: hidden on the next frame, and the cursor is given back.
    tools.switchTool(-1);
    EXPECT_EQ(plugin->IsToolEngaged(), 0);
    EXPECT_TRUE(host.Has("setCursor null"));
    TestSession().RenderFrames(1);
    EXPECT_EQ(VisibleGizmoParts(plugin->GetGizmo()), 0);
    Select("");
}

TEST(PluginDispatch, PageShowsTheInitialisedPanelInTheSideArea) {
    LoadedPlugin loaded;
    CTranslate* plugin = loaded.plugin();
    ASSERT_NE(plugin, nullptr);
    RecordingHost& host = loaded.host();
    Select("");
    plugin->OnNotify(10, 1, nullptr);
    EXPECT_EQ(plugin->IsPageShown(), 1);
    EXPECT_LT(host.Find("setCursor"), host.Find("setSidePanel"));
    EXPECT_EQ(TestSession().Host().SidePanel(), &plugin->GetPanelHost());
    wxWindow* panel = plugin->GetPanelHost().GetWindow();
    ASSERT_TRUE(panel && panel->GetHandle());
    EXPECT_TRUE(panel->IsShown());
    int width = -1, height = -1;
    plugin->GetPanelHost().GetSize(width, height);
    EXPECT_GT(width, 0);
    EXPECT_EQ(height, 0);

    // Every control carries its numeric id; the value controls start hidden.
    for (int id = 1001; id <= 1023; ++id) {
        wxWindow* control = panel->FindWindow(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_EQ(control->GetId(), id);
        EXPECT_EQ(control->IsShown(), id == 1020) << id;
    }
    auto* info = wxDynamicCast(panel->FindWindow(1020), wxStaticText);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetLabel().utf8_string(), "~\\(^.^)/~");
    auto* name = wxDynamicCast(panel->FindWindow(1019), wxTextCtrl);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->GetFont().GetNumericWeight(), 700);
    EXPECT_EQ(name->GetBackgroundColour(), wxColour(0xCD, 0xCD, 0xCD));
    EXPECT_EQ(wxDynamicCast(panel->FindWindow(1021), wxCheckBox)->GetLabel().utf8_string(),
              "渲染在平面图");

    // A selection shows the controls; an empty one hides them again.
    Select("box_a ");
    EXPECT_TRUE(panel->FindWindow(1001)->IsShown());
    EXPECT_TRUE(panel->FindWindow(1023)->IsShown());
    Select("");
    EXPECT_FALSE(panel->FindWindow(1001)->IsShown());

    // The ground-follow box sets the plug-in's flag.
    auto* follow = wxDynamicCast(panel->FindWindow(1022), wxCheckBox);
    ASSERT_NE(follow, nullptr);
    EXPECT_FALSE(plugin->GetGroundFollow());
    follow->SetValue(true);
    wxCommandEvent click(wxEVT_CHECKBOX, 1022);
    click.SetEventObject(follow);
    click.SetInt(1);
    follow->ProcessWindowEvent(click);
    EXPECT_TRUE(plugin->GetGroundFollow());

    host.log.clear();
    plugin->OnNotify(10, 0, nullptr);
    EXPECT_EQ(plugin->IsPageShown(), 0);
    EXPECT_FALSE(panel->IsShown());
    EXPECT_EQ(TestSession().Host().SidePanel(), nullptr);
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.front(), "setSidePanel null");
    EXPECT_EQ(host.log.back(), "setCursor null");
}

// Loaded by the editor's own loader: the tool strip carries the module's tips and its buttons
// reach the plug-in.
TEST(PluginDispatch, HostBuildsTheToolStripFromTheModule) {
    CEditorHost& host = TestSession().Host();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(host.Loader().LoadModule(GIZMARK_MODULE_PATH));
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("module load: %.1f ms\n", ms);
    auto* plugin = static_cast<CTranslate*>(host.FindToolPlugin(40004));
    ASSERT_NE(plugin, nullptr);
    wxAuiToolBar* strip = TestSession().Frame()->GetToolStrip(plugin);
    ASSERT_NE(strip, nullptr);
    const int ids[] = {40003, 40002, 40004, 40005};
    const char* const tips[] = {"选择模式", "移动模式", "旋转模式", "缩放模式"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(strip->GetToolPos(ids[i]), i);
        EXPECT_EQ(strip->GetToolShortHelp(ids[i]).utf8_string(), tips[i]);
    }
    Select("box_a ");
    host.ClickTool(plugin, 40004);
    EXPECT_EQ(plugin->GetGizmo().GetMode(), MODE_ROTATE);
    EXPECT_EQ(plugin->IsToolEngaged(), 1);
    host.ClickTool(plugin, 40002);
    EXPECT_EQ(plugin->GetGizmo().GetMode(), MODE_MOVE);
    TestSession().RenderFrames(3);
    if (const char* dir = std::getenv("GIZMARK_SHOT_DIR")) {
        wxImage image;
        std::string error;
        if (CaptureWindowImage(*TestSession().Frame(), image, error))
            SavePng(image, std::string(dir) + "/plugin.png", error);
    }
}

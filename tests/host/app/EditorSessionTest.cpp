// The editor built in-process (one session for the binary, no plug-in modules): the script
// language, the input path to plug-ins, tool strips from XRC, the side area and screenshots.
#include "CSizeControlChild.h"
#include "IPluginBase.h"
#include "SceneEntity.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "EditorTestMain.h"
#include "CMainFrame.h"
#include "ScriptRunner.h"
#include "CViewWindow.h"
#include "CPluginLoader.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"
#include "CEditorScene.h"
#include "CEditorView.h"

#include <gtest/gtest.h>

#include <wx/aui/auibar.h>
#include <wx/aui/framemanager.h>
#include <wx/cursor.h>
#include <wx/fs_mem.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/panel.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>
#include <wx/xrc/xmlres.h>

#include <OgreRenderWindow.h>

#include <X11/Xlib.h>
#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
unsigned int g_thread_pool_get_max_idle_time(void);
int g_thread_pool_get_max_unused_threads(void);
}

namespace {
CEditorSession* g_session = nullptr;

// The names of the process's threads, its main thread's included.
std::vector<std::string> ThreadNames() {
    std::vector<std::string> names;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return names;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream comm(std::string("/proc/self/task/") + entry->d_name + "/comm");
        std::string name;
        std::getline(comm, name);
        names.push_back(name);
    }
    closedir(tasks);
    return names;
}

// Records what the host sends to a plug-in.
class CRecordingPlugin : public IPluginBase {
public:
    int OnToolCommand(int id) override {
        Log("tool " + std::to_string(id));
        return 1;
    }
    int OnWindowMessage(unsigned message, std::uintptr_t wparam, std::intptr_t) override {
        Log("msg " + std::to_string(message) + " " + std::to_string(wparam));
        return 0;
    }
    int OnNotify(int code, int arg, void* data) override {
        if (code == NOTIFY_FRAME)
            framed = static_cast<IView*>(data);
        if (code != NOTIFY_SELECTION) // selection changes are the scene's business
            Log("notify " + std::to_string(code) + " " + std::to_string(arg));
        return 0;
    }
    int OnSelectRect(IView*, int, const PixelRect& r) override {
        Log("rect " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
            std::to_string(r.right) + " " + std::to_string(r.bottom));
        return 0;
    }
    int OnPointerDown(IView*, int n, int flags, int x, int y) override {
        Log("down " + Args(n, flags, x, y));
        return claimPress;
    }
    int OnPointerMove(IView*, int n, int flags, int x, int y) override {
        Log("move " + Args(n, flags, x, y));
        return 0;
    }
    int OnPointerUp(IView*, int n, int flags, int x, int y) override {
        Log("up " + Args(n, flags, x, y));
        return 0;
    }
    int LoadText(unsigned id, char* buffer, int size) override {
        const char* text = id == 40002 ? "移动模式" : id == 40003 ? "选择模式" : nullptr;
        if (!text || !buffer || size <= 0)
            return 0;
        std::snprintf(buffer, size_t(size), "%s", text);
        return int(std::strlen(buffer));
    }
    const char* GetPluginName() override { return "recorder"; }

    static std::string Args(int n, int flags, int x, int y) {
        return std::to_string(n) + " " + std::to_string(flags) + " " + std::to_string(x) + " " +
               std::to_string(y);
    }
    void Log(const std::string& s) { log.push_back(s); }
    std::vector<std::string> log;
    int claimPress = 0;
    IView* framed = nullptr;
};

class CFakePanel : public CSizeControlChild {
public:
    wxWindow* GetWindow() override { return window; }
    int Resize(int w, int h) override {
        width = w;
        height = h;
        return 1;
    }
    void GetSize(int& w, int& h) override {
        w = width;
        h = height;
    }
    void CreateChild(wxWindow* parent) override {
        ++created;
        window = new wxPanel(parent);
    }
    wxWindow* window = nullptr;
    int created = 0, width = 0, height = 0;
};

class EditorSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(g_session, nullptr);
        session().Script().SetOutput(&out);
        session().Script().SetErrorOutput(&err);
        session().Script().SetTargetView(0);
        ASSERT_TRUE(Run("select"));
        out.str("");
    }
    void TearDown() override {
        session().Script().SetOutput(nullptr);
        session().Script().SetErrorOutput(nullptr);
        if (registered)
            host().Registry().unregisterPlugin(&plugin);
    }
    static CEditorSession& session() { return *g_session; }
    static CEditorHost& host() { return g_session->Host(); }
    bool Run(const std::string& line) { return session().RunScriptLine(line); }
    std::string Output() {
        std::string s = out.str();
        out.str("");
        return s;
    }
    void Register() {
        ASSERT_EQ(host().Registry().registerPlugin(&plugin, 2), 1);
        registered = true;
    }

    std::ostringstream out, err;
    CRecordingPlugin plugin;
    bool registered = false;
};
} // namespace

TEST_F(EditorSessionTest, SelectSelectionUndoRedoRoundTrip) {
    EXPECT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection:\n");
    EXPECT_TRUE(Run("select cone_a box_a   # comment"));
    EXPECT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection: box_a cone_a\n"); // the set's order
    EXPECT_TRUE(Run("select 石块"));
    EXPECT_TRUE(Run("undo"));
    EXPECT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection: box_a cone_a\n");
    EXPECT_TRUE(Run("redo"));
    EXPECT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection: 石块\n");
    EXPECT_TRUE(Run("select"));
    EXPECT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection:\n");
}

TEST_F(EditorSessionTest, PrintShowsLocalAndWorldValues) {
    SceneEntity* box = host().Scene().getSceneEntity("box_b");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(Run("print box_b"));
    const std::string line = Output();
    char name[32];
    float v[18];
    ASSERT_EQ(std::sscanf(line.c_str(),
                          "%31s pos %f %f %f rot %f %f %f scale %f %f %f wpos %f %f %f wrot %f "
                          "%f %f wscale %f %f %f",
                          name, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8],
                          &v[9], &v[10], &v[11], &v[12], &v[13], &v[14], &v[15], &v[16], &v[17]),
              19)
        << line;
    EXPECT_STREQ(name, "box_b");
    EXPECT_NEAR(v[0], box->GetPosition().x, 1e-4);
    EXPECT_NEAR(v[4], box->GetOrientation().y * 57.29578f, 1e-3); // degrees
    EXPECT_NEAR(v[9], box->GetWorldPosition().x, 1e-4);
    EXPECT_NEAR(v[15], box->GetWorldScale().x, 1e-4);
    EXPECT_NE(line.find(" pos "), std::string::npos);
    EXPECT_EQ(line.find("-0.0000"), std::string::npos);

    ASSERT_TRUE(Run("project box_a"));
    float px = 0, py = 0;
    ASSERT_EQ(std::sscanf(Output().c_str(), "box_a px %f %f", &px, &py), 2);
    Ogre::Vector3 nearPoint, farPoint;
    host().GetView(0)->rayThroughPixel(int(px), int(py), nearPoint, farPoint);
    const Ogre::Vector3 p = host().Scene().getSceneEntity("box_a")->GetWorldPosition();
    const Ogre::Vector3 dir = (farPoint - nearPoint).normalisedCopy();
    const float off = ((p - nearPoint) - dir * dir.dotProduct(p - nearPoint)).length();
    EXPECT_LT(off, 0.2f); // the printed pixel lies on the entity's position
}

TEST_F(EditorSessionTest, BadLinesAreRefusedWithTheirLineNumber) {
    ASSERT_TRUE(Run("select box_a"));
    const char* bad[] = {"bogus",      "select box_a nosuch", "print",     "print nosuch",
                         "view 7",     "frames -1",           "frames x",  "undo 1",
                         "press 1",    "press 1 2 meta",      "keys caps", "tool fly",
                         "rect 1 2 3", "project nosuch",      "quit now",  "selection x"};
    for (const char* line : bad) {
        err.str("");
        EXPECT_FALSE(Run(line)) << line;
        EXPECT_NE(err.str().find("script:"), std::string::npos) << line;
    }
    EXPECT_EQ(session().Script().LastError(), "usage: selection");
    ASSERT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection: box_a\n"); // nothing changed by the bad lines

    // A whole script stops at the bad line with exit code 2; later lines do not run.
    err.str("");
    std::istringstream script("# header\nselect cone_a\nselect nosuch\nselect pillar\n");
    EXPECT_EQ(session().Script().Run(script), 2);
    EXPECT_EQ(err.str(), "script:3: unknown entity 'nosuch'\n");
    ASSERT_TRUE(Run("selection"));
    EXPECT_EQ(Output(), "selection: cone_a\n");
    std::istringstream quits("select box_a\nquit\nselect nosuch\n");
    EXPECT_EQ(session().Script().Run(quits), 0);
}

TEST_F(EditorSessionTest, EveryCommandSetJoinsTheLanguageWithoutClashes) {
    CScriptRunner& script = session().Script();
    EXPECT_TRUE(script.Clashes().empty()) << script.Clashes().front();
    for (const char* name :
         {"view", "handle", "undocount", "show", "light", "propcolour", "open", "unload"})
        EXPECT_TRUE(script.HasCommand(name)) << name;
    // "show light" is the light set's case of the panel set's "show".
    ASSERT_TRUE(Run("show light"));
    EXPECT_EQ(Output(), "light hidden\n");
    EXPECT_FALSE(Run("show nothing"));
    EXPECT_EQ(script.LastError(), "usage: show panel|bar");
}

TEST_F(EditorSessionTest, PointerPathClaimedPressAndRubberBand) {
    Register();
    // Unclaimed press, dragged: rubber band, released as OnSelectRect alone (not a click too).
    ASSERT_TRUE(Run("press 50 60 shift"));
    ASSERT_TRUE(Run("move 20 90"));
    int view = -1;
    PixelRect band;
    ASSERT_TRUE(host().RubberBand(view, band));
    EXPECT_EQ(band.left, 20);
    EXPECT_EQ(band.bottom, 90);
    ASSERT_TRUE(Run("release 20 90 shift"));
    EXPECT_FALSE(host().RubberBand(view, band));
    EXPECT_EQ(plugin.log,
              (std::vector<std::string>{"down 0 5 50 60", "move 0 5 20 90", "rect 20 60 50 90"}));
    // A claimed press is the plug-in's drag: no rectangle.
    plugin.log.clear();
    plugin.claimPress = 1;
    ASSERT_TRUE(Run("rect 10 10 40 40"));
    EXPECT_EQ(plugin.log, (std::vector<std::string>{"down 0 1 10 10", "move 0 1 25 25",
                                                    "move 0 1 40 40", "up 0 1 40 40"}));
    // A press without motion is a click: no rectangle either.
    plugin.log.clear();
    plugin.claimPress = 0;
    ASSERT_TRUE(Run("press 5 5 ctrl"));
    ASSERT_TRUE(Run("release 5 5 ctrl"));
    EXPECT_EQ(plugin.log, (std::vector<std::string>{"down 0 9 5 5", "up 0 9 5 5"}));
}

TEST_F(EditorSessionTest, AnUnloadedModulesCursorIsForgotten) {
    CViewWindow* window = session().Frame()->GetViewWindow(0);
    ASSERT_NE(window, nullptr);
    // Both cursors are made in the same storage: a reloaded plug-in's new cursor may well land
    // at the address of the one its module deleted on unload.
    alignas(wxCursor) unsigned char storage[sizeof(wxCursor)];
    ASSERT_TRUE(host().Loader().LoadModule(GIZMARK_TEST_MODULE));
    auto* first = new (storage) wxCursor(wxCURSOR_HAND);
    host().setCursor(first); // as the module's tool does while engaged
    EXPECT_TRUE(window->GetCursor().IsSameAs(*first));
    host().Loader().UnloadAll();
    first->~wxCursor();
    EXPECT_EQ(host().CurrentCursor(), nullptr);
    EXPECT_FALSE(window->GetCursor().IsOk());

    auto* second = new (storage) wxCursor(wxCURSOR_CROSS);
    host().setCursor(second);
    EXPECT_TRUE(window->GetCursor().IsSameAs(*second));
    host().setCursor(nullptr);
    second->~wxCursor();
}

TEST_F(EditorSessionTest, ViewWindowMouseEventsReachThePlugins) {
    Register();
    CViewWindow* window = session().Frame()->GetViewWindow(0);
    ASSERT_NE(window, nullptr);
    auto send = [window](wxEventType type, int x, int y, bool left) {
        wxMouseEvent event(type);
        event.SetEventObject(window);
        event.m_x = x;
        event.m_y = y;
        event.m_leftDown = left;
        window->ProcessWindowEvent(event);
    };
    // A click, then a second press soon after it (delivered as a double click) dragged and
    // released: the second press is a press like the first (here claimed, as a grabbed part).
    plugin.claimPress = 1;
    send(wxEVT_LEFT_DOWN, 30, 40, true);
    send(wxEVT_LEFT_UP, 30, 40, false);
    send(wxEVT_LEFT_DCLICK, 30, 40, true);
    send(wxEVT_MOTION, 50, 40, true);
    send(wxEVT_LEFT_UP, 50, 40, false);
    EXPECT_EQ(plugin.log,
              (std::vector<std::string>{"down 0 1 30 40", "up 0 1 30 40", "down 0 1 30 40",
                                        "move 0 1 50 40", "up 0 1 50 40"}));
}

TEST_F(EditorSessionTest, MenuCommandsReachThePlugins) {
    Register();
    ASSERT_TRUE(Run("parents"));
    ASSERT_TRUE(Run("copy"));
    ASSERT_TRUE(Run("frame"));
    EXPECT_EQ(plugin.log, (std::vector<std::string>{"tool 40006", "msg 273 40006", "msg 273 57634",
                                                    "notify 60 1"}));
    EXPECT_EQ(plugin.framed, host().view(0));
}

TEST_F(EditorSessionTest, ToolStripFromXrcClicksThroughTheHost) {
    // A plug-in's resources: tool bar "101" with two tools and a 28 x 28 image.
    wxImage image(28, 28);
    image.SetRGB(wxRect(0, 0, 28, 28), 200, 200, 200);
    wxMemoryFSHandler::AddFile("test_tool.png", image, wxBITMAP_TYPE_PNG);
    const char* xrc = R"(<?xml version="1.0" encoding="UTF-8"?>
<resource xmlns="http://www.wxwidgets.org/wxxrc" version="2.5.3.0">
  <object class="wxToolBar" name="101">
    <bitmapsize>28,28</bitmapsize>
    <object class="tool" name="40003"><bitmap>memory:test_tool.png</bitmap></object>
    <object class="tool" name="40002"><bitmap>memory:test_tool.png</bitmap></object>
  </object>
</resource>)";
    wxMemoryInputStream stream(xrc, std::strlen(xrc));
    auto* doc = new wxXmlDocument(stream);
    ASSERT_TRUE(wxXmlResource::Get()->LoadDocument(doc, "test_strip.xrc"));
    Register();
    wxAuiToolBar* strip = session().Frame()->BuildToolStrip(&plugin);
    ASSERT_NE(strip, nullptr);
    ASSERT_EQ(strip->GetToolCount(), 2);
    EXPECT_EQ(strip->FindToolByIndex(1)->GetId(), 40002);
    EXPECT_EQ(strip->GetToolShortHelp(40002), wxString::FromUTF8("移动模式"));
    EXPECT_EQ(strip->FindToolByIndex(0)->GetBitmapBundle().GetDefaultSize().x, 28);
    EXPECT_GE(host().Tools().toolForCommand(&plugin, 40003), 0);
    EXPECT_EQ(host().FindToolPlugin(40002), &plugin);

    ASSERT_TRUE(Run("tool move"));
    EXPECT_EQ(plugin.log, (std::vector<std::string>{"tool 40002", "msg 273 40002"}));
    EXPECT_FALSE(Run("tool rotate")); // no plug-in offers it

    host().removeToolStrip(&plugin, nullptr);
    EXPECT_EQ(session().Frame()->GetToolStrip(&plugin), nullptr);
    wxXmlResource::Get()->Unload("test_strip.xrc");
    wxMemoryFSHandler::RemoveFile("test_tool.png");
}

TEST_F(EditorSessionTest, ViewWindowEventsDoNotPileUp) {
    // Each resize of a view makes the engine's own X connection queue events for its window;
    // nothing but the frame tick reads them, so a long session (or many module loads, whose
    // strips and bars change the layout) would keep every one of them.
    CViewWindow* view = session().Frame()->GetViewWindow(0);
    ASSERT_NE(view, nullptr);
    Ogre::RenderWindow* window = view->GetRenderWindow();
    ASSERT_NE(window, nullptr);
    Display* display = nullptr;
    window->getCustomAttribute("XDISPLAY", &display);
    ASSERT_NE(display, nullptr);
    const wxSize size = session().Frame()->GetSize();
    for (int i = 0; i < 10; ++i) {
        session().Frame()->SetSize(size + wxSize(8 * (i % 2 + 1), 6 * (i % 2 + 1)));
        session().RenderFrames(1);
    }
    session().Frame()->SetSize(size);
    session().RenderFrames(2);
    XSync(display, False); // every event the server sent is in the queue now
    session().RenderTick();
    EXPECT_EQ(XQLength(display), 0);
}

TEST_F(EditorSessionTest, SidePanelIsCreatedOnceAndResized) {
    CFakePanel panel;
    host().setSidePanel(&panel);
    EXPECT_EQ(panel.created, 1);
    ASSERT_NE(panel.window, nullptr);
    EXPECT_EQ(panel.window->GetParent(), session().Frame()->GetSideArea());
    EXPECT_GE(panel.width, 200);
    EXPECT_TRUE(panel.window->IsShown());
    host().setSidePanel(nullptr);
    EXPECT_FALSE(panel.window->IsShown());
    host().setSidePanel(&panel); // the window exists now: not made again
    EXPECT_EQ(panel.created, 1);
    host().setSidePanel(nullptr);
    panel.window->Destroy();
    session().ProcessEvents();
}

TEST_F(EditorSessionTest, BottomBarsDockOnlyAsChildrenOfTheMainWindowAndOnce) {
    IViewHost& views = *host().viewHost();
    wxWindow* frame = views.mainWindow();
    ASSERT_EQ(frame, session().Frame());
    wxAuiManager* manager = wxAuiManager::GetManager(frame);
    ASSERT_NE(manager, nullptr);

    auto* bar = new wxPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(300, 24));
    auto* stranger = new wxPanel(session().Frame()->GetSideArea(), wxID_ANY);
    EXPECT_FALSE(views.dockBottomBar(nullptr, "TestBar"));
    EXPECT_FALSE(views.dockBottomBar(bar, nullptr));
    EXPECT_FALSE(views.dockBottomBar(stranger, "TestBar"));
    EXPECT_FALSE(manager->GetPane("TestBar").IsOk());

    ASSERT_TRUE(views.dockBottomBar(bar, "TestBar"));
    const wxAuiPaneInfo& pane = manager->GetPane("TestBar");
    ASSERT_TRUE(pane.IsOk());
    EXPECT_EQ(pane.window, bar);
    EXPECT_EQ(pane.dock_direction, wxAUI_DOCK_BOTTOM);
    EXPECT_FALSE(pane.IsFloatable() || pane.IsMovable() || pane.HasCaption());
    EXPECT_EQ(pane.min_size.GetHeight(), 24);
    // The same window, or another under the same name, is refused: the first pane stays.
    auto* second = new wxPanel(frame, wxID_ANY);
    EXPECT_FALSE(views.dockBottomBar(bar, "OtherBar"));
    EXPECT_FALSE(views.dockBottomBar(second, "TestBar"));
    EXPECT_EQ(manager->GetPane("TestBar").window, bar);

    views.undockBottomBar(second); // not docked: nothing happens
    views.undockBottomBar(bar);
    EXPECT_FALSE(manager->GetPane("TestBar").IsOk());
    EXPECT_FALSE(manager->GetPane(bar).IsOk());
    bar->Destroy();
    second->Destroy();
    stranger->Destroy();
    session().ProcessEvents();
}

TEST_F(EditorSessionTest, KeysAreSeenByTheKeyStateQuery) {
    ASSERT_TRUE(Run("keys shift"));
    EXPECT_TRUE(wxGetKeyState(WXK_SHIFT));
    EXPECT_FALSE(wxGetKeyState(WXK_CONTROL));
    ASSERT_TRUE(Run("keys shift+ctrl"));
    EXPECT_TRUE(wxGetKeyState(WXK_CONTROL));
    ASSERT_TRUE(Run("keys none"));
    EXPECT_FALSE(wxGetKeyState(WXK_SHIFT));
    EXPECT_FALSE(wxGetKeyState(WXK_CONTROL));
}

TEST_F(EditorSessionTest, ScreenshotsHaveTheWindowAndViewSizes) {
    const std::string dir = testing::TempDir();
    ASSERT_TRUE(Run("screenshot " + dir + "/h2_editor.png")) << err.str();
    ASSERT_TRUE(Run("viewshot " + dir + "/h2_view.png")) << err.str();
    wxImage window(dir + "/h2_editor.png", wxBITMAP_TYPE_PNG);
    wxImage view(dir + "/h2_view.png", wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(window.IsOk());
    ASSERT_TRUE(view.IsOk());
    EXPECT_EQ(window.GetSize(), session().Frame()->GetScreenRect().GetSize());
    CEditorView* v = host().GetView(0);
    EXPECT_EQ(view.GetWidth(), v->GetWidth());
    EXPECT_EQ(view.GetHeight(), v->GetHeight());
    // The view is not blank: the terrain is drawn in its lower half.
    const unsigned char* p = view.GetData() + 3 * (view.GetWidth() * view.GetHeight() * 3 / 4);
    EXPECT_GT(int(p[1]), int(p[2])); // green over blue
    EXPECT_FALSE(Run("screenshot /nonexistent-dir/x.png"));
}

TEST_F(EditorSessionTest, ScriptUnloadsAndLoadsModules) {
    const std::string module = GIZMARK_TEST_MODULE;
    ASSERT_TRUE(Run("load " + module)) << err.str();
    EXPECT_EQ(Output(), "loaded 1\n");
    // The same module again, also under another spelling of its path, would load nothing and
    // unload twice: refused, with the module as it was.
    const size_t slash = module.rfind('/');
    ASSERT_NE(slash, std::string::npos);
    const std::string other = module.substr(0, slash) + "/./" + module.substr(slash + 1);
    for (const std::string& line : {"load " + module, "load " + other}) {
        EXPECT_FALSE(Run(line));
        EXPECT_NE(session().Script().LastError().find("loaded already"), std::string::npos);
    }
    EXPECT_EQ(host().Loader().modules().size(), 1u);
    const char* bad[] = {"load /nonexistent/x.so", "load a b", "unload now", "memory x"};
    for (const char* line : bad)
        EXPECT_FALSE(Run(line)) << line;
    EXPECT_EQ(host().Loader().modules().size(), 1u);

    // A press under way ends as a release before the modules go, and the steps go with them
    // (they may be objects of a module).
    Register();
    ASSERT_TRUE(Run("select box_a"));
    ASSERT_TRUE(Run("press 5 5"));
    plugin.log.clear();
    ASSERT_TRUE(Run("unload"));
    EXPECT_EQ(Output(), "unloaded 1\n");
    // The release reaches the plug-ins before the module's unload notification.
    EXPECT_EQ(plugin.log, (std::vector<std::string>{"up 0 1 5 5", "notify 3 0"}));
    EXPECT_EQ(host().Undo().undoCount(), 0);
    EXPECT_TRUE(host().Loader().modules().empty());
    ASSERT_TRUE(Run("unload"));
    EXPECT_EQ(Output(), "unloaded 0\n");

    ASSERT_TRUE(Run("memory"));
    const std::string memory = Output();
    unsigned long kb = 0;
    EXPECT_EQ(std::sscanf(memory.c_str(), "memory %lu kB", &kb), 1) << memory;
    EXPECT_GT(kb, 1000u);
    ASSERT_TRUE(Run("heap"));
    const std::string heap = Output();
    unsigned long heapKb = 0;
    EXPECT_EQ(std::sscanf(heap.c_str(), "heap %lu kB", &heapKb), 1) << heap;
    EXPECT_GT(heapKb, 100u);
    EXPECT_FALSE(Run("heap x"));
}

// At exit, the leak checker of sanitizer builds stops every thread, and a thread starting or
// ending meanwhile can crash it: an unattended run keeps the libraries under the toolkit from
// having such threads. Frames are drawn on the calling thread, with no render workers, and GLib's
// pooled threads stay idle rather than end at some moment.
TEST_F(EditorSessionTest, UnattendedRunsHaveNoRenderWorkersAndKeepPooledThreads) {
    session().RenderFrames(2);
    ASSERT_TRUE(Run("select box_a"));
    session().RenderFrames(2);
    const std::vector<std::string> names = ThreadNames();
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names)
        EXPECT_NE(name.rfind("llvmpipe", 0), 0u) << "a render worker: " << name;
    EXPECT_EQ(g_thread_pool_get_max_idle_time(), 0u);
    EXPECT_EQ(g_thread_pool_get_max_unused_threads(), -1);
}

int main(int argc, char** argv) {
    EditorOptions options;
    options.loadPlugins = false;
    options.width = 1024;
    options.height = 700;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

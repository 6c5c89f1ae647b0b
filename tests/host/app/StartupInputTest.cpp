// The editor with the plug-in, driven the moment it has started by real X input (XTest) through
// its own main loop and render loop, as a person drives it: a click in the view, E, a click on
// box_a, then a drag of a gizmo ring. What is checked is what the person sees: the pixels the X
// server holds for the side panel's and the transform bar's fields, besides the toolkit's texts.
//
// Every frame here costs more than the render period, as the first frames after start do (and
// every frame on a busy machine): the toolkit's layout and painting must still get their turn.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "CViewWindow.h"
#include "EditorTestMain.h"
#include "SceneEntity.h"
#include "ScriptRunner.h"

#include <OgreFrameListener.h>
#include <OgreRoot.h>

#include <wx/evtloop.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Last: Xlib's macros clash with names in the headers above.
#include "XTestInput.h"

extern "C" {
int gtk_widget_get_allocated_width(void* widget);
int gtk_widget_get_allocated_height(void* widget);
int gtk_widget_get_mapped(void* widget);
}

namespace {

CEditorSession* g_session = nullptr;

// The panel's value edits (position, rotation, scale; X, Y, Z each) and the bar's, same order.
constexpr int kPanelFieldIds[9] = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009};
constexpr int kBarFieldIds[9] = {1030, 1031, 1032, 1004, 1005, 1006, 1007, 1008, 1009};
constexpr int kFirstRotationField = 3;
// Generous: only a failing run waits this long.
constexpr int kWaitMs = 30000;

// Makes every frame cost 40 ms, well over the 16 ms render period.
class CSlowFrames : public Ogre::FrameListener {
public:
    bool frameRenderingQueued(const Ogre::FrameEvent&) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        return true;
    }
};

wxWindow* FindDescendant(wxWindow* root, int id) {
    if (!root)
        return nullptr;
    for (wxWindow* child : root->GetChildren()) {
        if (child->GetId() == id)
            return child;
        if (wxWindow* found = FindDescendant(child, id))
            return found;
    }
    return nullptr;
}

wxWindow* BarRoot() {
    CMainFrame* frame = g_session->Frame();
    return frame ? frame->GetBottomBar() : nullptr;
}

wxTextCtrl* PanelField(int index) {
    return wxDynamicCast(FindDescendant(g_session->Frame()->GetSideArea(), kPanelFieldIds[index]),
                         wxTextCtrl);
}

wxTextCtrl* BarField(int index) {
    return wxDynamicCast(FindDescendant(BarRoot(), kBarFieldIds[index]), wxTextCtrl);
}

wxRect ScreenRect(wxWindow* window) {
    return wxRect(window->GetScreenPosition(), window->GetSize());
}

std::string Text(wxTextCtrl* field) {
    return field ? field->GetValue().utf8_string() : std::string();
}

// Whether a text reads as `value` to `tolerance`.
bool Reads(wxTextCtrl* field, float value, float tolerance) {
    const std::string text = Text(field);
    char* end = nullptr;
    const double read = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::fabs(read - value) <= tolerance;
}

// Whether a field stands on the screen as a person sees it: the toolkit gave it its place (a
// field never laid out keeps a 1 × 1 allocation) and the server shows something there, not the
// empty background of its parent.
bool IsOnScreen(CXInput& input, wxWindow* field) {
    if (!field || !field->IsShownOnScreen())
        return false;
    void* widget = field->GetHandle();
    if (!gtk_widget_get_mapped(widget) || gtk_widget_get_allocated_width(widget) < 10 ||
        gtk_widget_get_allocated_height(widget) < 10)
        return false;
    const std::vector<unsigned long> pixels = input.Grab(ScreenRect(field));
    return std::set<unsigned long>(pixels.begin(), pixels.end()).size() > 2;
}

std::string EngagedCommand() {
    CToolManager& tools = g_session->Host().Tools();
    return tools.CurrentTool() < 0 ? "none"
                                   : std::to_string(tools.CommandOfTool(tools.CurrentTool()));
}

class StartupInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        ASSERT_TRUE(m_input.IsOk());
        Ogre::Root::getSingleton().addFrameListener(&m_slow);
        StartRenderLoop();
    }
    void TearDown() override {
        g_session->Frame()->StopRenderLoop();
        Ogre::Root::getSingleton().removeFrameListener(&m_slow);
    }
    void StartRenderLoop() {
        g_session->Frame()->StartRenderLoop([] { g_session->RenderTick(); });
    }
    // A script line, with the render loop stopped (the script runs the toolkit itself).
    std::string Script(const std::string& line) {
        g_session->Frame()->StopRenderLoop();
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        const bool ok = g_session->RunScriptLine(line);
        g_session->Script().SetOutput(nullptr);
        StartRenderLoop();
        EXPECT_TRUE(ok) << line;
        return out.str();
    }
    CViewWindow* View() { return g_session->Frame()->GetViewWindow(0); }
    wxPoint ScreenPoint(int x, int y) { return View()->ClientToScreen(wxPoint(x, y)); }
    void Click(const wxPoint& screen) {
        m_input.MoveTo(screen);
        m_input.Button(true);
        m_input.Button(false);
    }
    SceneEntity* Box() { return g_session->Scene().getSceneEntity("box_a"); }

    CXInput m_input;
    CSlowFrames m_slow;
};

// Right after start: a click in the view, E for the rotate tool and a click on box_a show the
// panel's fields with box_a's values, on the screen.
TEST_F(StartupInputTest, ClickRightAfterStartShowsThePanelFields) {
    SceneEntity* box = Box();
    ASSERT_TRUE(box);
    const wxSize size = View()->GetClientSize();
    Click(ScreenPoint(size.x - 40, size.y - 40));
    ASSERT_TRUE(RunLoopUntil([&] { return wxWindow::FindFocus() == View(); }));
    const std::string before = EngagedCommand();
    m_input.Key(XK_e);
    ASSERT_TRUE(RunLoopUntil([&] { return EngagedCommand() != before; }));

    Ogre::Vector3 at;
    g_session->Host().GetView(0)->projectPoint(at, box->GetWorldPosition(), nullptr);
    Click(ScreenPoint(int(at.x + 0.5f), int(at.y + 0.5f)));
    ASSERT_TRUE(RunLoopUntil([&] {
        const std::set<std::string>& selected = g_session->Scene().getSelectedEntities();
        return selected.size() == 1 && *selected.begin() == "box_a";
    }));

    const Ogre::Vector3 values[3] = {box->GetPosition(), box->GetOrientation(), box->GetScale()};
    EXPECT_TRUE(RunLoopUntil([&] {
        for (int i = 0; i < 9; ++i)
            if (!IsOnScreen(m_input, PanelField(i)))
                return false;
        return true;
    }));
    for (int i = 0; i < 9; ++i) {
        const float degrees = i / 3 == 1 ? 180.0f / Ogre::Math::PI : 1.0f;
        const float value = values[i / 3][i % 3] * degrees;
        EXPECT_TRUE(IsOnScreen(m_input, PanelField(i)))
            << "panel field " << kPanelFieldIds[i] << " is not on the screen";
        EXPECT_TRUE(Reads(PanelField(i), value, 0.001f))
            << "panel field " << kPanelFieldIds[i] << " shows '" << Text(PanelField(i)) << "' for "
            << value;
        EXPECT_TRUE(IsOnScreen(m_input, BarField(i))) << "bar field " << kBarFieldIds[i];
    }
}

// A drag of a ring turns box_a; while the button is held and after the release, the bar and the
// panel show the turn, and the screen shows their new texts.
TEST_F(StartupInputTest, BarAndPanelFollowARingDragOnTheScreen) {
    SceneEntity* box = Box();
    ASSERT_TRUE(box);
    Script("select box_a");
    Script("tool rotate");
    std::istringstream handle(Script("handle z"));
    std::string word, part, px;
    int x = 0, y = 0;
    ASSERT_TRUE(handle >> word >> part >> px >> x >> y) << "no ring z on the screen";
    const int undoDepth = g_session->Host().Undo().undoCount();

    // Every rotation field of both: its text and what the server shows for it.
    std::vector<wxTextCtrl*> fields;
    for (int i = kFirstRotationField; i < kFirstRotationField + 3; ++i) {
        fields.push_back(BarField(i));
        fields.push_back(PanelField(i));
    }
    for (wxTextCtrl* field : fields)
        ASSERT_TRUE(RunLoopUntil([&] { return IsOnScreen(m_input, field); }));
    struct Shown {
        std::vector<std::string> texts;
        std::vector<std::vector<unsigned long>> pixels;
    };
    auto snapshot = [&] {
        Shown shown;
        for (wxTextCtrl* field : fields) {
            shown.texts.push_back(Text(field));
            shown.pixels.push_back(m_input.Grab(ScreenRect(field)));
        }
        return shown;
    };
    // Both show box_a's turn, some text differs from `before`, and the screen shows each
    // field that changed differently from then.
    auto follows = [&](const Shown& before) {
        const Ogre::Vector3 now = box->GetOrientation() * (180.0f / Ogre::Math::PI);
        bool changed = false;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const bool isPanel = k % 2 == 1;
            if (!Reads(fields[k], now[int(k / 2)], isPanel ? 0.001f : 0.01f))
                return false;
            if (Text(fields[k]) == before.texts[k])
                continue;
            changed = true;
            if (m_input.Grab(ScreenRect(fields[k])) == before.pixels[k])
                return false;
        }
        return changed;
    };
    const Shown atPress = snapshot();

    m_input.MoveTo(ScreenPoint(x, y));
    m_input.Button(true);
    // The press first: motion that reaches the toolkit before it has taken the pointer for the
    // view is not the view's.
    ASSERT_TRUE(RunLoopUntil([&] { return View()->HasCapture(); }));
    Shown last = atPress;
    for (int step = 1; step <= 3; ++step) {
        const Ogre::Vector3 turned = box->GetOrientation();
        m_input.MoveTo(ScreenPoint(x, y + 12 * step));
        ASSERT_TRUE(RunLoopUntil([&] { return box->GetOrientation() != turned; }))
            << "step " << step << " of the drag did not turn box_a";
        EXPECT_TRUE(RunLoopUntil([&] { return follows(last); })) << "drag step " << step;
        last = snapshot();
    }
    EXPECT_EQ(g_session->Host().Undo().undoCount(), undoDepth) << "the drag is still under way";

    m_input.Button(false);
    ASSERT_TRUE(RunLoopUntil([&] { return g_session->Host().Undo().undoCount() == undoDepth + 1; }))
        << "the release did not end the drag";
    EXPECT_TRUE(RunLoopUntil([&] { return follows(atPress); })) << "after the release";
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

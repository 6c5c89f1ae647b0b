// The gizmo's options and typed amounts in the editor with the plug-in, driven by real X input
// (XTest) through the toolkit and the editor's render loop, and by script lines: the option
// buttons, the L key and the space and pivot commands change one setting that all of them show;
// the keys of a typed amount reach the plug-ins before anything else and are consumed only when
// a plug-in takes them; the handle and dragtype commands refuse what they cannot do.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"
#include "CViewWindow.h"
#include "EditorTestMain.h"
#include "GizmoOptionsBar.h"
#include "IPluginBase.h"
#include "SceneEntity.h"
#include "ScriptInput.h"
#include "ScriptRunner.h"

#include <wx/aui/auibar.h>
#include <wx/eventfilter.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

// Last: Xlib's macros clash with names in the headers above.
#include "XTestInput.h"

namespace {

CEditorSession* g_session = nullptr;
// Tool-strip commands: select, move.
constexpr int kSelectCommand = 40003, kMoveCommand = 40002;

// A plug-in that records the other inputs it gets and answers them with `take`.
class CKeyTaker : public IPluginBase {
public:
    int OnInputOther(int code, int) override {
        codes.push_back(code);
        return take;
    }
    std::vector<int> codes;
    int take = 1;
};

// Counts the character events the view gets: a key the view skipped becomes one, a key it
// consumed does not.
class CCharWatch : public wxEventFilter {
public:
    explicit CCharWatch(wxWindow* view) : m_view(view) { wxEvtHandler::AddFilter(this); }
    ~CCharWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        if (event.GetEventType() == wxEVT_CHAR && event.GetEventObject() == m_view)
            ++chars;
        return Event_Skip;
    }
    int chars = 0;

private:
    wxWindow* m_view;
};

class GizmoOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        ASSERT_TRUE(m_input.IsOk());
        Script("space world");
        Script("pivot own");
        Script("tool select");
        StartRenderLoop();
    }
    void TearDown() override {
        g_session->Frame()->StopRenderLoop();
        g_session->Host().Registry().unregisterPlugin(&m_taker);
    }
    void StartRenderLoop() {
        g_session->Frame()->StartRenderLoop([] { g_session->RenderTick(); });
    }
    // One script line's output; `ok` says whether the line was accepted.
    std::string Script(const std::string& line, bool* ok = nullptr) {
        g_session->Frame()->StopRenderLoop();
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        const bool accepted = g_session->RunScriptLine(line);
        g_session->Script().SetOutput(nullptr);
        StartRenderLoop();
        if (ok)
            *ok = accepted;
        else
            EXPECT_TRUE(accepted) << line << ": " << g_session->Script().LastError();
        return out.str();
    }
    // The script line must be refused with a message holding `message`.
    void ExpectRefused(const std::string& line, const std::string& message) {
        bool ok = true;
        const std::string out = Script(line, &ok);
        EXPECT_FALSE(ok) << line;
        EXPECT_EQ(out, "") << line;
        EXPECT_NE(g_session->Script().LastError().find(message), std::string::npos)
            << line << ": " << g_session->Script().LastError();
    }
    CViewWindow* View() { return g_session->Frame()->GetViewWindow(0); }
    CGizmoOptionsBar* Bar() { return g_session->Frame()->GetGizmoOptionsBar(); }
    GizmoOptions Options() { return g_session->Host().gizmoOptions(); }
    std::string Label(int id) {
        wxAuiToolBarItem* item = Bar()->FindTool(id);
        return item ? item->GetLabel().utf8_string() : std::string("(no button)");
    }
    // A real click on an option button.
    void ClickButton(int id) {
        const wxRect rect = Bar()->GetToolRect(id);
        m_input.MoveTo(Bar()->ClientToScreen(rect.GetPosition() + rect.GetSize() / 2));
        m_input.Button(true);
        m_input.Button(false);
    }
    // The pointer over an empty corner of view 0 and the keyboard focus in it.
    void FocusView() {
        const wxSize size = View()->GetClientSize();
        m_input.MoveTo(View()->ClientToScreen(wxPoint(size.x - 20, size.y - 20)));
        View()->SetFocus();
        ASSERT_TRUE(RunLoopUntil([&] { return wxWindow::FindFocus() == View(); }));
    }
    // Types the keys into the focused view and waits until the toolkit handled each release.
    void Type(const std::vector<KeySym>& keys) {
        CInputWatch watch;
        for (KeySym key : keys)
            m_input.Key(key);
        const int count = int(keys.size());
        ASSERT_TRUE(RunLoopUntil([&] { return watch.Seen(wxEVT_KEY_UP) >= count; }));
    }
    // Every entity's local transform, by name.
    std::map<std::string, std::string> Transforms() {
        std::map<std::string, std::string> all;
        CEditorScene& scene = g_session->Scene();
        for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
            std::ostringstream text;
            text << e->GetPosition() << e->GetOrientation() << e->GetScale();
            all[e->GetName()] = text.str();
        }
        return all;
    }
    int PressedButton() {
        IPluginBase* plugin = nullptr;
        return g_session->Frame()->PressedStripTool(plugin);
    }

    CXInput m_input;
    CKeyTaker m_taker;
};

TEST_F(GizmoOptionsTest, ButtonsKeyAndScriptChangeOneSettingThatAllShow) {
    ASSERT_TRUE(Bar());
    EXPECT_TRUE(Bar()->IsShown()) << "the option buttons are not shown beside the tool strip";
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_SPACE), "世界");
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_PIVOT), "各自中心");
    EXPECT_EQ(Script("space"), "space world\n");
    EXPECT_EQ(Script("pivot"), "pivot own\n");

    // The space button.
    ClickButton(CGizmoOptionsBar::ID_SPACE);
    ASSERT_TRUE(RunLoopUntil([&] { return Options().space == SPACE_LOCAL; }));
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_SPACE), "局部");
    EXPECT_EQ(Options().pivot, PIVOT_OWN) << "the space button changed the pivot";
    EXPECT_EQ(Script("space"), "space local\n");

    // L typed into a view flips it back; the button follows.
    FocusView();
    Type({XK_l});
    EXPECT_EQ(Options().space, SPACE_WORLD);
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_SPACE), "世界");
    Type({XK_l});
    EXPECT_EQ(Options().space, SPACE_LOCAL);
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_SPACE), "局部");

    // The script sets it; asking for the setting it has changes nothing.
    EXPECT_EQ(Script("space world"), "space world\n");
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_SPACE), "世界");
    EXPECT_EQ(Script("space world"), "space world\n");
    EXPECT_EQ(Options().space, SPACE_WORLD);

    // The pivot button and the script.
    ClickButton(CGizmoOptionsBar::ID_PIVOT);
    ASSERT_TRUE(RunLoopUntil([&] { return Options().pivot == PIVOT_MEDIAN; }));
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_PIVOT), "共同中心");
    EXPECT_EQ(Options().space, SPACE_WORLD) << "the pivot button changed the axes";
    EXPECT_EQ(Script("pivot"), "pivot median\n");
    EXPECT_EQ(Script("pivot own"), "pivot own\n");
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_PIVOT), "各自中心");

    // Neither the buttons nor L are undo steps.
    EXPECT_EQ(g_session->Host().Undo().undoCount(), 0);
}

TEST_F(GizmoOptionsTest, RefusedOptionValuesChangeNothing) {
    EXPECT_FALSE(g_session->Host().SetGizmoOptions(GizmoOptions{2, PIVOT_OWN}));
    EXPECT_FALSE(g_session->Host().SetGizmoOptions(GizmoOptions{SPACE_LOCAL, -1}));
    EXPECT_EQ(Options().space, SPACE_WORLD);
    EXPECT_EQ(Options().pivot, PIVOT_OWN);
    ExpectRefused("space up", "space takes local or world");
    ExpectRefused("pivot local", "pivot takes own or median");
    ExpectRefused("space local world", "usage: space");
    EXPECT_EQ(Options().space, SPACE_WORLD);
    EXPECT_EQ(Options().pivot, PIVOT_OWN);
    EXPECT_EQ(Label(CGizmoOptionsBar::ID_SPACE), "世界");
}

TEST_F(GizmoOptionsTest, TypedAmountKeysReachThePlugInsAndAreConsumedOnlyWhenTaken) {
    // No tool engaged: every plug-in gets the input, the recording one among them.
    g_session->Host().Tools().switchTool(-1);
    ASSERT_EQ(g_session->Host().Registry().registerPlugin(&m_taker, 0), 1);
    FocusView();
    CCharWatch watch(View());

    m_taker.take = 1;
    Type({XK_1, XK_0, XK_minus, XK_period, XK_BackSpace, XK_Return, XK_KP_Subtract, XK_KP_Enter});
    EXPECT_EQ(m_taker.codes, (std::vector<int>{'1', '0', '-', '.', INPUT_KEY_BACKSPACE,
                                               INPUT_KEY_RETURN, '-', INPUT_KEY_RETURN}));
    EXPECT_EQ(watch.chars, 0) << "a key a plug-in took went on to the view";

    // Not taken: the key is handled as before (the view lets it go on).
    m_taker.codes.clear();
    m_taker.take = 0;
    Type({XK_7, XK_Return});
    EXPECT_EQ(m_taker.codes, (std::vector<int>{'7', INPUT_KEY_RETURN}));
    EXPECT_EQ(watch.chars, 2);

    // Other keys never reach the plug-ins as input: W still engages the move tool.
    m_taker.codes.clear();
    Type({XK_w, XK_l, XK_l});
    EXPECT_TRUE(m_taker.codes.empty());
    EXPECT_TRUE(RunLoopUntil([&] { return PressedButton() == kMoveCommand; }));
    EXPECT_EQ(Options().space, SPACE_WORLD);
}

TEST_F(GizmoOptionsTest, DigitsTypedWithoutADragChangeNothingAndToolKeysStillWork) {
    Script("select box_a box_b");
    Script("tool move");
    const auto before = Transforms();
    const int undo = g_session->Host().Undo().undoCount();
    FocusView();
    Type({XK_5, XK_minus, XK_period, XK_2, XK_BackSpace, XK_Return, XK_KP_Enter});
    EXPECT_EQ(Transforms(), before);
    EXPECT_EQ(g_session->Host().Undo().undoCount(), undo);
    EXPECT_EQ(Script("selection"), "selection: box_a box_b\n");
    EXPECT_EQ(Script("engaged"), "engaged move\n");
    Type({XK_q});
    EXPECT_TRUE(RunLoopUntil([&] { return PressedButton() == kSelectCommand; }));
    Type({XK_w});
    EXPECT_TRUE(RunLoopUntil([&] { return PressedButton() == kMoveCommand; }));
}

TEST_F(GizmoOptionsTest, DragTypeSendsRealKeysToTheTargetView) {
    g_session->Host().Tools().switchTool(-1);
    ASSERT_EQ(g_session->Host().Registry().registerPlugin(&m_taker, 0), 1);
    EXPECT_EQ(Script("dragtype -12.5"), "");
    EXPECT_EQ(Script("dragtype back"), "");
    EXPECT_EQ(Script("dragtype enter"), "");
    EXPECT_EQ(m_taker.codes,
              (std::vector<int>{'-', '1', '2', '.', '5', INPUT_KEY_BACKSPACE, INPUT_KEY_RETURN}));
    m_taker.codes.clear();
    ExpectRefused("dragtype 1e5", "dragtype takes digits, '-' and '.', back or enter");
    ExpectRefused("dragtype 1 2", "usage: dragtype");
    ExpectRefused("dragtype", "usage: dragtype");
    ExpectRefused("dragtype " + std::string(40, '1'), "at most 32 characters");
    EXPECT_TRUE(m_taker.codes.empty()) << "a refused line typed keys";
}

TEST_F(GizmoOptionsTest, HandleAndDragNameThePlaneSquares) {
    Script("select box_a");
    Script("tool rotate");
    for (const char* plane : {"xy", "xz", "yz"})
        EXPECT_EQ(Script(std::string("handle ") + plane),
                  std::string("handle ") + plane + " hidden\n")
            << "a plane square outside move mode";
    const std::string message = "handle takes x, y, z, xy, xz, yz, ring or centre";
    ExpectRefused("handle w", message);
    ExpectRefused("handle zx", message);
    ExpectRefused("drag yx 10 0", message);
    ExpectRefused("drag xy 10 0", "handle xy is hidden");
}

TEST(TypedAmountCodeTest, DigitsSignPointBackspaceAndEnterFromBothKeyBlocks) {
    struct Case {
        int key;
        bool shift, ctrl, alt;
        int code;
    } cases[] = {
        {'0', false, false, false, '0'},
        {'-', false, false, false, '-'},
        {'.', false, false, false, '.'},
        {WXK_NUMPAD7, false, false, false, '7'},
        {WXK_NUMPAD_SUBTRACT, false, false, false, '-'},
        {WXK_NUMPAD_DECIMAL, false, false, false, '.'},
        {WXK_BACK, false, false, false, INPUT_KEY_BACKSPACE},
        {WXK_RETURN, false, false, false, INPUT_KEY_RETURN},
        {WXK_NUMPAD_ENTER, false, false, false, INPUT_KEY_RETURN},
        // Shift types another character on the main keys, not on the keypad or the others.
        {'1', true, false, false, 0},
        {'-', true, false, false, 0},
        {WXK_NUMPAD3, true, false, false, '3'},
        {WXK_RETURN, true, false, false, INPUT_KEY_RETURN},
        // Ctrl and Alt belong to the menus (Ctrl+Z undoes whatever is typed).
        {'1', false, true, false, 0},
        {WXK_BACK, false, true, false, 0},
        {WXK_NUMPAD_ENTER, false, false, true, 0},
        // Other keys.
        {'L', false, false, false, 0},
        {',', false, false, false, 0},
        {WXK_NUMPAD_ADD, false, false, false, 0},
    };
    for (const Case& c : cases) {
        wxKeyEvent event(wxEVT_KEY_DOWN);
        event.m_keyCode = c.key;
        event.SetShiftDown(c.shift);
        event.SetControlDown(c.ctrl);
        event.SetAltDown(c.alt);
        EXPECT_EQ(CViewWindow::TypedAmountCode(event), c.code)
            << "key " << c.key << (c.shift ? " shift" : "") << (c.ctrl ? " ctrl" : "")
            << (c.alt ? " alt" : "");
    }
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

// The status line in the editor with the plug-in: the texts set while input is handled (a
// drag's change on every pointer move, any other message) reach the bar once a frame, and the
// bar is never repainted while the input is being handled (a synchronous repaint of the bar
// and the window around it made every pointer move of a drag several milliseconds dearer).
// The side panel's fields follow a drag once a frame in the same way, and are exact at its end.
// The input goes through the host's input path as the view window hands it, with no events
// handled in between, as when a burst of pointer motion is read in one go.
#include "AutomationContract.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorTestMain.h"
#include "SceneEntity.h"
#include "ScriptRunner.h"

#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {
CEditorSession* g_session = nullptr;

class StatusLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        m_bar = g_session->Frame()->GetStatusBar();
        ASSERT_TRUE(m_bar);
        m_bar->Bind(wxEVT_PAINT, &StatusLineTest::OnBarPaint, this);
    }
    void TearDown() override {
        if (m_bar)
            m_bar->Unbind(wxEVT_PAINT, &StatusLineTest::OnBarPaint, this);
        g_session->RenderFrames(1);
    }
    void OnBarPaint(wxPaintEvent& event) {
        ++m_paints;
        event.Skip(); // the bar paints itself as always
    }
    std::string Script(const std::string& line) {
        std::ostringstream out;
        g_session->Script().SetOutput(&out);
        EXPECT_TRUE(g_session->RunScriptLine(line))
            << line << ": " << g_session->Script().LastError();
        g_session->Script().SetOutput(nullptr);
        return out.str();
    }
    // box_a selected with the move tool, and the pixel on its X arrow; false without one.
    bool GrabXArrowAt(int& x, int& y) {
        Script("select box_a");
        Script("tool move");
        std::istringstream handle(Script("handle x"));
        std::string word, name, px;
        if (!(handle >> word >> name >> px >> x >> y))
            return false;
        g_session->RenderFrames(2);
        return true;
    }
    std::string BarText(int field) { return m_bar->GetStatusText(field).utf8_string(); }
    std::string LatestText(int field) {
        return g_session->Frame()->StatusText(field).utf8_string();
    }

    wxStatusBar* m_bar = nullptr;
    int m_paints = 0;
};

TEST_F(StatusLineTest, PointerMovesOfADragNeverRepaintTheBarWhileHandled) {
    int x = 0, y = 0;
    ASSERT_TRUE(GrabXArrowAt(x, y));

    CEditorHost& host = g_session->Host();
    m_paints = 0;
    ASSERT_EQ(host.PointerDown(0, KEY_LBUTTON, x, y), 1) << "the press missed the X arrow";
    for (int step = 1; step <= 12; ++step)
        host.PointerMove(0, KEY_LBUTTON, x + 4 * step, y);
    EXPECT_EQ(m_paints, 0) << "the bar was repainted while pointer moves were handled";
    // The drag's latest text is the status line's text already; the bar takes it on the frame.
    const std::string latest = LatestText(0);
    EXPECT_EQ(latest.rfind("移动 Δ ", 0), 0u) << latest;
    EXPECT_EQ(Script("status").rfind("status " + latest + " | ", 0), 0u);
    EXPECT_EQ(BarText(0), latest);
    host.PointerUp(0, KEY_LBUTTON, x + 48, y);
    Script("undo");
}

// The side panel's position X field, as the toolkit holds it now (no frame rendered).
std::string PanelPositionX() {
    auto* field = wxDynamicCast(wxWindow::FindWindowById(automation::kPositionX), wxTextCtrl);
    return field ? field->GetValue().utf8_string() : std::string("no field");
}

// Whether `text` reads as `value` to within the rounding of `decimals` places.
bool Shows(const std::string& text, float value, int decimals) {
    char* end = nullptr;
    const double read = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::fabs(read - value) <= 0.6 * std::pow(10.0, -decimals);
}

TEST_F(StatusLineTest, ThePanelAndBarFollowADragOnceAFrameAndAreExactAtItsEnd) {
    int x = 0, y = 0;
    ASSERT_TRUE(GrabXArrowAt(x, y));
    SceneEntity* box = g_session->Scene().getSceneEntity("box_a");
    ASSERT_TRUE(box);
    const float startX = box->GetPosition().x;
    const std::string before = PanelPositionX();
    ASSERT_TRUE(Shows(before, startX, 3)) << before;

    CEditorHost& host = g_session->Host();
    ASSERT_EQ(host.PointerDown(0, KEY_LBUTTON, x, y), 1) << "the press missed the X arrow";
    for (int step = 1; step <= 12; ++step)
        host.PointerMove(0, KEY_LBUTTON, x + 4 * step, y);
    ASSERT_GT(box->GetPosition().x, startX);
    EXPECT_EQ(PanelPositionX(), before) << "a pointer move wrote the field while handled";
    g_session->RenderFrames(1);
    EXPECT_TRUE(Shows(PanelPositionX(), box->GetPosition().x, 3)) << PanelPositionX();

    // Moves after the last frame: the release brings the field to the drag's end at once.
    for (int step = 13; step <= 15; ++step)
        host.PointerMove(0, KEY_LBUTTON, x + 4 * step, y);
    host.PointerUp(0, KEY_LBUTTON, x + 60, y);
    const float endX = box->GetPosition().x;
    EXPECT_TRUE(Shows(PanelPositionX(), endX, 3)) << PanelPositionX();
    bool barShowsIt = false;
    std::istringstream bar(Script("show bar"));
    for (std::string line; std::getline(bar, line);) {
        std::istringstream words(line);
        std::string barWord, id, text;
        if (words >> barWord >> id >> text && Shows(text, endX, 2))
            barShowsIt = true;
    }
    EXPECT_TRUE(barShowsIt) << "no bar field shows the drag's end " << endX;

    // Changes that are not a pointer move's reach the field at once.
    Script("undo");
    EXPECT_TRUE(Shows(PanelPositionX(), startX, 3)) << PanelPositionX();
}

TEST_F(StatusLineTest, TextsSetBetweenTwoFramesReachTheBarOnce) {
    g_session->RenderFrames(1);
    const std::string before = BarText(0);
    const int applied = g_session->Frame()->StatusLine().AppliedCount();
    m_paints = 0;
    CEditorHost& host = g_session->Host();
    for (int i = 0; i < 20; ++i)
        host.setStatusText(("text " + std::to_string(i)).c_str());
    // Also the host's own messages and a field set twice to what it shows.
    g_session->Frame()->SetStatusText(wxString::FromUTF8("已打开 a.scene"));
    g_session->Frame()->SetStatusText(wxString::FromUTF8("已取消拖动"));
    g_session->Frame()->SetStatusText(g_session->Frame()->StatusText(1), 1);
    EXPECT_EQ(m_paints, 0);
    EXPECT_EQ(BarText(0), before) << "the bar took a text before the frame";
    EXPECT_EQ(LatestText(0), "已取消拖动");

    g_session->RenderFrames(1);
    EXPECT_EQ(BarText(0), "已取消拖动");
    EXPECT_EQ(g_session->Frame()->StatusLine().AppliedCount(), applied + 1)
        << "one field changed between the frames: one text applied";
    // Nothing new: the next frame applies nothing.
    g_session->RenderFrames(1);
    EXPECT_EQ(g_session->Frame()->StatusLine().AppliedCount(), applied + 1);
}

TEST_F(StatusLineTest, FieldsTheBarDoesNotHaveAreIgnored) {
    g_session->Frame()->SetStatusText("nowhere", 7);
    g_session->Frame()->SetStatusText("nowhere", -1);
    EXPECT_EQ(LatestText(7), "");
    g_session->RenderFrames(1);
    EXPECT_EQ(m_bar->GetFieldsCount(), 2);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

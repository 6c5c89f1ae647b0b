// The status line in the editor with the plug-in: the texts set while input is handled (a
// drag's change on every pointer move, any other message) reach the bar once a frame, and the
// bar is never repainted while the input is being handled (a synchronous repaint of the bar
// and the window around it made every pointer move of a drag several milliseconds dearer).
// The input goes through the host's input path as the view window hands it, with no events
// handled in between, as when a burst of pointer motion is read in one go.
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorTestMain.h"
#include "ScriptRunner.h"

#include <wx/statusbr.h>

#include <gtest/gtest.h>

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
    std::string BarText(int field) { return m_bar->GetStatusText(field).utf8_string(); }
    std::string LatestText(int field) {
        return g_session->Frame()->StatusText(field).utf8_string();
    }

    wxStatusBar* m_bar = nullptr;
    int m_paints = 0;
};

TEST_F(StatusLineTest, PointerMovesOfADragNeverRepaintTheBarWhileHandled) {
    Script("select box_a");
    Script("tool move");
    std::istringstream handle(Script("handle x"));
    std::string word, name, px;
    int x = 0, y = 0;
    ASSERT_TRUE(handle >> word >> name >> px >> x >> y);
    g_session->RenderFrames(2);

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

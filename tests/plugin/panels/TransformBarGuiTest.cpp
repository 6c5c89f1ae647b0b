// The transform bar's Enter check in the running editor with the module loaded: real key
// events through the toolkit's input simulator, frames rendered while Return is held, and a
// second X client that takes the keyboard focus.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "EditorTestMain.h"
#include "SceneEntity.h"
#include "SelectedBoxTest.h"

#include <gtest/gtest.h>

#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <functional>

namespace {

// Handles events until done() or a second has passed.
bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        g_session->ProcessEvents();
        wxMilliSleep(2);
    }
    return true;
}

// Another program on the same display: a small window of its own connection that takes the
// keyboard focus and records the Return presses it receives.
class OtherClient {
public:
    OtherClient() {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return;
        m_window =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 80, 40, 0, 0, 0);
        XSelectInput(m_display, m_window, KeyPressMask | StructureNotifyMask);
        XMapRaised(m_display, m_window);
        XSync(m_display, False);
    }
    ~OtherClient() {
        if (!m_display)
            return;
        GiveBack();
        XCloseDisplay(m_display);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // Takes the X input focus from whoever has it; true once the server says we have it.
    bool TakeFocus() {
        if (!m_display)
            return false;
        return PumpUntil([this] {
            XWindowAttributes attributes;
            XGetWindowAttributes(m_display, m_window, &attributes);
            if (attributes.map_state != IsViewable)
                return false;
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(m_display, &focus, &revert);
            if (focus == m_window)
                return true;
            if (!m_previous)
                m_previous = focus;
            XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
            XSync(m_display, False);
            return false;
        });
    }
    // Hands the focus back to the window that had it, as a window manager would when this
    // program's window goes: the editor's own request would carry an older time and be
    // ignored by the server.
    void GiveBack() {
        if (!m_display || !m_previous)
            return;
        XSetInputFocus(m_display, m_previous, RevertToParent, CurrentTime);
        XSync(m_display, False);
        m_previous = 0;
    }
    // Whether a Return key press has reached the window; reads what the server has sent.
    bool ReceivedReturn() {
        const KeyCode returnKey = XKeysymToKeycode(m_display, XK_Return);
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            m_returns += event.type == KeyPress && event.xkey.keycode == returnKey;
        }
        return m_returns > 0;
    }

private:
    Display* m_display = nullptr;
    Window m_window = 0;
    Window m_previous = 0;
    int m_returns = 0;
};

class TransformBarGuiTest : public SelectedBoxTest {
protected:
    void TearDown() override {
        ReleaseReturn();
        SelectedBoxTest::TearDown();
    }

    // Presses Return and renders `frames` frames while it is held down.
    void HoldReturn(int frames) {
        simulator.KeyDown(WXK_RETURN);
        ASSERT_TRUE(PumpUntil([] { return wxGetKeyState(WXK_RETURN); }));
        g_session->RenderFrames(frames);
    }
    // Releases Return and renders a frame that sees it up.
    void ReleaseReturn() {
        if (!wxGetKeyState(WXK_RETURN))
            return;
        simulator.KeyUp(WXK_RETURN);
        PumpUntil([] { return !wxGetKeyState(WXK_RETURN); });
        g_session->RenderFrames(1);
    }

    wxUIActionSimulator simulator;
};

TEST_F(TransformBarGuiTest, HoldingReturnAppliesOncePressingAgainAppliesWhatWasTypedSince) {
    Run("type bar 1030 -5");
    HoldReturn(6);
    EXPECT_EQ(Undo().undoCount(), 1);
    EXPECT_EQ(box->GetPosition().x, -5.0f);
    ReleaseReturn();
    // A second press with nothing typed since: the bar shows what it wrote, nothing applies.
    HoldReturn(2);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 1);
    // Typed again: the next press applies it.
    Run("type bar 1030 -6");
    HoldReturn(1);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 2);
    EXPECT_EQ(box->GetPosition().x, -6.0f);
    EXPECT_EQ(box->GetPosition().y, start.y);
    EXPECT_EQ(box->GetPosition().z, start.z);
}

TEST_F(TransformBarGuiTest, ReturnHeldAcrossTypingAppliesNothingUntilReleased) {
    HoldReturn(1);
    // Typing while Return is still down from before: the press was already counted.
    Run("type bar 1031 7");
    g_session->RenderFrames(3);
    EXPECT_EQ(Undo().undoCount(), 0);
    ReleaseReturn();
    HoldReturn(1);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 1);
    EXPECT_EQ(box->GetPosition().y, 7.0f);
}

TEST_F(TransformBarGuiTest, TypingExactlyTheShownTextAppliesIt) {
    // World Y shows 1.05 for 1.0466: typed as shown, it means 1.05.
    auto* field = wxDynamicCast(g_session->Frame()->FindWindow(1031), wxTextCtrl);
    ASSERT_TRUE(field);
    ASSERT_EQ(field->GetValue(), "1.05");
    ASSERT_NE(start.y, 1.05f);
    Run("type bar 1031 1.05");
    HoldReturn(1);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 1);
    EXPECT_EQ(box->GetPosition().y, 1.05f);
    EXPECT_EQ(box->GetPosition().x, start.x);
}

TEST_F(TransformBarGuiTest, ReturnCountsOnlyWithTheFocusInTheBarOfTheActiveEditor) {
    OtherClient other;
    Run("type bar 1030 -5");
    // Another program takes the focus and receives Return: the bar applies nothing.
    ASSERT_TRUE(other.TakeFocus());
    auto* field = g_session->Frame()->FindWindow(1030);
    PumpUntil([&] { return wxWindow::FindFocus() != field; });
    HoldReturn(3);
    EXPECT_TRUE(PumpUntil([&] { return other.ReceivedReturn(); }));
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 0);
    EXPECT_EQ(box->GetPosition().x, start.x);
    // Back in the editor but with the focus in a view: still nothing.
    other.GiveBack();
    Run("type bar 1030 -5");
    Run("leave");
    HoldReturn(2);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 0);
    EXPECT_EQ(box->GetPosition().x, start.x);
    // In the bar: applied.
    Run("type bar 1030 -5");
    HoldReturn(1);
    ReleaseReturn();
    EXPECT_EQ(Undo().undoCount(), 1);
    EXPECT_EQ(box->GetPosition().x, -5.0f);
}

} // namespace

int main(int argc, char** argv) {
    EditorOptions options;
    options.pluginDir = GIZMARK_TEST_PLUGIN_DIR;
    return RunTestsInEditorSession(argc, argv, options, g_session);
}

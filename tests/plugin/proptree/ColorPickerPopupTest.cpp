// The colour picker popup with real pointer and key events: what it posts to its notify window,
// where it opens, and how it ends.
#include "CColorPickerPopup.h"

#include "WxTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

using namespace colorpick;

namespace {

const ColorRef kRed = MakeColorRef(255, 0, 0);
const ColorRef kOdd = MakeColorRef(1, 2, 3);
const ColorRef kAuto = MakeColorRef(0, 0, 0);

using Message = std::pair<int, ColorRef>;

class ColorPickerPopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_asserts = WxAssertCount();
        m_frame = new wxFrame(nullptr, wxID_ANY, "picker", wxPoint(100, 100), wxSize(500, 400));
        auto* panel = new wxPanel(m_frame);
        m_node = new wxWindow(panel, 4321, wxPoint(60, 40), wxSize(220, 21));
        m_node->Bind(wxEVT_COLOR_PICKER, [this](wxCommandEvent& e) {
            EXPECT_EQ(e.GetId(), 4321);
            m_messages.emplace_back(e.GetInt(), static_cast<ColorRef>(e.GetExtraLong()));
        });
        m_frame->Show();
        m_frame->Raise();
        m_node->SetFocus();
        Pump(200);
    }

    void TearDown() override {
        CColorPickerPopup::SetColourDialogHook({});
        if (m_popup)
            m_popup->Cancel();
        Pump(50);
        if (m_frame)
            m_frame->Destroy();
        Pump(50);
        EXPECT_EQ(WxAssertCount(), m_asserts);
    }

    CColorPickerPopup* Open(ColorRef color, ColorRef automatic,
                            const std::string& def = "Automatic",
                            const std::string& custom = "More Colors...") {
        m_popup = CColorPickerPopup::Open(m_node, PointerInRow(), color, automatic, def, custom);
        Pump(150);
        return m_popup.get();
    }

    // Where a click on the row would have been.
    wxPoint PointerInRow() const { return m_node->GetScreenPosition() + wxPoint(37, 9); }

    wxPoint ItemCentre(int index) const {
        const wxRect r = m_popup->GetItemRect(index);
        return m_popup->ClientToScreen(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    }

    // Moves the real pointer there and waits until the popup has seen it.
    void MoveTo(const wxPoint& screen) {
        m_sim.MouseMove(screen);
        Pump(80);
    }

    void Hover(int index) {
        MoveTo(ItemCentre(index));
        ASSERT_TRUE(PumpUntil([&] { return m_popup && m_popup->GetHotIndex() == index; }));
    }

    // Without a window manager the X server gives the keys to the window under the pointer,
    // which the popup never takes them from; with one, they go to the active frame.
    void MoveAway() { MoveTo(m_frame->GetScreenPosition() + wxPoint(5, 5)); }

    void Key(int code) {
        m_sim.Char(code);
        Pump(60);
    }

    bool WaitClosed() {
        return PumpUntil([&] { return !m_popup; });
    }

    std::vector<Message> Ends() const {
        std::vector<Message> ends;
        for (const Message& m : m_messages) {
            if (m.first != COLORPICK_TRACK)
                ends.push_back(m);
        }
        return ends;
    }

    wxFrame* m_frame = nullptr;
    wxWindow* m_node = nullptr;
    wxWeakRef<CColorPickerPopup> m_popup;
    std::vector<Message> m_messages;
    wxUIActionSimulator m_sim;
    int m_asserts = 0;
};

TEST_F(ColorPickerPopupTest, OpensAtThePointerCapturingWithTheInitialItemMarked) {
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    EXPECT_EQ(m_popup->GetScreenPosition(), PointerInRow());
    EXPECT_TRUE(m_popup->IsShown());
    EXPECT_TRUE(m_popup->HasCapture());
    EXPECT_EQ(m_popup->GetInitialIndex(), 16);
    EXPECT_EQ(m_popup->GetHotIndex(), kIndexNone);
    EXPECT_EQ(m_popup->GetCurrentColor(), kRed);
    EXPECT_TRUE(m_messages.empty());
    m_popup->Cancel();
    ASSERT_TRUE(WaitClosed());

    // The automatic colour wins over the table; an unknown colour marks "More Colors...".
    ASSERT_NE(Open(kRed, kRed), nullptr);
    EXPECT_EQ(m_popup->GetInitialIndex(), kIndexDefault);
    m_popup->Cancel();
    ASSERT_TRUE(WaitClosed());
    ASSERT_NE(Open(kOdd, kRed), nullptr);
    EXPECT_EQ(m_popup->GetInitialIndex(), kIndexCustom);
    m_popup->Cancel();
    ASSERT_TRUE(WaitClosed());
    // Without buttons: just the grid.
    ASSERT_NE(Open(kOdd, kRed, "", ""), nullptr);
    EXPECT_EQ(m_popup->GetInitialIndex(), kIndexNone);
    EXPECT_EQ(m_popup->GetClientSize(), wxSize(148, 94));
}

TEST_F(ColorPickerPopupTest, OpensAboveARowAtTheBottomOfTheScreen) {
    // A pointer 10 pixels into a row near the screen's bottom right corner: the popup moves
    // up by its height and the row window's (21), and left to end at the screen's edge.
    const wxRect screen = wxGetClientDisplayRect();
    const wxPoint at(screen.GetRight() - 60, screen.GetBottom() - 20);
    m_popup = CColorPickerPopup::Open(m_node, at, kRed, kAuto);
    ASSERT_TRUE(m_popup);
    Pump(100);
    const wxRect r = m_popup->GetScreenRect();
    EXPECT_EQ(r.y, at.y - r.height - m_node->GetSize().y);
    EXPECT_EQ(r.GetBottom() + 1, at.y - 21);
    EXPECT_EQ(r.GetRight(), screen.GetRight());
}

TEST_F(ColorPickerPopupTest, NoNotifyWindowOpensNothing) {
    EXPECT_EQ(CColorPickerPopup::Open(nullptr, wxPoint(0, 0), kRed, kAuto), nullptr);
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

TEST_F(ColorPickerPopupTest, PointerTracksItemsWithTheirTips) {
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    Hover(9);
    EXPECT_EQ(m_popup->GetCurrentColor(), MakeColorRef(255, 104, 32));
    EXPECT_EQ(m_popup->GetToolTipText(), "Orange");
    Hover(35);
    EXPECT_EQ(m_popup->GetToolTipText(), "Pale Green ");
    Hover(kIndexDefault);
    EXPECT_EQ(m_popup->GetCurrentColor(), kAuto);
    EXPECT_TRUE(m_popup->GetToolTipText().empty());
    // "More Colors..." tracks the initial colour and leaves the current one alone.
    Hover(kIndexCustom);
    EXPECT_EQ(m_popup->GetCurrentColor(), kAuto);
    // The margin is no item: nothing changes.
    MoveTo(m_popup->ClientToScreen(wxPoint(1, m_popup->GetLayout().grid.y + 5)));
    EXPECT_EQ(m_popup->GetHotIndex(), kIndexCustom);

    const std::vector<Message> expected = {{COLORPICK_TRACK, MakeColorRef(255, 104, 32)},
                                           {COLORPICK_TRACK, MakeColorRef(152, 251, 152)},
                                           {COLORPICK_TRACK, kAuto},
                                           {COLORPICK_TRACK, kRed}};
    EXPECT_EQ(m_messages, expected);
}

TEST_F(ColorPickerPopupTest, ReleaseInsideAcceptsAndOutsideCancels) {
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    Hover(13);
    m_sim.MouseClick();
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_ACCEPT, MakeColorRef(0, 0, 255)}}));
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);

    // Outside: the initial colour comes back, whatever was under the pointer before.
    m_messages.clear();
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    Hover(0);
    const wxRect r = m_popup->GetScreenRect();
    MoveTo(wxPoint(r.GetRight() + 40, r.y + 10));
    m_sim.MouseClick();
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_CANCEL, kRed}}));
}

TEST_F(ColorPickerPopupTest, ArrowKeysWalkAndEnterAccepts) {
    ASSERT_NE(Open(kRed, kAuto), nullptr); // red is cell 16: the walk starts there
    MoveAway();
    Key(WXK_RIGHT);
    EXPECT_EQ(m_popup->GetHotIndex(), 17);
    Key(WXK_RIGHT);
    Key(WXK_DOWN);
    EXPECT_EQ(m_popup->GetHotIndex(), 26);
    EXPECT_EQ(m_popup->GetToolTipText(), "Yellow");
    Key(WXK_RETURN);
    ASSERT_TRUE(WaitClosed());
    const std::vector<Message> expected = {{COLORPICK_TRACK, MakeColorRef(255, 173, 91)},
                                           {COLORPICK_TRACK, MakeColorRef(50, 205, 50)},
                                           {COLORPICK_TRACK, MakeColorRef(255, 255, 0)},
                                           {COLORPICK_ACCEPT, MakeColorRef(255, 255, 0)}};
    EXPECT_EQ(m_messages, expected);
}

TEST_F(ColorPickerPopupTest, KeysReachTheButtonsAndEscapeCancels) {
    ASSERT_NE(Open(MakeColorRef(0, 0, 139), kAuto), nullptr); // Dark Blue, first row
    MoveAway();
    Key(WXK_UP);
    EXPECT_EQ(m_popup->GetHotIndex(), kIndexDefault);
    Key(WXK_UP);
    EXPECT_EQ(m_popup->GetHotIndex(), kIndexCustom);
    Key(WXK_LEFT);
    EXPECT_EQ(m_popup->GetHotIndex(), 39);
    // Keys go to the popup, not to the window that has the focus.
    EXPECT_TRUE(m_popup);
    Key(WXK_ESCAPE);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_CANCEL, MakeColorRef(0, 0, 139)}}));

    // Space accepts; with nothing moved that is the initial colour.
    m_messages.clear();
    ASSERT_NE(Open(kOdd, kAuto), nullptr);
    Key(WXK_SPACE);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_ACCEPT, kOdd}}));
}

TEST_F(ColorPickerPopupTest, MoreColorsAsksTheDialog) {
    wxWindow* parent = nullptr;
    wxColour offered;
    CColorPickerPopup::SetColourDialogHook([&](wxWindow* p, wxColour& colour) {
        parent = p;
        offered = colour;
        colour.Set(10, 20, 30);
        return true;
    });
    ASSERT_NE(Open(kOdd, kAuto), nullptr);
    Hover(kIndexCustom);
    m_sim.MouseClick();
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(parent, m_node);
    EXPECT_EQ(offered, wxColour(1, 2, 3));
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_ACCEPT, MakeColorRef(10, 20, 30)}}));

    // Cancel in the dialog cancels the popup; Enter on the button asks the dialog too.
    m_messages.clear();
    CColorPickerPopup::SetColourDialogHook([](wxWindow*, wxColour&) { return false; });
    ASSERT_NE(Open(kRed, kAuto), nullptr); // red: cell 16, third row
    MoveAway();
    Key(WXK_DOWN);
    Key(WXK_DOWN);
    Key(WXK_DOWN);
    ASSERT_EQ(m_popup->GetHotIndex(), kIndexCustom);
    Key(WXK_RETURN);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_CANCEL, kRed}}));
}

TEST_F(ColorPickerPopupTest, TakesTheCaptureBack) {
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    auto* other = new wxWindow(m_frame, wxID_ANY, wxPoint(0, 300), wxSize(50, 50));
    other->CaptureMouse();
    other->ReleaseMouse();
    EXPECT_TRUE(m_popup->HasCapture());

    // Lost to something outside the application.
    m_popup->ReleaseMouse();
    wxMouseCaptureLostEvent lost(m_popup->GetId());
    lost.SetEventObject(m_popup.get());
    m_popup->GetEventHandler()->ProcessEvent(lost);
    EXPECT_TRUE(PumpUntil([&] { return m_popup->HasCapture(); }));

    Hover(2);
    m_sim.MouseClick();
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_ACCEPT, MakeColorRef(0, 64, 64)}}));
}

TEST_F(ColorPickerPopupTest, LosingActivationCancels) {
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    Hover(5);
    wxActivateEvent deactivate(wxEVT_ACTIVATE_APP, false);
    wxTheApp->ProcessEvent(deactivate);
    ASSERT_TRUE(WaitClosed());
    EXPECT_EQ(Ends(), (std::vector<Message>{{COLORPICK_CANCEL, kRed}}));
}

TEST_F(ColorPickerPopupTest, GoesAwayWithItsNotifyWindow) {
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    Hover(5);
    m_messages.clear();
    m_node->Destroy();
    m_node = nullptr;
    EXPECT_FALSE(m_popup);
    Pump(50);
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
    EXPECT_TRUE(m_messages.empty());
    // Keys no longer go anywhere near it.
    Key(WXK_ESCAPE);
}

TEST_F(ColorPickerPopupTest, AClosedPopupWaitsForTheIdleTimeOrGoesOnceWithItsNotifyWindow) {
    // Closed from the caller's code: hidden at once, destroyed when the loop next runs.
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    m_popup->Cancel();
    ASSERT_TRUE(m_popup);
    EXPECT_FALSE(m_popup->IsShown());
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
    ASSERT_TRUE(WaitClosed());

    // Closed, then its notify window destroyed before that time: the window takes it, and the
    // queued destruction finds nothing left to destroy.
    ASSERT_NE(Open(kRed, kAuto), nullptr);
    m_popup->Accept();
    m_node->Destroy();
    m_node = nullptr;
    EXPECT_FALSE(m_popup);
    Pump(50);
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

TEST_F(ColorPickerPopupTest, PaintsCellsButtonsAndMarks) {
    ASSERT_NE(Open(MakeColorRef(255, 215, 0), kAuto, "自动", "其他颜色..."), nullptr);
    Hover(9);
    const wxSize size = m_popup->GetClientSize();
    wxBitmap bitmap(size.x, size.y, 24);
    {
        wxMemoryDC dc(bitmap);
        m_popup->Render(dc);
    }
    const wxImage image = bitmap.ConvertToImage();
    image.SaveFile("/tmp/colorpicker-popup.png", wxBITMAP_TYPE_PNG);
    image.Scale(size.x * 4, size.y * 4)
        .SaveFile("/tmp/colorpicker-popup-x4.png", wxBITMAP_TYPE_PNG);

    // Every cell shows its own colour in its middle.
    for (int i = 0; i < kColorCount; ++i) {
        const wxRect r = m_popup->GetItemRect(i);
        const int x = r.x + r.width / 2;
        const int y = r.y + r.height / 2;
        const ColorRef want = ColorEntry(i)->color;
        EXPECT_EQ(MakeColorRef(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)), want)
            << "cell " << i;
    }
    // The automatic colour's swatch sits at the left of its button.
    const wxRect def = m_popup->GetItemRect(kIndexDefault);
    const int sx = def.x + 2 * kMargin + 3;
    const int sy = def.y + def.height / 2;
    EXPECT_EQ(MakeColorRef(image.GetRed(sx, sy), image.GetGreen(sx, sy), image.GetBlue(sx, sy)),
              kAuto);

    // The screen as the user sees it, popup over its row.
    const wxRect area = m_frame->GetScreenRect().Union(m_popup->GetScreenRect()).Inflate(10);
    wxBitmap shot(area.width, area.height, 24);
    {
        wxScreenDC screen;
        wxMemoryDC dc(shot);
        dc.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    }
    shot.ConvertToImage().SaveFile("/tmp/colorpicker-screen.png", wxBITMAP_TYPE_PNG);
}

} // namespace

int main(int argc, char** argv) {
    return RunWxTests(argc, argv, [] { wxInitAllImageHandlers(); });
}

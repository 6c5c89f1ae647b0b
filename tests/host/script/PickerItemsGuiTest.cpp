// The script helpers that find controls by their published names, against the real colour
// picker popup: the items are found where the popup draws them and clicked through real
// pointer input; a name the popup does not know is refused with a message, not a crash.
#include "AutomationContract.h"
#include "CColorPickerPopup.h"
#include "ScriptInput.h"
#include "ScriptWindows.h"

#include "WxTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <vector>

using namespace colorpick;

namespace {

// The script environment of a toolkit-only test binary.
class CTestEnvironment : public IScriptEnvironment {
public:
    explicit CTestEnvironment(wxFrame*& frame) : m_frame(frame) {}
    void ProcessEvents() override { Pump(5); }
    void RaiseMainWindow() override {
        if (m_frame)
            m_frame->Raise();
    }

private:
    wxFrame*& m_frame;
};

const CColorPickerPopup::SItemNames kPublished{
    automation::kPickerItemQuery, automation::kPickerAutomatic, automation::kPickerCustom,
    automation::kPickerCellPrefix};

class PickerItemsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CColorPickerPopup::PublishItems(kPublished);
        m_frame = new wxFrame(nullptr, wxID_ANY, "picker", wxPoint(100, 100), wxSize(500, 400));
        auto* panel = new wxPanel(m_frame);
        m_row = new wxWindow(panel, wxID_ANY, wxPoint(60, 40), wxSize(220, 21));
        m_row->Bind(wxEVT_COLOR_PICKER, [this](wxCommandEvent& e) {
            if (e.GetInt() == COLORPICK_ACCEPT)
                m_accepted.push_back(static_cast<ColorRef>(e.GetExtraLong()));
        });
        m_frame->Show();
        m_frame->Raise();
        Pump(150);
    }

    void TearDown() override {
        CColorPickerPopup::PublishItems({});
        if (m_popup)
            m_popup->Cancel();
        Pump(50);
        m_frame->Destroy();
        Pump(50);
    }

    CColorPickerPopup* Open(const std::string& custom = "More Colors...") {
        m_popup = CColorPickerPopup::Open(m_row, m_row->GetScreenPosition() + wxPoint(30, 10),
                                          MakeColorRef(1, 2, 3), 0, "Automatic", custom);
        Pump(100);
        return m_popup.get();
    }

    wxRect ScreenRect(int index) const {
        const wxRect r = m_popup->GetItemRect(index);
        return wxRect(m_popup->ClientToScreen(r.GetTopLeft()), r.GetSize());
    }

    wxFrame* m_frame = nullptr;
    wxWindow* m_row = nullptr;
    wxWeakRef<CColorPickerPopup> m_popup;
    std::vector<ColorRef> m_accepted;
};

TEST_F(PickerItemsTest, ItemsAreFoundByNameWhereThePopupDrawsThem) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_EQ(FindShownPopup(m_row), m_popup.get());
    const std::pair<std::string, int> items[] = {{"cell 0", 0},
                                                 {"cell 13", 13},
                                                 {"cell 39", 39},
                                                 {automation::kPickerAutomatic, kIndexDefault},
                                                 {automation::kPickerCustom, kIndexCustom}};
    for (const auto& [name, index] : items) {
        wxRect rect;
        std::string error;
        EXPECT_TRUE(LocateNamedItem(m_popup, automation::kPickerItemQuery, name, rect, error))
            << name << ": " << error;
        EXPECT_EQ(rect, ScreenRect(index)) << name;
    }
}

TEST_F(PickerItemsTest, UnknownNamesAndAbsentItemsAreRefusedWithTheName) {
    ASSERT_NE(Open(""), nullptr); // no "More Colors..." button
    for (const std::string name : {"cell 40", "cell -1", "cell 013", "cell ", "cell 1x", "Black",
                                   "", automation::kPickerCustom}) {
        wxRect rect(1, 2, 3, 4);
        std::string error;
        EXPECT_FALSE(LocateNamedItem(m_popup, automation::kPickerItemQuery, name, rect, error))
            << name;
        EXPECT_NE(error.find("'" + name + "'"), std::string::npos) << error;
        EXPECT_EQ(rect, wxRect(1, 2, 3, 4)) << name;
    }
    // Another event type, or no window at all, is no answer either.
    wxRect rect;
    std::string error;
    EXPECT_FALSE(LocateNamedItem(m_popup, automation::kPickerItemQuery + 1, "cell 1", rect, error));
    EXPECT_FALSE(LocateNamedItem(nullptr, automation::kPickerItemQuery, "cell 1", rect, error));
    EXPECT_TRUE(m_popup && m_popup->IsShown());
}

TEST_F(PickerItemsTest, APopupOpenedBeforePublishingAnswersNothing) {
    CColorPickerPopup::PublishItems({});
    ASSERT_NE(Open(), nullptr);
    wxRect rect;
    std::string error;
    EXPECT_FALSE(LocateNamedItem(m_popup, automation::kPickerItemQuery, "cell 1", rect, error));
}

TEST_F(PickerItemsTest, AClickOnTheFoundCellChoosesItsColour) {
    CTestEnvironment environment(m_frame);
    for (int index : {13, 38}) {
        ASSERT_NE(Open(), nullptr);
        wxRect rect;
        std::string error;
        ASSERT_TRUE(LocateNamedItem(m_popup, automation::kPickerItemQuery,
                                    automation::kPickerCellPrefix + std::to_string(index), rect,
                                    error));
        ASSERT_TRUE(ClickAt(environment, Centre(rect)));
        ASSERT_TRUE(PumpUntil([&] { return !m_popup; }));
        ASSERT_FALSE(m_accepted.empty());
        EXPECT_EQ(m_accepted.back(), ColorEntry(index)->color);
    }
    EXPECT_EQ(m_accepted.size(), 2u);
}

} // namespace

int main(int argc, char** argv) {
    return RunWxTests(argc, argv);
}

// The side panel's light page with the real property tree and real pointer and key events
// (XTest through the toolkit's simulator): built once over the lower part of the panel and
// reused, hidden for a mesh with the mesh text back, a commit writing all five numbers, the
// colour taken from the picker, and a light removed while its page is shown.
#include "CColorPickerPopup.h"
#include "CColorPropertyNode.h"
#include "CDialogParameter.h"
#include "CEditPropertyNode.h"
#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"
#include "FakePanelOwner.h"
#include "GizmarkResources.h"
#include "HostFakes.h"
#include "ToolIds.h"

#include <OgreLight.h>

#include "PanelTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/fs_mem.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <thread>

// Last: the X headers define names the toolkit's headers use.
#include "XBellCounter.h"

namespace {

// A light entity: a real engine light without a scene.
class FakeLightEntity : public FakeEntity {
public:
    FakeLightEntity(const std::string& name, const Ogre::ColourValue& colour)
        : FakeEntity(name), m_light(name) {
        m_light.setDiffuseColour(colour);
        m_light.setAttenuation(60.0f, 1.0f, 0.0123456f, 0.0f);
    }
    Ogre::Light* GetOgreLight() const override { return &m_light; }
    mutable Ogre::Light m_light;
};

// The host as far as the light page reaches it: the views' redraw, counted.
class RedrawCounter : public CPartsHost, public IViewHost {
public:
    RedrawCounter() { m_views = this; }
    void removeMenu(IPluginBase*, wxMenu*, int) override {}
    void removeToolStrip(IPluginBase*, wxToolBar*) override {}
    IView* view(int) override { return nullptr; }
    void redraw() override { ++m_redraws; }
    void setCursor(const wxCursor*) override {}
    void setSidePanel(CSizeControlChild*) override {}
    int m_redraws = 0;
};

class Owner : public IPanelOwner {
public:
    explicit Owner(Interface* host) : m_host(host) {}
    int ApplyTransform(Ogre::Vector3, COORDINATE_AXIS, int) override { return 1; }
    int RenameEntity(SceneEntity*, const char*) override { return 1; }
    void SetGroundFollow(bool) override {}
    bool GetGroundFollow() const override { return false; }
    float GroundHeight(Ogre::Vector3) override { return 0.0f; }
    int SnapToGround() override { return 1; }
    Interface* GetHost() const override { return m_host; }

private:
    Interface* m_host;
};

enum { kPower = 0, kRange = 1, kConstant = 2, kLinear = 3, kQuadratic = 4 };

class LightPageGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_asserts = WxAssertCount();
        m_frame = new wxFrame(nullptr, wxID_ANY, "light", wxPoint(40, 40), wxSize(460, 760));
        m_panel = new CDialogParameter();
        m_panel->SetSceneManager(&m_scene);
        ASSERT_TRUE(m_panel->CreateFromTemplate(m_frame));
        m_panel->SetPlugin(&m_owner);
        m_scene.Add(std::make_unique<FakeLightEntity>("lamp", Ogre::ColourValue(1.0f, 0.5f, 0)));
        m_scene.Add(std::make_unique<FakeLightEntity>("lamp2", Ogre::ColourValue(0, 0, 1)));
        m_scene.Add(std::make_unique<FakeEntity>("box"));
        Light("lamp2").setPowerScale(2.5f);
        m_frame->Show();
        m_frame->Raise();
        Pump(200);
    }

    void TearDown() override {
        CColorPickerPopup::SetColourDialogHook(nullptr);
        m_frame->Destroy();
        Pump(50);
        EXPECT_EQ(WxAssertCount(), m_asserts);
    }

    Ogre::Light& Light(const char* name) { return *m_scene.getSceneEntity(name)->GetOgreLight(); }
    void Select(const std::set<std::string>& names) {
        m_scene.Select(names);
        m_panel->OnSceneNotify(nullptr, NOTIFY_SELECTION);
        Pump(30);
    }
    const CLightPage& Page() const { return m_panel->GetLightPage(); }
    CEditPropertyNode* Number(int index) const { return Page().GetNumberNode(index); }
    std::string Text(int index) const { return Number(index)->GetText(); }
    wxWindow* MeshText() const { return m_panel->FindWindow(ID_PARAM_MESH_INFO); }

    void ClickAt(const wxPoint& screen) {
        // A second click on the same spot within the double-click time would be a double
        // click.
        if (std::chrono::steady_clock::now() - m_lastClick < std::chrono::milliseconds(600) &&
            (screen - m_lastAt).x * (screen - m_lastAt).x +
                    (screen - m_lastAt).y * (screen - m_lastAt).y <
                100)
            Pump(600);
        m_lastClick = std::chrono::steady_clock::now();
        m_lastAt = screen;
        m_sim.MouseMove(screen);
        Pump(60);
        m_sim.MouseClick();
        Pump(150);
    }
    wxPoint ValueCentre(const CPropertyNode* node) const {
        const wxRect r = node->GetValueRect();
        return Page().GetTree()->GetListPane()->ClientToScreen(
            wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    }
    // Clicks the row's value, selects the box's text, types and presses Enter.
    void TypeIntoRow(int index, const std::string& text, bool enter = true) {
        CEditPropertyNode* node = Number(index);
        ClickAt(ValueCentre(node));
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == node->GetEditWindow(); }));
        node->GetEditWindow()->SelectAll();
        for (char c : text) {
            m_sim.Char(c);
            Pump(40);
        }
        if (text.empty()) {
            m_sim.Char(WXK_BACK);
            Pump(40);
        }
        if (enter) {
            m_sim.Char(WXK_RETURN);
            Pump(100);
        }
    }
    CColorPickerPopup* OpenPicker() {
        // The press opens the row's editor under the pointer, the release there the picker.
        CColorPropertyNode* color = Page().GetColorNode();
        ClickAt(ValueCentre(color));
        PumpUntil([&] { return color->GetPopup() != nullptr; });
        return color->GetPopup();
    }

    int m_asserts = 0;
    wxFrame* m_frame = nullptr;
    CDialogParameter* m_panel = nullptr;
    FakeScene m_scene;
    RedrawCounter m_host;
    Owner m_owner{&m_host};
    wxUIActionSimulator m_sim;
    std::chrono::steady_clock::time_point m_lastClick;
    wxPoint m_lastAt;
};

TEST_F(LightPageGuiTest, ALightShowsThePageOverTheLowerPartAndAMeshBringsTheMeshTextBack) {
    EXPECT_EQ(Page().GetTree(), nullptr); // nothing is built before the first light
    Select({"box"});
    EXPECT_EQ(Page().GetTree(), nullptr);
    EXPECT_TRUE(MeshText()->IsShown());

    const wxSize client = m_panel->GetClientSize();
    Select({"lamp"});
    CPropertyTreeWnd* tree = Page().GetTree();
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(Page().IsShown());
    EXPECT_FALSE(MeshText()->IsShown());
    EXPECT_EQ(tree->GetId(), 8192);
    EXPECT_EQ(tree->GetParent(), m_panel);
    const int top = static_cast<int>(client.y * 0.6);
    EXPECT_EQ(tree->GetRect(), wxRect(0, top, client.x, client.y - top));
    EXPECT_EQ(tree->GetFlags() & ~2u, 25u); // 2: notifications, set by SetNotify
    EXPECT_EQ(tree->GetColumn(), static_cast<int>(tree->GetClientSize().x * 0.45f));

    // One category, expanded, and its six rows in order with the light's values.
    CPropertyNode* category = Page().GetCategory();
    ASSERT_EQ(tree->GetRootItem()->GetChild(), category);
    EXPECT_EQ(category->GetSibling(), nullptr);
    EXPECT_EQ(category->GetLabel(), "灯光渲染属性");
    EXPECT_EQ(category->GetInfoText(), "设置灯光和渲染有关的属性");
    EXPECT_TRUE(category->IsExpanded());
    std::vector<std::string> labels;
    for (CPropertyNode* row = category->GetChild(); row; row = row->GetSibling())
        labels.push_back(row->GetLabel());
    EXPECT_EQ(labels, (std::vector<std::string>{"颜色", "PowerScale", "范围", "常数衰减",
                                                "线性衰减", "平方衰减"}));
    EXPECT_EQ(category->GetChild(), Page().GetColorNode());
    EXPECT_EQ(Page().GetColorNode()->GetColor(), 0x00007FFFu); // (1, 0.5, 0): 127.5 truncated
    EXPECT_EQ(Number(kPower)->GetFlags(), 0x100u);
    EXPECT_EQ(Text(kPower), "1.00000");
    EXPECT_EQ(Text(kRange), "60.00000");
    EXPECT_EQ(Text(kConstant), "1.00000");
    EXPECT_EQ(Text(kLinear), "0.01235");
    EXPECT_EQ(Text(kQuadratic), "0.00000");

    // A mesh hides the page and brings the mesh text back; a second light reuses the tree.
    Select({"box"});
    EXPECT_FALSE(tree->IsShown());
    EXPECT_TRUE(MeshText()->IsShown());
    m_frame->SetSize(wxSize(500, 800)); // the tree keeps to the lower 40 %
    Pump(100);
    Select({"lamp2"});
    EXPECT_EQ(Page().GetTree(), tree);
    EXPECT_TRUE(tree->IsShown());
    EXPECT_FALSE(MeshText()->IsShown());
    const wxSize resized = m_panel->GetClientSize();
    EXPECT_NE(resized, client);
    const int newTop = static_cast<int>(resized.y * 0.6);
    EXPECT_EQ(tree->GetRect(), wxRect(0, newTop, resized.x, resized.y - newTop));
    EXPECT_EQ(Page().GetColorNode()->GetColor(), 0x00FF0000u);
    EXPECT_EQ(Text(kPower), "2.50000");
    EXPECT_EQ(tree->GetRootItem()->GetChild()->GetSibling(), nullptr); // no second category
    EXPECT_EQ(m_host.m_redraws, 0); // showing values changes nothing
}

TEST_F(LightPageGuiTest, ACommitWritesEveryNumberFromItsRowAndRedraws) {
    Select({"lamp"});
    TypeIntoRow(kRange, "200");
    const Ogre::Light& light = Light("lamp");
    EXPECT_EQ(light.getAttenuationRange(), 200.0f);
    EXPECT_EQ(light.getPowerScale(), 1.0f);
    EXPECT_EQ(light.getAttenuationConstant(), 1.0f);
    // The others are written again from their rows' text, rounded to five decimals.
    EXPECT_EQ(light.getAttenuationLinear(), 0.01235f);
    EXPECT_EQ(light.getAttenuationQuadric(), 0.0f);
    EXPECT_EQ(m_host.m_redraws, 1);

    // An emptied row writes 0; the filter drops letters; a negative power goes in as typed.
    TypeIntoRow(kLinear, "");
    EXPECT_EQ(light.getAttenuationLinear(), 0.0f);
    TypeIntoRow(kPower, "-2x.5");
    EXPECT_EQ(Text(kPower), "-2.5");
    EXPECT_EQ(light.getPowerScale(), -2.5f);
    // A number too large for a float never reaches the light; the row shows the light's value.
    TypeIntoRow(kConstant, "9" + std::string(45, '0'));
    EXPECT_EQ(light.getAttenuationConstant(), 1.0f);
    EXPECT_EQ(Text(kConstant), "1.00000");
    EXPECT_EQ(m_host.m_redraws, 4);
}

TEST_F(LightPageGuiTest, TextsThatAreNoNumberOrWereNeverTypableKeepTheLightsValue) {
    XBellCounter bells;
    Select({"lamp"});
    const Ogre::Light& light = Light("lamp");
    // Puts text into a row as a paste does (no key filter) and commits it with Enter.
    const auto pasteAndCommit = [&](int index, const std::string& text) {
        CEditPropertyNode* node = Number(index);
        ClickAt(ValueCentre(node));
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == node->GetEditWindow(); }));
        node->GetEditWindow()->SelectAll();
        node->GetEditWindow()->WriteText(wxString::FromUTF8(text));
        Pump(40);
        ASSERT_EQ(node->GetText(), text);
        m_sim.Char(WXK_RETURN);
        ASSERT_TRUE(PumpUntil([&] { return !node->IsEditing(); }));
        Pump(50);
    };

    // Beyond the double range: no number, so the light keeps its value, without a beep.
    const int before = bells.Count();
    pasteAndCommit(kRange, "1" + std::string(400, '0'));
    EXPECT_EQ(light.getAttenuationRange(), 60.0f);
    EXPECT_EQ(Text(kRange), "60.00000");
    pasteAndCommit(kRange, "-" + std::string(320, '9') + ".5");
    EXPECT_EQ(light.getAttenuationRange(), 60.0f);
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, 0);
    }

    // Characters the row refuses when typed: refused on commit with a beep, value kept,
    // while the other rows are written as for any commit.
    int beeps = 0;
    for (const char* pasted : {"200 ", "2e2", "+200", "２00", "200\n"}) {
        pasteAndCommit(kRange, pasted);
        ++beeps;
        EXPECT_EQ(light.getAttenuationRange(), 60.0f) << pasted;
        EXPECT_EQ(Text(kRange), "60.00000") << pasted;
        if (before >= 0) {
            EXPECT_EQ(bells.Count() - before, beeps) << pasted;
        }
    }
    EXPECT_EQ(light.getAttenuationLinear(), 0.01235f);
    // A pasted text the row could have typed goes in.
    pasteAndCommit(kRange, "-.5");
    EXPECT_EQ(light.getAttenuationRange(), -0.5f);
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, beeps);
    }
}

TEST_F(LightPageGuiTest, TheColourTextShowsWholeAtTheSideAreasWidths) {
    // The side area's usual width (280) and its least (260), the page built at the one and
    // the panel then narrowed to the other.
    Light("lamp").setDiffuseColour(Ogre::ColourValue(0.7f, 0.8f, 1.0f));
    m_frame->SetClientSize(280, 700);
    Pump(100);
    Select({"lamp"});
    CColorPropertyNode* color = Page().GetColorNode();
    ASSERT_NE(color, nullptr);
    CPropertyListPane* list = Page().GetTree()->GetListPane();
    const auto textWidth = [&] {
        wxClientDC dc(list);
        dc.SetFont(CPropertyTreeWnd::GetNormalFont());
        return dc.GetTextExtent(wxString::FromUTF8("RGB (178, 204, 255)")).x;
    };
    const auto checkWhole = [&](int width) {
        ASSERT_EQ(m_panel->GetClientSize().x, width);
        // The swatch (16), the gap (5) and the text, inside the value area.
        const wxRect value = color->GetValueRect();
        EXPECT_GE(value.width, 16 + 5 + textWidth()) << width;
        EXPECT_LE(value.GetRight(), list->GetClientSize().x - 1) << width;
        // The labels keep a column of their own.
        EXPECT_GE(Page().GetTree()->GetColumn(), 41) << width;
    };
    checkWhole(280);
    m_frame->SetClientSize(260, 700);
    Pump(100);
    checkWhole(260);
    // Wide enough: the divider stays at 45 %.
    m_frame->SetClientSize(460, 700);
    Pump(100);
    Select({"lamp2"});
    EXPECT_GE(color->GetValueRect().width, 16 + 5 + textWidth());
}

TEST_F(LightPageGuiTest, TheColourTakenFromThePickerBecomesTheDiffuseColour) {
    Select({"lamp"});
    CColorPickerPopup* popup = OpenPicker();
    ASSERT_NE(popup, nullptr);
    const wxRect blue = popup->GetItemRect(13); // "Blue"
    ClickAt(popup->ClientToScreen(wxPoint(blue.x + 9, blue.y + 9)));
    ASSERT_TRUE(PumpUntil([&] { return Page().GetColorNode()->GetPopup() == nullptr; }));
    EXPECT_EQ(Light("lamp").getDiffuseColour(), Ogre::ColourValue(0, 0, 1, 1));
    // The colour, then the row's commit, which writes the numbers again.
    EXPECT_EQ(m_host.m_redraws, 2);

    // Cancelled: nothing changes. "More Colors..." answered by the dialog: that colour.
    popup = OpenPicker();
    ASSERT_NE(popup, nullptr);
    // Keys go where the pointer is: onto the row's label, clear of the popup, which opened
    // at the pointer.
    const wxRect row = Page().GetColorNode()->GetRowRect();
    m_sim.MouseMove(Page().GetTree()->GetListPane()->ClientToScreen(
        wxPoint(row.x + 20, row.y + row.height / 2)));
    Pump(40);
    m_sim.Char(WXK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return Page().GetColorNode()->GetPopup() == nullptr; }));
    EXPECT_EQ(Light("lamp").getDiffuseColour(), Ogre::ColourValue(0, 0, 1, 1));
    CColorPickerPopup::SetColourDialogHook([](wxWindow*, wxColour& colour) {
        colour.Set(51, 102, 255);
        return true;
    });
    popup = OpenPicker();
    ASSERT_NE(popup, nullptr);
    const wxRect more = popup->GetItemRect(colorpick::kIndexCustom);
    ClickAt(popup->ClientToScreen(wxPoint(more.x + more.width / 2, more.y + more.height / 2)));
    ASSERT_TRUE(PumpUntil([&] { return Page().GetColorNode()->GetPopup() == nullptr; }));
    EXPECT_EQ(Light("lamp").getDiffuseColour(), Ogre::ColourValue(0.2f, 0.4f, 1.0f, 1.0f));
}

TEST_F(LightPageGuiTest, ALightRemovedWhileShownTakesNoLaterCommit) {
    Select({"lamp"});
    TypeIntoRow(kRange, "5", false); // typed, not committed yet
    SceneEntity* lamp = m_scene.getSceneEntity("lamp");
    m_panel->OnSceneNotify(lamp, NOTIFY_REMOVED);
    EXPECT_FALSE(Page().IsShown());
    m_scene.Remove("lamp"); // the host deletes the entity and its light
    Pump(50);
    Number(kRange)->CommitChanges(); // the edit ends after the removal
    Pump(50);
    EXPECT_EQ(m_host.m_redraws, 0);

    // The page comes back for the next light with that light's values.
    Select({"lamp2"});
    EXPECT_TRUE(Page().IsShown());
    EXPECT_EQ(Text(kRange), "60.00000");
    EXPECT_EQ(Light("lamp2").getAttenuationRange(), 60.0f);
}

} // namespace

int main(int argc, char** argv) {
    return RunPanelTests(argc, argv);
}

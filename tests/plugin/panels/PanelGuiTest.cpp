// The side panel with real key and pointer events (XTest through the toolkit's simulator):
// the numeric filter and its beeps, applying on focus loss, Enter and Escape, the check boxes
// and the button, and what a flood of notifications costs. The panel talks to a fake plug-in
// object and scene; the module is not loaded in this process.
#include "CDialogParameter.h"
#include "FakePanelOwner.h"
#include "GizmarkResources.h"
#include "ToolIds.h"

#include "PanelTestMain.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/frame.h>
#include <wx/fs_mem.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/xrc/xmlres.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "XBellCounter.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>

namespace {

// Value edits by id: position X, Y, Z are 1001..1003, rotation 1004..1006, scale 1007..1009.
enum { kPosY = 1002, kPosZ = 1003, kRotX = 1004, kRotY = 1005, kScaleX = 1007, kScaleY = 1008 };

class PanelGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_asserts = WxAssertCount();
        m_frame = new wxFrame(nullptr, wxID_ANY, "panel", wxPoint(40, 40), wxSize(460, 760));
        m_host = new wxPanel(m_frame);
        m_outside = new wxTextCtrl(m_host, wxID_ANY, "", wxPoint(300, 10), wxSize(120, 30));
        m_panel = new CDialogParameter();
        m_panel->SetSceneManager(&m_scene);
        ASSERT_TRUE(m_panel->CreateFromTemplate(m_host));
        m_owner = std::make_unique<FakePanelOwner>(m_scene, *m_panel);
        m_panel->SetPlugin(m_owner.get());
        m_scene.Add("b").m_position = {1, 2, 3};
        m_scene.Add("a").m_position = {-9, 1.0466f, 3};
        m_scene.Add("c").m_scale = {2, 2, 2};
        m_frame->Show();
        m_frame->Raise();
        m_outside->SetFocus();
        Pump(200);
    }

    void TearDown() override {
        m_frame->Destroy();
        Pump(50);
        EXPECT_EQ(WxAssertCount(), m_asserts);
    }

    FakeEntity& Entity(const char* name) {
        return static_cast<FakeEntity&>(*m_scene.getSceneEntity(name));
    }
    wxTextCtrl* Edit(int id) const { return wxDynamicCast(m_panel->FindWindow(id), wxTextCtrl); }
    std::string Text(int id) const { return std::string(Edit(id)->GetValue().utf8_str()); }

    void Select(const std::set<std::string>& names) {
        m_scene.Select(names);
        m_panel->OnSceneNotify(nullptr, NOTIFY_SELECTION);
        Pump(30);
    }
    void Focus(wxWindow* window) {
        window->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == window; }));
    }
    // Focuses the edit, selects its text and types, one real key at a time.
    void TypeInto(int id, const std::string& text) {
        // Lower-case letters, digits, ".", "-" and space: keys without Shift.
        Focus(Edit(id));
        Edit(id)->SelectAll();
        for (char c : text)
            Key(c);
    }
    void Key(int key, int modifiers = wxMOD_NONE) {
        m_sim.Char(key, modifiers);
        Pump(60);
    }
    void Leave() { Focus(m_outside); }
    void Click(wxWindow* control) {
        const wxRect r = control->GetScreenRect();
        m_sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
        Pump(60);
        m_sim.MouseClick();
        Pump(150);
    }

    int m_asserts = 0;
    wxFrame* m_frame = nullptr;
    wxPanel* m_host = nullptr;
    wxTextCtrl* m_outside = nullptr;
    CDialogParameter* m_panel = nullptr;
    FakeScene m_scene;
    std::unique_ptr<FakePanelOwner> m_owner;
    wxUIActionSimulator m_sim;
};

TEST_F(PanelGuiTest, StartsHiddenAndShowsTheFirstNameOfTheSelection) {
    EXPECT_FALSE(Edit(ID_PARAM_POS_X)->IsShown());
    EXPECT_FALSE(Edit(ID_PARAM_NAME)->IsShown());
    EXPECT_TRUE(m_panel->GetNameFont() && m_panel->GetNameFont()->GetWeight() == wxFONTWEIGHT_BOLD);
    Select({"b", "a", "c"});
    EXPECT_EQ(m_panel->GetCurrentEntity(), &Entity("a"));
    EXPECT_TRUE(Edit(ID_PARAM_POS_X)->IsShown());
    EXPECT_EQ(Text(ID_PARAM_NAME), "a");
    EXPECT_EQ(Text(ID_PARAM_POS_X), "-9.000");
    EXPECT_EQ(Text(kPosY), "1.047");
    auto* mesh = wxDynamicCast(m_panel->FindWindow(ID_PARAM_MESH_INFO), wxStaticText);
    EXPECT_EQ(std::string(mesh->GetLabelText().utf8_str()), "Mesh文件:\n\nbox.mesh\n\n高度:\n1\n");
    // Removing the current entity hides the controls; the edits keep their text.
    m_panel->OnSceneNotify(&Entity("a"), NOTIFY_REMOVED);
    EXPECT_FALSE(Edit(ID_PARAM_POS_X)->IsShown());
    EXPECT_EQ(Text(ID_PARAM_POS_X), "-9.000");
}

TEST_F(PanelGuiTest, ANumericEditTakesOnlyNumberCharactersAndBeepsForTheRest) {
    XBellCounter bells;
    Select({"a"});
    const int before = bells.Count();
    TypeInto(ID_PARAM_POS_X, "-1x2.5e");
    EXPECT_EQ(Text(ID_PARAM_POS_X), "-12.5");
    // Copy, paste, cut, undo and select-all are characters the edit refuses too.
    for (int key : {'c', 'v', 'x', 'z', 'a'})
        Key(key, wxMOD_CONTROL);
    EXPECT_EQ(Text(ID_PARAM_POS_X), "-12.5");
    Key(WXK_BACK);
    EXPECT_EQ(Text(ID_PARAM_POS_X), "-12.");
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, 7);
    }
    // The name edit takes anything; leaving position X for it applied what was left there.
    TypeInto(ID_PARAM_NAME, "rock 7");
    EXPECT_EQ(Text(ID_PARAM_NAME), "rock 7");
    ASSERT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(m_owner->m_applies[0].value.x, -12.0f);
    // Text set by a program is not filtered.
    Edit(kPosY)->SetValue("abc");
    EXPECT_EQ(Text(kPosY), "abc");
}

TEST_F(PanelGuiTest, ARefusedKeyOverSelectedTextLeavesTextAndSelectionAsTheyWere) {
    XBellCounter bells;
    Select({"a"});
    // Enter in the name edit moves to position X and selects its text, as Tab and a click do.
    Focus(Edit(ID_PARAM_NAME));
    Key(WXK_RETURN);
    ASSERT_EQ(wxWindow::FindFocus(), Edit(ID_PARAM_POS_X));
    const int before = bells.Count();
    // A letter, a shifted digit ("!"), a space and a comma: each would replace the selection.
    const std::pair<int, int> refused[] = {
        {'x', wxMOD_NONE}, {'1', wxMOD_SHIFT}, {' ', wxMOD_NONE}, {',', wxMOD_NONE}};
    for (const auto& [key, modifiers] : refused) {
        Key(key, modifiers);
        EXPECT_EQ(Text(ID_PARAM_POS_X), "-9.000") << key;
        long from = -1, to = -1;
        Edit(ID_PARAM_POS_X)->GetSelection(&from, &to);
        EXPECT_EQ(from, 0) << key;
        EXPECT_EQ(to, 6) << key;
    }
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, 4);
    }
    // Nothing was edited: leaving applies nothing.
    Leave();
    EXPECT_TRUE(m_owner->m_applies.empty());
    EXPECT_EQ(Entity("a").m_position.x, -9.0f);
    // An accepted key still replaces the selection.
    TypeInto(ID_PARAM_POS_X, "4");
    EXPECT_EQ(Text(ID_PARAM_POS_X), "4");
    Leave();
    ASSERT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(Entity("a").m_position.x, 4.0f);
}

TEST_F(PanelGuiTest, TypingExactlyTheShownTextAppliesIt) {
    Select({"a", "b"});
    // Position Y shows 1.047 for 1.0466: typing those five characters means 1.047.
    ASSERT_EQ(Text(kPosY), "1.047");
    TypeInto(kPosY, "1.047");
    Leave();
    ASSERT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(Entity("a").m_position.y, 1.047f);
    EXPECT_EQ(Entity("b").m_position.y, 1.047f);
    // A rotation shown as 0.000 and typed as 0 again is the same value: no step.
    TypeInto(kRotY, "0.000");
    Leave();
    EXPECT_EQ(m_owner->m_applies.size(), 1u);
}

// Puts text on the clipboard and pastes it into the edit the way the context menu does.
void PasteInto(wxTextCtrl* edit, const wxString& text) {
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
    edit->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == edit; }));
    edit->SelectAll();
    edit->Paste();
    ASSERT_TRUE(PumpUntil([&] { return edit->GetValue() == text; }));
}

TEST_F(PanelGuiTest, PastedTextWithCharactersAKeyCouldNotTypeIsRefusedWithABeep) {
    XBellCounter bells;
    Select({"a"});
    const int before = bells.Count();
    // Each holds a number the reader would take, followed or preceded by a refused character.
    const char* const pasted[] = {"2e1", " 7", "5,5", "+3", "8x"};
    for (const char* text : pasted) {
        PasteInto(Edit(kPosY), text);
        Leave();
        EXPECT_EQ(Text(kPosY), "1.047") << text;
    }
    EXPECT_TRUE(m_owner->m_applies.empty());
    EXPECT_EQ(Entity("a").m_position.y, 1.0466f);
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, 5);
    }
    // Pasted digits are applied as typed ones are.
    PasteInto(Edit(kPosY), "-2.5");
    Leave();
    ASSERT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(Entity("a").m_position.y, -2.5f);
}

TEST_F(PanelGuiTest, AValueThatRoundsToZeroShowsNoMinusSign) {
    Entity("a").m_position = {-0.0004f, -0.0f, -0.0006f};
    Entity("a").m_orientation = {-1e-7f, 0, 0};
    Select({"a"});
    EXPECT_EQ(Text(ID_PARAM_POS_X), "0.000");
    EXPECT_EQ(Text(kPosY), "0.000");
    EXPECT_EQ(Text(kPosZ), "-0.001");
    EXPECT_EQ(Text(kRotX), "0.000");
}

TEST_F(PanelGuiTest, LeavingAnEditAppliesItToEverySelectedEntityOnce) {
    Select({"b", "a", "c"});
    TypeInto(ID_PARAM_POS_X, "5");
    EXPECT_TRUE(m_owner->m_applies.empty()); // nothing while typing
    Leave();
    ASSERT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(m_owner->m_applies[0].axis, AXIS_X);
    EXPECT_EQ(m_owner->m_applies[0].kind, KIND_POSITION);
    for (const char* name : {"a", "b", "c"})
        EXPECT_EQ(Entity(name).m_position.x, 5.0f) << name;
    EXPECT_EQ(Entity("b").m_position.y, 2.0f);
    EXPECT_EQ(Text(ID_PARAM_POS_X), "5.000");
    // Typing the value the entity has: no command, the typed text stays.
    TypeInto(ID_PARAM_POS_X, "5.0");
    Leave();
    EXPECT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(Text(ID_PARAM_POS_X), "5.0");
    // Rotation in degrees.
    TypeInto(kRotY, "90");
    Leave();
    ASSERT_EQ(m_owner->m_applies.size(), 2u);
    EXPECT_EQ(Entity("c").m_orientation.y, 1.5707964f);
    EXPECT_EQ(Text(kRotY), "90.000");
    // A lone minus sign applies 0.
    TypeInto(kPosZ, "-");
    Leave();
    EXPECT_EQ(Entity("b").m_position.z, 0.0f);
    EXPECT_EQ(Text(kPosZ), "0.000");
}

TEST_F(PanelGuiTest, WalkingThroughTheEditsChangesNothingNobodyTyped) {
    Select({"a"});
    // Position Y shows 1.047 for 1.0466: leaving it untouched must not round the entity.
    Focus(Edit(ID_PARAM_POS_X));
    for (int i = 0; i < 9; ++i)
        Key(WXK_TAB);
    Leave();
    EXPECT_TRUE(m_owner->m_applies.empty());
    EXPECT_EQ(Entity("a").m_position.y, 1.0466f);
}

TEST_F(PanelGuiTest, EnterMovesToTheNextControlAndSelectsItAndEscapeIsConsumed) {
    Select({"a"});
    TypeInto(ID_PARAM_POS_X, "7");
    Key(WXK_RETURN);
    EXPECT_EQ(wxWindow::FindFocus(), Edit(kPosY));
    long from = 0, to = 0;
    Edit(kPosY)->GetSelection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, Edit(kPosY)->GetLastPosition());
    ASSERT_EQ(m_owner->m_applies.size(), 1u); // position X was applied on the way out
    EXPECT_EQ(Entity("a").m_position.x, 7.0f);
    // Enter in the name edit moves on to position X; Enter on the last control goes back.
    Focus(Edit(ID_PARAM_NAME));
    Key(WXK_RETURN);
    EXPECT_EQ(wxWindow::FindFocus(), Edit(ID_PARAM_POS_X));
    Focus(m_panel->FindWindow(ID_PARAM_SNAP));
    Key(WXK_RETURN);
    EXPECT_EQ(wxWindow::FindFocus(), m_panel->FindWindow(ID_PARAM_GROUND_FOLLOW));
    EXPECT_EQ(m_owner->m_snaps, 0); // Enter is consumed, it does not press the button
    Focus(Edit(kScaleX));
    Key(WXK_ESCAPE);
    EXPECT_TRUE(m_panel->IsShown());
    EXPECT_EQ(wxWindow::FindFocus(), Edit(kScaleX));
}

TEST_F(PanelGuiTest, RefusedValuesReachNoEntityAndShowTheKeptValue) {
    Select({"a", "c"});
    // Typed digits only: 1 and 39 zeros is 1e39.
    TypeInto(ID_PARAM_POS_X, "1" + std::string(39, '0'));
    Leave();
    Focus(Edit(kRotY));
    Edit(kRotY)->SetValue("1e39"); // pasted
    Leave();
    TypeInto(kScaleY, "0");
    Leave();
    TypeInto(ID_PARAM_SCALE_Z, "-");
    Leave();
    EXPECT_TRUE(m_owner->m_applies.empty());
    EXPECT_EQ(Text(ID_PARAM_POS_X), "-9.000");
    EXPECT_EQ(Text(kRotY), "0.000");
    EXPECT_EQ(Text(kScaleY), "1.000");
    EXPECT_EQ(Text(ID_PARAM_SCALE_Z), "1.000");
    EXPECT_EQ(Entity("c").m_scale, Ogre::Vector3(2, 2, 2));
    // A long paste is read up to 62 bytes: 62 zeros, then a 5 that would be read as 5.
    Edit(kPosZ)->SetValue(std::string(62, '0') + "5");
    Focus(Edit(kPosZ));
    Leave();
    ASSERT_EQ(m_owner->m_applies.size(), 1u);
    EXPECT_EQ(m_owner->m_applies[0].value.z, 0.0f);
}

TEST_F(PanelGuiTest, TheNameEditCallsTheHookWithAtMost31Bytes) {
    Select({"a"});
    Focus(Edit(ID_PARAM_NAME));
    Edit(ID_PARAM_NAME)->SetValue(wxString::FromUTF8("石块石块石块石块石块石块")); // 36 bytes
    Leave();
    ASSERT_EQ(m_owner->m_renames.size(), 1u);
    EXPECT_EQ(m_owner->m_renames[0], "石块石块石块石块石块"); // 30 bytes
    EXPECT_EQ(Entity("a").GetName(), "a");
    Focus(Edit(ID_PARAM_NAME));
    Edit(ID_PARAM_NAME)->SetValue("");
    Leave();
    EXPECT_EQ(m_owner->m_renames.size(), 1u); // an empty name is ignored
}

TEST_F(PanelGuiTest, TheBoxesAndTheButton) {
    Select({"a", "b"});
    auto* planMap = wxDynamicCast(m_panel->FindWindow(ID_PARAM_PLAN_MAP), wxCheckBox);
    auto* follow = wxDynamicCast(m_panel->FindWindow(ID_PARAM_GROUND_FOLLOW), wxCheckBox);
    Click(planMap);
    EXPECT_TRUE(planMap->GetValue());
    EXPECT_EQ(Entity("a").m_state, STATE_PLAN_MAP);
    EXPECT_EQ(Entity("b").m_state, STATE_PLAN_MAP);
    EXPECT_EQ(Entity("c").m_state, 0u);
    Click(planMap);
    EXPECT_EQ(Entity("b").m_state, 0u);
    EXPECT_TRUE(m_owner->m_applies.empty());
    // The box follows the current entity's bit on every notification.
    Entity("a").AddState(STATE_PLAN_MAP | 1);
    m_panel->OnSceneNotify(nullptr, NOTIFY_CHANGED);
    EXPECT_TRUE(planMap->GetValue());
    Click(follow);
    EXPECT_TRUE(m_owner->m_groundFollow);
    Click(follow);
    EXPECT_FALSE(m_owner->m_groundFollow);
    Click(m_panel->FindWindow(ID_PARAM_SNAP));
    EXPECT_EQ(m_owner->m_snaps, 1);
}

TEST_F(PanelGuiTest, NotificationsAboutOtherEntitiesWriteNothing) {
    Select({"a"});
    const long writes = m_panel->GetControlWrites();
    for (int i = 0; i < 10000; ++i)
        m_panel->OnSceneNotify(&Entity("b"), NOTIFY_MOVED + i % 3);
    for (int i = 0; i < 100; ++i)
        m_panel->OnSceneNotify(&Entity("a"), NOTIFY_MOVED); // same values
    EXPECT_EQ(m_panel->GetControlWrites(), writes);
    Entity("a").m_position.x = 2.0f;
    m_panel->OnSceneNotify(&Entity("a"), NOTIFY_MOVED);
    EXPECT_EQ(m_panel->GetControlWrites(), writes + 1);
    EXPECT_EQ(Text(ID_PARAM_POS_X), "2.000");
    // Text typed and not yet applied is replaced by a refresh, as a full refresh would.
    TypeInto(ID_PARAM_POS_X, "3");
    m_panel->OnSceneNotify(&Entity("a"), NOTIFY_MOVED);
    EXPECT_EQ(Text(ID_PARAM_POS_X), "2.000");
}

} // namespace

int main(int argc, char** argv) {
    return RunPanelTests(argc, argv);
}

// The property tree with real pointer and key events: selection, activation, expansion, the
// divider, the keys, the wheel, the edit and colour rows, and what the owner hears.
#include "PropertyTreeFixture.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

// Last: the X headers define names the toolkit's headers use.
#include "XBellCounter.h"

using namespace proptree;

namespace {

TEST_F(PropertyTreeTest, InsertionNumbersRowsAndCollapsedParentsHideChildren) {
    EXPECT_EQ(m_cat1->GetId(), 1);
    EXPECT_EQ(m_name->GetId(), 7);
    EXPECT_EQ(m_power->GetEditWindow()->GetId(), m_power->GetId());
    EXPECT_TRUE(m_cat1->IsCategory());
    EXPECT_FALSE(m_group->IsCategory());
    EXPECT_FALSE(m_tree->IsVisibleRow(m_child));
    const int before = m_tree->GetContentHeight();
    auto* late = Add(new CPropertyNode(), m_group, "Late");
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_INSERTED, late}}));
    EXPECT_EQ(m_tree->GetContentHeight(), before);
    m_tree->LayoutRows();
    EXPECT_FALSE(m_tree->IsVisibleRow(late));
    m_group->Expand(true);
    m_tree->LayoutRows();
    EXPECT_TRUE(m_tree->IsVisibleRow(late));
    EXPECT_EQ(m_tree->GetContentHeight(), before + 2 * kDefaultRowHeight);
    // Children of a category start at its edge; deeper rows are indented.
    EXPECT_EQ(m_group->GetRowRect().x, 0);
    EXPECT_EQ(late->GetRowRect().x, kMargin);
}

TEST_F(PropertyTreeTest, ClicksSelectActivateAndClear) {
    Click(LabelOf(m_power));
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_SELCHANGED, m_power}}));
    EXPECT_EQ(m_tree->GetFocusedItem(), m_power);
    EXPECT_TRUE(m_power->IsSelected());
    EXPECT_FALSE(m_power->IsActive());

    m_notes.clear();
    Click(ValueOf(m_power));
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_ACTIVATING, m_power}}));
    EXPECT_TRUE(m_power->IsActive());
    EXPECT_TRUE(m_power->GetEditWindow()->IsShown());
    EXPECT_TRUE(PumpUntil([&] { return m_power->IsEditing(); }));

    // A click below the rows commits the edit (the focus stays in the control) and clears.
    m_notes.clear();
    Click(OnList(100, List()->GetClientSize().y - 10));
    EXPECT_EQ(m_notes,
              (std::vector<Note>{{PROPN_COMMITTED, m_power}, {PROPN_SELCHANGED, nullptr}}));
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr);
    EXPECT_FALSE(m_power->IsSelected());
    EXPECT_FALSE(m_power->GetEditWindow()->IsShown());
}

TEST_F(PropertyTreeTest, VetoedActivationAndCategoryValueNeverOpen) {
    m_vetoes = {PROPN_ACTIVATING};
    Click(ValueOf(m_power));
    EXPECT_EQ(Codes(), (std::vector<int>{PROPN_SELCHANGED, PROPN_ACTIVATING}));
    EXPECT_FALSE(m_power->IsActive());
    EXPECT_FALSE(m_power->GetEditWindow()->IsShown());
    EXPECT_EQ(m_tree->GetFocusedItem(), m_power);

    m_vetoes.clear();
    m_notes.clear();
    Click(ValueOf(m_cat2));
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_SELCHANGED, m_cat2}}));
    EXPECT_TRUE(m_cat2->IsSelected());
    EXPECT_FALSE(m_cat2->IsActive());
}

TEST_F(PropertyTreeTest, ExpandBoxTogglesUnlessVetoedAndHidesTheFocus) {
    m_vetoes = {PROPN_EXPANDING};
    Click(BoxOf(m_group));
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_EXPANDING, m_group}}));
    EXPECT_FALSE(m_group->IsExpanded());

    m_vetoes.clear();
    m_notes.clear();
    Click(BoxOf(m_group));
    EXPECT_TRUE(m_group->IsExpanded());
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr); // the box does not select
    Click(LabelOf(m_child));
    ASSERT_EQ(m_tree->GetFocusedItem(), m_child);

    // Collapsing the category hides the focused row: the focus goes, and the owner hears it.
    m_notes.clear();
    Click(BoxOf(m_cat1));
    EXPECT_FALSE(m_cat1->IsExpanded());
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_EXPANDING, m_cat1}, {PROPN_SELCHANGED, nullptr}}));
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr);
    EXPECT_FALSE(m_child->IsSelected());
}

TEST_F(PropertyTreeTest, DoubleClicksFitTheColumnAndToggleParents) {
    const int paneWidth = List()->GetClientSize().x;
    m_tree->SetColumn(300);
    DoubleClick(DividerAt(m_power));
    int right = 0;
    for (CPropertyNode* row = m_tree->GetFirstVisible(); row; row = row->GetNextVisible())
        if (!row->IsCategory())
            right = std::max(right, row->GetLabelExtent().GetRight() + 1);
    EXPECT_EQ(m_tree->GetColumn(), std::min(right + 5, paneWidth - 25));
    EXPECT_LT(m_tree->GetColumn(), 300);

    m_notes.clear();
    DoubleClick(LabelOf(m_group));
    EXPECT_TRUE(m_group->IsExpanded());
    EXPECT_EQ(m_tree->GetFocusedItem(), m_group);
    EXPECT_EQ(Count(PROPN_EXPANDING), 1);

    // Anywhere on a category selects it; only its label or box toggles it.
    m_notes.clear();
    DoubleClick(ValueOf(m_cat2));
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    EXPECT_TRUE(m_cat2->IsExpanded());
    DoubleClick(LabelOf(m_cat2));
    EXPECT_FALSE(m_cat2->IsExpanded());

    // A double click on a value opens nothing beyond its first click.
    m_notes.clear();
    DoubleClick(ValueOf(m_power));
    EXPECT_EQ(Count(PROPN_ACTIVATING), 1);
}

TEST_F(PropertyTreeTest, DividerDragKeepsItsLimitsAndCanBeVetoed) {
    const int paneWidth = List()->GetClientSize().x;
    Drag(DividerAt(m_power), OnList(2, 40));
    EXPECT_EQ(m_tree->GetColumn(), 41);
    EXPECT_EQ(Count(PROPN_DIVIDERDRAG), 1);
    Drag(DividerAt(m_power), OnList(paneWidth - 3, 40));
    EXPECT_EQ(m_tree->GetColumn(), paneWidth - 25);
    Drag(DividerAt(m_power), OnList(200, 40));
    EXPECT_EQ(m_tree->GetColumn(), 200);
    EXPECT_EQ(m_power->GetValueRect().x, 205);

    m_vetoes = {PROPN_DIVIDERDRAG};
    Drag(DividerAt(m_power), OnList(120, 40));
    EXPECT_EQ(m_tree->GetColumn(), 200);
    EXPECT_FALSE(List()->IsDraggingDivider());

    // SetColumn alone goes down to 16 and up to the width - 16.
    m_tree->SetColumn(0);
    EXPECT_EQ(m_tree->GetColumn(), 16);
    m_tree->SetColumn(5000);
    EXPECT_EQ(m_tree->GetColumn(), paneWidth - 16);
}

TEST_F(PropertyTreeTest, NavigationKeysMoveTheFocusAndActivate) {
    MoveTo(LabelOf(m_power)); // without a window manager the keys go where the pointer is
    Key(WXK_HOME);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat1);
    Key(WXK_DOWN);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_color);
    EXPECT_TRUE(m_color->IsSelected());
    EXPECT_FALSE(m_cat1->IsSelected());
    Key(WXK_END);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_name);
    Key(WXK_UP);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    EXPECT_EQ(Count(PROPN_SELCHANGED), 4);

    // Enter on a category activates nothing, and Tab or Shift+Tab there stays on it.
    Key(WXK_RETURN);
    EXPECT_FALSE(m_cat2->IsActive());
    Key(WXK_TAB);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    Key(WXK_TAB, wxMOD_SHIFT);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    EXPECT_FALSE(m_cat2->IsActive());
    EXPECT_FALSE(m_name->IsActive());
    EXPECT_FALSE(m_group->IsActive());
    EXPECT_EQ(Count(PROPN_SELCHANGED), 4);

    // From a property row Shift+Tab moves back and opens that row's editor.
    Key(WXK_UP);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_group);
    Key(WXK_TAB, wxMOD_SHIFT);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_power);
    EXPECT_TRUE(m_power->IsActive());
    EXPECT_TRUE(PumpUntil([&] { return m_power->IsEditing(); }));

    // Tab from the editor commits it and opens the row after; onto a category it opens
    // nothing, and there it stays.
    m_notes.clear();
    Key(WXK_TAB);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_group);
    EXPECT_EQ(Count(PROPN_COMMITTED), 1);
    EXPECT_FALSE(m_power->IsActive());
    EXPECT_TRUE(m_group->IsActive()); // the base row has no editor but still activates
    Key(WXK_TAB);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    EXPECT_FALSE(m_cat2->IsActive());
    Key(WXK_TAB);
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    EXPECT_FALSE(m_name->IsActive());
}

TEST_F(PropertyTreeTest, LeftAndRightExpandCollapseOrMoveAndHonourTheVeto) {
    MoveTo(LabelOf(m_power));
    Key(WXK_LEFT); // no focused row: nothing, not even a notification
    EXPECT_TRUE(m_notes.empty());

    m_tree->SetFocusedItem(m_group);
    m_vetoes = {PROPN_EXPANDING};
    Key(WXK_RIGHT);
    EXPECT_FALSE(m_group->IsExpanded()); // vetoed: unchanged, the key moves on as Down
    EXPECT_EQ(m_tree->GetFocusedItem(), m_cat2);
    m_tree->SetFocusedItem(m_group);
    m_vetoes.clear();
    m_notes.clear();
    Key(WXK_RIGHT);
    EXPECT_TRUE(m_group->IsExpanded());
    EXPECT_EQ(m_tree->GetFocusedItem(), m_group);
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_EXPANDING, m_group}}));
    Key(WXK_RIGHT); // expanded already: acts as Down
    EXPECT_EQ(m_tree->GetFocusedItem(), m_child);
    Key(WXK_LEFT); // no children: acts as Up
    EXPECT_EQ(m_tree->GetFocusedItem(), m_group);
    m_vetoes = {PROPN_EXPANDING};
    Key(WXK_LEFT);
    EXPECT_TRUE(m_group->IsExpanded());
    m_vetoes.clear();
    m_tree->SetFocusedItem(m_group);
    Key(WXK_LEFT);
    EXPECT_FALSE(m_group->IsExpanded());
}

TEST_F(PropertyTreeTest, EditRowCommitsOnEnterFiltersCharsAndKeepsFocusLossOutside) {
    Click(ValueOf(m_power));
    ASSERT_TRUE(PumpUntil([&] { return m_power->IsEditing(); }));
    m_power->GetEditWindow()->SelectAll();
    Pump(60);
    m_sim.Text("-2x.5");
    Pump(150);
    EXPECT_EQ(m_power->GetText(), "-2.5"); // the letter was refused with a beep
    m_notes.clear();
    Key(WXK_RETURN);
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_COMMITTED, m_power}}));
    EXPECT_FALSE(m_power->IsActive());
    EXPECT_FALSE(m_power->GetEditWindow()->IsShown());
    float value = 0;
    EXPECT_TRUE(m_power->GetValue(value));
    EXPECT_FLOAT_EQ(value, -2.5f);

    // The focus going to a window outside the control commits nothing.
    auto* outside = new wxTextCtrl(m_owner, wxID_ANY, "", wxPoint(10, 440), wxSize(100, 30));
    Pump(50);
    Click(ValueOf(m_name));
    ASSERT_TRUE(PumpUntil([&] { return m_name->IsEditing(); }));
    m_notes.clear();
    outside->SetFocus();
    Pump(150);
    EXPECT_EQ(Count(PROPN_COMMITTED), 0);
    EXPECT_TRUE(m_name->IsActive());
    // Back in the control, a click elsewhere commits it once and the value is painted again.
    Click(LabelOf(m_power));
    EXPECT_EQ(Count(PROPN_COMMITTED), 1);
    EXPECT_FALSE(m_name->IsEditing());
    EXPECT_FALSE(m_name->GetEditWindow()->IsShown());
}

TEST_F(PropertyTreeTest, ARefusedKeyLeavesTheSelectedTextAsItWas) {
    XBellCounter bells;
    Click(ValueOf(m_power));
    ASSERT_TRUE(PumpUntil([&] { return m_power->IsEditing(); }));
    wxTextCtrl* box = m_power->GetEditWindow();
    const auto selection = [box] {
        long from = -1, to = -1;
        box->GetSelection(&from, &to);
        return std::make_pair(from, to);
    };
    box->SelectAll();
    Pump(60);
    const int before = bells.Count();
    // Letters, a blank, a plus and a shifted letter over the whole text selected.
    for (int key : {'x', ' ', '+', 'E'}) {
        m_sim.Char(key);
        Pump(60);
    }
    EXPECT_EQ(m_power->GetText(), "1.00000");
    EXPECT_EQ(selection(), std::make_pair(0L, 7L));
    // The copy, paste, cut, undo and select-all keys type characters the row refuses too.
    box->SetSelection(2, 4);
    Pump(60);
    for (int key : {'c', 'v', 'x', 'z', 'a'}) {
        m_sim.Char(key, wxMOD_CONTROL);
        Pump(60);
    }
    EXPECT_EQ(m_power->GetText(), "1.00000");
    EXPECT_EQ(selection(), std::make_pair(2L, 4L));
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, 9);
    }
    // A digit replaces the selection as usual, without a beep.
    m_sim.Char('7');
    Pump(60);
    EXPECT_EQ(m_power->GetText(), "1.7000");
    if (before >= 0) {
        EXPECT_EQ(bells.Count() - before, 9);
    }

    // A row without a number flag takes every key.
    Click(ValueOf(m_name));
    ASSERT_TRUE(PumpUntil([&] { return m_name->IsEditing(); }));
    m_name->GetEditWindow()->SelectAll();
    Pump(60);
    m_sim.Char('x');
    Pump(60);
    EXPECT_EQ(m_name->GetText(), "x");
}

TEST_F(PropertyTreeTest, WheelScrollsALineOnlyWhenTheContentIsTaller) {
    m_sim.MouseMove(LabelOf(m_power));
    Pump(50);
    Wheel(-120);
    EXPECT_EQ(m_tree->GetScrollOrigin(), 0);
    for (int i = 0; i < 30; ++i)
        Add(new CPropertyNode(), m_cat2, "Filler");
    Pump(100);
    Wheel(-120);
    EXPECT_TRUE(PumpUntil([&] { return m_tree->GetScrollOrigin() == kDefaultRowHeight; }));
    Wheel(120);
    EXPECT_TRUE(PumpUntil([&] { return m_tree->GetScrollOrigin() == 0; }));
    // Keys bring a row below the page into view; emptying the tree returns to the top.
    MoveTo(LabelOf(m_power));
    Key(WXK_END);
    const int pane = List()->GetClientSize().y;
    EXPECT_EQ(m_tree->GetScrollOrigin(), ScrollMax(m_tree->GetContentHeight(), pane));
    m_tree->DeleteItem(m_cat2);
    m_cat2 = nullptr;
    m_name = nullptr;
    EXPECT_EQ(m_tree->GetScrollOrigin(), 0);
}

TEST_F(PropertyTreeTest, DeletingClearsTheFocusAndSurvivesTheOwnerDeletingDuringNotes) {
    Click(LabelOf(m_name));
    ASSERT_EQ(m_tree->GetFocusedItem(), m_name);
    m_notes.clear();
    m_tree->DeleteItem(m_cat2);
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_DELETING, m_cat2}, {PROPN_DELETING, m_name}}));
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr);
    m_cat2 = nullptr;
    m_name = nullptr;

    // The owner deletes the row whose commit it hears, and the group inside a deletion.
    m_onNote = [this](CPropertyTreeEvent& e) {
        if (e.GetCode() == PROPN_COMMITTED && e.GetNode() == m_power) {
            m_tree->DeleteItem(m_power);
            m_power = nullptr;
        }
        if (e.GetCode() == PROPN_DELETING && e.GetNode() == m_child && m_group) {
            CPropertyNode* group = m_group;
            m_group = nullptr;
            m_tree->DeleteItem(group);
        }
    };
    Click(ValueOf(m_power));
    ASSERT_TRUE(PumpUntil([&] { return m_power && m_power->IsEditing(); }));
    Key(WXK_RETURN);
    EXPECT_EQ(m_power, nullptr);
    m_tree->DeleteItem(m_child);
    EXPECT_EQ(m_group, nullptr);
    EXPECT_EQ(m_cat1->GetChild(), m_color);
    EXPECT_EQ(m_color->GetSibling(), nullptr);
    Pump(100);
    // Only the colour row's window is left in the list (the deleted boxes went after their
    // events).
    int windows = 0;
    for (wxWindow* child : List()->GetChildren())
        windows += child->GetId() > 0;
    EXPECT_EQ(windows, 1);

    m_notes.clear();
    m_onNote = nullptr;
    m_tree->DeleteAllItems();
    m_color = nullptr;
    ASSERT_FALSE(m_notes.empty());
    EXPECT_EQ(m_notes.front(), (Note{PROPN_DELETING, nullptr}));
    auto* again = Add(new CPropertyNode(), nullptr, "Again");
    EXPECT_EQ(again->GetId(), 2); // the counter restarts at 1
}

TEST_F(PropertyTreeTest, SharedFontsLiveWithTheInstances) {
    EXPECT_EQ(CPropertyTreeWnd::GetInstanceCount(), 1);
    auto* second = new CPropertyTreeWnd();
    ASSERT_TRUE(second->Create(0, wxRect(0, 0, 100, 100), m_owner, 0, 9000));
    EXPECT_EQ(CPropertyTreeWnd::GetInstanceCount(), 2);
    EXPECT_TRUE(CPropertyTreeWnd::GetBoldFont().IsOk());
    EXPECT_EQ(CPropertyTreeWnd::GetBoldFont().GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_FALSE(second->GetInfoPane()->IsShown()); // no flag 1: no description pane
    EXPECT_EQ(second->GetListPane()->GetSize(), second->GetClientSize());
    EXPECT_EQ(m_tree->GetInfoPane()->GetSize().y, kInfoPaneHeight);
    EXPECT_EQ(m_tree->GetListPane()->GetId(), kListPaneId);
    second->Destroy();
    EXPECT_EQ(CPropertyTreeWnd::GetInstanceCount(), 1);
}

TEST_F(PropertyTreeTest, DescriptionPaneWrapsTextWithAndWithoutSpaces) {
    wxBitmap bitmap(10, 10);
    wxMemoryDC dc(bitmap);
    dc.SetFont(CPropertyTreeWnd::GetNormalFont());
    const int width = dc.GetTextExtent("MMMMMMMMMM").x;
    const auto words =
        CPropertyInfoPane::WrapText(dc, "alpha beta gamma delta epsilon zeta", width);
    ASSERT_GT(words.size(), 1u);
    for (const wxString& line : words) {
        EXPECT_LE(dc.GetTextExtent(line).x, width) << line;
        EXPECT_FALSE(line.StartsWith(" "));
    }
    const wxString cjk = wxString::FromUTF8("设置灯光和渲染有关的属性设置灯光和渲染有关的属性");
    const auto lines = CPropertyInfoPane::WrapText(dc, cjk, width);
    ASSERT_GT(lines.size(), 1u);
    wxString joined;
    for (const wxString& line : lines) {
        EXPECT_LE(dc.GetTextExtent(line).x, width);
        joined += line;
    }
    EXPECT_EQ(joined, cjk);
}

TEST_F(ColorRowTest, ClickOpensThePopupAndAcceptingTakesTheColour) {
    CColorPickerPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(m_color->GetColorWindow()->IsShown());
    EXPECT_EQ(popup->GetInitialColor(), 0x000000FFu);
    const int blue = colorpick::FindColor(colorpick::MakeColorRef(0, 0, 255));
    MoveTo(ItemCentre(popup, blue));
    m_notes.clear();
    m_sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return m_color->GetPopup() == nullptr; }));
    Pump(100);
    EXPECT_EQ(m_color->GetColor(), colorpick::MakeColorRef(0, 0, 255));
    EXPECT_EQ(Count(PROPN_VALUECHANGED), 1);
    EXPECT_FALSE(m_color->IsActive());
}

TEST_F(ColorRowTest, ThePopupOpensAtThePointer) {
    // Its top-left corner where the click let go, not at the row's edge.
    const wxPoint pointer = ValueOf(m_color) + wxPoint(7, 3);
    Click(pointer);
    ASSERT_TRUE(PumpUntil([&] { return m_color->GetPopup() != nullptr; }));
    Pump(100);
    EXPECT_EQ(m_color->GetPopup()->GetScreenPosition(), pointer);
}

TEST_F(ColorRowTest, EscapeAndAClickOutsideCancelWithoutChange) {
    CColorPickerPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    MoveTo(ItemCentre(popup, 0)); // black under the pointer, but not taken without 0x400
    Key(WXK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return m_color->GetPopup() == nullptr; }));
    EXPECT_EQ(m_color->GetColor(), 0x000000FFu);
    EXPECT_EQ(Count(PROPN_VALUECHANGED), 0);

    ASSERT_NE(OpenPopup(), nullptr);
    Click(OnList(100, List()->GetClientSize().y - 10));
    ASSERT_TRUE(PumpUntil([&] { return m_color->GetPopup() == nullptr; }));
    EXPECT_EQ(m_color->GetColor(), 0x000000FFu);
    EXPECT_EQ(Count(PROPN_VALUECHANGED), 0);
}

TEST_F(ColorRowTest, TrackingRowFollowsThePointerAndACancelRestoresIt) {
    auto* tracking = new CColorPropertyNode();
    Add(tracking, m_cat2, "Tracking");
    ASSERT_TRUE(tracking->CreateColorWindow(kColorTrack | kColorHex, 0x00123456, 0));
    EXPECT_FALSE(tracking->CreateColorWindow(0, 0, 0)); // a second window is refused
    Pump(100);
    Click(ValueOf(tracking));
    ASSERT_TRUE(PumpUntil([&] { return tracking->GetPopup() != nullptr; }));
    Pump(100);
    MoveTo(ItemCentre(tracking->GetPopup(), 16)); // red
    EXPECT_TRUE(PumpUntil([&] { return tracking->GetColor() == 0x000000FFu; }));
    Key(WXK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return tracking->GetPopup() == nullptr; }));
    EXPECT_EQ(tracking->GetColor(), 0x00123456u);
}

TEST_F(ColorRowTest, MoreColorsUsesTheReplacedDialog) {
    CColorPickerPopup::SetColourDialogHook([](wxWindow*, wxColour& colour) {
        colour.Set(10, 20, 30);
        return true;
    });
    CColorPickerPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    MoveTo(ItemCentre(popup, colorpick::kIndexCustom));
    m_sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return m_color->GetPopup() == nullptr; }));
    Pump(100);
    EXPECT_EQ(m_color->GetColor(), colorpick::MakeColorRef(10, 20, 30));
    EXPECT_EQ(Count(PROPN_VALUECHANGED), 1);
}

TEST_F(ColorRowTest, DeletingTheRowWhileItsPopupIsOpenClosesIt) {
    ASSERT_NE(OpenPopup(), nullptr);
    m_tree->DeleteItem(m_color);
    m_color = nullptr;
    Pump(200);
    EXPECT_EQ(m_cat1->GetChild(), m_power);
}

} // namespace

int main(int argc, char** argv) {
    return RunWxTests(argc, argv);
}

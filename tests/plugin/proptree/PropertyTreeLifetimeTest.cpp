// The owner deletes rows, or every row, from inside the notifications about them: the rows go
// only after the event that led to the notification is over, nothing of a deleted row is used or
// reported afterwards, and its editor window goes after its own event. Run under the sanitizer
// build, a row touched after its deletion is reported as a use after free.
#include "PropertyTreeFixture.h"

#include <cstddef>

#include <wx/weakref.h>

namespace {

// What the rows' destructors saw.
struct SDeaths {
    std::set<const CPropertyNode*> dead;
    int notesRunning = 0;   // notification handlers on the stack
    int diedInNote = 0;     // rows destroyed while a handler ran
    int notesAboutDead = 0; // notes naming a row already destroyed

    void Died(const CPropertyNode* node) {
        dead.insert(node);
        if (notesRunning > 0)
            ++diedInNote;
    }
};

template <typename Row> class CProbe : public Row {
public:
    explicit CProbe(SDeaths& deaths) : m_deaths(deaths) {}
    ~CProbe() override { m_deaths.Died(this); }

private:
    SDeaths& m_deaths;
};

class LifetimeTest : public ColorRowTest {
protected:
    void SetUp() override {
        ColorRowTest::SetUp();
        m_onNote = [this](CPropertyTreeEvent& e) {
            ++m_deaths.notesRunning;
            if (IsDead(e.GetNode()))
                ++m_deaths.notesAboutDead;
            if (m_action)
                m_action(e);
            --m_deaths.notesRunning;
        };
    }

    CPropertyNode* NewRow() override { return new CProbe<CPropertyNode>(m_deaths); }
    CEditPropertyNode* NewEditRow() override { return new CProbe<CEditPropertyNode>(m_deaths); }
    CColorPropertyNode* NewColorRow() override { return new CProbe<CColorPropertyNode>(m_deaths); }

    // The owner runs `action` when it hears `code` about `node`.
    void When(int code, const CPropertyNode* node, std::function<void()> action) {
        m_action = [code, node, action](CPropertyTreeEvent& e) {
            if (e.GetCode() == code && e.GetNode() == node)
                action();
        };
    }

    bool IsDead(const CPropertyNode* node) const { return node && m_deaths.dead.count(node); }

    // No row was destroyed while the owner was being told something, and the owner was never
    // told about a destroyed row.
    void ExpectTheRuleKept() const {
        EXPECT_EQ(m_deaths.diedInNote, 0);
        EXPECT_EQ(m_deaths.notesAboutDead, 0);
    }

    // The editor windows left in the list once the deferred destructions have run.
    int EditorWindows() {
        Pump(100);
        int windows = 0;
        for (wxWindow* child : List()->GetChildren())
            windows += child->GetId() > 0;
        return windows;
    }

    void ForgetRows() {
        m_cat1 = m_cat2 = m_group = m_child = nullptr;
        m_color = nullptr;
        m_power = m_name = nullptr;
    }

    SDeaths m_deaths;
    std::function<void(CPropertyTreeEvent&)> m_action;
};

TEST_F(LifetimeTest, ARowOrEveryRowDeletedOnACommitGoesAfterTheKeyThatCommitted) {
    CEditPropertyNode* power = m_power;
    wxTextCtrl* box = power->GetEditWindow();
    bool wholeWhileHeard = false;
    When(PROPN_COMMITTED, power, [&] {
        m_tree->DeleteItem(power);
        // Still in the tree with its window while the owner hears of it, but on its way out.
        wholeWhileHeard = !IsDead(power) && power->IsBeingDeleted() &&
                          power->GetParent() == m_cat1 && power->GetEditWindow() == box;
    });
    Click(ValueOf(power));
    ASSERT_TRUE(PumpUntil([&] { return power->IsEditing(); }));
    m_notes.clear();
    Key(WXK_RETURN);
    m_power = nullptr;
    EXPECT_TRUE(wholeWhileHeard);
    EXPECT_TRUE(IsDead(power));
    ExpectTheRuleKept();
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_COMMITTED, power}, {PROPN_DELETING, power}}));
    EXPECT_EQ(m_color->GetSibling(), m_group);
    EXPECT_EQ(EditorWindows(), 2); // the colour row's and the name row's

    // Every row, from the commit of the last one.
    CEditPropertyNode* name = m_name;
    When(PROPN_COMMITTED, name, [&] { m_tree->DeleteAllItems(); });
    Click(ValueOf(name));
    ASSERT_TRUE(PumpUntil([&] { return name->IsEditing(); }));
    m_notes.clear();
    Key(WXK_RETURN);
    ForgetRows();
    EXPECT_EQ(m_tree->GetRootItem()->GetChild(), nullptr);
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr);
    EXPECT_EQ(m_deaths.dead.size(), 7u);
    ExpectTheRuleKept();
    ASSERT_EQ(m_notes.size(), 8u);
    EXPECT_EQ(m_notes[0], (Note{PROPN_COMMITTED, name}));
    EXPECT_EQ(m_notes[1], (Note{PROPN_DELETING, nullptr}));
    EXPECT_EQ(Count(PROPN_DELETING), 7);
    EXPECT_EQ(EditorWindows(), 0);
}

TEST_F(LifetimeTest, ATreeEmptiedAndFilledAgainOnACommitKeepsTheNewRows) {
    CEditPropertyNode* name = m_name;
    CPropertyNode* fresh = nullptr;
    When(PROPN_COMMITTED, name, [&] {
        m_tree->DeleteAllItems();
        fresh = Add(NewRow(), nullptr, "Fresh");
    });
    Click(ValueOf(name));
    ASSERT_TRUE(PumpUntil([&] { return name->IsEditing(); }));
    Key(WXK_RETURN);
    ForgetRows();
    EXPECT_EQ(m_deaths.dead.size(), 7u);
    ExpectTheRuleKept();
    ASSERT_NE(fresh, nullptr);
    ASSERT_FALSE(IsDead(fresh));
    EXPECT_EQ(m_tree->GetRootItem()->GetChild(), fresh);
    EXPECT_EQ(fresh->GetSibling(), nullptr);
    EXPECT_FALSE(fresh->IsBeingDeleted());
}

TEST_F(LifetimeTest, DeletionsAskedForWhileARowIsDeletedFollowIt) {
    CPropertyNode* child = m_child;
    CPropertyNode* group = m_group;
    When(PROPN_DELETING, child, [&] {
        m_tree->DeleteItem(group);
        m_tree->DeleteItem(child); // going already: asked twice, deleted once
        m_tree->DeleteAllItems();
    });
    m_tree->DeleteItem(child);
    ForgetRows();
    EXPECT_EQ(m_tree->GetRootItem()->GetChild(), nullptr);
    EXPECT_EQ(m_deaths.dead.size(), 7u);
    ExpectTheRuleKept();
    // Each row is reported once, in the order the deletions were asked for.
    ASSERT_EQ(m_notes.size(), 8u);
    EXPECT_EQ(m_notes[0], (Note{PROPN_DELETING, child}));
    EXPECT_EQ(m_notes[1], (Note{PROPN_DELETING, group}));
    EXPECT_EQ(m_notes[2], (Note{PROPN_DELETING, nullptr}));
    EXPECT_EQ(std::set<Note>(m_notes.begin(), m_notes.end()).size(), m_notes.size());
}

TEST_F(LifetimeTest, ARowDeletedWhileTheListActsOnItIsNeitherOpenedNorReportedAgain) {
    // Deleted on its selection: the click that selected it does not open its box.
    CEditPropertyNode* power = m_power;
    When(PROPN_SELCHANGED, power, [&] { m_tree->DeleteItem(power); });
    Click(ValueOf(power));
    m_power = nullptr;
    EXPECT_TRUE(IsDead(power));
    ExpectTheRuleKept();
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_SELCHANGED, power}, {PROPN_DELETING, power}}));
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr);

    // Deleted as a key expands it: the key neither expands it nor moves on from it.
    CPropertyNode* group = m_group;
    CPropertyNode* child = m_child;
    When(PROPN_EXPANDING, group, [&] { m_tree->DeleteItem(group); });
    m_tree->SetFocusedItem(group);
    MoveTo(LabelOf(m_color)); // without a window manager the keys go where the pointer is
    m_notes.clear();
    Key(WXK_RIGHT);
    m_group = m_child = nullptr;
    EXPECT_TRUE(IsDead(group));
    EXPECT_TRUE(IsDead(child));
    ExpectTheRuleKept();
    EXPECT_EQ(m_notes,
              (std::vector<Note>{
                  {PROPN_EXPANDING, group}, {PROPN_DELETING, group}, {PROPN_DELETING, child}}));
    EXPECT_EQ(m_tree->GetFocusedItem(), nullptr);
}

TEST_F(LifetimeTest, AColourRowDeletedOnHearingOfItsNewColourGoesAfterThePopup) {
    CColorPropertyNode* color = m_color;
    When(PROPN_VALUECHANGED, color, [&] { m_tree->DeleteItem(color); });
    CColorPickerPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    MoveTo(ItemCentre(popup, colorpick::FindColor(colorpick::MakeColorRef(0, 0, 255))));
    m_notes.clear();
    m_sim.MouseClick();
    ASSERT_TRUE(PumpUntil([&] { return IsDead(color); }));
    m_color = nullptr;
    ExpectTheRuleKept();
    // Accepted, then deleted: no commit is reported for a row on its way out.
    EXPECT_EQ(m_notes, (std::vector<Note>{{PROPN_VALUECHANGED, color}, {PROPN_DELETING, color}}));
    EXPECT_EQ(m_cat1->GetChild(), m_power);
    EXPECT_EQ(EditorWindows(), 2); // the two edit rows' boxes
}

TEST_F(LifetimeTest, ATreeDestroyedBeforeTheIdleTimeTakesItsQueuedWindowsAndPopupOnce) {
    CColorPickerPopup* popup = OpenPopup();
    ASSERT_NE(popup, nullptr);
    const wxWeakRef<CColorPickerPopup> closed(popup);
    const wxWeakRef<wxWindow> box(m_power->GetEditWindow());
    const wxWeakRef<wxWindow> colorWindow(m_color->GetColorWindow());
    popup->Cancel();
    m_tree->DeleteItem(m_power);
    m_power = nullptr;
    // The row went at once; its box and the closed popup wait, hidden, for the idle time.
    EXPECT_EQ(m_deaths.dead.size(), 1u);
    ASSERT_TRUE(box && closed);
    EXPECT_FALSE(box->IsShown());
    EXPECT_FALSE(closed->IsShown());

    // Every row's window and the popup go with the tree, before it is gone; the idle call the
    // tree asked for goes with it.
    m_tree->Destroy();
    m_tree = nullptr;
    ForgetRows();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(box);
    EXPECT_FALSE(colorWindow);
    EXPECT_EQ(m_deaths.dead.size(), 7u);
    ExpectTheRuleKept();
    Pump(100);
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    return RunWxTests(argc, argv);
}

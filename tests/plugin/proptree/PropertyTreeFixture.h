// The property tree test fixture: a frame with a tree of two categories (a colour row, an edit
// row, a group with a child; a text row), the owner's notifications recorded as notes, and real
// pointer and key input.
#pragma once

#include "CColorPickerPopup.h"
#include "CColorPropertyNode.h"
#include "CEditPropertyNode.h"
#include "CPropertyInfoPane.h"
#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"

#include "WxTestMain.h"

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace proptree;

inline constexpr int kTreeId = 8192;
using Note = std::pair<int, CPropertyNode*>;

class PropertyTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_asserts = WxAssertCount();
        m_frame = new wxFrame(nullptr, wxID_ANY, "tree", wxPoint(50, 50), wxSize(460, 520));
        m_owner = new wxPanel(m_frame);
        m_tree = new CPropertyTreeWnd();
        ASSERT_TRUE(m_tree->Create(0, wxRect(10, 10, 400, 420), m_owner,
                                   kStyleInfoPane | kStyleNoItemText, kTreeId));
        m_tree->SetNotify(true, m_owner);
        m_owner->Bind(
            EVT_PROPTREE_NOTIFY,
            [this](CPropertyTreeEvent& e) {
                EXPECT_EQ(e.GetRecord().window, m_tree);
                EXPECT_EQ(e.GetRecord().id, kTreeId);
                m_notes.emplace_back(e.GetCode(), e.GetNode());
                if (m_vetoes.count(e.GetCode()))
                    e.Veto();
                if (m_onNote)
                    m_onNote(e);
            },
            kTreeId);

        m_cat1 = Add(NewRow(), nullptr, "Light");
        m_color = NewColorRow();
        Add(m_color, m_cat1, "Colour");
        m_color->CreateColorWindow(0, 0x000000FF, 0x00FFFFFF);
        m_power = NewEditRow();
        Add(m_power, m_cat1, "PowerScale");
        m_power->CreateEditWindow(kEditReal);
        m_power->SetValue(1.0f);
        m_group = Add(NewRow(), m_cat1, "Attenuation group");
        m_child = Add(NewRow(), m_group, "Inner");
        m_cat1->Expand(true);
        m_cat2 = Add(NewRow(), nullptr, "General");
        m_name = NewEditRow();
        Add(m_name, m_cat2, "Name");
        m_name->CreateEditWindow(0);
        m_name->SetText("lamp");
        m_cat2->Expand(true);

        m_frame->Show();
        m_frame->Raise();
        m_tree->GetListPane()->SetFocus();
        Pump(200);
        m_notes.clear();
    }

    void TearDown() override {
        CColorPickerPopup::SetColourDialogHook({});
        if (m_color && m_color->GetPopup())
            m_color->GetPopup()->Cancel();
        m_onNote = nullptr;
        Pump(50);
        m_frame->Destroy();
        Pump(50);
        EXPECT_EQ(WxAssertCount(), m_asserts);
    }

    // The rows of the tree SetUp builds.
    virtual CPropertyNode* NewRow() { return new CPropertyNode(); }
    virtual CEditPropertyNode* NewEditRow() { return new CEditPropertyNode(); }
    virtual CColorPropertyNode* NewColorRow() { return new CColorPropertyNode(); }

    CPropertyNode* Add(CPropertyNode* node, CPropertyNode* parent, const char* label) {
        m_tree->InsertItem(node, parent);
        node->SetLabel(label);
        node->SetInfoText(std::string("About ") + label);
        return node;
    }

    CPropertyListPane* List() const { return m_tree->GetListPane(); }

    wxPoint OnList(int x, int y) const { return List()->ClientToScreen(wxPoint(x, y)); }
    wxPoint LabelOf(const CPropertyNode* n) const {
        const wxRect r = n->GetRowRect();
        return OnList(r.x + 30, r.y + r.height / 2);
    }
    wxPoint ValueOf(const CPropertyNode* n) const {
        const wxRect r = n->GetRowRect();
        return OnList(m_tree->GetColumn() + 40, r.y + r.height / 2);
    }
    wxPoint BoxOf(const CPropertyNode* n) const {
        const wxRect r = n->GetRowRect();
        return OnList(r.x + 8, r.y + 9);
    }
    wxPoint DividerAt(const CPropertyNode* n) const {
        const wxRect r = n->GetRowRect();
        return OnList(m_tree->GetColumn(), r.y + r.height / 2);
    }

    void MoveTo(const wxPoint& p) {
        m_sim.MouseMove(p);
        Pump(60);
    }
    void Click(const wxPoint& p) {
        MoveTo(p);
        m_sim.MouseClick();
        Pump(120);
    }
    void DoubleClick(const wxPoint& p) {
        MoveTo(p);
        m_sim.MouseDblClick();
        Pump(150);
    }
    void Key(int key, int modifiers = wxMOD_NONE) {
        m_sim.Char(key, modifiers);
        Pump(100);
    }
    void Drag(const wxPoint& from, const wxPoint& to) {
        MoveTo(from);
        m_sim.MouseDown();
        Pump(60);
        MoveTo(to);
        m_sim.MouseUp();
        Pump(120);
    }

    // The toolkit's simulator has no wheel here: the pane gets the wheel event itself.
    void Wheel(int rotation) {
        wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
        wheel.m_wheelRotation = rotation;
        wheel.m_wheelDelta = 120;
        wheel.m_linesPerAction = 3;
        wheel.SetPosition(List()->ScreenToClient(wxGetMousePosition()));
        wheel.SetEventObject(List());
        List()->GetEventHandler()->ProcessEvent(wheel);
        Pump(50);
    }

    int Count(int code) const {
        int n = 0;
        for (const Note& note : m_notes)
            n += note.first == code;
        return n;
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const Note& note : m_notes)
            codes.push_back(note.first);
        return codes;
    }

    int m_asserts = 0;
    wxFrame* m_frame = nullptr;
    wxPanel* m_owner = nullptr;
    CPropertyTreeWnd* m_tree = nullptr;
    CPropertyNode* m_cat1 = nullptr;
    CPropertyNode* m_cat2 = nullptr;
    CColorPropertyNode* m_color = nullptr;
    CEditPropertyNode* m_power = nullptr;
    CPropertyNode* m_group = nullptr;
    CPropertyNode* m_child = nullptr;
    CEditPropertyNode* m_name = nullptr;
    std::vector<Note> m_notes;
    std::set<int> m_vetoes;
    std::function<void(CPropertyTreeEvent&)> m_onNote;
    wxUIActionSimulator m_sim;
};

// The colour row's popup, opened by a click and found by its items.
class ColorRowTest : public PropertyTreeTest {
protected:
    CColorPickerPopup* OpenPopup() {
        Click(ValueOf(m_color));
        PumpUntil([&] { return m_color->GetPopup() != nullptr; });
        Pump(100);
        return m_color->GetPopup();
    }
    wxPoint ItemCentre(CColorPickerPopup* popup, int index) const {
        const wxRect r = popup->GetItemRect(index);
        return popup->ClientToScreen(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    }
};

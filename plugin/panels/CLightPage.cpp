#include "CLightPage.h"

#include "CColorPickerPopup.h"
#include "CColorPropertyNode.h"
#include "CEditPropertyNode.h"
#include "CPropertyListPane.h"
#include "CPropertyTreeWnd.h"
#include "IPanelOwner.h"
#include "Interface.h"
#include "LightColor.h"
#include "PropertyTreeRules.h"
#include "SceneEntity.h"

#include <OgreLight.h>

#include <algorithm>

#include <wx/textctrl.h>
#include <wx/utils.h>

#include <string>

using lightcolor::ENumber;

namespace {

const char* const kCategoryLabel = "灯光渲染属性";
const char* const kCategoryInfo = "设置灯光和渲染有关的属性";
const char* const kColorLabel = automation::kLightColourRow;
const char* const kNumberLabels[CLightPage::kNumberRows] = {"PowerScale", "范围", "常数衰减",
                                                            "线性衰减", "平方衰减"};
const ENumber kNumberOrder[CLightPage::kNumberRows] = {
    ENumber::PowerScale, ENumber::Range, ENumber::Constant, ENumber::Linear, ENumber::Quadratic};

} // namespace

CLightPage::CLightPage(wxWindow* panel) : m_panel(panel) {}

CLightPage::~CLightPage() {
    // The tree outlives the page by a moment (the panel's window goes after its members):
    // nothing may reach this object from it any more.
    if (CPropertyTreeWnd* tree = m_tree)
        tree->SetNotify(false, nullptr);
    if (m_bound && m_panel) {
        m_panel->Unbind(EVT_PROPTREE_NOTIFY, &CLightPage::OnTreeNotify, this, kTreeId);
        m_panel->Unbind(wxEVT_SIZE, &CLightPage::OnPanelSize, this);
    }
}

CEditPropertyNode* CLightPage::GetNumberNode(int index) const {
    return index >= 0 && index < kNumberRows ? m_numbers[index] : nullptr;
}

bool CLightPage::IsShown() const {
    return m_tree && m_tree->IsShown();
}

bool CLightPage::HasFocus() const {
    for (wxWindow* window = wxWindow::FindFocus(); window && m_tree; window = window->GetParent()) {
        if (window == m_tree)
            return true;
    }
    return false;
}

bool CLightPage::Update(SceneEntity* entity, IPanelOwner* owner) {
    m_owner = owner;
    if (!entity || !entity->GetOgreLight()) {
        m_entity = nullptr;
        Hide();
        return false;
    }
    if (m_tree) {
        m_entity = entity;
        LoadValues(*entity);
    } else if (!Build(*entity)) {
        m_entity = nullptr;
        return false;
    }
    m_entity = entity;
    m_tree->Show();
    m_tree->Refresh(true);
    m_tree->Update();
    return true;
}

bool CLightPage::Build(const SceneEntity& entity) {
    if (!m_panel)
        return false;
    const Ogre::Light& light = *entity.GetOgreLight();
    const wxRect rect = TreeRect();
    auto* tree = new CPropertyTreeWnd();
    if (!tree->Create(wxCLIP_SIBLINGS, rect, m_panel, kTreeFlags, kTreeId)) {
        delete tree;
        return false;
    }
    m_tree = tree;
    if (!m_bound) {
        m_panel->Bind(EVT_PROPTREE_NOTIFY, &CLightPage::OnTreeNotify, this, kTreeId);
        m_panel->Bind(wxEVT_SIZE, &CLightPage::OnPanelSize, this);
        m_bound = true;
    }
    tree->SetNotify(true, m_panel);
    tree->SetColumn(static_cast<int>(static_cast<float>(tree->GetClientSize().x) * 0.45f));

    m_category = tree->InsertItem(new CPropertyNode(), nullptr);
    m_category->SetLabel(kCategoryLabel);
    m_category->SetInfoText(kCategoryInfo);

    auto* color = new CColorPropertyNode();
    tree->InsertItem(color, m_category);
    color->CreateColorWindow(0, lightcolor::ToColorRef(light.getDiffuseColour()), 0);
    color->SetLabel(kColorLabel);
    m_color = color;

    for (int i = 0; i < kNumberRows; ++i) {
        auto* number = new CEditPropertyNode();
        tree->InsertItem(number, m_category);
        number->CreateEditWindow(proptree::kEditReal, 0);
        number->SetValue(lightcolor::ReadNumber(light, kNumberOrder[i]));
        number->SetLabel(kNumberLabels[i]);
        m_numbers[i] = number;
    }
    m_category->Expand(true);
    // The colour row's picker tells scripts where its items are, by the names they use.
    CColorPickerPopup::PublishItems({automation::kPickerItemQuery, automation::kPickerAutomatic,
                                     automation::kPickerCustom, automation::kPickerCellPrefix});
    KeepColorWhole();
    NameRows();
    return true;
}

void CLightPage::KeepColorWhole() {
    CPropertyTreeWnd* tree = m_tree;
    if (!tree || !m_color || !tree->GetListPane())
        return;
    // The divider moves left as far as the colour's text needs to show whole (value area from
    // 5 pixels right of the divider to 2 pixels inside the list's right edge); a label that
    // no longer fits then ends with an ellipsis.
    const int room = tree->GetListPane()->GetClientSize().x - 2 - proptree::kDividerSlop -
                     m_color->GetValueExtent();
    if (tree->GetColumn() > room)
        tree->SetColumn(std::max(room, proptree::kColumnMinDrag));
}

wxRect CLightPage::TreeRect() const {
    const wxSize client = m_panel->GetClientSize();
    const int top = static_cast<int>(client.y * 0.6);
    return wxRect(0, top, client.x, client.y - top);
}

void CLightPage::OnPanelSize(wxSizeEvent& event) {
    event.Skip();
    if (m_tree && event.GetEventObject() == m_panel) {
        m_tree->SetSize(TreeRect());
        KeepColorWhole();
    }
}

void CLightPage::LoadValues(const SceneEntity& entity) {
    const Ogre::Light& light = *entity.GetOgreLight();
    if (m_color)
        m_color->SetColor(lightcolor::ToColorRef(light.getDiffuseColour()));
    for (int i = 0; i < kNumberRows; ++i) {
        if (m_numbers[i])
            m_numbers[i]->SetValue(lightcolor::ReadNumber(light, kNumberOrder[i]));
    }
    NameRows();
}

void CLightPage::Hide() {
    // A popup left open would report to a page that no longer shows its light.
    if (m_color && m_tree && m_color->GetPopup())
        m_color->GetPopup()->Cancel();
    if (m_tree && m_tree->IsShown())
        m_tree->Hide();
}

void CLightPage::NameRows() {
    if (m_tree && m_tree->GetListPane())
        m_tree->GetListPane()->SetName(wxString::FromUTF8(automation::kLightRowsName));
    if (m_color) {
        if (wxWindow* window = m_color->GetColorWindow()) {
            window->SetName(wxString::FromUTF8(kColorLabel));
            window->SetLabel(wxString::FromUTF8(
                proptree::FormatColor(m_color->GetColor(), m_color->GetFlags())));
        }
    }
    for (int i = 0; i < kNumberRows; ++i) {
        if (m_numbers[i] && m_numbers[i]->GetEditWindow())
            m_numbers[i]->GetEditWindow()->SetName(wxString::FromUTF8(kNumberLabels[i]));
    }
}

void CLightPage::OnTreeNotify(CPropertyTreeEvent& event) {
    // Whatever the page does, the panel's default handling follows, except for a node
    // without a parent, which is consumed.
    event.Skip();
    Ogre::Light* light = m_entity ? m_entity->GetOgreLight() : nullptr;
    if (!light || !m_tree || event.GetId() != kTreeId)
        return;
    const int code = event.GetCode();
    if (code != proptree::PROPN_COMMITTED && code != proptree::PROPN_VALUECHANGED)
        return;
    const CPropertyNode* node = event.GetNode();
    if (!node || !node->GetParent()) {
        event.Skip(false);
        return;
    }
    if (code == proptree::PROPN_VALUECHANGED) {
        if (m_color)
            light->setDiffuseColour(lightcolor::FromColorRef(m_color->GetColor()));
        NameRows();
    } else {
        // Every row is written whichever was committed, each step reading the values it does
        // not write from the light just before.
        bool refused = false;
        for (int i = 0; i < kNumberRows; ++i) {
            if (!m_numbers[i])
                continue;
            const std::string text = m_numbers[i]->GetText();
            // A pasted text with characters the row refuses when typed is refused as a whole:
            // the light keeps its value and the row shows it again.
            if (!proptree::IsTypedText(m_numbers[i]->GetFlags(), text)) {
                refused = true;
                m_numbers[i]->SetValue(lightcolor::ReadNumber(*light, kNumberOrder[i]));
                continue;
            }
            float value = 0.0f;
            // Text that is no number reads as 0; a number beyond single precision keeps the
            // light's value, like any value the light refuses.
            const bool read = m_numbers[i]->GetValue(value);
            const bool tooLarge = !read && proptree::IsNumberText(text);
            if (tooLarge || !lightcolor::WriteNumber(*light, kNumberOrder[i], value))
                m_numbers[i]->SetValue(lightcolor::ReadNumber(*light, kNumberOrder[i]));
        }
        if (refused)
            wxBell();
    }
    Redraw();
}

void CLightPage::Redraw() {
    Interface* host = m_owner ? m_owner->GetHost() : nullptr;
    IViewHost* views = host ? host->viewHost() : nullptr;
    if (views)
        views->redraw();
}

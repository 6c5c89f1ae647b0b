#include "CPropertyNode.h"

#include "CPropertyTreeWnd.h"

#include <wx/settings.h>

CPropertyNode::CPropertyNode()
    : m_height(proptree::kDefaultRowHeight),
      m_valueBack(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)),
      m_valueText(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)),
      m_categoryBack(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)),
      m_labelText(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)),
      m_labelBack(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)),
      m_life(std::make_shared<const char>('n')) {}

CPropertyNode::~CPropertyNode() = default;

void CPropertyNode::DrawValue(wxDC&, const wxRect&) {}
void CPropertyNode::OnActivate() {}
void CPropertyNode::OnLayout() {}
void CPropertyNode::OnMoved() {}
void CPropertyNode::OnCommit() {}
void CPropertyNode::OnRemove() {}
void CPropertyNode::OnDeselect() {}
void CPropertyNode::OnSelect() {}
void CPropertyNode::OnExpand(bool) {}

void CPropertyNode::SetLabel(const std::string& text) {
    m_label = text;
    RefreshControl();
}

void CPropertyNode::SetInfoText(const std::string& text) {
    m_info = text;
    RefreshControl();
}

namespace {
// Calls OnExpand on the node and every node below it. The node list is taken first, so a
// slot that changes the tree cannot leave the walk on a deleted node.
void CollectSubtree(CPropertyNode* node, std::vector<std::weak_ptr<const char>>& lives,
                    std::vector<CPropertyNode*>& nodes) {
    nodes.push_back(node);
    lives.push_back(node->Life());
    for (CPropertyNode* child = node->GetChild(); child; child = child->GetSibling())
        CollectSubtree(child, lives, nodes);
}
} // namespace

void CPropertyNode::Expand(bool expanded) {
    if (!m_pControl)
        return;
    m_expanded = expanded ? 1 : 0;
    std::vector<std::weak_ptr<const char>> lives;
    std::vector<CPropertyNode*> nodes;
    CollectSubtree(this, lives, nodes);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (!lives[i].expired())
            nodes[i]->OnExpand(expanded);
    if (CPropertyTreeWnd* control = m_pControl) {
        control->UpdateScrollRange();
        control->RedrawAll();
    }
}

void CPropertyNode::Select(bool selected) {
    if (!m_pControl)
        return;
    m_selected = selected ? 1 : 0;
    if (selected)
        OnSelect();
    else
        OnDeselect();
}

void CPropertyNode::Activate() {
    if (!m_pControl)
        return;
    m_active = 1;
    m_committed = 0;
    OnActivate();
}

void CPropertyNode::CommitChanges() {
    if (!m_pControl || m_deleting)
        return;
    m_active = 0;
    if (m_committed)
        return;
    m_committed = 1;
    const auto life = Life();
    OnCommit();
    if (life.expired())
        return;
    CPropertyTreeWnd* control = m_pControl;
    control->Notify(proptree::PROPN_COMMITTED, this);
    if (life.expired())
        return;
    std::vector<std::weak_ptr<const char>> lives;
    std::vector<CPropertyNode*> nodes;
    CollectSubtree(this, lives, nodes);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (!lives[i].expired())
            nodes[i]->OnMoved();
    control->UpdateScrollRange();
    control->RedrawAll();
}

bool CPropertyNode::IsCategory() const {
    // The root is the only node without a parent.
    return m_pParent && !m_pParent->m_pParent;
}

void CPropertyNode::RefreshControl() const {
    if (m_pControl)
        m_pControl->RedrawAll();
}

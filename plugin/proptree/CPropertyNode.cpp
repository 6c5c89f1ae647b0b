#include "CPropertyNode.h"

#include "CPropertyTreeWnd.h"

#include <wx/settings.h>

CPropertyNode::CPropertyNode()
    : m_height(proptree::kDefaultRowHeight),
      m_valueBack(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)),
      m_valueText(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)),
      m_categoryBack(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)),
      m_labelText(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)),
      m_labelBack(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)) {}

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
// The node and every node below it, taken before any of them is called: a call that inserts
// nodes does not change the walk.
void CollectSubtree(CPropertyNode* node, std::vector<CPropertyNode*>& nodes) {
    nodes.push_back(node);
    for (CPropertyNode* child = node->GetChild(); child; child = child->GetSibling())
        CollectSubtree(child, nodes);
}
} // namespace

void CPropertyNode::Expand(bool expanded) {
    if (!m_pControl || m_deleting)
        return;
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    m_expanded = expanded ? 1 : 0;
    std::vector<CPropertyNode*> nodes;
    CollectSubtree(this, nodes);
    for (CPropertyNode* node : nodes)
        node->OnExpand(expanded);
    m_pControl->UpdateScrollRange();
    m_pControl->RedrawAll();
}

void CPropertyNode::Select(bool selected) {
    if (!m_pControl || (m_deleting && selected))
        return;
    CPropertyTreeWnd::CEventScope scope(m_pControl);
    m_selected = selected ? 1 : 0;
    if (selected)
        OnSelect();
    else
        OnDeselect();
}

void CPropertyNode::Activate() {
    if (!m_pControl || m_deleting)
        return;
    CPropertyTreeWnd::CEventScope scope(m_pControl);
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
    CPropertyTreeWnd* control = m_pControl;
    CPropertyTreeWnd::CEventScope scope(control);
    OnCommit();
    control->Notify(proptree::PROPN_COMMITTED, this);
    std::vector<CPropertyNode*> nodes;
    CollectSubtree(this, nodes);
    for (CPropertyNode* node : nodes)
        node->OnMoved();
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

#include "CPropertyTreeWnd.h"

#include "CPropertyInfoPane.h"
#include "CPropertyListPane.h"

#include <wx/settings.h>

#include <algorithm>

using namespace proptree;

wxDEFINE_EVENT(EVT_PROPTREE_NOTIFY, CPropertyTreeEvent);

wxFont* CPropertyTreeWnd::s_normalFont = nullptr;
wxFont* CPropertyTreeWnd::s_boldFont = nullptr;
int CPropertyTreeWnd::s_instances = 0;

namespace {

// Every node of the tree below `node` (not `node` itself), in display order. Taken before the
// nodes are called, so that a node inserted by a call is not visited half-way.
void CollectNodes(CPropertyNode* node, std::vector<CPropertyNode*>& nodes) {
    for (CPropertyNode* child = node->GetChild(); child; child = child->GetSibling()) {
        nodes.push_back(child);
        CollectNodes(child, nodes);
    }
}

int SubtreeHeight(const CPropertyNode* node) {
    int height = 0;
    for (const CPropertyNode* child = node->GetChild(); child; child = child->GetSibling()) {
        height += child->GetHeight();
        if (child->IsExpanded())
            height += SubtreeHeight(child);
    }
    return height;
}

} // namespace

CPropertyTreeWnd::CPropertyTreeWnd()
    : m_queue([this] {
          // Handled with the toolkit's pending events, once the event being handled returned;
          // a control destroyed before then drops the call and flushes the queue itself.
          CallAfter([this] { m_queue.FlushIdle(); });
      }) {
    if (s_instances++ == 0)
        CreateFonts();
    m_root.m_pControl = this;
    m_root.m_expanded = 1;
}

CPropertyTreeWnd::~CPropertyTreeWnd() {
    wxASSERT_MSG(m_notifyDepth == 0,
                 "a property tree must not be destroyed from inside its own notification");
    m_queue.Abandon(); // scopes still open on the stack are left with nothing to do
    DeleteAllItems();
    // The windows and popups the rows left behind go with the control, not at an idle time it
    // will not see.
    m_queue.FlushIdle();
    if (--s_instances == 0) {
        delete s_normalFont;
        delete s_boldFont;
        s_normalFont = nullptr;
        s_boldFont = nullptr;
    }
}

void CPropertyTreeWnd::CreateFonts() {
    const wxFont normal = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    delete s_normalFont;
    delete s_boldFont;
    s_normalFont = new wxFont(normal);
    s_boldFont = new wxFont(normal.Bold());
}

const wxFont& CPropertyTreeWnd::GetNormalFont() {
    wxASSERT(s_normalFont);
    return s_normalFont ? *s_normalFont : *wxNORMAL_FONT;
}

const wxFont& CPropertyTreeWnd::GetBoldFont() {
    wxASSERT(s_boldFont);
    return s_boldFont ? *s_boldFont : *wxNORMAL_FONT;
}

bool CPropertyTreeWnd::Create(long style, const wxRect& rect, wxWindow* parent, unsigned flags,
                              wxWindowID id) {
    wxCHECK_MSG(!m_pList, false, "the property tree is already created");
    if (!wxWindow::Create(parent, id, rect.GetPosition(), rect.GetSize(),
                          style | wxCLIP_CHILDREN | wxFULL_REPAINT_ON_RESIZE))
        return false;
    m_flags = flags;
    SetCursor(*wxSTANDARD_CURSOR);
    auto* info = new CPropertyInfoPane(this);
    auto* list = new CPropertyListPane(this);
    if (!info->Create() || !list->Create()) {
        delete info;
        delete list;
        return false;
    }
    m_pInfo = info;
    m_pList = list;
    m_pInfo->Show((m_flags & kStyleInfoPane) != 0);
    Bind(wxEVT_SIZE, &CPropertyTreeWnd::OnSize, this);
    Bind(wxEVT_SYS_COLOUR_CHANGED, &CPropertyTreeWnd::OnSysColourChanged, this);
    LayoutPanes();
    Show();
    return true;
}

void CPropertyTreeWnd::OnSize(wxSizeEvent& event) {
    LayoutPanes();
    event.Skip();
}

void CPropertyTreeWnd::OnSysColourChanged(wxSysColourChangedEvent& event) {
    CreateFonts();
    RedrawAll();
    event.Skip();
}

void CPropertyTreeWnd::LayoutPanes() {
    if (!m_pList)
        return;
    const wxSize client = GetClientSize();
    if (m_flags & kStyleInfoPane) {
        const int listHeight = std::max(0, client.y - kInfoPaneHeight);
        m_pInfo->SetSize(0, listHeight, client.x, client.y - listHeight);
        m_pList->SetSize(0, 0, client.x, listHeight);
    } else {
        m_pList->SetSize(0, 0, client.x, client.y);
    }
    UpdateScrollRange();
    LayoutNodes();
    RedrawAll();
}

void CPropertyTreeWnd::SetNotify(bool on, wxWindow* owner) {
    if (on)
        m_flags |= kStyleNotify;
    else
        m_flags &= ~kStyleNotify;
    m_owner = owner;
    LayoutPanes();
}

void CPropertyTreeWnd::SetColumn(int x) {
    const int width = m_pList ? m_pList->GetClientSize().x : GetClientSize().x;
    m_column = ClampSetColumn(x, width);
    LayoutRows();
    RedrawAll();
}

bool CPropertyTreeWnd::Notify(int code, CPropertyNode* node) {
    // The owner hears nothing more of a node it deleted but its deletion, and an action on
    // such a node counts as refused.
    const auto gone = [code, node] { return node && node->m_deleting && code != PROPN_DELETING; };
    if (gone())
        return true;
    if (!(m_flags & kStyleNotify))
        return false;
    wxWindow* owner = m_owner;
    if (!owner || owner->IsBeingDeleted())
        return false;
    CPropertyTreeEvent event(EVT_PROPTREE_NOTIFY, GetId());
    event.SetEventObject(this);
    event.SetRecord(SPropertyNotify{this, GetId(), code, node});
    CEventScope scope(this);
    ++m_notifyDepth;
    try {
        owner->GetEventHandler()->ProcessEvent(event);
    } catch (...) {
        // The owner's failure must not unwind through the toolkit's event loop; the
        // notification counts as answered without a veto.
        event.Allow();
    }
    --m_notifyDepth;
    return !event.IsAllowed() || gone();
}

CPropertyNode* CPropertyTreeWnd::InsertItem(CPropertyNode* node, CPropertyNode* parent) {
    wxCHECK_MSG(node && !node->m_pControl && node != &m_root, nullptr,
                "insert a new node that is in no tree");
    if (!parent)
        parent = &m_root;
    wxCHECK_MSG(parent->m_pControl == this, nullptr, "the parent is not in this tree");
    CEventScope scope(this);
    CPropertyNode** link = &parent->m_pChild;
    while (*link)
        link = &(*link)->m_pSibling;
    *link = node;
    node->m_pParent = parent;
    node->m_pSibling = nullptr;
    node->m_id = ++m_lastId;
    node->m_pControl = this;
    Notify(PROPN_INSERTED, node);
    UpdateScrollRange();
    RedrawAll();
    return node->m_deleting ? nullptr : node;
}

void CPropertyTreeWnd::DeleteItem(CPropertyNode* node) {
    if (node == &m_root)
        node = nullptr;
    wxCHECK_RET(!node || node->m_pControl == this, "the node is not in this tree");
    if (node && node->m_deleting)
        return; // queued already, by itself or with an ancestor
    CEventScope scope(this);
    // Marked now, so that nothing reports or activates the nodes before they go.
    auto mark = [](auto& self, CPropertyNode* n) -> void {
        n->m_deleting = true;
        for (CPropertyNode* child = n->m_pChild; child; child = child->m_pSibling)
            self(self, child);
    };
    // Deleted when the scope closes; deletions the owner asks for in the deleting notifications
    // join the queue behind.
    const auto queue = [this, &mark](CPropertyNode* n) {
        mark(mark, n);
        m_queue.Add(CDeferredQueue::EWhen::ScopeEnd, n, [this, n] { DeleteNode(n); });
    };
    if (node) {
        queue(node);
        return;
    }
    // Every node there is now: the owner may insert new ones before the deletion runs (a tree
    // emptied and filled again from inside a notification), and those stay.
    m_queue.Add(CDeferredQueue::EWhen::ScopeEnd, nullptr,
                [this] { Notify(PROPN_DELETING, nullptr); }); // every node follows
    for (CPropertyNode* child = m_root.m_pChild; child; child = child->m_pSibling)
        queue(child);
}

void CPropertyTreeWnd::DeleteNode(CPropertyNode* node) {
    node->m_deleting = true;
    Notify(PROPN_DELETING, node);
    while (node->m_pChild)
        DeleteNode(node->m_pChild);
    CPropertyNode** link = &node->m_pParent->m_pChild;
    while (*link && *link != node)
        link = &(*link)->m_pSibling;
    wxASSERT(*link == node);
    if (*link)
        *link = node->m_pSibling;
    node->m_pParent = nullptr;
    node->m_pSibling = nullptr;
    if (m_pFocus == node)
        m_pFocus = nullptr;
    // No row, pane or queue may keep a link to the node.
    LayoutRows();
    if (m_pList)
        m_pList->ForgetNode(node);
    m_queue.Remove(node);
    node->OnRemove();
    delete node;
}

void CPropertyTreeWnd::DeleteAllItems() {
    DeleteItem(nullptr);
    RedrawAll();
    m_lastId = 1;
}

int CPropertyTreeWnd::GetContentHeight() const {
    return SubtreeHeight(&m_root);
}

void CPropertyTreeWnd::LayoutRows() {
    const int width = m_pList ? m_pList->GetClientSize().x : 0;
    int y = -m_scrollOrigin;
    CPropertyNode** link = &m_pVisible;
    const int column = m_column;
    // Children of a category start at its left edge; deeper levels are indented.
    auto place = [&](auto& self, CPropertyNode* node, int left) -> void {
        const int height = node->m_height;
        node->m_location = wxPoint(left, y);
        node->m_rowRect = wxRect(left, y, std::max(0, width - left), height);
        const int valueLeft = column + kDividerSlop;
        node->m_valueRect =
            wxRect(valueLeft, y, std::max(0, width - 2 - valueLeft), std::max(0, height - 1));
        *link = node;
        link = &node->m_pNextVisible;
        y += height;
        if (!node->m_expanded)
            return;
        const int childLeft = node->IsCategory() ? left : left + kMargin;
        for (CPropertyNode* child = node->m_pChild; child; child = child->m_pSibling)
            self(self, child, childLeft);
    };
    for (CPropertyNode* category = m_root.m_pChild; category; category = category->m_pSibling)
        place(place, category, 0);
    *link = nullptr;
}

void CPropertyTreeWnd::UpdateScrollRange() {
    if (!m_pList)
        return;
    const int content = GetContentHeight();
    const int paneHeight = m_pList->GetClientSize().y;
    m_scrollOrigin = ClampScroll(m_scrollOrigin, content, paneHeight);
    // Content that fits gets no scroll bar at all: a page larger than the range makes the
    // toolkit draw an edge-overshoot glow.
    if (content > paneHeight + 1)
        m_pList->SetScrollbar(wxVERTICAL, m_scrollOrigin, paneHeight + 1, content);
    else
        m_pList->SetScrollbar(wxVERTICAL, 0, 0, 0);
    SetColumn(m_column);
}

void CPropertyTreeWnd::SetScrollOrigin(int origin) {
    if (!m_pList)
        return;
    origin = ClampScroll(origin, GetContentHeight(), m_pList->GetClientSize().y);
    if (origin == m_scrollOrigin)
        return;
    m_scrollOrigin = origin;
    m_pList->SetScrollPos(wxVERTICAL, origin);
    LayoutRows();
    LayoutNodes();
    m_pList->Refresh();
}

void CPropertyTreeWnd::LayoutNodes() {
    CEventScope scope(this);
    LayoutRows();
    std::vector<CPropertyNode*> nodes;
    CollectNodes(&m_root, nodes);
    for (CPropertyNode* node : nodes)
        node->OnLayout();
}

void CPropertyTreeWnd::RedrawAll() {
    if (m_pList)
        m_pList->Refresh();
    if (m_pInfo)
        m_pInfo->Refresh();
}

void CPropertyTreeWnd::DeselectAll() {
    CEventScope scope(this);
    std::vector<CPropertyNode*> nodes;
    CollectNodes(&m_root, nodes);
    for (CPropertyNode* node : nodes)
        node->Select(false);
}

bool CPropertyTreeWnd::ChangeFocus(CPropertyNode* node) {
    if (m_pFocus == node)
        return true;
    CEventScope scope(this);
    m_pFocus = node;
    RedrawAll();
    Notify(PROPN_SELCHANGED, node);
    return !node || !node->m_deleting;
}

bool CPropertyTreeWnd::ToggleExpansion(CPropertyNode* node) {
    if (!node || !node->m_pChild)
        return false;
    CEventScope scope(this);
    if (Notify(PROPN_EXPANDING, node))
        return false;
    node->Expand(!node->m_expanded);
    CheckFocusVisible();
    return true;
}

bool CPropertyTreeWnd::IsVisibleRow(const CPropertyNode* node) const {
    for (const CPropertyNode* row = m_pVisible; row; row = row->m_pNextVisible)
        if (row == node)
            return true;
    return false;
}

void CPropertyTreeWnd::CheckFocusVisible() {
    CEventScope scope(this);
    LayoutRows();
    if (!m_pFocus || IsVisibleRow(m_pFocus))
        return;
    CPropertyNode* lost = m_pFocus;
    m_pFocus = nullptr;
    lost->Select(false);
    RedrawAll();
    Notify(PROPN_SELCHANGED, nullptr);
}

void CPropertyTreeWnd::EnsureVisible(CPropertyNode* node) {
    if (!m_pList || !node)
        return;
    LayoutRows();
    int top = 0;
    const CPropertyNode* row = m_pVisible;
    for (; row && row != node; row = row->m_pNextVisible)
        top += row->m_height;
    if (!row)
        return;
    SetScrollOrigin(ScrollToShow(m_scrollOrigin, top, node->m_height, m_pList->GetClientSize().y,
                                 GetContentHeight()));
}

void CPropertyTreeWnd::SetFocusedItem(CPropertyNode* node) {
    wxCHECK_RET(!node || node->m_pControl == this, "the node is not in this tree");
    CEventScope scope(this);
    if (node) {
        // Open the collapsed ancestors, outermost first, so the row can be shown.
        std::vector<CPropertyNode*> ancestors;
        for (CPropertyNode* p = node->m_pParent; p && p != &m_root; p = p->m_pParent)
            ancestors.push_back(p);
        for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
            if (!(*it)->m_expanded)
                (*it)->Expand(true);
    }
    m_pFocus = node;
    UpdateScrollRange();
    EnsureVisible(node);
    LayoutNodes();
    RedrawAll();
}

void CPropertyTreeWnd::MoveFocus(CPropertyNode* target) {
    if (!target)
        return;
    CEventScope scope(this);
    EnsureVisible(target);
    DeselectAll();
    target->Select(true);
    ChangeFocus(target);
    RedrawAll();
}

void CPropertyTreeWnd::FocusFirst() {
    LayoutRows();
    MoveFocus(m_pVisible);
}

void CPropertyTreeWnd::FocusLast() {
    LayoutRows();
    CPropertyNode* last = m_pVisible;
    while (last && last->m_pNextVisible)
        last = last->m_pNextVisible;
    MoveFocus(last);
}

void CPropertyTreeWnd::FocusNext() {
    LayoutRows();
    if (!m_pFocus || !IsVisibleRow(m_pFocus))
        MoveFocus(m_pVisible);
    else
        MoveFocus(m_pFocus->m_pNextVisible);
}

void CPropertyTreeWnd::FocusPrev() {
    LayoutRows();
    if (!m_pFocus || !IsVisibleRow(m_pFocus)) {
        FocusLast();
        return;
    }
    CPropertyNode* previous = nullptr;
    for (CPropertyNode* row = m_pVisible; row && row != m_pFocus; row = row->m_pNextVisible)
        previous = row;
    MoveFocus(previous);
}

void CPropertyTreeWnd::DestroyLater(wxWindow* window) {
    if (!window)
        return;
    window->Hide();
    m_queue.AddWindow(window);
}

CPropertyTreeWnd::CEventScope::CEventScope(CPropertyTreeWnd* control) : m_control(control) {
    if (control)
        control->m_queue.Enter();
}

CPropertyTreeWnd::CEventScope::~CEventScope() {
    auto* control = static_cast<CPropertyTreeWnd*>(m_control.get());
    // The outermost scope ran the deletions: the rows left move up.
    if (control && control->m_queue.Leave()) {
        control->UpdateScrollRange();
        control->RedrawAll();
    }
}

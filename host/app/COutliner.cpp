#include "COutliner.h"

#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "EditOperations.h"
#include "OutlinerIcons.h"

#include <wx/dcbuffer.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

const char* const kKindNames[KIND_COUNT] = {"mesh", "light", "group", "missing"};
constexpr int kIndent = 14; // per level
constexpr int kButton = 12; // the open/close triangle
constexpr int kIcon = 16;
constexpr int kOpenDepth = 16; // deeper rows start closed (a file may nest thousands deep)

} // namespace

const char* COutliner::KindOf(const CEditorEntity& entity) {
    if (entity.IsLight())
        return kKindNames[KIND_LIGHT];
    if (!entity.GetMissingMesh().empty())
        return kKindNames[KIND_MISSING];
    return kKindNames[entity.GetMeshName().empty() ? KIND_GROUP : KIND_MESH];
}

COutliner::COutliner(wxWindow* parent, CEditorHost& host)
    : wxVScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                        wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      m_host(host), m_icons(OutlinerIcons()) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
    m_rowHeight = std::max(kIcon + 4, GetCharHeight() + 6);
    SetRowCount(0);
    Bind(wxEVT_PAINT, &COutliner::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &COutliner::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &COutliner::OnLeftDClick, this);
    Bind(wxEVT_KEY_DOWN, &COutliner::OnKeyDown, this);
}

wxCoord COutliner::OnGetRowHeight(size_t) const {
    return m_rowHeight;
}

void COutliner::Sync() {
    CEditorScene& scene = m_host.Scene();
    if (&scene != m_scene || scene.StructureRevision() != m_structure) {
        m_scene = &scene;
        Rebuild();
    }
    if (scene.SelectionRevision() != m_selection)
        ApplySelection();
    if (scene.AppearanceRevision() != m_appearance)
        ApplyHidden();
}

void COutliner::Rebuild() {
    if (m_editor)
        EndEdit(false);
    CEditorScene& scene = m_host.Scene();
    m_structure = scene.StructureRevision();
    const std::string current = m_current >= 0 && m_current < int(m_nodes.size())
                                    ? m_nodes[size_t(m_current)].name
                                    : std::string();
    m_nodes.clear();
    m_nodes.reserve(size_t(scene.GetEntityCount()));
    m_byName.clear();
    m_byName.reserve(size_t(scene.GetEntityCount()));
    m_shownSelection.clear();
    m_shownHidden.clear();

    // Depth first with a stack of our own; siblings by name, as the scene walk gives the roots
    // and as files are saved. A node's `end` is set once its subtree is done.
    std::vector<std::pair<const CEditorEntity*, int>> stack; // entity, parent node
    std::vector<const CEditorEntity*> roots;
    for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity())
        if (!s->getParent())
            roots.push_back(static_cast<const CEditorEntity*>(s));
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        stack.emplace_back(*it, -1);
    std::vector<int> open; // nodes whose subtree is being filled
    while (!stack.empty()) {
        auto [entity, parent] = stack.back();
        stack.pop_back();
        while (!open.empty() && open.back() != parent) {
            m_nodes[size_t(open.back())].end = int(m_nodes.size());
            open.pop_back();
        }
        Node node;
        node.name = entity->GetName();
        node.parent = parent;
        node.depth = parent < 0 ? 0 : m_nodes[size_t(parent)].depth + 1;
        const char* kind = KindOf(*entity);
        node.kind = int(std::find(std::begin(kKindNames), std::end(kKindNames), kind) -
                        std::begin(kKindNames));
        node.open =
            node.depth < kOpenDepth ? !m_closed.count(node.name) : m_opened.count(node.name) != 0;
        const int index = int(m_nodes.size());
        m_byName.emplace(node.name, index);
        m_nodes.push_back(std::move(node));
        open.push_back(index);
        std::vector<CEditorEntity*> children = entity->GetChildren();
        std::sort(children.begin(), children.end(),
                  [](const CEditorEntity* a, const CEditorEntity* b) {
                      return a->GetName() < b->GetName();
                  });
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.emplace_back(*it, index);
    }
    for (int index : open)
        m_nodes[size_t(index)].end = int(m_nodes.size());
    auto found = m_byName.find(current);
    m_current = found == m_byName.end() ? -1 : found->second;
    LayOutRows();
    m_selection = ~0ull;
    m_appearance = ~0ull;
}

void COutliner::LayOutRows() {
    m_rows.clear();
    m_rowOf.assign(m_nodes.size(), -1);
    for (size_t i = 0; i < m_nodes.size();) {
        m_rowOf[i] = int(m_rows.size());
        m_rows.push_back(int(i));
        i = m_nodes[i].open ? i + 1 : size_t(m_nodes[i].end);
    }
    SetRowCount(m_rows.size());
    Refresh();
}

void COutliner::RefreshNode(int node) {
    const int row = node >= 0 && node < int(m_rowOf.size()) ? m_rowOf[size_t(node)] : -1;
    if (row >= 0)
        RefreshRow(size_t(row));
}

void COutliner::ApplySelection() {
    CEditorScene& scene = m_host.Scene();
    m_selection = scene.SelectionRevision();
    const std::set<std::string>& now = scene.getSelectedEntities();
    std::vector<std::string> changed;
    std::set_symmetric_difference(now.begin(), now.end(), m_shownSelection.begin(),
                                  m_shownSelection.end(), std::back_inserter(changed));
    for (const std::string& name : changed) {
        auto it = m_byName.find(name);
        if (it == m_byName.end())
            continue;
        m_nodes[size_t(it->second)].selected = now.count(name) != 0;
        RefreshNode(it->second);
    }
    m_shownSelection = now;
}

void COutliner::ApplyHidden() {
    CEditorScene& scene = m_host.Scene();
    m_appearance = scene.AppearanceRevision();
    std::set<std::string> now;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        if (!e->IsVisible())
            now.insert(now.end(), e->GetName());
    std::vector<std::string> changed;
    std::set_symmetric_difference(now.begin(), now.end(), m_shownHidden.begin(),
                                  m_shownHidden.end(), std::back_inserter(changed));
    for (const std::string& name : changed) {
        auto it = m_byName.find(name);
        if (it == m_byName.end())
            continue;
        m_nodes[size_t(it->second)].hidden = now.count(name) != 0;
        RefreshNode(it->second);
    }
    m_shownHidden = std::move(now);
}

std::vector<COutliner::Row> COutliner::Rows() const {
    std::vector<Row> rows;
    rows.reserve(m_nodes.size());
    for (const Node& node : m_nodes) {
        Row row;
        row.depth = node.depth;
        row.name = node.name;
        row.kind = node.kind >= 0 && node.kind < KIND_COUNT ? kKindNames[node.kind] : "?";
        row.selected = node.selected;
        row.hidden = node.hidden;
        rows.push_back(std::move(row));
    }
    return rows;
}

int COutliner::TextLeft(const Node& node) const {
    return 4 + node.depth * kIndent + kButton + kIcon + 4;
}

void COutliner::SetOpen(int index, bool open) {
    Node& node = m_nodes[size_t(index)];
    if (node.open == open || node.end == index + 1)
        return;
    node.open = open;
    (open ? m_closed : m_opened).erase(node.name);
    if (node.depth < kOpenDepth ? !open : open)
        (open ? m_opened : m_closed).insert(node.name);
    LayOutRows();
}

bool COutliner::ShowRow(const std::string& name, wxRect& screenRect) {
    Sync();
    auto it = m_byName.find(name);
    if (it == m_byName.end())
        return false;
    bool changed = false;
    for (int up = m_nodes[size_t(it->second)].parent; up >= 0; up = m_nodes[size_t(up)].parent)
        if (!m_nodes[size_t(up)].open) {
            m_nodes[size_t(up)].open = true;
            m_closed.erase(m_nodes[size_t(up)].name);
            changed = true;
        }
    if (changed)
        LayOutRows();
    const int row = m_rowOf[size_t(it->second)];
    EnsureShown(row);
    const Node& node = m_nodes[size_t(it->second)];
    const int y = (row - int(GetVisibleRowsBegin())) * m_rowHeight;
    const int x = TextLeft(node);
    const int width = std::max(8, GetTextExtent(wxString::FromUTF8(node.name)).x);
    screenRect = wxRect(ClientToScreen(wxPoint(x, y)), wxSize(width, m_rowHeight));
    return true;
}

void COutliner::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    dc.SetFont(GetFont());
    const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOXTEXT);
    const wxColour highlight = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
    const wxColour highlightText = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT);
    const wxColour greyed(150, 150, 150);
    const int width = GetClientSize().x;
    const size_t first = GetVisibleRowsBegin();
    const size_t last = std::min(GetVisibleRowsEnd(), m_rows.size());
    for (size_t row = first; row < last; ++row) {
        const Node& node = m_nodes[size_t(m_rows[row])];
        const int y = int(row - first) * m_rowHeight;
        const int left = 4 + node.depth * kIndent;
        const wxString label = wxString::FromUTF8(node.name);
        const int textLeft = TextLeft(node);
        if (node.selected) {
            const int textWidth = dc.GetTextExtent(label).x;
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(highlight));
            dc.DrawRectangle(textLeft - 2, y + 1, std::min(textWidth + 4, width), m_rowHeight - 2);
        }
        if (node.end > m_rows[row] + 1) {
            // The open/close triangle.
            const int cx = left + kButton / 2 - 1, cy = y + m_rowHeight / 2;
            dc.SetPen(wxPen(greyed));
            dc.SetBrush(wxBrush(wxColour(90, 90, 90)));
            const wxPoint open[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 3}};
            const wxPoint closed[3] = {{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 3, cy}};
            dc.DrawPolygon(3, node.open ? open : closed);
        }
        if (node.kind >= 0 && node.kind < int(m_icons.size()))
            dc.DrawBitmap(m_icons[size_t(node.kind)], left + kButton, y + (m_rowHeight - kIcon) / 2,
                          true);
        dc.SetTextForeground(node.selected ? highlightText : node.hidden ? greyed : text);
        dc.DrawText(label, textLeft, y + (m_rowHeight - dc.GetCharHeight()) / 2);
    }
}

void COutliner::EnsureShown(int row) {
    // Whole rows only: a row cut by the bottom edge counts as out of sight.
    const int whole = std::max(1, GetClientSize().y / m_rowHeight);
    const int first = int(GetVisibleRowsBegin());
    if (row < first)
        ScrollToRow(size_t(row));
    else if (row >= first + whole)
        ScrollToRow(size_t(row - whole + 1));
}

int COutliner::RowAt(const wxPoint& point) const {
    if (point.y < 0)
        return -1;
    const size_t row = GetVisibleRowsBegin() + size_t(point.y / m_rowHeight);
    return row < m_rows.size() ? int(row) : -1;
}

int COutliner::NodeAtRow(int row) const {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : -1;
}

void COutliner::OnLeftDown(wxMouseEvent& event) {
    SetFocus();
    if (m_editor)
        EndEdit(false);
    const int index = NodeAtRow(RowAt(event.GetPosition()));
    if (index < 0)
        return;
    const Node& node = m_nodes[size_t(index)];
    const int left = 4 + node.depth * kIndent;
    if (event.GetX() >= left && event.GetX() < left + kButton) {
        SetOpen(index, !node.open);
        return;
    }
    if (event.GetX() < left + kButton)
        return;
    m_current = index;
    // Rows show the scene's selection: the click goes to the host.
    EditOps::Select(m_host, node.name, EditOps::ClickMode(event.ControlDown(), event.ShiftDown()));
}

void COutliner::OnLeftDClick(wxMouseEvent& event) {
    const int index = NodeAtRow(RowAt(event.GetPosition()));
    if (index < 0 || event.GetX() < 4 + m_nodes[size_t(index)].depth * kIndent + kButton)
        return;
    const std::string name = m_nodes[size_t(index)].name;
    if (m_host.Scene().getSelectedEntities() != std::set<std::string>{name})
        EditOps::Select(m_host, name, "exclude");
    m_host.FrameSelection(m_host.ActiveView());
}

void COutliner::OnKeyDown(wxKeyEvent& event) {
    if (EditOps::HandleKey(m_host, event))
        return;
    const int code = event.GetKeyCode();
    if (event.HasAnyModifiers()) {
        event.Skip();
        return;
    }
    if (code == WXK_F2) {
        const std::set<std::string>& selected = m_host.Scene().getSelectedEntities();
        auto it = selected.size() == 1 ? m_byName.find(*selected.begin()) : m_byName.end();
        if (it != m_byName.end())
            BeginEdit(it->second);
        else
            Status("重命名需要恰好选中一个物体");
        return;
    }
    const int row = m_current >= 0 ? m_rowOf[size_t(m_current)] : -1;
    int next = -1;
    if (code == WXK_UP)
        next = row > 0 ? row - 1 : 0;
    else if (code == WXK_DOWN)
        next = row + 1 < int(m_rows.size()) ? row + 1 : row;
    else if ((code == WXK_LEFT || code == WXK_RIGHT) && m_current >= 0) {
        SetOpen(m_current, code == WXK_RIGHT);
        return;
    } else {
        event.Skip();
        return;
    }
    const int index = NodeAtRow(next);
    if (index < 0)
        return;
    m_current = index;
    EnsureShown(next);
    EditOps::Select(m_host, m_nodes[size_t(index)].name, "exclude");
}

void COutliner::BeginEdit(int index) {
    wxRect rect;
    const std::string name = m_nodes[size_t(index)].name;
    if (!ShowRow(name, rect))
        return;
    m_editing = name;
    const wxPoint at = ScreenToClient(rect.GetPosition());
    m_editor =
        new wxTextCtrl(this, wxID_ANY, wxString::FromUTF8(name), wxPoint(at.x - 4, at.y - 2),
                       wxSize(GetClientSize().x - at.x + 2, m_rowHeight + 4), wxTE_PROCESS_ENTER);
    m_editor->SelectAll();
    m_editor->SetFocus();
    m_editor->Bind(wxEVT_TEXT_ENTER,
                   [this](wxCommandEvent&) { CallAfter([this] { EndEdit(true); }); });
    m_editor->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& key) {
        if (key.GetKeyCode() == WXK_ESCAPE)
            CallAfter([this] { EndEdit(false); });
        else
            key.Skip();
    });
}

void COutliner::EndEdit(bool accept) {
    if (!m_editor)
        return;
    const std::string text = m_editor->GetValue().utf8_string();
    const std::string old = m_editing;
    m_editor->Destroy();
    m_editor = nullptr;
    m_editing.clear();
    SetFocus();
    if (accept)
        Rename(old, text);
}

bool COutliner::Rename(const std::string& oldName, const std::string& newName) {
    const std::string refusal = EditOps::Rename(m_host, oldName, newName);
    if (!refusal.empty()) {
        Status(refusal);
        return false;
    }
    if (oldName != newName)
        Status("已重命名 " + oldName + " 为 " + newName);
    return true;
}

void COutliner::Status(const std::string& text) {
    if (auto* frame = wxDynamicCast(wxGetTopLevelParent(this), wxFrame))
        frame->SetStatusText(wxString::FromUTF8(text));
}

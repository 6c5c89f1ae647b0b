#include "COutliner.h"

#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "EditOperations.h"

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/settings.h>
#include <wx/sizer.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

enum Icon { ICON_MESH, ICON_LIGHT, ICON_GROUP, ICON_MISSING, ICON_COUNT };
const char* const kKindNames[ICON_COUNT] = {"mesh", "light", "group", "missing"};

// A 16x16 picture drawn pixel by pixel, transparent where nothing is drawn.
class CIconPainter {
public:
    CIconPainter() : m_image(16, 16) {
        m_image.InitAlpha();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                m_image.SetAlpha(x, y, 0);
    }
    void Dot(int x, int y, const wxColour& c) {
        if (x < 0 || y < 0 || x > 15 || y > 15)
            return;
        m_image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
        m_image.SetAlpha(x, y, 255);
    }
    void Fill(int x0, int y0, int x1, int y1, const wxColour& c) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Dot(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, const wxColour& c) {
        Fill(x0, y0, x1, y0, c);
        Fill(x0, y1, x1, y1, c);
        Fill(x0, y0, x0, y1, c);
        Fill(x1, y0, x1, y1, c);
    }
    void Line(int x0, int y0, int x1, int y1, const wxColour& c) {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; ++i) {
            const double t = steps ? double(i) / steps : 0.0;
            Dot(int(std::lround(x0 + (x1 - x0) * t)), int(std::lround(y0 + (y1 - y0) * t)), c);
        }
    }
    void Disc(double cx, double cy, double r, const wxColour& fill, const wxColour& edge) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d <= r)
                    Dot(x, y, d > r - 1.0 ? edge : fill);
            }
    }
    wxBitmap Bitmap() const { return wxBitmap(m_image); }

private:
    wxImage m_image;
};

wxBitmap MeshIcon() {
    // A box seen from above a corner: a light top, a blue front and a darker side.
    CIconPainter p;
    const wxColour edge(20, 50, 110), top(150, 190, 245), front(70, 120, 210), side(45, 85, 165);
    p.Fill(2, 5, 10, 13, front);
    p.Fill(11, 5, 13, 11, side);
    for (int i = 0; i < 3; ++i)
        p.Fill(5 - i, 2 + i, 13 - i, 2 + i, top);
    p.Line(5, 2, 13, 2, edge);
    p.Line(2, 5, 5, 2, edge);
    p.Line(13, 2, 13, 11, edge);
    p.Line(10, 5, 13, 2, edge);
    p.Line(10, 13, 13, 10, edge);
    p.Frame(2, 5, 10, 13, edge);
    return p.Bitmap();
}

wxBitmap LightIcon() {
    // A yellow bulb with short rays.
    CIconPainter p;
    const wxColour ray(200, 140, 0), bulb(255, 215, 40), edge(170, 110, 0);
    p.Line(7, 0, 7, 2, ray);
    p.Line(7, 13, 7, 15, ray);
    p.Line(0, 7, 2, 7, ray);
    p.Line(13, 7, 15, 7, ray);
    p.Line(2, 2, 3, 3, ray);
    p.Line(12, 12, 13, 13, ray);
    p.Line(2, 12, 3, 11, ray);
    p.Line(12, 3, 13, 2, ray);
    p.Disc(7.5, 7.5, 4.6, bulb, edge);
    return p.Bitmap();
}

wxBitmap GroupIcon() {
    // A folder: an entity that only holds others.
    CIconPainter p;
    const wxColour edge(130, 95, 30), tab(225, 185, 95), body(240, 205, 120);
    p.Fill(1, 3, 6, 5, tab);
    p.Frame(1, 3, 6, 5, edge);
    p.Fill(1, 5, 14, 13, body);
    p.Frame(1, 5, 14, 13, edge);
    return p.Bitmap();
}

wxBitmap MissingIcon() {
    // A grey box crossed out in red: the mesh could not be loaded.
    CIconPainter p;
    const wxColour box(190, 190, 190), edge(110, 110, 110), cross(215, 30, 30);
    p.Fill(2, 2, 13, 13, box);
    p.Frame(2, 2, 13, 13, edge);
    for (int d = 0; d < 2; ++d) {
        p.Line(3 + d, 3, 12, 12 - d, cross);
        p.Line(3 + d, 12, 12, 3 + d, cross);
    }
    return p.Bitmap();
}

} // namespace

const char* COutliner::KindOf(const CEditorEntity& entity) {
    if (entity.IsLight())
        return kKindNames[ICON_LIGHT];
    if (!entity.GetMissingMesh().empty())
        return kKindNames[ICON_MISSING];
    return kKindNames[entity.GetMeshName().empty() ? ICON_GROUP : ICON_MESH];
}

COutliner::COutliner(wxWindow* parent, CEditorHost& host) : wxPanel(parent, wxID_ANY), m_host(host) {
    m_tree = new wxTreeCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxTR_HIDE_ROOT | wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE);
    auto* images = new wxImageList(16, 16, true, ICON_COUNT);
    images->Add(MeshIcon());
    images->Add(LightIcon());
    images->Add(GroupIcon());
    images->Add(MissingIcon());
    m_tree->AssignImageList(images);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_tree, 1, wxEXPAND);
    SetSizer(sizer);
    m_root = m_tree->AddRoot("scene");

    m_tree->Bind(wxEVT_LEFT_DOWN, &COutliner::OnLeftDown, this);
    m_tree->Bind(wxEVT_LEFT_DCLICK, &COutliner::OnLeftDClick, this);
    m_tree->Bind(wxEVT_KEY_DOWN, &COutliner::OnKeyDown, this);
    m_tree->Bind(wxEVT_TREE_SEL_CHANGED, &COutliner::OnSelChanged, this);
    m_tree->Bind(wxEVT_TREE_BEGIN_LABEL_EDIT, &COutliner::OnBeginEdit, this);
    m_tree->Bind(wxEVT_TREE_END_LABEL_EDIT, &COutliner::OnEndEdit, this);
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
    CEditorScene& scene = m_host.Scene();
    m_structure = scene.StructureRevision();
    m_syncing = true;
    // Rows keep whether they were open; a new row opens at the top level only.
    std::set<std::string> collapsed, expanded;
    for (const auto& entry : m_items)
        if (m_tree->ItemHasChildren(entry.second))
            (m_tree->IsExpanded(entry.second) ? expanded : collapsed).insert(entry.first);
    m_tree->Freeze();
    m_tree->DeleteChildren(m_root);
    m_items.clear();
    m_items.reserve(size_t(scene.GetEntityCount()));
    m_shownSelection.clear();
    m_shownHidden.clear();

    // Depth first with a stack of our own (a file may nest entities thousands deep); siblings
    // by name, as the scene walk gives the roots and as files are saved.
    std::vector<std::pair<CEditorEntity*, wxTreeItemId>> stack;
    std::vector<CEditorEntity*> roots;
    for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity())
        if (!s->getParent())
            roots.push_back(static_cast<CEditorEntity*>(s));
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        stack.emplace_back(*it, m_root);
    std::vector<wxTreeItemId> toExpand;
    while (!stack.empty()) {
        auto [entity, parentItem] = stack.back();
        stack.pop_back();
        const char* kind = KindOf(*entity);
        const int image = int(std::find_if(std::begin(kKindNames), std::end(kKindNames),
                                           [kind](const char* k) { return k == kind; }) -
                              std::begin(kKindNames));
        const wxTreeItemId item =
            m_tree->AppendItem(parentItem, wxString::FromUTF8(entity->GetName()), image);
        m_items.emplace(entity->GetName(), item);
        std::vector<CEditorEntity*> children = entity->GetChildren();
        if (children.empty())
            continue;
        if (expanded.count(entity->GetName()) ||
            (parentItem == m_root && !collapsed.count(entity->GetName())))
            toExpand.push_back(item);
        std::sort(children.begin(), children.end(),
                  [](const CEditorEntity* a, const CEditorEntity* b) {
                      return a->GetName() < b->GetName();
                  });
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.emplace_back(*it, item);
    }
    for (const wxTreeItemId& item : toExpand)
        m_tree->Expand(item);
    m_tree->Thaw();
    m_syncing = false;
    m_selection = ~0ull;
    m_appearance = ~0ull;
}

namespace {
// What a row looks like: selected rows highlighted, hidden ones greyed.
void Paint(wxTreeCtrl* tree, const wxTreeItemId& item, bool selected, bool hidden) {
    tree->SetItemBackgroundColour(
        item, selected ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT) : wxNullColour);
    tree->SetItemTextColour(item, selected ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)
                                  : hidden ? wxColour(150, 150, 150)
                                           : wxNullColour);
}
} // namespace

void COutliner::ApplySelection() {
    CEditorScene& scene = m_host.Scene();
    m_selection = scene.SelectionRevision();
    const std::set<std::string>& now = scene.getSelectedEntities();
    std::vector<std::string> changed;
    std::set_symmetric_difference(now.begin(), now.end(), m_shownSelection.begin(),
                                  m_shownSelection.end(), std::back_inserter(changed));
    for (const std::string& name : changed) {
        auto it = m_items.find(name);
        if (it != m_items.end())
            Paint(m_tree, it->second, now.count(name) != 0, m_shownHidden.count(name) != 0);
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
        auto it = m_items.find(name);
        if (it != m_items.end())
            Paint(m_tree, it->second, m_shownSelection.count(name) != 0, now.count(name) != 0);
    }
    m_shownHidden = std::move(now);
}

std::vector<COutliner::Row> COutliner::Rows() const {
    std::vector<Row> rows;
    std::vector<std::pair<wxTreeItemId, int>> stack; // item, depth; children pushed reversed
    auto pushChildren = [&](const wxTreeItemId& parent, int depth) {
        std::vector<wxTreeItemId> children;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = m_tree->GetFirstChild(parent, cookie); c.IsOk();
             c = m_tree->GetNextChild(parent, cookie))
            children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.emplace_back(*it, depth);
    };
    pushChildren(m_root, 0);
    while (!stack.empty()) {
        auto [item, depth] = stack.back();
        stack.pop_back();
        Row row;
        row.depth = depth;
        row.name = m_tree->GetItemText(item).utf8_string();
        const int image = m_tree->GetItemImage(item);
        row.kind = image >= 0 && image < ICON_COUNT ? kKindNames[image] : "?";
        row.selected = m_shownSelection.count(row.name) != 0;
        row.hidden = m_shownHidden.count(row.name) != 0;
        rows.push_back(row);
        pushChildren(item, depth + 1);
    }
    return rows;
}

bool COutliner::ShowRow(const std::string& name, wxRect& screenRect) {
    auto it = m_items.find(name);
    if (it == m_items.end())
        return false;
    for (wxTreeItemId up = m_tree->GetItemParent(it->second); up.IsOk() && up != m_root;
         up = m_tree->GetItemParent(up))
        m_tree->Expand(up);
    m_tree->EnsureVisible(it->second);
    wxRect rect;
    if (!m_tree->GetBoundingRect(it->second, rect, true))
        return false;
    screenRect = wxRect(m_tree->ClientToScreen(rect.GetPosition()), rect.GetSize());
    return true;
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

std::string COutliner::NameAt(const wxPoint& point, int* flagsOut) const {
    int flags = 0;
    const wxTreeItemId item = m_tree->HitTest(point, flags);
    if (flagsOut)
        *flagsOut = flags;
    if (!item.IsOk() || item == m_root ||
        !(flags & (wxTREE_HITTEST_ONITEMICON | wxTREE_HITTEST_ONITEMLABEL)))
        return std::string();
    return m_tree->GetItemText(item).utf8_string();
}

void COutliner::OnLeftDown(wxMouseEvent& event) {
    int flags = 0;
    const std::string name = NameAt(event.GetPosition(), &flags);
    if (name.empty()) {
        event.Skip(); // the expand buttons and the empty area are the tree's own
        return;
    }
    m_tree->SetFocus();
    // Rows show the scene's selection, never the tree's own: the click goes to the host.
    EditOps::Select(m_host, name, EditOps::ClickMode(event.ControlDown(), event.ShiftDown()));
}

void COutliner::OnLeftDClick(wxMouseEvent& event) {
    const std::string name = NameAt(event.GetPosition());
    if (name.empty()) {
        event.Skip();
        return;
    }
    if (m_host.Scene().getSelectedEntities() != std::set<std::string>{name})
        EditOps::Select(m_host, name, "exclude");
    m_host.FrameSelection(m_host.ActiveView());
}

void COutliner::OnKeyDown(wxKeyEvent& event) {
    if (EditOps::HandleKey(m_host, event))
        return;
    if (event.GetKeyCode() == WXK_F2 && !event.HasAnyModifiers()) {
        const std::set<std::string>& selected = m_host.Scene().getSelectedEntities();
        auto it = selected.size() == 1 ? m_items.find(*selected.begin()) : m_items.end();
        if (it != m_items.end()) {
            m_tree->EnsureVisible(it->second);
            m_tree->EditLabel(it->second);
        } else {
            Status("重命名需要恰好选中一个物体");
        }
        return;
    }
    event.Skip();
}

void COutliner::OnSelChanged(wxTreeEvent& event) {
    // The tree's own selection moves only with the arrow keys: that selects the entity, and
    // the row then shows the scene's selection like every other.
    if (m_syncing)
        return;
    const wxTreeItemId item = event.GetItem();
    if (!item.IsOk() || item == m_root)
        return;
    const std::string name = m_tree->GetItemText(item).utf8_string();
    m_syncing = true;
    m_tree->UnselectAll();
    m_syncing = false;
    EditOps::Select(m_host, name, "exclude");
}

void COutliner::OnBeginEdit(wxTreeEvent& event) {
    if (!event.GetItem().IsOk() || event.GetItem() == m_root)
        event.Veto();
}

void COutliner::OnEndEdit(wxTreeEvent& event) {
    // The label never changes by itself: a rename accepted by the host comes back through Sync.
    event.Veto();
    if (event.IsEditCancelled())
        return;
    Rename(m_tree->GetItemText(event.GetItem()).utf8_string(), event.GetLabel().utf8_string());
}

void COutliner::Status(const std::string& text) {
    if (auto* frame = wxDynamicCast(wxGetTopLevelParent(this), wxFrame))
        frame->SetStatusText(wxString::FromUTF8(text));
}

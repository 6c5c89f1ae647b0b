// The outliner: the scene's entities as a tree by parent, in the side area above the plug-in's
// panel, each row with a small picture of its kind (mesh, light, group = no mesh, missing mesh);
// selected rows highlighted, hidden entities greyed.
//
// It never changes the scene itself: a click selects through the host's undoable
// "SelectEntity" (Ctrl adds, Shift removes, as in the views), a double click also frames the
// selection in the active view, F2 opens a field over the row's name and Enter renames through
// EditOps::Rename (a refusal goes to the status line), the arrow keys step through the rows
// (selecting) and open or close them, and the edit keys (Delete, Ctrl+A, H, Alt+H) work as in
// the views.
//
// A virtual list: the rows are a table of the entities in tree order, and only the rows in
// sight are measured and drawn, so a scene of tens of thousands of entities costs a walk of it
// when entities are added, removed or renamed, and nothing per row otherwise. Sync, called once
// a frame, follows the scene: the table is rebuilt only after such a change; a change of the
// selection or of the hidden state touches only the rows whose state differs (found by name).
#pragma once

#include <wx/bitmap.h>
#include <wx/vscroll.h>

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class CEditorHost;
class CEditorEntity;
class wxTextCtrl;

class COutliner : public wxVScrolledWindow {
public:
    COutliner(wxWindow* parent, CEditorHost& host);

    void Sync();

    struct Row {
        int depth = 0;
        std::string name;
        const char* kind = "";
        bool selected = false;
        bool hidden = false;
    };
    // Every entity in tree order (parents before children, siblings by name), as shown.
    std::vector<Row> Rows() const;
    // Makes the entity's row visible (its parents opened, scrolled to) and gives its name's
    // rectangle on the screen. False when there is no such row.
    bool ShowRow(const std::string& name, wxRect& screenRect);
    // The renaming as the F2 field ends it; false (message in the status line) when refused.
    bool Rename(const std::string& oldName, const std::string& newName);
    wxWindow* Tree() { return this; }
    // A name being typed (F2).
    bool Renaming() const { return m_editor != nullptr; }

    // The kind of an entity as the outliner shows it: "mesh", "light", "group" or "missing".
    static const char* KindOf(const CEditorEntity& entity);

private:
    struct Node {
        std::string name;
        int depth = 0;
        int kind = 0;
        int parent = -1;   // index of the parent's node
        int end = 0;       // one past the last node of the subtree
        bool open = false; // children shown
        bool selected = false;
        bool hidden = false;
    };

    wxCoord OnGetRowHeight(size_t row) const override;
    void Rebuild();
    // The rows in sight from the nodes and whether they are open.
    void LayOutRows();
    void ApplySelection();
    void ApplyHidden();
    void RefreshNode(int node);
    int NodeAtRow(int row) const;
    int RowAt(const wxPoint& point) const;
    // Scrolls so that the whole row is in sight.
    void EnsureShown(int row);
    int TextLeft(const Node& node) const;
    void SetOpen(int node, bool open);
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void BeginEdit(int node);
    void EndEdit(bool accept);
    void Status(const std::string& text);

    CEditorHost& m_host;
    std::vector<wxBitmap> m_icons;
    int m_rowHeight = 20;
    std::vector<Node> m_nodes;                     // tree order
    std::vector<int> m_rows;                       // row -> node
    std::vector<int> m_rowOf;                      // node -> row, -1 when inside a closed parent
    std::unordered_map<std::string, int> m_byName; // name -> node
    // Rows open by default down to kOpenDepth; the user's choices by name.
    std::set<std::string> m_closed;
    std::set<std::string> m_opened;
    std::set<std::string> m_shownSelection;
    std::set<std::string> m_shownHidden;
    int m_current = -1; // the node the arrow keys step from
    std::uint64_t m_structure = ~0ull;
    std::uint64_t m_selection = ~0ull;
    std::uint64_t m_appearance = ~0ull;
    const void* m_scene = nullptr;
    wxTextCtrl* m_editor = nullptr;
    std::string m_editing;
};

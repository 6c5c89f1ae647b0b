// The outliner: the scene's entities as a tree by parent, in the side area above the plug-in's
// panel, each row with a small picture of its kind (mesh, light, group = no mesh, missing mesh)
// and hidden entities greyed.
//
// It never changes the scene itself: a click selects through the host's undoable
// "SelectEntity" (Ctrl adds, Shift removes, as in the views), a double click also frames the
// selection in the active view, F2 renames through EditOps::Rename (a refusal goes to the
// status line), and the edit keys (Delete, Ctrl+A, H, Alt+H) work as in the views.
//
// Sync, called once a frame, follows the scene: the tree is rebuilt only when entities were
// added, removed or renamed; a change of the selection or of the hidden state touches only
// the rows whose state differs (rows are found by name).
#pragma once

#include <wx/panel.h>
#include <wx/treectrl.h>

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class CEditorHost;
class CEditorEntity;

class COutliner : public wxPanel {
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
    // Makes the entity's row visible (its parents expanded, scrolled to) and gives its label's
    // rectangle on the screen. False when there is no such row.
    bool ShowRow(const std::string& name, wxRect& screenRect);
    // The renaming as F2 and the label editor end it; false (message in the status line)
    // when refused.
    bool Rename(const std::string& oldName, const std::string& newName);
    wxTreeCtrl* Tree() const { return m_tree; }

    // The kind of an entity as the outliner shows it: "mesh", "light", "group" or "missing".
    static const char* KindOf(const CEditorEntity& entity);

private:
    void Rebuild();
    void ApplySelection();
    void ApplyHidden();
    std::string NameAt(const wxPoint& point, int* flags = nullptr) const;
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnSelChanged(wxTreeEvent& event);
    void OnBeginEdit(wxTreeEvent& event);
    void OnEndEdit(wxTreeEvent& event);
    void Status(const std::string& text);

    CEditorHost& m_host;
    wxTreeCtrl* m_tree = nullptr;
    wxTreeItemId m_root;
    std::unordered_map<std::string, wxTreeItemId> m_items;
    std::set<std::string> m_shownSelection;
    std::set<std::string> m_shownHidden;
    std::uint64_t m_structure = ~0ull;
    std::uint64_t m_selection = ~0ull;
    std::uint64_t m_appearance = ~0ull;
    const void* m_scene = nullptr;
    bool m_syncing = false;
};

// One row of the property tree. The base class draws nothing in the value column; the editing
// rows (CEditPropertyNode, CColorPropertyNode) paint their value and open an editor window over
// it. The control owns every inserted node and deletes it with DeleteItem.
#pragma once

#include <wx/colour.h>
#include <wx/gdicmn.h>

#include <string>

class wxDC;
class CPropertyTreeWnd;

class CPropertyNode {
public:
    CPropertyNode();
    CPropertyNode(const CPropertyNode&) = delete;
    CPropertyNode& operator=(const CPropertyNode&) = delete;

    // Paints the value into the value rectangle (the DC is clipped to it).
    virtual void DrawValue(wxDC& dc, const wxRect& rect);
    // The user opens the node's editor.
    virtual void OnActivate();
    // The divider moved or the layout changed: the node moves its editor window.
    virtual void OnLayout();
    // After a commit, for the committed node and its descendants.
    virtual void OnMoved();
    // The value was committed.
    virtual void OnCommit();
    // Just before the node is deleted: the node destroys its editor window.
    virtual void OnRemove();
    virtual void OnDeselect();
    virtual void OnSelect();
    // For every node of a subtree whose expansion changed.
    virtual void OnExpand(bool expanded);
    virtual ~CPropertyNode();

    void SetLabel(const std::string& text);
    const std::string& GetLabel() const { return m_label; }
    void SetInfoText(const std::string& text);
    const std::string& GetInfoText() const { return m_info; }

    // Stores the flag and calls OnExpand on every node of the subtree; repaints the control.
    void Expand(bool expanded);
    bool IsExpanded() const { return m_expanded != 0; }
    void Select(bool selected);
    bool IsSelected() const { return m_selected != 0; }
    // Opens the editor: active, not committed, then OnActivate.
    void Activate();
    bool IsActive() const { return m_active != 0; }
    // Ends the edit; reports the commit once per activation.
    void CommitChanges();
    bool IsCommitted() const { return m_committed != 0; }

    // A category is a top-level node (its parent is the control's root).
    bool IsCategory() const;
    void SetHeight(int pixels) { m_height = pixels; }
    int GetHeight() const { return m_height; }
    int GetId() const { return m_id; }

    CPropertyNode* GetParent() const { return m_pParent; }
    CPropertyNode* GetChild() const { return m_pChild; }
    CPropertyNode* GetSibling() const { return m_pSibling; }
    CPropertyNode* GetNextVisible() const { return m_pNextVisible; }
    CPropertyTreeWnd* GetControl() const { return m_pControl; }

    // Geometry of the last paint, in list-pane coordinates.
    const wxRect& GetRowRect() const { return m_rowRect; }
    const wxRect& GetValueRect() const { return m_valueRect; }
    const wxRect& GetLabelExtent() const { return m_labelExtent; }

    void SetValueBackColor(const wxColour& c) { m_valueBack = c; }
    const wxColour& GetValueBackColor() const { return m_valueBack; }
    void SetValueTextColor(const wxColour& c) { m_valueText = c; }
    const wxColour& GetValueTextColor() const { return m_valueText; }
    void SetCategoryBackColor(const wxColour& c) { m_categoryBack = c; }
    const wxColour& GetCategoryBackColor() const { return m_categoryBack; }
    void SetLabelTextColor(const wxColour& c) { m_labelText = c; }
    const wxColour& GetLabelTextColor() const { return m_labelText; }
    void SetLabelBackColor(const wxColour& c) { m_labelBack = c; }
    const wxColour& GetLabelBackColor() const { return m_labelBack; }

    // The node was deleted while the control was busy and goes when the control's outermost
    // event ends (see CPropertyTreeWnd::CEventScope); it stays valid until then, but Expand,
    // Select, Activate and CommitChanges do nothing and the owner hears no more of it.
    bool IsBeingDeleted() const { return m_deleting; }

protected:
    // Repaints the control's list, when the node is in one.
    void RefreshControl() const;

private:
    friend class CPropertyTreeWnd;
    friend class CPropertyListPane;

    std::string m_label;
    std::string m_info;
    int m_id = 0;
    CPropertyNode* m_pParent = nullptr;
    CPropertyNode* m_pSibling = nullptr;
    CPropertyNode* m_pChild = nullptr;
    CPropertyNode* m_pNextVisible = nullptr;
    wxRect m_rowRect;
    CPropertyTreeWnd* m_pControl = nullptr;
    wxPoint m_location;
    wxRect m_valueRect;
    int m_committed = 0;
    int m_height;
    wxRect m_labelExtent;
    int m_selected = 0;
    int m_expanded = 0;
    int m_active = 0;
    wxColour m_valueBack;
    wxColour m_valueText;
    wxColour m_categoryBack;
    wxColour m_labelText;
    wxColour m_labelBack;
    bool m_deleting = false;
};

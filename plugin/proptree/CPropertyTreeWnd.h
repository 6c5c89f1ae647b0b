// A child window showing a tree of named properties in two columns: labels on the left, values
// on the right, a draggable divider between them and an optional description pane below.
// Top-level nodes are category headings; the nodes under them are property rows whose value
// column is drawn and edited by the node itself.
//
// The owner hears about the control through CPropertyTreeEvent (type EVT_PROPTREE_NOTIFY),
// processed by the owner window's event handler with the control's id:
//
//   tree->SetNotify(true, this);
//   Bind(EVT_PROPTREE_NOTIFY, &CMyPanel::OnTreeNotify, this, kTreeId);
//   void CMyPanel::OnTreeNotify(CPropertyTreeEvent& e) {
//       if (e.GetCode() == proptree::PROPN_EXPANDING && ...) e.Veto();
//   }
#pragma once

#include "CDeferredQueue.h"
#include "CPropertyNode.h"
#include "PropertyTreeRules.h"

#include <wx/event.h>
#include <wx/font.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <vector>

class CPropertyInfoPane;
class CPropertyListPane;

// The record of a notification: the control's window, its id, the code and the node concerned.
struct SPropertyNotify {
    wxWindow* window = nullptr;
    int id = 0;
    int code = 0;
    CPropertyNode* node = nullptr;
};

// A notification from the control; for PROPN_EXPANDING, PROPN_DIVIDERDRAG and
// PROPN_ACTIVATING the owner's Veto() cancels the action.
class CPropertyTreeEvent : public wxNotifyEvent {
public:
    CPropertyTreeEvent(wxEventType type = wxEVT_NULL, int id = 0) : wxNotifyEvent(type, id) {}
    wxEvent* Clone() const override { return new CPropertyTreeEvent(*this); }

    const SPropertyNotify& GetRecord() const { return m_record; }
    void SetRecord(const SPropertyNotify& record) { m_record = record; }
    int GetCode() const { return m_record.code; }
    CPropertyNode* GetNode() const { return m_record.node; }

private:
    SPropertyNotify m_record;
};

wxDECLARE_EVENT(EVT_PROPTREE_NOTIFY, CPropertyTreeEvent);

class CPropertyTreeWnd : public wxWindow {
public:
    CPropertyTreeWnd();
    ~CPropertyTreeWnd() override;

    // Creates the control as a child of `parent` (window `style` plus clip-children) with the
    // description pane and the list pane; `flags` are the kStyle* flags.
    bool Create(long style, const wxRect& rect, wxWindow* parent, unsigned flags, wxWindowID id);

    // Sets or clears kStyleNotify and stores the window that receives the notifications.
    void SetNotify(bool on, wxWindow* owner);
    // Left edge of the value column: at least 16 and at most the client width - 16.
    void SetColumn(int x);
    int GetColumn() const { return m_column; }

    // Appends `node` as the last child of `parent` (of the root when null); the control owns it
    // from then on. Answers the node, or null when the owner deleted it on hearing of it.
    CPropertyNode* InsertItem(CPropertyNode* node, CPropertyNode* parent = nullptr);
    // Deletes the node and its subtree; null deletes every node. Asked for while the control is
    // handling an event or notifying (see CEventScope), the deletion is queued until the
    // outermost one ends; until then the nodes are IsBeingDeleted() and take no more actions.
    void DeleteItem(CPropertyNode* node);
    void DeleteAllItems();

    void SetFocusedItem(CPropertyNode* node);
    CPropertyNode* GetFocusedItem() const { return m_pFocus; }
    void FocusFirst();
    void FocusLast();
    void FocusNext();
    void FocusPrev();

    CPropertyNode* GetRootItem() { return &m_root; }
    unsigned GetFlags() const { return m_flags; }
    int GetScrollOrigin() const { return m_scrollOrigin; }
    // The first row of the list as last laid out; follow GetNextVisible().
    CPropertyNode* GetFirstVisible() const { return m_pVisible; }
    CPropertyListPane* GetListPane() const { return m_pList; }
    CPropertyInfoPane* GetInfoPane() const { return m_pInfo; }
    // Height of every shown row together.
    int GetContentHeight() const;

    // The fonts shared by every instance of the control.
    static const wxFont& GetNormalFont();
    static const wxFont& GetBoldFont();
    static int GetInstanceCount() { return s_instances; }

    // Used by the panes and nodes.
    // Sends a notification; answers true when the owner vetoed it or deleted the node it is
    // about (nothing is sent about a node on its way out, but its PROPN_DELETING).
    bool Notify(int code, CPropertyNode* node);
    // Rebuilds the visible list and places every shown row (list-pane coordinates).
    void LayoutRows();
    // Applies the content height to the scroll bar and keeps the origin in range.
    void UpdateScrollRange();
    void SetScrollOrigin(int origin);
    // Calls OnLayout on every node (after the divider or the rows moved).
    void LayoutNodes();
    // Repaints both panes.
    void RedrawAll();
    // Deselects every node.
    void DeselectAll();
    // Makes `node` the focused node; sends PROPN_SELCHANGED when that changes the focus.
    // Answers false when the notification deleted the node.
    bool ChangeFocus(CPropertyNode* node);
    // Toggles a node's expansion unless the owner vetoes it; answers true when it changed.
    bool ToggleExpansion(CPropertyNode* node);
    // Makes sure the focused node is still shown; clears the focus otherwise.
    void CheckFocusVisible();
    // Scrolls the row into view.
    void EnsureVisible(CPropertyNode* node);
    bool IsVisibleRow(const CPropertyNode* node) const;
    // Hides a node's editor window now and queues its destruction for the next idle flush: a
    // node may be deleted from inside its own window's handler (a commit reported to the
    // owner), and a window must not be deleted under its own event.
    void DestroyLater(wxWindow* window);
    // What the control puts off: its rows (due when the outermost scope closes), its editor
    // windows and the colour popups of its rows (due at the next idle time, which the control
    // asks the toolkit for). Destroying the control destroys whatever is still queued.
    CDeferredQueue& GetDeferredQueue() { return m_queue; }

    // The control's one lifetime rule: no node is destroyed while code that reached it is on
    // the stack. Every way into the control (a pane's or an editor window's event handler, a
    // call that notifies the owner) opens a scope of the control's deferred queue; nodes
    // deleted while any scope is open are queued and deleted when the outermost scope closes,
    // after which the code that opened it touches no node. Scopes nest; a scope of a destroyed
    // control does nothing.
    class CEventScope {
    public:
        explicit CEventScope(CPropertyTreeWnd* control);
        ~CEventScope();
        CEventScope(const CEventScope&) = delete;
        CEventScope& operator=(const CEventScope&) = delete;

    private:
        wxWeakRef<wxWindow> m_control;
    };

private:
    void OnSize(wxSizeEvent& event);
    void OnSysColourChanged(wxSysColourChangedEvent& event);
    void LayoutPanes();
    void DeleteNode(CPropertyNode* node);
    void MoveFocus(CPropertyNode* target);
    static void CreateFonts();

    unsigned m_flags = 0;
    CPropertyInfoPane* m_pInfo = nullptr;
    CPropertyNode m_root;
    CPropertyNode* m_pVisible = nullptr;
    CPropertyNode* m_pFocus = nullptr;
    int m_column = proptree::kDefaultColumn;
    int m_scrollOrigin = 0;
    CPropertyListPane* m_pList = nullptr;
    int m_lastId = 0;
    wxWeakRef<wxWindow> m_owner;

    // The open CEventScopes, the row deletions waiting for the last to close (in the order
    // asked for; deleting every node queues the notice of that, then each top-level node) and
    // the windows waiting for the next idle time.
    CDeferredQueue m_queue;
    int m_notifyDepth = 0;

    static wxFont* s_normalFont;
    static wxFont* s_boldFont;
    static int s_instances;
};

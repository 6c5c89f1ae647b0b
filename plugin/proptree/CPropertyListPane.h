// The list pane of the property tree: draws the rows and handles the mouse, the wheel, the keys
// and the vertical scroll bar. The node tree and its state live in the control.
#pragma once

#include "PropertyTreeRules.h"

#include <wx/cursor.h>
#include <wx/window.h>

class CPropertyNode;
class CPropertyTreeWnd;

class CPropertyListPane : public wxWindow {
public:
    explicit CPropertyListPane(CPropertyTreeWnd* control);
    bool Create();

    // The row under a point of the pane and what part of it is there.
    proptree::EHit HitTest(const wxPoint& point, CPropertyNode** node);

    // The list's keys (Tab, Enter, Home, End and the arrows); an editor window passes its
    // navigation keys here. Answers false for a key the list does not use.
    bool HandleKey(int keyCode, bool shift);

    // Paints the whole pane into `dc` (the paint handler and screenshots use it).
    void Render(wxDC& dc);

    bool IsDraggingDivider() const { return m_dragging; }
    // The control is deleting `node`: the pane lets go of it.
    void ForgetNode(const CPropertyNode* node);
    int GetDragPosition() const { return m_dragX; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnSize(wxSizeEvent& event);

    void DrawRow(wxDC& dc, CPropertyNode* node, bool enabled);
    void FitColumnToLabels();
    void EndDrag(bool apply, int x);
    void ActivateFocused();

    CPropertyTreeWnd* m_pControl;
    bool m_dragging = false;
    int m_dragX = 0;
    wxCursor m_handCursor;
    wxCursor m_sizeCursor;
    // The node a press opened, so the release that follows reaches its editor window.
    CPropertyNode* m_pPressed = nullptr;
};

// The main frame's views: the view area in the frame's centre, its one-view and four-view
// layouts, the grid, the selection boxes drawn in every view, and the View menu's items for
// them: 显示网格 (checked: every view shows its grid), 单视图 and 四视图 (radio items), and
// 切换视图 with the key Alt+W, which switches between the two layouts.
//
// The four views are made once and kept: going to one view hides views 1 to 3 and idles their
// render windows; the host's view(n) then answers null for them, so no plug-in and no press
// keeps a view that is gone. Scene, selection, undo and plug-ins are untouched; the plug-ins
// hear of the change as a selection notification with redraw, which lays the gizmo out again
// for view 0 at its new size.
#pragma once

#include <functional>
#include <memory>
#include <vector>

class CEditorEngine;
class CEditorHost;
class CEditorView;
class CSelectionBoxes;
class CViewWindow;
class wxCommandEvent;
class wxCursor;
class wxFrame;
class wxMenu;
class wxPanel;

class CViewLayout {
public:
    // Makes the view area in `frame` with `viewCount` views (4, or else 1), without render
    // windows yet.
    CViewLayout(wxFrame& frame, CEditorHost& host, int viewCount);
    ~CViewLayout();
    CViewLayout(const CViewLayout&) = delete;
    CViewLayout& operator=(const CViewLayout&) = delete;

    // The panel that holds the views, for the frame's layout.
    wxPanel* Area() const { return m_area; }
    // Adds the layout's items to the View menu; they act through the frame's menu events.
    void AppendMenuItems(wxMenu* view);

    // After the frame is shown: the Ogre render windows of the views made so far, and the
    // selection boxes. False when a render window could not be made.
    bool CreateRenderWindows(CEditorEngine& engine);
    void DestroyRenderWindows();

    int ShownCount() const { return m_shown; }
    // View n when it is shown, else null.
    CViewWindow* Window(int n) const;
    CEditorView* View(int n) const;

    // 1 (the perspective view) or 4 views. Views beyond the count are hidden, their render
    // windows idle; a view made for the first time gets its render window at once. False for
    // another count or when a render window could not be made (the layout is then as it was).
    bool SetLayout(int count);
    void SetGridShown(bool shown);
    bool GridShown() const { return m_gridShown; }
    // Null before CreateRenderWindows and after DestroyRenderWindows.
    CSelectionBoxes* SelectionBoxes() const { return m_selectionBoxes.get(); }
    // Called after the set of shown views changed.
    void SetChangedHandler(std::function<void()> handler) { m_onChanged = std::move(handler); }

    // Every view made, shown or not: the pointer's cursor, the rubber bands from the host's
    // state, and the engine's queued window events (read once a frame).
    void SetCursor(const wxCursor* cursor);
    void UpdateRubberBands();
    void DrainWindowEvents();

private:
    // The sizer of the view area for the shown views; makes the views that are missing.
    void LayOut();
    void OnMenuItem(wxCommandEvent& event);

    wxFrame& m_frame;
    CEditorHost& m_host;
    wxPanel* m_area = nullptr;
    std::vector<CViewWindow*> m_views; // every view made, shown or not
    int m_shown = 1;
    bool m_gridShown = true;
    CEditorEngine* m_engine = nullptr;
    std::unique_ptr<CSelectionBoxes> m_selectionBoxes;
    std::function<void()> m_onChanged;
};

// The editor's main window: views in the centre, the side area on the right, plug-in tool
// strips at the top (with the gizmo's option buttons beside them) and plug-in bars docked at the
// bottom, all laid out by a wxAuiManager
// (plug-ins dock their bars through the host interface). Menus: File, Edit, View, Tools;
// View › 吸附设置… sets the host's snap steps; View › 显示网格, 单视图, 四视图 and the
// layout key Alt+W belong to the views' layout (CViewLayout), with the selection boxes. The
// plug-ins' tool strips and the gizmo's option buttons are CToolStrips.
// The outliner (COutliner) sits above the side area, in a pane of its own on the same side.
// The title shows the scene file's name, with a star while there are unsaved changes; the
// status line shows messages (a hovered tool button's text, warnings) and the selection count;
// every text set there is applied once a frame (CStatusLine). The host object reaches the
// frame through IEditorFrame.
#pragma once

#include "EditorTypes.h"
#include "CStatusLine.h"
#include "IEditorFrame.h"

#include <wx/aui/aui.h>
#include <wx/frame.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CEditorEngine;
class CEditorHost;
class CGizmoOptionsBar;
class COutliner;
class CSceneDocument;
class CSelectionBoxes;
class CToolStrips;
class CViewLayout;
class CViewWindow;
class wxAuiToolBar;
class wxPanel;

class CMainFrame : public wxFrame, public IEditorFrame {
public:
    // Menu ids of the host.
    enum {
        ID_FRAME_SELECTION = wxID_HIGHEST + 100,
        ID_SELECT_PARENTS,
        ID_RENDER_TIMER,
        ID_SNAP_SETTINGS,
        ID_SHOW_GRID,
        ID_ONE_VIEW,
        ID_FOUR_VIEWS,
        ID_SWITCH_VIEWS,
        ID_DELETE,
        ID_SELECT_ALL,
        ID_HIDE_SELECTION,
        ID_SHOW_ALL,
        ID_IMPORT_MODEL,
        ID_EXPORT_GLTF,
    };
    static constexpr int kSelectParentsCommand = ID_SELECT_PARENTS_COMMAND;

    CMainFrame(CEditorHost& host, int viewCount, const wxSize& size);
    ~CMainFrame() override;

    // After Show(): the Ogre render windows of the views. False when one could not be made.
    bool CreateViews(CEditorEngine& engine);
    void DestroyViews();
    CViewWindow* GetViewWindow(int n) const;

    // The view layout (CViewLayout): 1 (the perspective view) or 4 views. Views beyond the
    // count are hidden, their render windows idle, and GetView answers null for them; a view
    // made for the first time gets its render window at once. False for another count or when
    // a render window could not be made (the layout is then as it was).
    bool SetViewLayout(int count);
    // Shows or hides the grid of every view (View › 显示网格).
    void SetGridShown(bool shown);
    bool GridShown() const;
    // Null before CreateViews and after DestroyViews.
    CSelectionBoxes* SelectionBoxes() const;
    // Called after the set of shown views changed.
    void SetViewsChangedHandler(std::function<void()> handler);

    // IEditorFrame
    int ViewCount() const override;
    CEditorView* GetView(int n) const override;
    void SetViewCursor(const wxCursor* cursor) override;
    void SetSidePanel(CSizeControlChild* panel) override;
    void RemoveToolStrip(IPluginBase* plugin) override;
    void RemoveMenu(wxMenu* submenu) override;
    wxWindow* Window() override { return this; }
    bool DockBottomBar(wxWindow* bar, const char* name) override;
    void UndockBottomBar(wxWindow* bar) override;
    void GizmoOptionsChanged() override;

    wxPanel* GetSideArea() const { return m_sideArea; }
    // The scene tree above the side area.
    COutliner* GetOutliner() const { return m_outliner; }
    // The first bar a plug-in docked along the bottom (the transform bar), or null.
    wxWindow* GetBottomBar();

    // The plug-ins' tool strips (CToolStrips). Builds the plug-in's tool strip from the XRC
    // tool bar "101" when the resources hold one. Returns the strip or null.
    wxAuiToolBar* BuildToolStrip(IPluginBase* plugin);
    wxAuiToolBar* GetToolStrip(IPluginBase* plugin) const;
    // Clicks button `position` (0 = first) of the first plug-in's tool strip, as the pointer
    // would. False when there is no such button.
    bool ClickStripTool(int position);
    // Presses in the button of the host's current tool on every strip and lets the others out.
    void SyncToolStrips();
    // The command id of the pressed-in strip button and its plug-in; wxID_NONE when none is.
    int PressedStripTool(IPluginBase*& plugin) const;
    // The gizmo's option buttons beside the tool strips (GizmoOptionsBar.h): made with the
    // first strip, shown while there is one. Null before.
    CGizmoOptionsBar* GetGizmoOptionsBar() const;
    // Shows every bottom pane and relays out.
    void UpdateLayout();

    // Starts or stops the render loop of interactive mode: a frame falls due every 16 ms and
    // is drawn at the next idle time, after the input, layout and painting the toolkit has
    // waiting, so a frame slower than the period never shuts them out.
    void StartRenderLoop(std::function<void()> renderFrame);
    void StopRenderLoop();
    // Called instead of closing when the user closes the window (the session shuts down).
    void SetCloseHandler(std::function<void()> onClose) { m_onClose = std::move(onClose); }

    // Shows or hides the rubber bands of every view from the host's state.
    void UpdateRubberBands();
    // Once a frame: the events the engine's view windows queued and nobody reads.
    void DrainViewEvents();

    // The scene document the File menu, the title and the close question work on (may be
    // null). The close question comes only in interactive runs, which set a close handler.
    void SetDocument(CSceneDocument* document) { m_document = document; }
    // Takes the title and the selection count from the document and the scene when they
    // changed. Called every frame; the unsaved state (which looks at every light) is read at
    // most a few times a second unless `now`.
    void UpdateDocumentState(bool now = false);
    // The first warning of an open in the status line, with the count of the others.
    void ShowWarnings(const std::vector<std::string>& warnings);
    // The status line. A text set is kept and applied to the bar at the next frame tick (or
    // idle time, when no render loop runs), the latest text of each field once.
    void SetStatusText(const wxString& text, int field = 0) override;
    // The latest text set for `field`, shown yet or not.
    wxString StatusText(int field) const { return m_statusLine.Text(field); }
    // Applies the status texts set since the last frame; answers how many fields changed.
    int FlushStatusLine();
    const CStatusLine& StatusLine() const { return m_statusLine; }

    // Replaces the 保存更改? box by a function answering wxID_YES, wxID_NO or wxID_CANCEL
    // (tests); an empty function brings the box back.
    void SetSaveQuestion(std::function<int()> ask) { m_askSave = std::move(ask); }
    // Asks 保存更改? when the scene has unsaved changes. False when the user cancels or the
    // save fails: the scene must stay.
    bool ConfirmDiscard();

private:
    void BuildMenus();
    void OnMenu(wxCommandEvent& event);
    void OnSideAreaSize(wxSizeEvent& event);
    // Shares the right side between the outliner and the plug-in's panel: the panel gets the
    // height it asks for, the outliner the rest (at least two rows).
    void BalanceSidePanes();
    void OnClose(wxCloseEvent& event);
    void OnFileMenu(wxCommandEvent& event);
    // Opens a scene file, reporting a failure in a message box.
    void OpenFile(const std::string& path);
    // Saves to the document's file, or asks for one first (always with `askName`). False when
    // nothing was saved (cancelled or failed; a failure is shown).
    bool SaveDocument(bool askName);
    wxStatusBar* OnCreateStatusBar(int number, long style, wxWindowID winid,
                                   const wxString& name) override;
    void OnTimer(wxTimerEvent& event);
    void OnIdle(wxIdleEvent& event);

    CEditorHost& m_host;
    wxAuiManager m_aui;
    std::unique_ptr<CViewLayout> m_views;
    std::unique_ptr<CToolStrips> m_strips;
    wxPanel* m_sideArea = nullptr;
    COutliner* m_outliner = nullptr;
    CSizeControlChild* m_sidePanel = nullptr;
    wxTimer m_timer;
    std::function<void()> m_renderFrame;
    bool m_frameDue = false;
    std::function<void()> m_onClose;
    CSceneDocument* m_document = nullptr;
    std::function<int()> m_askSave;
    wxString m_shownTitle;
    wxStopWatch m_titleClock;
    int m_shownSelection = -1;
    CStatusLine m_statusLine;
};

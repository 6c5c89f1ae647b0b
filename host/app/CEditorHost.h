// The editor's host object: the Interface handed to plug-ins, the view host, and the input
// path from the views (and scripts) to the plug-ins.
//
// Pointer events go to the plug-in that owns the engaged tool, or, while no tool is engaged,
// to every registered plug-in in order. A left press that no plug-in claims (every
// OnPointerDown answered 0) and is then dragged becomes a rubber-band rectangle: its release
// reaches the plug-ins as OnSelectRect(view, 0, rect) instead of OnPointerUp.
#pragma once

#include "EditorTypes.h"
#include "Interface.h"

#include <functional>
#include <memory>
#include <vector>

class CEditorEngine;
class CEditorScene;
class CEditorUndoManager;
class CEditorView;
class CPluginLoader;
class IEditorFrame;
class CPluginRegistry;
class CToolManager;

class CEditorHost : public Interface, public IViewHost {
public:
    explicit CEditorHost(CEditorEngine& engine);
    ~CEditorHost();
    CEditorHost(const CEditorHost&) = delete;
    CEditorHost& operator=(const CEditorHost&) = delete;

    // Interface
    IPluginRegistry* pluginRegistry() override;
    IEngineAccess* engineAccess() override;
    IViewHost* viewHost() override { return this; }
    IToolManager* toolManager() override;
    CUndoRedoManager* undoManager() override;
    SnapSteps snapSteps() override { return m_snapSteps; }
    GizmoOptions gizmoOptions() override { return m_gizmoOptions; }

    // IViewHost
    void removeMenu(IPluginBase* plugin, wxMenu* submenu, int flags) override;
    void removeToolStrip(IPluginBase* plugin, wxToolBar* toolStrip) override;
    IView* view(int n) override;
    // The render loop paints every view once a tick, so there is nothing to mark.
    void redraw() override {}
    void setCursor(const wxCursor* cursor) override;
    void setStatusText(const char* utf8) override;
    void setSidePanel(CSizeControlChild* panel) override;
    // The main frame and its bottom dock; without a frame there is no window and nothing docks.
    wxWindow* mainWindow() override;
    bool dockBottomBar(wxWindow* bar, const char* name) override;
    void undockBottomBar(wxWindow* bar) override;

    // Wiring of the application; the frame may be null (then views and panels are absent).
    void AttachFrame(IEditorFrame* frame) { m_frame = frame; }
    IEditorFrame* Frame() const { return m_frame; }
    CEditorEngine& Engine() { return m_engine; }
    CEditorScene& Scene();
    CEditorUndoManager& Undo() { return *m_undo; }
    CPluginRegistry& Registry() { return *m_registry; }
    CToolManager& Tools() { return *m_tools; }
    CPluginLoader& Loader() { return *m_loader; }

    int ViewCount() const;
    CEditorView* GetView(int n) const;
    // The cursor last set by a plug-in; null once a module unloads, since the cursor may have
    // gone with it.
    const wxCursor* CurrentCursor() const { return m_cursor; }
    CSizeControlChild* SidePanel() const { return m_sidePanel; }
    // The view that View > frame and scripts address by default (last one clicked).
    int ActiveView() const { return m_activeView; }
    void SetActiveView(int view) { m_activeView = view; }

    // Input path (flags: 1 left, 4 Shift, 8 Ctrl). PointerDown answers 1 when a plug-in
    // claimed the press.
    int PointerDown(int view, int flags, int x, int y);
    void PointerMove(int view, int flags, int x, int y);
    void PointerUp(int view, int flags, int x, int y);
    // The pointer over view `view` with no button down (flags: the keys held): each input
    // target gets it as OnPointerMove without a button flag, then OnHover(x, y). Leaving the
    // view is a move to (-1, -1). Nothing is redrawn here: a plug-in whose picture changes asks.
    void Hover(int view, int flags, int x, int y);
    // Where the last Hover put the pointer (view -1 before the first).
    void LastHover(int& view, int& x, int& y) const {
        view = m_hoverView;
        x = m_hoverX;
        y = m_hoverY;
    }
    // A press of another button than the left one (KEY_RBUTTON) as OnPointerOther; answers 1
    // when a plug-in used it, and the view then starts nothing of its own (no orbit).
    int OtherPress(int view, int button, int flags, int x, int y);
    // Another input (INPUT_KEY_ESCAPE) as OnInputOther; answers 1 when a plug-in used it.
    int OtherInput(int code, int flags);

    // The steps a drag snaps to while Ctrl is held. SetSnapSteps refuses (false, steps kept)
    // a set with any step not above 0 or above kMaxSnapStep.
    bool SetSnapSteps(const SnapSteps& steps);
    // The gizmo's axes (world or the current entity's own), the pivot of rotate and scale
    // (each entity's own position or the selection's median) and whether a surface drag turns
    // the entities to the normal. SetGizmoOptions refuses (false, options kept) a space, pivot
    // or turn setting that is none of the known values; a change is shown by
    // the frame's option buttons and the views are drawn again.
    bool SetGizmoOptions(const GizmoOptions& options);
    // Flips the move axes between world and local (the L key, the button).
    void ToggleGizmoSpace();
    // Flips the pivot between each entity's own and the shared median.
    void ToggleGizmoPivot();
    // Turns a surface drag's turning of the entities to the surface normal on or off.
    void ToggleGizmoAlignNormal();
    // Ends a left press under way as a release where the pointer last was, so that no plug-in
    // keeps dragging entities of a scene about to be replaced. Nothing without a press.
    void EndPress();
    // A left press under way (a drag, a rubber band).
    bool Pressing() const { return m_pressed; }
    // The rubber band being dragged: false when there is none.
    bool RubberBand(int& view, PixelRect& rect) const;
    // Calls every plug-in's OnViewUpdate(view, n) as view n (1 to 3) is about to be drawn, so that
    // what the plug-ins lay out per view (the gizmo) is placed for that view when it renders.
    // View 0 is skipped: the plug-ins lay it out themselves at the end of every frame, so it is
    // placed already when the next frame draws it.
    void ViewDrawn(int n);

    // Tool strips and commands. ClickTool: OnToolCommand(id) then OnWindowMessage(273, id, 0)
    // on that plug-in, as a tool-strip button does.
    void ClickTool(IPluginBase* plugin, int commandId);
    // The first registered plug-in with a tool for this command, or null.
    IPluginBase* FindToolPlugin(int commandId) const;
    // The tool at `position` (0 = first button) of the first registered plug-in with a tool
    // strip: its plug-in and command id. False when there is no such button.
    bool FindStripTool(int position, IPluginBase*& plugin, int& commandId) const;
    // A menu command for every plug-in: OnToolCommand(id) then OnWindowMessage(273, id, 0).
    void SendMenuCommand(int commandId);
    // OnWindowMessage(273, id, 0) to every plug-in (Edit > Copy).
    void SendWindowCommand(int commandId);
    // View > frame the selection: notification 60 with the view as data.
    void FrameSelection(int view);

private:
    std::vector<IPluginBase*> InputTargets() const;
    // Calls `call` for each of `plugins` (a copy: calls may change the registry) that is still
    // registered when its turn comes, since a plug-in's answer may unregister the ones after it.
    void ForEachRegistered(std::vector<IPluginBase*> plugins,
                           const std::function<void(IPluginBase*)>& call) const;
    // The rubber band from the press point to (x, y), corners in order.
    PixelRect BandRect(int x, int y) const;
    // A module has unloaded: what it gave the host (its cursor) may be freed.
    void ModuleUnloaded();

    CEditorEngine& m_engine;
    std::unique_ptr<CEditorUndoManager> m_undo;
    std::unique_ptr<CPluginRegistry> m_registry;
    std::unique_ptr<CToolManager> m_tools;
    std::unique_ptr<CPluginLoader> m_loader;
    IEditorFrame* m_frame = nullptr;
    int m_hoverView = -1;
    int m_hoverX = 0;
    int m_hoverY = 0;
    const wxCursor* m_cursor = nullptr;
    bool m_cursorApplied = false; // m_cursor is what the view windows show
    CSizeControlChild* m_sidePanel = nullptr;
    int m_activeView = 0;
    SnapSteps m_snapSteps;
    GizmoOptions m_gizmoOptions;

    // Press state of the left button.
    bool m_pressed = false;
    bool m_claimed = false;
    bool m_banding = false;
    int m_pressView = 0;
    int m_pressX = 0;
    int m_pressY = 0;
    int m_lastX = 0;
    int m_lastY = 0;
};

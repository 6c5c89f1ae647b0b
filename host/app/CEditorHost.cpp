#include "CEditorHost.h"

#include "IPluginBase.h"
#include "IEditorFrame.h"
#include "CEditorUndoManager.h"
#include "CPluginLoader.h"
#include "CPluginRegistry.h"
#include "CToolManager.h"
#include "CEditorEngine.h"
#include "CEditorView.h"

#include <wx/frame.h>

#include <algorithm>

CEditorHost::CEditorHost(CEditorEngine& engine)
    : m_engine(engine), m_undo(std::make_unique<CEditorUndoManager>()),
      m_registry(std::make_unique<CPluginRegistry>()),
      m_tools(std::make_unique<CToolManager>(*m_registry)),
      m_loader(std::make_unique<CPluginLoader>(*this, m_registry.get())) {
    m_loader->setOnUnloaded([this](const CPluginLoader::Module&) { ModuleUnloaded(); });
    // Selecting, and switching the transform tool's mode, are undoable steps that leave the
    // scene's content alone: they do not make the document modified.
    m_undo->SetChangesDocument("SelectEntity", false);
    m_undo->SetChangesDocument("SelectTranslateMode", false);
}

CEditorHost::~CEditorHost() {
    // Modules first (they may still talk to the other services), then the steps they made.
    m_loader.reset();
    m_undo->clear();
}

IPluginRegistry* CEditorHost::pluginRegistry() {
    return m_registry.get();
}
IEngineAccess* CEditorHost::engineAccess() {
    return &m_engine;
}
IToolManager* CEditorHost::toolManager() {
    return m_tools.get();
}
CUndoRedoManager* CEditorHost::undoManager() {
    return m_undo.get();
}
CEditorScene& CEditorHost::Scene() {
    return *m_engine.GetScene();
}

void CEditorHost::removeMenu(IPluginBase*, wxMenu* submenu, int) {
    if (m_frame)
        m_frame->RemoveMenu(submenu);
}

void CEditorHost::removeToolStrip(IPluginBase* plugin, wxToolBar*) {
    if (m_frame)
        m_frame->RemoveToolStrip(plugin);
}

wxWindow* CEditorHost::mainWindow() {
    return m_frame ? m_frame->Window() : nullptr;
}

bool CEditorHost::dockBottomBar(wxWindow* bar, const char* name) {
    return m_frame && m_frame->DockBottomBar(bar, name);
}

void CEditorHost::undockBottomBar(wxWindow* bar) {
    if (m_frame)
        m_frame->UndockBottomBar(bar);
}

int CEditorHost::ViewCount() const {
    return m_frame ? m_frame->ViewCount() : 0;
}

CEditorView* CEditorHost::GetView(int n) const {
    return m_frame ? m_frame->GetView(n) : nullptr;
}

IView* CEditorHost::view(int n) {
    return GetView(n);
}

void CEditorHost::setStatusText(const char* utf8) {
    wxFrame* frame = m_frame ? wxDynamicCast(m_frame->Window(), wxFrame) : nullptr;
    if (frame && frame->GetStatusBar())
        frame->SetStatusText(wxString::FromUTF8(utf8 ? utf8 : ""), 0);
}

void CEditorHost::setCursor(const wxCursor* cursor) {
    // Plug-ins set their cursor on every frame; the windows change only when it does.
    if (cursor == m_cursor && m_cursorApplied)
        return;
    m_cursor = cursor;
    m_cursorApplied = m_frame != nullptr;
    if (m_frame)
        m_frame->SetViewCursor(cursor);
}

void CEditorHost::ModuleUnloaded() {
    // The module may have deleted its cursor, and a cursor made later may land at the same
    // address: comparing with the old pointer would then skip it. The views show the default
    // cursor until a plug-in sets one again.
    if (!m_cursor)
        return;
    m_cursor = nullptr;
    m_cursorApplied = m_frame != nullptr;
    if (m_frame)
        m_frame->SetViewCursor(nullptr);
}

void CEditorHost::setSidePanel(CSizeControlChild* panel) {
    m_sidePanel = panel;
    if (m_frame)
        m_frame->SetSidePanel(panel);
}

std::vector<IPluginBase*> CEditorHost::InputTargets() const {
    if (IPluginBase* engaged = m_tools->CurrentPlugin())
        return {engaged};
    return m_registry->plugins();
}

void CEditorHost::ForEachRegistered(std::vector<IPluginBase*> plugins,
                                    const std::function<void(IPluginBase*)>& call) const {
    for (IPluginBase* plugin : plugins)
        if (m_registry->contains(plugin))
            call(plugin);
}

PixelRect CEditorHost::BandRect(int x, int y) const {
    PixelRect rect;
    rect.left = std::min(m_pressX, x);
    rect.right = std::max(m_pressX, x);
    rect.top = std::min(m_pressY, y);
    rect.bottom = std::max(m_pressY, y);
    return rect;
}

int CEditorHost::PointerDown(int n, int flags, int x, int y) {
    IView* v = view(n);
    if (!v)
        return 0;
    m_activeView = n;
    m_pressed = (flags & KEY_LBUTTON) != 0;
    m_claimed = false;
    m_banding = false;
    m_pressView = n;
    m_pressX = m_lastX = x;
    m_pressY = m_lastY = y;
    ForEachRegistered(InputTargets(), [&](IPluginBase* plugin) {
        if (plugin->OnPointerDown(v, n, flags, x, y) != 0)
            m_claimed = true;
    });
    redraw();
    return m_claimed ? 1 : 0;
}

void CEditorHost::PointerMove(int n, int flags, int x, int y) {
    IView* v = view(n);
    if (!v)
        return;
    ForEachRegistered(InputTargets(),
                      [&](IPluginBase* plugin) { plugin->OnPointerMove(v, n, flags, x, y); });
    if (m_pressed && !m_claimed && n == m_pressView && (x != m_pressX || y != m_pressY))
        m_banding = true;
    m_lastX = x;
    m_lastY = y;
    redraw();
}

void CEditorHost::PointerUp(int n, int flags, int x, int y) {
    IView* v = view(n);
    if (!v)
        return;
    const bool banding = m_banding && n == m_pressView;
    const PixelRect rect = BandRect(x, y);
    m_pressed = m_claimed = m_banding = false;
    // A rubber band's release is the rectangle, not a click as well: a click there would make
    // a selection step of its own (and with Ctrl or Shift add or remove what lies under the
    // corner).
    ForEachRegistered(InputTargets(), [&](IPluginBase* plugin) {
        if (banding)
            plugin->OnSelectRect(v, 0, rect);
        else
            plugin->OnPointerUp(v, n, flags, x, y);
    });
    redraw();
}

void CEditorHost::EndPress() {
    if (m_pressed)
        PointerUp(m_pressView, KEY_LBUTTON, m_lastX, m_lastY);
}

bool CEditorHost::RubberBand(int& n, PixelRect& rect) const {
    if (!m_banding)
        return false;
    n = m_pressView;
    rect = BandRect(m_lastX, m_lastY);
    return true;
}

int CEditorHost::OtherPress(int n, int button, int flags, int x, int y) {
    if (!view(n))
        return 0;
    int used = 0;
    ForEachRegistered(InputTargets(), [&](IPluginBase* plugin) {
        if (plugin->OnPointerOther(n, button, flags, x, y, 0) != 0)
            used = 1;
    });
    if (used)
        redraw();
    return used;
}

int CEditorHost::OtherInput(int code, int flags) {
    int used = 0;
    ForEachRegistered(InputTargets(), [&](IPluginBase* plugin) {
        if (plugin->OnInputOther(code, flags) != 0)
            used = 1;
    });
    if (used)
        redraw();
    return used;
}

bool CEditorHost::SetSnapSteps(const SnapSteps& steps) {
    if (!IsUsableSnapStep(steps.move) || !IsUsableSnapStep(steps.degrees) ||
        !IsUsableSnapStep(steps.scale))
        return false;
    m_snapSteps = steps;
    return true;
}

bool CEditorHost::SetGizmoOptions(const GizmoOptions& options) {
    const bool knownSpace = options.space == SPACE_WORLD || options.space == SPACE_LOCAL;
    const bool knownPivot = options.pivot == PIVOT_OWN || options.pivot == PIVOT_MEDIAN;
    const bool knownAlign = options.alignNormal == 0 || options.alignNormal == 1;
    if (!knownSpace || !knownPivot || !knownAlign)
        return false;
    if (options.space == m_gizmoOptions.space && options.pivot == m_gizmoOptions.pivot &&
        options.alignNormal == m_gizmoOptions.alignNormal)
        return true;
    m_gizmoOptions = options;
    // The plug-ins read the options on every frame and at each press; the frame's buttons
    // show them at once, whichever way they were changed.
    if (m_frame)
        m_frame->GizmoOptionsChanged();
    redraw();
    return true;
}

void CEditorHost::ToggleGizmoSpace() {
    GizmoOptions options = m_gizmoOptions;
    options.space = options.space == SPACE_LOCAL ? SPACE_WORLD : SPACE_LOCAL;
    SetGizmoOptions(options);
}

void CEditorHost::ToggleGizmoPivot() {
    GizmoOptions options = m_gizmoOptions;
    options.pivot = options.pivot == PIVOT_MEDIAN ? PIVOT_OWN : PIVOT_MEDIAN;
    SetGizmoOptions(options);
}

void CEditorHost::ToggleGizmoAlignNormal() {
    GizmoOptions options = m_gizmoOptions;
    options.alignNormal = options.alignNormal ? 0 : 1;
    SetGizmoOptions(options);
}

void CEditorHost::Hover(int n, int flags, int x, int y) {
    IView* v = view(n);
    const int keys = flags & ~(KEY_LBUTTON | KEY_RBUTTON);
    m_hoverView = n;
    m_hoverX = x;
    m_hoverY = y;
    ForEachRegistered(InputTargets(), [&](IPluginBase* plugin) {
        if (v)
            plugin->OnPointerMove(v, n, keys, x, y);
        plugin->OnHover(x, y);
    });
}

void CEditorHost::ViewDrawn(int n) {
    if (n < 1 || n > 3)
        return;
    IView* v = view(n);
    if (!v)
        return;
    ForEachRegistered(m_registry->plugins(),
                      [&](IPluginBase* plugin) { plugin->OnViewUpdate(v, n); });
}

void CEditorHost::ClickTool(IPluginBase* plugin, int commandId) {
    if (!m_registry->contains(plugin))
        return;
    plugin->OnToolCommand(commandId);
    plugin->OnWindowMessage(WM_COMMAND_MESSAGE, static_cast<std::uintptr_t>(commandId), 0);
    redraw();
}

IPluginBase* CEditorHost::FindToolPlugin(int commandId) const {
    for (IPluginBase* plugin : m_registry->plugins())
        if (m_tools->toolForCommand(plugin, commandId) >= 0)
            return plugin;
    return nullptr;
}

bool CEditorHost::FindStripTool(int position, IPluginBase*& plugin, int& commandId) const {
    IPluginBase* owner = nullptr;
    int index = 0;
    for (int tool = 0; tool < m_tools->ToolCount(); ++tool) {
        IPluginBase* toolPlugin = m_tools->PluginOfTool(tool);
        if (!toolPlugin || (owner && toolPlugin != owner))
            continue;
        owner = toolPlugin;
        if (index++ == position) {
            plugin = owner;
            commandId = m_tools->CommandOfTool(tool);
            return true;
        }
    }
    return false;
}

void CEditorHost::SendMenuCommand(int commandId) {
    ForEachRegistered(m_registry->plugins(), [&](IPluginBase* plugin) {
        plugin->OnToolCommand(commandId);
        plugin->OnWindowMessage(WM_COMMAND_MESSAGE, static_cast<std::uintptr_t>(commandId), 0);
    });
    redraw();
}

void CEditorHost::SendWindowCommand(int commandId) {
    ForEachRegistered(m_registry->plugins(), [&](IPluginBase* plugin) {
        plugin->OnWindowMessage(WM_COMMAND_MESSAGE, static_cast<std::uintptr_t>(commandId), 0);
    });
    redraw();
}

void CEditorHost::FrameSelection(int n) {
    IView* v = view(n);
    if (!v)
        return;
    m_tools->notify(NOTIFY_FRAME, 1, v);
    redraw();
}

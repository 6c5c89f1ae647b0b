// Mode switches, tool engagement, the cursor, and the host command that switches the mode.
#include "CModeController.h"

#include "CMapSelectMgr.h"
#include "CSelectModeCommand.h"
#include "GizmarkResources.h"
#include "Interface.h"

#include <wx/cursor.h>
#include <wx/menu.h>

namespace {

const char* const kSelectModeCommand = "SelectTranslateMode";

// The host's command factory is a plain function that gets no context, so the commands it
// makes reach the mode controller through this one pointer: the module makes one plug-in
// object, whose controller sets it while its command is registered. A command made before
// the unload and executed after it finds none and changes nothing.
CModeController* g_commandTarget = nullptr;

IBaseCommand* CreateSelectModeCommand() {
    return new CSelectModeCommand([](int mode) {
        if (g_commandTarget)
            g_commandTarget->SwitchMode(mode);
    });
}

} // namespace

CModeController::CModeController(Interface* host, CMapSelectMgr& gizmo, IPluginBase* plugin)
    : m_host(host), m_gizmo(gizmo), m_plugin(plugin) {}

CModeController::~CModeController() {
    if (g_commandTarget == this)
        g_commandTarget = nullptr;
    delete m_menu;
}

void CModeController::Install() {
    if (!m_cursor)
        m_cursor.reset(CreateGizmarkCursor());
    if (CUndoRedoManager* undo = m_host->undoManager()) {
        g_commandTarget = this;
        undo->registerCommand(kSelectModeCommand, &CreateSelectModeCommand);
    }
}

void CModeController::Remove() {
    IViewHost* viewHost = m_host->viewHost();
    if (m_menu) {
        wxMenuItem* first =
            m_menu->GetMenuItemCount() > 0 ? m_menu->FindItemByPosition(0) : nullptr;
        wxMenu* submenu = first ? first->GetSubMenu() : nullptr;
        if (submenu && viewHost)
            viewHost->removeMenu(m_plugin, submenu, 0);
        delete m_menu;
        m_menu = nullptr;
    }
    if (viewHost)
        viewHost->removeToolStrip(m_plugin, &m_toolStrip);
    // The strip's window, if anything gave it one, goes with the strip object itself.
    m_cursor.reset();
    if (CUndoRedoManager* undo = m_host->undoManager())
        undo->unregisterCommand(kSelectModeCommand);
    if (g_commandTarget == this)
        g_commandTarget = nullptr;
}

void CModeController::EngageModeTool(int commandId) {
    if (IToolManager* tools = m_host->toolManager()) {
        const int tool = tools->toolForCommand(m_plugin, commandId);
        if (tool != -1)
            tools->switchTool(tool);
    }
}

void CModeController::SwitchMode(int mode) {
    m_gizmo.SetMode(mode);
}

void CModeController::EngageTool() {
    m_toolEngaged = 1;
    if (IViewHost* viewHost = m_host->viewHost())
        viewHost->setCursor(m_cursor.get());
}

void CModeController::ReleaseTool() {
    m_toolEngaged = 0;
    m_gizmo.OnPointerHover(nullptr, 0, -1, -1);
}

void CModeController::FrameStep() {
    if (!m_toolEngaged) {
        m_gizmo.HideAll();
    } else if (IViewHost* viewHost = m_host->viewHost()) {
        viewHost->setCursor(m_cursor.get());
    }
}

// How the host's tool commands, window messages, notifications and per-frame calls reach the
// gizmo, the side panel and the transform bar.
#include "CTranslate.h"
#include "ToolIds.h"

#include "CSceneManager.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

namespace {

// The gizmo mode of a tool-strip command, or -1.
int ModeOfCommand(int commandId) {
    switch (commandId) {
    case ID_CMD_SELECT_MODE:
        return MODE_SELECT;
    case ID_CMD_MOVE_MODE:
        return MODE_MOVE;
    case ID_CMD_ROTATE_MODE:
        return MODE_ROTATE;
    case ID_CMD_SCALE_MODE:
        return MODE_SCALE;
    default:
        return -1;
    }
}

} // namespace

int CTranslate::OnToolCommand(int commandId) {
    if (ModeOfCommand(commandId) >= 0) {
        IToolManager* tools = m_host->toolManager();
        if (tools) {
            const int tool = tools->toolForCommand(this, commandId);
            if (tool != -1)
                tools->switchTool(tool);
        }
    } else if (commandId == ID_SELECT_PARENTS_COMMAND) {
        SelectParents();
    }
    return 1;
}

int CTranslate::OnWindowMessage(unsigned message, std::uintptr_t wparam, std::intptr_t) {
    if (message != WM_COMMAND_MESSAGE)
        return 0;
    const int commandId = static_cast<int>(wparam & 0xFFFF);
    const int mode = ModeOfCommand(commandId);
    if (mode >= 0)
        m_gizmo.SetMode(mode);
    else if (static_cast<unsigned>(commandId) == ID_EDIT_COPY_COMMAND && m_toolEngaged)
        CopySelection();
    return 0;
}

int CTranslate::OnNotify(int code, int arg, void* data) {
    CDialogParameter* panel = m_panelHost.GetPanel();
    switch (code) {
    case NOTIFY_LOAD:
        return OnLoad();
    case NOTIFY_UNLOAD:
        return OnUnload();
    case NOTIFY_PAGE:
        if (arg == 1)
            ShowPage();
        else
            HidePage();
        return 0;
    case NOTIFY_SCENE_RESET:
        m_gizmo.OnSceneNotify(nullptr, m_pageShown, code);
        if (panel)
            panel->OnSceneNotify(nullptr, code);
        return 0;
    case NOTIFY_SELECTION:
    case NOTIFY_MOVED:
    case NOTIFY_SCALED:
    case NOTIFY_ROTATED:
    case NOTIFY_REMOVED:
    case NOTIFY_CHANGED: {
        void* object = arg ? data : nullptr;
        m_gizmo.OnSceneNotify(object, m_pageShown, code);
        if (panel)
            panel->OnSceneNotify(static_cast<SceneEntity*>(object), code);
        RefreshTransformBar(code, object);
        return 0;
    }
    case NOTIFY_FRAME:
        return FrameSelection(data);
    case NOTIFY_TOOL_ENGAGED:
        m_toolEngaged = 1;
        if (IViewHost* viewHost = m_host->viewHost())
            viewHost->setCursor(m_cursor.get());
        return 0;
    case NOTIFY_TOOL_RELEASED:
        m_toolEngaged = 0;
        return 0;
    default:
        return 0;
    }
}

void CTranslate::ShowPage() {
    IViewHost* viewHost = m_host->viewHost();
    m_pageShown = 1;
    if (viewHost) {
        viewHost->setCursor(m_cursor.get());
        viewHost->setSidePanel(&m_panelHost);
    }
    m_panelHost.Show(1);
}

void CTranslate::HidePage() {
    IViewHost* viewHost = m_host->viewHost();
    m_pageShown = 0;
    if (viewHost)
        viewHost->setSidePanel(nullptr);
    m_panelHost.Show(0);
    if (m_gizmo.HasEntity()) {
        m_gizmo.HideAll();
        if (viewHost)
            viewHost->redraw();
    }
    if (viewHost)
        viewHost->setCursor(nullptr);
}

int CTranslate::FrameSelection(void* object) {
    IView* view = static_cast<IView*>(object);
    if (!view)
        return 1;
    Ogre::Vector3 minCorner(-12.0f, -12.0f, -12.0f);
    Ogre::Vector3 maxCorner(12.0f, 12.0f, 12.0f);
    if (m_sceneManager) {
        bool first = true;
        for (const std::string& name : m_sceneManager->getSelectedEntities()) {
            SceneEntity* entity = m_sceneManager->getSceneEntity(name);
            if (!entity)
                continue;
            const Ogre::Vector3 low = entity->GetBoundsMin();
            const Ogre::Vector3 high = entity->GetBoundsMax();
            if (first) {
                minCorner = low;
                maxCorner = high;
                first = false;
            } else {
                minCorner.makeFloor(low);
                maxCorner.makeCeil(high);
            }
        }
    }
    view->frameBox(minCorner, maxCorner, 0.03f, 30000.0f);
    return 1;
}

int CTranslate::OnHover(int a, int b) {
    if (m_pageShown)
        m_gizmo.OnHover(a, b);
    return 0;
}

int CTranslate::OnViewUpdate(IView* view, int viewNumber) {
    if (m_pageShown == 1 && view)
        m_gizmo.UpdateView(view, viewNumber);
    return 0;
}

void CTranslate::FrameStep() {
    IViewHost* viewHost = m_host->viewHost();
    IView* view = viewHost ? viewHost->view(0) : nullptr;
    if (view)
        m_gizmo.UpdateView(view, 0);
    if (!m_toolEngaged)
        m_gizmo.HideAll();
    else if (viewHost)
        viewHost->setCursor(m_cursor.get());
    CheckEnter();
}

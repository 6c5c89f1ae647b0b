// The plug-in object: construction, the load and unload, tear-down, and the host's slots. Each
// slot reads the host's codes into named form and hands the call to one controller, inside the
// guard that keeps every exception on this side of the boundary.
#include "CTranslate.h"

#include "CSelectModeCommand.h"
#include "CTranslateListener.h"
#include "GizmarkResources.h"
#include "Guarded.h"
#include "Interface.h"
#include "Utf8Cut.h"

#include <OgreRoot.h>

#include <wx/menu.h>

#include <cstring>

namespace {

const char* const kSelectModeCommand = "SelectTranslateMode";
const char* const kPluginName = "CTranslate";

} // namespace

CTranslate::CTranslate(Interface* host, void* moduleHandle)
    : m_module(moduleHandle), m_host(host),
      m_sceneManager(host && host->engineAccess() ? host->engineAccess()->sceneManager() : nullptr),
      m_displayName("移动"), m_drag(host, m_gizmo), m_selection(host, m_sceneManager),
      m_page(host, m_sceneManager, m_gizmo, m_panelHost), m_bar(host, m_sceneManager) {
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->SetSceneManager(m_sceneManager);
}

CTranslate::~CTranslate() {
    // A drag still under way never reaches the undo stack (its open step goes with us).
    // The unload notification normally removed the listener; a plug-in deleted without it must
    // not leave the engine calling into a deleted object.
    if (m_listener) {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener.get());
    }
}

int CTranslate::Load() {
    // A repeated load notification keeps what the first one made: the host may hold the cursor.
    m_page.CreateCursor();
    GuardedStep("creating the transform bar", [&] { m_bar.Create(); });
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->SetPlugin(this);
    if (CUndoRedoManager* undo = m_host->undoManager()) {
        SetSelectModeTarget([this](int mode) { m_gizmo.SetMode(mode); });
        undo->registerCommand(kSelectModeCommand, &CreateSelectModeCommand);
    }
    // An engine or library failure in one step must not stop the sequence.
    GuardedStep("building the gizmo", [&] {
        // The gizmo's materials are cloned from this one.
        EnsureSelectTerrainMaterial();
        IEngineAccess* engine = m_host->engineAccess();
        m_gizmo.Create(engine ? engine->gameEngine() : nullptr, m_host->viewHost());
    });
    GuardedStep("adding the frame listener", [&] {
        // One listener only: a second one would stay with the engine after unload and call
        // into a deleted plug-in.
        if (!m_listener)
            m_listener = std::make_unique<CTranslateListener>(this);
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->addFrameListener(m_listener.get());
    });
    return 0;
}

int CTranslate::Unload() {
    IViewHost* viewHost = m_host->viewHost();
    // Nothing of the gizmo may stay in the scene (drawn over the entities) once its code is
    // gone.
    GuardedStep("removing the gizmo", [&] {
        m_gizmo.RemoveFromEngine();
        ReleaseSelectTerrainMaterial();
    });
    // The host must not keep showing a panel that is about to go.
    if (m_page.IsPageShown() && viewHost)
        viewHost->setSidePanel(nullptr);
    m_panelHost.DestroyWindow();
    if (m_menu) {
        wxMenuItem* first =
            m_menu->GetMenuItemCount() > 0 ? m_menu->FindItemByPosition(0) : nullptr;
        wxMenu* submenu = first ? first->GetSubMenu() : nullptr;
        if (submenu && viewHost)
            viewHost->removeMenu(this, submenu, 0);
        delete m_menu;
        m_menu = nullptr;
    }
    if (viewHost)
        viewHost->removeToolStrip(this, &m_toolStrip);
    // The strip's window, if anything gave it one, goes with the strip object itself.
    m_page.ReleaseCursor();
    if (CUndoRedoManager* undo = m_host->undoManager())
        undo->unregisterCommand(kSelectModeCommand);
    SetSelectModeTarget(nullptr);
    GuardedStep("removing the frame listener", [&] {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener.get());
    });
    m_listener.reset();
    return 0;
}

void CTranslate::FrameStep() {
    m_page.FrameStep();
    m_bar.CheckEnter();
}

// The host's slots.

int CTranslate::OnToolCommand(int commandId) {
    return Guarded("OnToolCommand", 0, [&] {
        const PluginCommand command = CommandOf(commandId);
        if (GizmoModeOf(command) >= 0) {
            if (IToolManager* tools = m_host->toolManager()) {
                const int tool = tools->toolForCommand(this, commandId);
                if (tool != -1)
                    tools->switchTool(tool);
            }
        } else if (command == PluginCommand::SelectParents) {
            m_selection.SelectParents();
        }
        return 1;
    });
}

int CTranslate::OnWindowMessage(unsigned message, std::uintptr_t wparam, std::intptr_t) {
    return Guarded("OnWindowMessage", 0, [&] {
        const PluginCommand command = CommandOfMessage(message, wparam);
        const int mode = GizmoModeOf(command);
        if (mode >= 0)
            m_gizmo.SetMode(mode);
        else if (command == PluginCommand::Copy && m_page.IsToolEngaged())
            m_selection.CopySelection();
        return 0;
    });
}

int CTranslate::OnNotify(int code, int arg, void* data) {
    return Guarded("OnNotify", 0, [&] {
        switch (NoticeOf(code)) {
        case Notice::Load:
            return Load();
        case Notice::Unload:
            return Unload();
        case Notice::Page:
            if (arg == 1)
                m_page.ShowPage();
            else
                m_page.HidePage();
            return 0;
        case Notice::SceneReset:
            m_page.OnSceneChange(nullptr, code);
            return 0;
        case Notice::EntityChanged: {
            void* entity = arg ? data : nullptr;
            m_page.OnSceneChange(entity, code);
            m_bar.Refresh(code, entity);
            return 0;
        }
        case Notice::Frame:
            return m_page.FrameSelection(static_cast<IView*>(data));
        case Notice::ToolEngaged:
            m_page.EngageTool();
            return 0;
        case Notice::ToolReleased:
            m_page.ReleaseTool();
            return 0;
        case Notice::Other:
            break;
        }
        return 0;
    });
}

int CTranslate::OnSelectRect(IView* view, int, const PixelRect& rect) {
    return Guarded("OnSelectRect", 0, [&] {
        if (!m_page.IsToolEngaged())
            return 0;
        return m_selection.SelectRect(view, rect);
    });
}

int CTranslate::OnPointerDown(IView* view, int viewNumber, int keyFlags, int x, int y) {
    return Guarded("OnPointerDown", 0, [&] {
        if (!m_page.IsToolEngaged())
            return 0;
        return m_drag.Press({view, viewNumber, PointerKeys::FromFlags(keyFlags), x, y});
    });
}

int CTranslate::OnPointerMove(IView* view, int viewNumber, int keyFlags, int x, int y) {
    return Guarded("OnPointerMove", 0, [&] {
        if (!m_page.IsToolEngaged())
            return 0;
        return m_drag.Move({view, viewNumber, PointerKeys::FromFlags(keyFlags), x, y});
    });
}

int CTranslate::OnPointerUp(IView* view, int viewNumber, int keyFlags, int x, int y) {
    return Guarded("OnPointerUp", 0, [&] {
        const PointerEvent event{view, viewNumber, PointerKeys::FromFlags(keyFlags), x, y};
        // Without the left button this is no release of ours: the pending step stays as it is.
        if (!event.keys.left() || !m_page.IsToolEngaged())
            return 0;
        if (m_drag.OnRelease(event) != CDragController::Release::NotADrag)
            return 1;
        const SelectMode mode = SelectModeOf(event.keys.ctrl(), event.keys.shift());
        return m_selection.ClickSelect(mode, view, x, y);
    });
}

int CTranslate::OnPointerOther(int, int button, int, int, int, int) {
    return Guarded("OnPointerOther", 0, [&] {
        if (!m_page.IsToolEngaged() || !PointerKeys::FromFlags(button).right())
            return 0;
        return m_drag.Cancel();
    });
}

int CTranslate::OnInputOther(int code, int) {
    return Guarded("OnInputOther", 0, [&] {
        if (!m_page.IsToolEngaged())
            return 0;
        switch (OtherInputOf(code)) {
        case OtherInput::Escape:
            return m_drag.Cancel();
        case OtherInput::TypedKey:
            return m_drag.TypeKey(code);
        case OtherInput::Other:
            break;
        }
        return 0;
    });
}

int CTranslate::OnHover(int a, int b) {
    return Guarded("OnHover", 0, [&] {
        m_page.Hover(a, b);
        return 0;
    });
}

int CTranslate::OnViewUpdate(IView* view, int viewNumber) {
    return Guarded("OnViewUpdate", 0, [&] {
        m_page.ViewUpdate(view, viewNumber);
        return 0;
    });
}

const char* CTranslate::GetPluginName() {
    return kPluginName;
}

const std::string& CTranslate::GetDisplayName() {
    return m_displayName;
}

int CTranslate::LoadText(unsigned id, char* buffer, int size) {
    return Guarded("LoadText", 0, [&] {
        if (!buffer || size <= 0)
            return 0;
        const char* text = FindGizmarkString(id);
        if (!text) {
            buffer[0] = '\0';
            return 0;
        }
        const std::size_t length = std::strlen(text);
        // Never end inside a multi-byte character.
        const std::size_t count = utf8::CharStart(text, length, static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, text, count);
        buffer[count] = '\0';
        return static_cast<int>(count);
    });
}

// IPanelOwner

int CTranslate::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    return m_drag.ApplyTransform(value, axis, kind);
}

float CTranslate::GroundHeight(Ogre::Vector3 point) {
    return m_drag.GroundHeight(point);
}

int CTranslate::SnapToGround() {
    return m_drag.SnapToGround();
}

// The plug-in object: the controllers wired together, the load and unload handed to them in
// order, and the host's slots. Each slot reads the host's codes into named form and hands the
// call to one controller, inside the guard that keeps every exception on this side of the
// boundary.
#include "CTranslate.h"

#include "CDialogParameter.h"
#include "GizmarkResources.h"
#include "Guarded.h"
#include "Interface.h"
#include "Utf8Cut.h"

#include <cstring>

namespace {

const char* const kPluginName = "CTranslate";

} // namespace

CTranslate::CTranslate(Interface* host, void* moduleHandle)
    : m_module(moduleHandle), m_host(host),
      m_sceneManager(host && host->engineAccess() ? host->engineAccess()->sceneManager() : nullptr),
      m_displayName("移动"), m_mode(host, m_gizmo, this), m_edits(host),
      m_drag(host, m_gizmo, m_edits, m_selection), m_selection(host, m_sceneManager),
      m_page(host, m_sceneManager, m_gizmo, m_panelHost, m_mode, this),
      m_bar(host, m_sceneManager) {
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->SetSceneManager(m_sceneManager);
}

// A drag still under way never reaches the undo stack (its open step goes with us), and a
// frame listener still added is taken off the engine by the page.
CTranslate::~CTranslate() = default;

int CTranslate::Load() {
    // In order: the bar, the mode command and cursor, then the page's panel, gizmo and frame
    // listener. A repeated load notification keeps what the first one made (the host may hold
    // the cursor).
    m_bar.Install();
    m_mode.Install();
    m_page.Install();
    return 0;
}

int CTranslate::Unload() {
    // The gizmo and panel first (nothing of them may outlive the code), then the host's strip,
    // menu and command. The bar goes with the plug-in object.
    m_held.Drop();
    m_page.Remove();
    m_drag.RemoveMarks();
    m_mode.Remove();
    return 0;
}

void CTranslate::AdoptPendingTransform(IBaseCommand* step) {
    m_drag.AdoptPendingStep(step);
}

void CTranslate::FrameStep() {
    RefreshHeldTexts();
    m_page.FrameStep();
    m_mode.FrameStep();
    m_bar.CheckEnter();
}

void CTranslate::RefreshHeldTexts() {
    // From the entities as they are now: the panel's own entity and the bar's first selected
    // one, whichever entity the held notifications named.
    m_held.Take([this](int code) {
        m_page.OnPanelChange(nullptr, code);
        m_bar.Refresh(code, nullptr);
    });
}

// The host's slots.

int CTranslate::OnToolCommand(int commandId) {
    return Guarded("OnToolCommand", 0, [&] {
        RefreshHeldTexts();
        const PluginCommand command = CommandOf(commandId);
        if (GizmoModeOf(command) >= 0)
            m_mode.EngageModeTool(commandId);
        else if (command == PluginCommand::SelectParents)
            m_selection.SelectParents();
        return 1;
    });
}

int CTranslate::OnWindowMessage(unsigned message, std::uintptr_t wparam, std::intptr_t) {
    return Guarded("OnWindowMessage", 0, [&] {
        RefreshHeldTexts();
        const PluginCommand command = CommandOfMessage(message, wparam);
        const int mode = GizmoModeOf(command);
        if (mode >= 0)
            m_mode.SwitchMode(mode);
        else if (command == PluginCommand::Copy && m_mode.IsToolEngaged())
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
            RefreshHeldTexts();
            return 0;
        case Notice::EntityChanged: {
            void* entity = arg ? data : nullptr;
            if (m_held.Hold(code)) {
                m_page.OnGizmoChange(entity, code);
                return 0;
            }
            // This one first: a removed entity is let go before the held texts are read.
            m_page.OnSceneChange(entity, code);
            m_bar.Refresh(code, entity);
            RefreshHeldTexts();
            return 0;
        }
        case Notice::Frame:
            return m_page.FrameSelection(static_cast<IView*>(data));
        case Notice::ToolEngaged:
            m_mode.EngageTool();
            return 0;
        case Notice::ToolReleased:
            m_mode.ReleaseTool();
            return 0;
        case Notice::Other:
            break;
        }
        return 0;
    });
}

int CTranslate::OnSelectRect(IView* view, int, const PixelRect& rect) {
    return Guarded("OnSelectRect", 0, [&] {
        RefreshHeldTexts();
        if (!m_mode.IsToolEngaged())
            return 0;
        return m_selection.SelectRect(view, rect);
    });
}

int CTranslate::OnPointerDown(IView* view, int viewNumber, int keyFlags, int x, int y) {
    return Guarded("OnPointerDown", 0, [&] {
        RefreshHeldTexts();
        // What was typed into the side panel counts before anything the press begins.
        if (CDialogParameter* panel = m_panelHost.GetPanel())
            panel->ApplyFocusedEdit();
        if (!m_mode.IsToolEngaged())
            return 0;
        return m_drag.Press({view, viewNumber, PointerKeys::FromFlags(keyFlags), x, y});
    });
}

int CTranslate::OnPointerMove(IView* view, int viewNumber, int keyFlags, int x, int y) {
    return Guarded("OnPointerMove", 0, [&] {
        if (!m_mode.IsToolEngaged())
            return 0;
        // The panel and bar show the step from the next frame on.
        CHeldRefresh::Scope hold(m_held);
        return m_drag.Move({view, viewNumber, PointerKeys::FromFlags(keyFlags), x, y});
    });
}

int CTranslate::OnPointerUp(IView* view, int viewNumber, int keyFlags, int x, int y) {
    return Guarded("OnPointerUp", 0, [&] {
        RefreshHeldTexts();
        const PointerEvent event{view, viewNumber, PointerKeys::FromFlags(keyFlags), x, y};
        // Without the left button this is no release of ours: the pending step stays as it is.
        if (!event.keys.left() || !m_mode.IsToolEngaged())
            return 0;
        if (m_drag.OnRelease(event) != CDragController::Release::NotADrag)
            return 1;
        const SelectMode mode = SelectModeOf(event.keys.ctrl(), event.keys.shift());
        return m_selection.ClickSelect(mode, view, x, y);
    });
}

int CTranslate::OnPointerOther(int, int button, int, int, int, int) {
    return Guarded("OnPointerOther", 0, [&] {
        RefreshHeldTexts();
        if (!m_mode.IsToolEngaged() || !PointerKeys::FromFlags(button).right())
            return 0;
        return m_drag.Cancel();
    });
}

int CTranslate::OnInputOther(int code, int) {
    return Guarded("OnInputOther", 0, [&] {
        RefreshHeldTexts();
        const OtherInput input = OtherInputOf(code);
        // Letting go of V always counts: its marks go even when the tool was disengaged since.
        if (input == OtherInput::VertexKeyUp)
            return m_drag.VertexKey(false);
        if (!m_mode.IsToolEngaged())
            return 0;
        switch (input) {
        case OtherInput::VertexKeyDown:
            return m_drag.VertexKey(true);
        case OtherInput::VertexKeyUp:
            return m_drag.VertexKey(false);
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
    return m_edits.ApplyTransform(value, axis, kind);
}

float CTranslate::GroundHeight(Ogre::Vector3 point) {
    return m_edits.GroundHeight(point);
}

int CTranslate::SnapToGround() {
    return m_edits.SnapToGround();
}

// The plug-in object: construction, the load and unload notifications, tear-down and the
// query slots.
#include "CTranslate.h"

#include "CSelectModeCommand.h"
#include "CTranslateListener.h"
#include "Interface.h"
#include "GizmarkResources.h"

#include <OgreException.h>
#include <OgreRoot.h>

#include <wx/app.h>
#include <wx/cursor.h>
#include <wx/menu.h>

#include <cstring>
#include <exception>

namespace {

const char* const kSelectModeCommand = "SelectTranslateMode";

// Runs one step of load or unload; an engine or library failure in it must not stop the
// sequence or leave the module.
template <typename Step> void RunStep(Step&& step) {
    try {
        step();
    } catch (const Ogre::Exception&) {
    } catch (const std::exception&) {
    }
}

} // namespace

CTranslate::CTranslate(Interface* host, void* moduleHandle) : m_displayName("移动") {
    m_host = host;
    m_module = moduleHandle;
    m_menu = nullptr;
    m_cursor = nullptr;
    m_pageShown = 0;
    m_toolEngaged = 0;
    IEngineAccess* engine = host ? host->engineAccess() : nullptr;
    m_sceneManager = engine ? engine->sceneManager() : nullptr;
    m_pending = nullptr;
    m_listener = nullptr;
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->SetSceneManager(m_sceneManager);
}

CTranslate::~CTranslate() {
    // A drag still under way never reaches the undo stack.
    delete m_pending;
    m_pending = nullptr;
    // The unload notification normally released these; a plug-in deleted without it must
    // not leave the engine calling into a deleted object.
    if (m_listener) {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener);
        delete m_listener;
        m_listener = nullptr;
    }
    delete m_cursor;
    m_cursor = nullptr;
}

int CTranslate::OnLoad() {
    IViewHost* viewHost = m_host->viewHost();
    // A repeated load notification keeps what the first one made: the host may hold the cursor.
    if (!m_cursor)
        m_cursor = CreateGizmarkCursor();
    RunStep([&] { m_transformBar.Create(wxTheApp ? wxTheApp->GetTopWindow() : nullptr); });
    if (CDialogParameter* panel = m_panelHost.GetPanel())
        panel->SetPlugin(this);
    if (CUndoRedoManager* undo = m_host->undoManager()) {
        SetSelectModeTarget([this](int mode) { m_gizmo.SetMode(mode); });
        undo->registerCommand(kSelectModeCommand, &CreateSelectModeCommand);
    }
    RunStep([&] {
        // The gizmo's materials are cloned from this one.
        EnsureSelectTerrainMaterial();
        IEngineAccess* engine = m_host->engineAccess();
        m_gizmo.Create(engine ? engine->gameEngine() : nullptr, viewHost);
    });
    RunStep([&] {
        // One listener only: a second one would stay with the engine after unload and call
        // into a deleted plug-in.
        if (!m_listener)
            m_listener = new CTranslateListener(this);
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->addFrameListener(m_listener);
    });
    return 0;
}

int CTranslate::OnUnload() {
    IViewHost* viewHost = m_host->viewHost();
    RunStep([&] { m_gizmo.ReleaseMaterials(); });
    // The host must not keep showing a panel that is about to go.
    if (m_pageShown && viewHost)
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
    delete m_cursor;
    m_cursor = nullptr;
    if (CUndoRedoManager* undo = m_host->undoManager())
        undo->unregisterCommand(kSelectModeCommand);
    SetSelectModeTarget(nullptr);
    RunStep([&] {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener);
    });
    delete m_listener;
    m_listener = nullptr;
    OnShutdown();
    return 0;
}

int CTranslate::LoadText(unsigned id, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    const char* text = FindGizmarkString(id);
    if (!text) {
        buffer[0] = '\0';
        return 0;
    }
    std::size_t count = std::strlen(text);
    if (count > static_cast<std::size_t>(size - 1)) {
        count = static_cast<std::size_t>(size - 1);
        // Never end inside a multi-byte character.
        while (count > 0 && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80)
            --count;
    }
    std::memcpy(buffer, text, count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}

// The plug-in object: construction, the load and unload notifications, tear-down and the
// query slots.
#include "CTranslate.h"

#include "CSelectModeCommand.h"
#include "CTranslateListener.h"
#include "Interface.h"
#include "GizmarkResources.h"
#include "Guarded.h"

#include <OgreRoot.h>

#include <wx/app.h>
#include <wx/cursor.h>
#include <wx/menu.h>

#include <cstring>

namespace {

const char* const kSelectModeCommand = "SelectTranslateMode";

} // namespace

CTranslate::CTranslate(Interface* host, void* moduleHandle) : m_drag(host), m_displayName("移动") {
    m_host = host;
    m_module = moduleHandle;
    m_menu = nullptr;
    m_pageShown = 0;
    m_toolEngaged = 0;
    IEngineAccess* engine = host ? host->engineAccess() : nullptr;
    m_sceneManager = engine ? engine->sceneManager() : nullptr;
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

int CTranslate::OnLoad() {
    IViewHost* viewHost = m_host->viewHost();
    // A repeated load notification keeps what the first one made: the host may hold the cursor.
    if (!m_cursor)
        m_cursor.reset(CreateGizmarkCursor());
    GuardedStep("creating the transform bar",
                [&] { m_transformBar.Create(wxTheApp ? wxTheApp->GetTopWindow() : nullptr); });
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
        m_gizmo.Create(engine ? engine->gameEngine() : nullptr, viewHost);
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

int CTranslate::OnUnload() {
    IViewHost* viewHost = m_host->viewHost();
    GuardedStep("releasing the gizmo materials", [&] { m_gizmo.ReleaseMaterials(); });
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
    m_cursor.reset();
    if (CUndoRedoManager* undo = m_host->undoManager())
        undo->unregisterCommand(kSelectModeCommand);
    SetSelectModeTarget(nullptr);
    GuardedStep("removing the frame listener", [&] {
        if (Ogre::Root* root = Ogre::Root::getSingletonPtr())
            root->removeFrameListener(m_listener.get());
    });
    m_listener.reset();
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

#include "CEditorSession.h"

#include "CEditorHost.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "SessionRecovery.h"
#include "CViewWindow.h"
#include "DesktopFiles.h"
#include "UserFiles.h"
#include "CEditorUndoManager.h"
#include "CPluginLoader.h"
#include "CToolManager.h"
#include "HostInstance.h"
#include "CEditorEngine.h"
#include "CEditorScene.h"
#include "DemoScene.h"
#include "SceneFormats.h"
#include "SceneCommands.h"
#include "EditCommands.h"
#include "PlaceCommands.h"

#include <OgreLogManager.h>
#include <OgreRenderTargetListener.h>
#include <OgreRenderWindow.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filesys.h>
#include <wx/fs_mem.h>
#include <wx/image.h>
#include <wx/uiaction.h>
#include <wx/xrc/xmlres.h>

#include <cstdio>
#include <utility>
#include <sstream>

// Tells the host when a view is about to be drawn; the host has the plug-ins lay out views 1 to 3
// for it (OnViewUpdate), view 0 being laid out by the plug-ins' own frame step.
class CEditorSession::CDrawnListener : public Ogre::RenderTargetListener {
public:
    explicit CDrawnListener(CEditorHost& host) : m_host(host) {}
    void Attach(CMainFrame& frame) {
        for (int i = 0; i < frame.ViewCount(); ++i)
            if (Ogre::RenderWindow* window = frame.GetViewWindow(i)->GetRenderWindow()) {
                window->addListener(this);
                m_windows.push_back({window, i});
            }
    }
    void Detach() {
        for (auto& entry : m_windows)
            entry.first->removeListener(this);
        m_windows.clear();
    }
    void preRenderTargetUpdate(const Ogre::RenderTargetEvent& event) override {
        for (auto& entry : m_windows)
            if (entry.first == event.source)
                m_host.ViewDrawn(entry.second);
    }

private:
    CEditorHost& m_host;
    std::vector<std::pair<Ogre::RenderTarget*, int>> m_windows;
};

CEditorSession::CEditorSession(const EditorOptions& options,
                               std::vector<CScriptRunner::CommandSet> commandSets)
    : m_options(options), m_commandSets(std::move(commandSets)) {}

CEditorSession::~CEditorSession() {
    Shutdown();
    if (m_loop) {
        if (wxEventLoopBase::GetActive() == m_loop)
            wxEventLoopBase::SetActive(nullptr);
        delete m_loop;
    }
}

CEditorScene& CEditorSession::Scene() {
    return *m_engine->GetScene();
}

bool CEditorSession::Start(std::string& error) {
    if (m_started) {
        error = "the editor session is already started";
        return false;
    }
    if (!wxTheApp) {
        error = "the toolkit is not initialised";
        return false;
    }
    static bool toolkitPrepared = false;
    if (!toolkitPrepared) {
        // Plug-ins keep their compiled-in resources in the memory file system.
        wxFileSystem::AddHandler(new wxMemoryFSHandler);
        wxXmlResource::Get()->InitAllHandlers();
        wxInitAllImageHandlers();
        toolkitPrepared = true;
    }

    if (!Ogre::LogManager::getSingletonPtr()) {
        // Ogre's log would otherwise mix with the scripts' output on stdout.
        m_log = std::make_unique<Ogre::LogManager>();
        m_log->createLog("", true, false, true);
    }
    m_engine = std::make_unique<CEditorEngine>(true);
    if (m_engine->IsHeadless()) {
        error = "the OpenGL render system could not be started";
        m_engine.reset();
        m_log.reset();
        return false;
    }
    m_host = std::make_unique<CEditorHost>(*m_engine);
    SetInterfaceHinstance(m_host.get());

    m_frame = new CMainFrame(*m_host, m_options.views, wxSize(m_options.width, m_options.height));
    m_host->AttachFrame(m_frame);
    wxTheApp->SetTopWindow(m_frame);
    m_frame->Show();
    m_started = true; // from here on Shutdown has something to undo
    for (int i = 0; i < 5; ++i)
        ProcessEvents();
    if (!m_frame->CreateViews(*m_engine)) {
        error = "the views' render windows could not be created";
        Shutdown();
        return false;
    }
    // Meshes need the render system's buffer manager, which the first render window makes.
    CreateDemoMeshes(*m_engine);
    m_document = std::make_unique<CSceneDocument>(*m_host);
    m_frame->SetDocument(m_document.get());
    m_desktop = std::make_unique<CDesktopFiles>(*m_frame, *m_document, *m_host,
                                                CUserSettings::DefaultPath());
    // A scene file is read by the format its first bytes name (SceneFormats.h). One the editor
    // also saves opens as the document; one it only reads becomes the scene's content and is
    // shown by name. A file that cannot be read at all goes to the default format's reader,
    // which says why.
    const SceneFormat* format = m_options.sceneFile.empty()
                                    ? nullptr
                                    : &EditorSceneFormats().ForOpening(m_options.sceneFile);
    if (format && format->write) {
        std::vector<std::string> warnings;
        if (!m_document->Open(m_options.sceneFile, error, warnings)) {
            Shutdown();
            return false;
        }
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "scene-editor: warning: %s\n", warning.c_str());
        m_frame->ShowWarnings(warnings);
    } else if (format) {
        std::vector<std::string> warnings;
        std::unique_ptr<CEditorScene> loaded =
            format->read(m_options.sceneFile, Scene().GetOgreSceneManager(), warnings, error);
        if (!loaded) {
            Shutdown();
            return false;
        }
        Scene().TakeContent(*loaded);
        m_document->SetSourceName(m_options.sceneFile);
    } else {
        BuildDemoScene(Scene());
    }
    RegisterSceneCommands(m_host->Undo(), Scene(), m_host->Tools());
    RegisterEditCommands(m_host->Undo(), Scene(), m_host->Tools());
    RegisterPlaceCommands(m_host->Undo(), Scene(), m_host->Tools());
    m_drawnListener = std::make_unique<CDrawnListener>(*m_host);
    m_drawnListener->Attach(*m_frame);
    m_frame->SetViewsChangedHandler([this] {
        m_drawnListener->Detach();
        m_drawnListener->Attach(*m_frame);
    });

    m_host->Loader().setOnLoaded([this](const CPluginLoader::Module& module) {
        for (IPluginBase* plugin : module.plugins)
            m_frame->BuildToolStrip(plugin);
        m_frame->UpdateLayout();
    });
    if (m_options.loadPlugins)
        m_host->Loader().LoadFolder(m_options.pluginDir.empty() ? DefaultPluginDir()
                                                                : m_options.pluginDir);
    m_frame->UpdateLayout();
    // The editor starts with the first tool of the first strip engaged (select mode).
    if (m_host->Tools().CurrentTool() < 0)
        m_frame->ClickStripTool(0);

    m_script = std::make_unique<CScriptRunner>(*this);
    m_script->AddCommandSets(m_commandSets);
    RenderFrames(2);
    m_document->MarkSaved(); // the scene as started is the saved one
    m_recovery = std::make_unique<CSessionRecovery>(*m_host, *m_document, m_frame,
                                                    m_options.autosaveSeconds);
    return true;
}

void CEditorSession::Shutdown() {
    if (!m_started)
        return;
    m_started = false;
    SetHeldKeys(0);
    if (m_frame)
        m_frame->StopRenderLoop();
    // A clean exit: the process's recovery copy is not needed any more.
    if (m_recovery)
        m_recovery->CleanExit();
    m_recovery.reset();
    // Steps may refer to the scene and to module code: drop them while both exist.
    m_host->Undo().clear();
    m_host->Loader().UnloadAll();
    UnregisterSceneCommands(m_host->Undo());
    UnregisterEditCommands(m_host->Undo());
    UnregisterPlaceCommands(m_host->Undo());
    m_host->Undo().clear();
    if (m_frame)
        m_frame->SetViewsChangedHandler(nullptr);
    if (m_drawnListener)
        m_drawnListener->Detach();
    m_drawnListener.reset();
    m_desktop.reset();
    if (m_frame) {
        m_frame->SetCloseHandler(nullptr);
        m_frame->SetDocument(nullptr);
        m_frame->DestroyViews();
        m_host->AttachFrame(nullptr);
        if (wxTheApp && wxTheApp->GetTopWindow() == m_frame)
            wxTheApp->SetTopWindow(nullptr);
        m_frame->Destroy();
        m_frame = nullptr;
        ProcessEvents();
    }
    SetInterfaceHinstance(nullptr);
    m_script.reset();
    m_document.reset();
    m_host.reset();
    m_engine.reset();
    m_log.reset();
}

void CEditorSession::ProcessEvents() {
    if (!wxTheApp)
        return;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (!loop) {
        // No main loop runs (scripts, tests): use our own for yielding.
        if (!m_loop)
            m_loop = new wxGUIEventLoop;
        wxEventLoopBase::SetActive(m_loop);
        loop = m_loop;
    }
    if (!loop->IsYielding())
        loop->YieldFor(wxEVT_CATEGORY_ALL);
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
}

void CEditorSession::RaiseMainWindow() {
    if (m_frame)
        m_frame->Raise();
}

void CEditorSession::RenderTick() {
    if (!m_started)
        return;
    m_frame->UpdateRubberBands();
    m_frame->UpdateDocumentState();
    if (m_recovery)
        m_recovery->Tick();
    m_engine->RenderOneFrame();
    m_frame->DrainViewEvents();
}

void CEditorSession::RenderFrames(int n) {
    for (int i = 0; i < n && m_started; ++i) {
        ProcessEvents();
        RenderTick();
    }
    ProcessEvents();
}

void CEditorSession::SetHeldKeys(int keyFlags) {
    keyFlags &= KEY_SHIFT | KEY_CTRL | KEY_ALT;
    if (keyFlags == m_heldKeys || !wxTheApp)
        return;
    wxUIActionSimulator simulator;
    const struct {
        int flag;
        int key;
    } keys[] = {{KEY_SHIFT, WXK_SHIFT}, {KEY_CTRL, WXK_CONTROL}, {KEY_ALT, WXK_ALT}};
    for (const auto& k : keys) {
        const bool want = (keyFlags & k.flag) != 0;
        const bool held = (m_heldKeys & k.flag) != 0;
        if (want && !held)
            simulator.KeyDown(k.key);
        else if (!want && held)
            simulator.KeyUp(k.key);
    }
    m_heldKeys = keyFlags;
    ProcessEvents();
}

bool CEditorSession::RunScriptLine(const std::string& line) {
    if (!m_script)
        return false;
    return m_script->RunLine(line, ++m_lineNumber) != CScriptRunner::Result::Error;
}

int CEditorSession::RunScript(const std::string& text) {
    if (!m_script)
        return 2;
    std::istringstream in(text);
    return m_script->Run(in);
}

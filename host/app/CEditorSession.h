// The whole editor in one object: engine, main frame with its views, host, plug-ins and the
// script runner. scene-editor's main uses it, and so can a GUI test inside its own process:
//
//   wxApp::SetInstance(new wxApp);                      // a GUI app object first
//   int one = 1; wxEntryStart(one, argv);                // (a wxApp would parse the options)
//   EditorOptions options; options.pluginDir = "...";   // views, size, scene...
//   CEditorSession session(options, EditorCommandSets()); // the script language's commands
//   std::string error;
//   if (!session.Start(error)) ...;                       // frame shown, plug-ins loaded
//   session.RunScriptLine("select box_a");                // script commands, same as --script
//   session.RenderFrames(3);
//   session.Shutdown();                                   // plug-ins unloaded, frame destroyed
//
// Only one session may exist at a time (GetInterfaceHinstance answers its host).
#pragma once

#include "EditorOptions.h"
#include "ScriptEnvironment.h"
#include "ScriptRunner.h"

#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class LogManager;
}
class CEditorEngine;
class CEditorHost;
class CDesktopFiles;
class CEditorScene;
class CMainFrame;
class CSceneDocument;
class CSessionRecovery;

class CEditorSession : public IScriptEnvironment {
public:
    // `commandSets`: what the script runner made at Start understands (the editor's are
    // EditorCommandSets(), host/app/commands).
    CEditorSession(const EditorOptions& options,
                   std::vector<CScriptRunner::CommandSet> commandSets);
    virtual ~CEditorSession(); // calls Shutdown
    CEditorSession(const CEditorSession&) = delete;
    CEditorSession& operator=(const CEditorSession&) = delete;

    // Builds the engine (GL), the scene (demo or --scene file), the main frame and its views,
    // the host, and loads the plug-ins. Needs wx initialised and an X display. False with a
    // message when something could not be built (e.g. a bad scene file).
    bool Start(std::string& error);
    // Unloads the plug-ins (reverse order), destroys the frame and the engine. Idempotent.
    void Shutdown();
    bool IsStarted() const { return m_started; }

    // Runs one script line with the session's runner (line numbers count up per call).
    // Returns false for a bad line; the message is in Script().LastError().
    bool RunScriptLine(const std::string& line);
    // Runs a whole script; returns the exit code (0, or 2 after a bad line).
    int RunScript(const std::string& text);

    // Renders n frames (every view, frame listeners run), handling pending wx events between.
    void RenderFrames(int n);
    // Handles pending wx events without rendering.
    void ProcessEvents() override;
    // Raises the main frame, so that simulated keys reach it (no window manager may give it
    // the keyboard otherwise).
    void RaiseMainWindow() override;
    // One frame of the interactive render loop (called from the frame's timer).
    void RenderTick();

    // Keys held for the plug-ins' wxGetKeyState (KEY_SHIFT | KEY_CTRL), pressed and released
    // through the toolkit's input simulator.
    void SetHeldKeys(int keyFlags);
    int HeldKeys() const { return m_heldKeys; }

    const EditorOptions& Options() const { return m_options; }
    CEditorHost& Host() { return *m_host; }
    CEditorEngine& Engine() { return *m_engine; }
    CEditorScene& Scene();
    CMainFrame* Frame() { return m_frame; }
    CScriptRunner& Script() { return *m_script; }
    // The scene's file and unsaved state.
    CSceneDocument& Document() { return *m_document; }
    // Autosave and recovery copies (SessionRecovery.h).
    CSessionRecovery& Recovery() { return *m_recovery; }
    // The recent files and drops on the main window (null before Start and after Shutdown).
    CDesktopFiles* Desktop() { return m_desktop.get(); }

private:
    EditorOptions m_options;
    std::vector<CScriptRunner::CommandSet> m_commandSets;
    std::unique_ptr<Ogre::LogManager> m_log; // declared first: ends after the engine
    std::unique_ptr<CEditorEngine> m_engine;
    std::unique_ptr<CEditorHost> m_host;
    std::unique_ptr<CScriptRunner> m_script;
    std::unique_ptr<CSceneDocument> m_document;
    std::unique_ptr<CSessionRecovery> m_recovery;
    std::unique_ptr<CDesktopFiles> m_desktop;
    CMainFrame* m_frame = nullptr; // a wx top-level window: destroyed through wx
    bool m_started = false;
    int m_lineNumber = 0;
    int m_heldKeys = 0;
    class CDrawnListener;
    std::unique_ptr<CDrawnListener> m_drawnListener;
    class wxEventLoopBase* m_loop = nullptr; // our own, when no loop is running
};

// The editor's script language: one command a line, "#" starts a comment.
//
// Commands live in a table. A handler gets the words after the command name and answers true
// when done; false with `error` set marks a bad line: the runner prints "script:LINE: error" on
// the error stream and the run ends with exit code 2, changing nothing more.
//
// Commands come in groups, one file and one Register...ScriptCommands function each (declared
// below, listed in the app's CMakeLists); the session calls each function once when it starts.
// Inside, runner.AddCommand("name", handler) for each command.
// Handlers reach the editor through runner.Session() (host, views, engine, frame rendering,
// pointer input) and print through runner.Out(). A handler must not throw.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class CEditorSession;

class CScriptRunner {
public:
    using Args = std::vector<std::string>;
    using Handler =
        std::function<bool(CScriptRunner& runner, const Args& args, std::string& error)>;
    enum class Result { Ok, Quit, Error };

    explicit CScriptRunner(CEditorSession& session);

    // False when the name is empty or already taken (the first handler stays).
    bool AddCommand(const std::string& name, Handler handler);
    bool HasCommand(const std::string& name) const;
    // Sets a command's handler, answering the one it had (empty when none): a group that adds
    // a case to another group's command wraps that command's handler.
    Handler ReplaceCommand(const std::string& name, Handler handler);

    // Runs every line until "quit", a bad line or the end. Returns 0, or 2 after a bad line.
    int Run(std::istream& in);
    // Runs one line; lineNumber is used in the error message.
    Result RunLine(const std::string& line, int lineNumber);
    const std::string& LastError() const { return m_lastError; }

    CEditorSession& Session() { return m_session; }
    // The view later commands act on ("view N"); 0 at start.
    int TargetView() const { return m_targetView; }
    void SetTargetView(int view) { m_targetView = view; }

    // Output of the commands (stdout by default) and of the error messages (stderr by default).
    std::ostream& Out();
    std::ostream& Err();
    void SetOutput(std::ostream* out) { m_out = out; }
    void SetErrorOutput(std::ostream* err) { m_err = err; }

    // Helpers for handlers: whole-word number parsing, false on junk or overflow.
    static bool ParseInt(const std::string& text, int& value);
    static bool ParseFloat(const std::string& text, float& value);
    // Splits a line into words at spaces and tabs; drops "#" comments.
    static Args Split(const std::string& line);

private:
    CEditorSession& m_session;
    std::map<std::string, Handler> m_commands;
    int m_targetView = 0;
    std::ostream* m_out = nullptr;
    std::ostream* m_err = nullptr;
    std::string m_lastError;
};

// Built-in commands (ScriptCommands.cpp): view, select, selection, print, project, frames,
// undo, redo, screenshot, viewshot, quit, tool, press, move, release, keys, rect, parents,
// copy, frame.
void RegisterBuiltinScriptCommands(CScriptRunner& runner);
// Commands added by other files of the app (see the top of this file).
void RegisterGizmoScriptCommands(CScriptRunner& runner);
void RegisterPluginScriptCommands(CScriptRunner& runner);
// Typing into and clicking the plug-ins' panels (ScriptPanelCommands.cpp).
void RegisterPanelScriptCommands(CScriptRunner& runner);
// A light's values and the side panel's light page (ScriptLightCommands.cpp); adds "show light"
// to the panel group's "show", so it is registered after that group.
void RegisterLightScriptCommands(CScriptRunner& runner);
// Scene files: open, save, entities, title (ScriptSceneCommands.cpp).
void RegisterSceneScriptCommands(CScriptRunner& runner);
// Unloading and loading the plug-in modules, resident memory (ScriptModuleCommands.cpp).
void RegisterModuleScriptCommands(CScriptRunner& runner);

// The script that --demo runs, writing its pictures into outDir.
std::string BuiltinDemoScript(const std::string& outDir, int viewCount, bool withMoveTool);

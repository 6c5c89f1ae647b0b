// The editor's script language: one command a line, "#" starts a comment.
//
// Commands live in a table. A handler gets the words after the command name and answers true
// when done; false with `error` set marks a bad line: the runner prints "script:LINE: error" on
// the error stream and the run ends with exit code 2, changing nothing more.
//
// The language itself knows no command but "quit". The program adds its commands in groups
// (command sets: one function each that calls runner.AddCommand("name", handler) for each of
// its commands), all listed in one place of the program and added when the runner is made.
// A group may also add a case to another group's command: runner.AddCase("show", "light", h)
// runs h for "show light ...", whichever group was added first. Handlers reach the program
// through runner.Environment() and print through runner.Out(). A handler must not throw.
#pragma once

#include "ScriptEnvironment.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class CScriptRunner {
public:
    using Args = std::vector<std::string>;
    using Handler =
        std::function<bool(CScriptRunner& runner, const Args& args, std::string& error)>;
    enum class Result { Ok, Quit, Error };

    using CommandSet = void (*)(CScriptRunner& runner);

    explicit CScriptRunner(IScriptEnvironment& environment);

    // Adds the commands of each set, in the order given.
    void AddCommandSets(const std::vector<CommandSet>& sets);
    // False when the name is empty or "quit", or already taken (the first handler stays): a
    // command never silently changes hands.
    bool AddCommand(const std::string& name, Handler handler);
    // A case of a command: "COMMAND WORD REST..." runs `handler` with REST as its words; other
    // lines of COMMAND run the command's own handler, or without one are refused with the
    // command's usage made of its cases. False when a word is empty or the case is taken.
    bool AddCase(const std::string& command, const std::string& word, Handler handler);
    bool HasCommand(const std::string& name) const;
    // The commands and cases ("COMMAND WORD") refused because another handler had them: two
    // sets claiming one name would otherwise leave the one added later out unnoticed.
    const std::vector<std::string>& Clashes() const { return m_clashes; }
    // Every command and every case ("COMMAND WORD") the runner holds, in name order.
    std::vector<std::string> Names() const;

    // Runs every line until "quit", a bad line or the end. Returns 0, or 2 after a bad line.
    int Run(std::istream& in);
    // Runs one line; lineNumber is used in the error message.
    Result RunLine(const std::string& line, int lineNumber);
    const std::string& LastError() const { return m_lastError; }

    IScriptEnvironment& Environment() { return m_environment; }
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
    bool Dispatch(const std::string& name, const Args& args, std::string& error);

    IScriptEnvironment& m_environment;
    std::map<std::string, Handler> m_commands;
    std::map<std::string, std::map<std::string, Handler>> m_cases; // by command, then word
    std::vector<std::string> m_clashes;
    int m_targetView = 0;
    std::ostream* m_out = nullptr;
    std::ostream* m_err = nullptr;
    std::string m_lastError;
};

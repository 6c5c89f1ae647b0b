#include "ScriptRunner.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>

CScriptRunner::CScriptRunner(CEditorSession& session) : m_session(session) {}

bool CScriptRunner::AddCommand(const std::string& name, Handler handler) {
    if (name.empty() || !handler || name == "quit")
        return false;
    return m_commands.emplace(name, std::move(handler)).second;
}

CScriptRunner::Handler CScriptRunner::ReplaceCommand(const std::string& name, Handler handler) {
    if (name.empty() || !handler || name == "quit")
        return nullptr;
    Handler& slot = m_commands[name];
    Handler previous = std::move(slot);
    slot = std::move(handler);
    return previous;
}

bool CScriptRunner::HasCommand(const std::string& name) const {
    return name == "quit" || m_commands.count(name) > 0;
}

std::ostream& CScriptRunner::Out() {
    return m_out ? *m_out : std::cout;
}
std::ostream& CScriptRunner::Err() {
    return m_err ? *m_err : std::cerr;
}

CScriptRunner::Args CScriptRunner::Split(const std::string& line) {
    Args words;
    std::string word;
    for (char c : line) {
        if (c == '#' && word.empty())
            break; // a comment runs to the end of the line
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool CScriptRunner::ParseInt(const std::string& text, int& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < -1000000000L || v > 1000000000L)
        return false;
    value = static_cast<int>(v);
    return true;
}

bool CScriptRunner::ParseFloat(const std::string& text, float& value) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    float v = std::strtof(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

CScriptRunner::Result CScriptRunner::RunLine(const std::string& line, int lineNumber) {
    const Args words = Split(line);
    if (words.empty())
        return Result::Ok;
    const std::string& name = words[0];
    const Args args(words.begin() + 1, words.end());
    std::string error;
    if (name == "quit") {
        if (args.empty())
            return Result::Quit;
        error = "quit takes no arguments";
    } else {
        auto it = m_commands.find(name);
        if (it == m_commands.end())
            error = "unknown command '" + name + "'";
        else if (it->second(*this, args, error))
            error.clear();
        else if (error.empty())
            error = name + ": failed";
    }
    Out().flush();
    if (error.empty())
        return Result::Ok;
    m_lastError = error;
    Err() << "script:" << lineNumber << ": " << error << std::endl;
    return Result::Error;
}

int CScriptRunner::Run(std::istream& in) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        switch (RunLine(line, number)) {
        case Result::Ok:
            break;
        case Result::Quit:
            return 0;
        case Result::Error:
            return 2;
        }
    }
    return 0;
}

#include "ScriptRunner.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iostream>

CScriptRunner::CScriptRunner(IScriptEnvironment& environment) : m_environment(environment) {}

void CScriptRunner::AddCommandSets(const std::vector<CommandSet>& sets) {
    for (CommandSet set : sets) {
        if (set)
            set(*this);
    }
}

bool CScriptRunner::AddCommand(const std::string& name, Handler handler) {
    if (name.empty() || !handler || name == "quit")
        return false;
    if (m_commands.emplace(name, std::move(handler)).second)
        return true;
    m_clashes.push_back(name);
    return false;
}

bool CScriptRunner::AddCase(const std::string& command, const std::string& word, Handler handler) {
    if (command.empty() || word.empty() || !handler || command == "quit")
        return false;
    if (m_cases[command].emplace(word, std::move(handler)).second)
        return true;
    m_clashes.push_back(command + " " + word);
    return false;
}

bool CScriptRunner::HasCommand(const std::string& name) const {
    return name == "quit" || m_commands.count(name) > 0 || m_cases.count(name) > 0;
}

std::vector<std::string> CScriptRunner::Names() const {
    std::vector<std::string> names;
    for (const auto& command : m_commands)
        names.push_back(command.first);
    for (const auto& cases : m_cases)
        for (const auto& word : cases.second)
            names.push_back(cases.first + " " + word.first);
    std::sort(names.begin(), names.end());
    return names;
}

bool CScriptRunner::Dispatch(const std::string& name, const Args& args, std::string& error) {
    const auto cases = m_cases.find(name);
    if (cases != m_cases.end() && !args.empty()) {
        const auto found = cases->second.find(args[0]);
        if (found != cases->second.end())
            return found->second(*this, Args(args.begin() + 1, args.end()), error);
    }
    const auto command = m_commands.find(name);
    if (command != m_commands.end())
        return command->second(*this, args, error);
    if (cases == m_cases.end()) {
        error = "unknown command '" + name + "'";
        return false;
    }
    error = "usage: " + name + " ";
    for (auto it = cases->second.begin(); it != cases->second.end(); ++it)
        error += (it == cases->second.begin() ? "" : "|") + it->first;
    return false;
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
        if (Dispatch(name, args, error))
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

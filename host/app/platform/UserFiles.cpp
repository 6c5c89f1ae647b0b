#include "UserFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {
// An XDG folder variable, used only when it is absolute; else $HOME/`fallback`.
std::string XdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return std::string(value) + "/gizmark";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/" + fallback + "/gizmark";
    return {};
}

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
}
} // namespace

std::string UserConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string UserStateFolder() {
    return XdgFolder("XDG_STATE_HOME", ".local/state");
}

bool MakeUserFolder(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "no folder for the user's files (neither XDG variable nor HOME is set)";
        return false;
    }
    for (std::size_t end = 1; end <= path.size(); ++end) {
        if (end != path.size() && path[end] != '/')
            continue;
        const std::string part = path.substr(0, end);
        struct stat info;
        if (::stat(part.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                error = "'" + part + "' is not a folder";
                return false;
            }
            continue;
        }
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot make folder '" + part + "': " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

CUserSettings::CUserSettings(std::string path) : m_path(std::move(path)) {}

std::string CUserSettings::DefaultPath() {
    const std::string folder = UserConfigFolder();
    return folder.empty() ? std::string() : folder + "/settings";
}

bool CUserSettings::Load(std::string& error) {
    m_values.clear();
    if (m_path.empty())
        return true;
    std::ifstream in(m_path, std::ios::binary);
    if (!in) {
        if (errno == ENOENT)
            return true;
        error = "cannot read settings '" + m_path + "': " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        m_values[line.substr(0, equals)] = Unescape(line.substr(equals + 1));
    }
    return true;
}

bool CUserSettings::Save(std::string& error) const {
    if (m_path.empty()) {
        error = "no folder for the user's settings (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    if (!MakeUserFolder(Folder(m_path), error))
        return false;
    std::ostringstream text;
    for (const auto& [key, value] : m_values)
        text << key << '=' << Escape(value) << '\n';
    const std::string bytes = text.str();
    const std::string temp = m_path + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot write settings '" + temp + "': " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), m_path.c_str()) != 0) {
        error = "cannot write settings '" + m_path + "': " + std::strerror(ok ? errno : savedErrno);
        ::unlink(temp.c_str());
        return false;
    }
    const int folder = ::open(Folder(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

std::string CUserSettings::Get(const std::string& key, const std::string& fallback) const {
    const auto found = m_values.find(key);
    return found == m_values.end() ? fallback : found->second;
}

long CUserSettings::GetNumber(const std::string& key, long fallback, long lo, long hi) const {
    const auto found = m_values.find(key);
    if (found == m_values.end() || found->second.empty())
        return fallback;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(found->second.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < lo || value > hi)
        return fallback;
    return value;
}

void CUserSettings::Set(const std::string& key, const std::string& value) {
    m_values[key] = value;
}

std::vector<std::string> CUserSettings::GetList(const std::string& name) const {
    std::vector<std::string> values;
    for (int i = 0;; ++i) {
        const auto found = m_values.find(name + "." + std::to_string(i));
        if (found == m_values.end())
            return values;
        values.push_back(found->second);
    }
}

void CUserSettings::SetList(const std::string& name, const std::vector<std::string>& values) {
    const std::string prefix = name + ".";
    for (auto it = m_values.lower_bound(prefix);
         it != m_values.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
        it = m_values.erase(it);
    for (std::size_t i = 0; i < values.size(); ++i)
        m_values[prefix + std::to_string(i)] = values[i];
}

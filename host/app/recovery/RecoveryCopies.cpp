// Finding, reading and removing recovery copies; telling a dead editor from a running one.
#include "RecoveryCopies.h"

#include "SceneFolderFiles.h"
#include "UserFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* const kInfoHeader = "gizmark-recovery 1";
constexpr std::uint64_t kMaxInfoBytes = 64 * 1024;

// A whole decimal number of at most `digits` digits, nothing else.
bool ParseWhole(const std::string& text, size_t digits, unsigned long long& value) {
    if (text.empty() || text.size() > digits)
        return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + unsigned(c - '0');
    }
    return true;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return out;
}

bool Unescape(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        const char c = text[i];
        if (c != '\\' && c != 'n' && c != 'r')
            return false;
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : '\\';
    }
    return true;
}

} // namespace

EditorProcess CurrentEditorProcess() {
    EditorProcess process;
    process.pid = long(::getpid());
    ProcessStartTime(process.pid, process.start);
    return process;
}

bool ProcessStartTime(long pid, unsigned long long& start) {
    if (pid <= 0)
        return false;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!in || !std::getline(in, line))
        return false;
    // "PID (NAME) STATE ..." where NAME may hold blanks and parentheses: the fields start after
    // the last ')'. The start time is the 22nd field, the 20th after the name.
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
        return false;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int i = 0; i < 20; ++i)
        if (!(fields >> field))
            return false;
    return ParseWhole(field, 20, start);
}

bool IsProcessRunning(const EditorProcess& process) {
    unsigned long long start = 0;
    return ProcessStartTime(process.pid, start) && start == process.start;
}

std::string ProcessFolderName(const EditorProcess& process) {
    return std::to_string(process.pid) + "-" + std::to_string(process.start);
}

bool ParseProcessFolderName(const std::string& name, EditorProcess& process) {
    const size_t dash = name.find('-');
    unsigned long long pid = 0, start = 0;
    if (dash == std::string::npos || !ParseWhole(name.substr(0, dash), 9, pid) || pid == 0 ||
        !ParseWhole(name.substr(dash + 1), 20, start))
        return false;
    process.pid = long(pid);
    process.start = start;
    return true;
}

std::string RecoveryRoot() {
    const std::string state = UserStateFolder();
    return state.empty() ? std::string() : state + "/recovery";
}

std::string FormatRecoveryInfo(const RecoveryInfo& info) {
    std::ostringstream out;
    out << kInfoHeader << "\nsource=" << Escape(info.source) << "\ntime=" << info.time
        << "\nundo=" << info.undoSteps << "\nentities=" << info.entities << "\n";
    return out.str();
}

bool ParseRecoveryInfo(const std::string& text, RecoveryInfo& info, std::string& error) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kInfoHeader) {
        error = "not a recovery info file";
        return false;
    }
    RecoveryInfo read;
    bool hasTime = false;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            error = "a line without '='";
            return false;
        }
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        unsigned long long number = 0;
        if (key == "source") {
            if (!Unescape(value, read.source) || read.source.find('\0') != std::string::npos) {
                error = "a source path that cannot be read";
                return false;
            }
        } else if (key == "time" || key == "undo" || key == "entities") {
            // A time up to the year 9999; counts up to what an int holds.
            const unsigned long long most = key == "time" ? 253402300799ull : INT_MAX;
            if (!ParseWhole(value, 12, number) || number > most) {
                error = "a bad " + key + " '" + value.substr(0, 40) + "'";
                return false;
            }
            if (key == "time") {
                read.time = (long long)number;
                hasTime = true;
            } else {
                (key == "undo" ? read.undoSteps : read.entities) = int(number);
            }
        } // other keys: written by a later editor, not needed here
    }
    if (!hasTime) {
        error = "no time";
        return false;
    }
    info = read;
    return true;
}

std::string FormatRecoveryTime(long long time) {
    const std::time_t t = std::time_t(time);
    std::tm utc{};
    char text[32];
    if (!gmtime_r(&t, &utc) || !std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc))
        return "?";
    return text;
}

std::string LocalTimeText(long long time, const char* format) {
    const std::time_t t = std::time_t(time);
    std::tm local{};
    char text[64];
    if (!localtime_r(&t, &local) || !std::strftime(text, sizeof text, format, &local))
        return "?";
    return text;
}

std::vector<RecoveryCopy>
FindRecoveryCopies(const std::string& root,
                   const std::function<bool(const EditorProcess&)>& running) {
    std::vector<RecoveryCopy> copies;
    if (root.empty())
        return copies;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        RecoveryCopy copy;
        if (!ParseProcessFolderName(it->path().filename().string(), copy.owner))
            continue;
        struct stat info;
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            continue;
        copy.folder = it->path().string();
        std::string text, error, scene;
        if (!ReadRegularFile(copy.folder + "/" + kRecoveryInfoFile, kMaxInfoBytes, text).empty() ||
            !ParseRecoveryInfo(text, copy.info, error))
            continue;
        const std::string scenePath = copy.folder + "/" + kRecoverySceneFile;
        if (::lstat(scenePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (running(copy.owner))
            continue;
        copies.push_back(copy);
    }
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.info.time != b.info.time ? a.info.time > b.info.time : a.folder > b.folder;
    });
    return copies;
}

bool RemoveRecoveryFolder(const std::string& folder, std::string& error) {
    struct stat info;
    if (::lstat(folder.c_str(), &info) != 0)
        return true; // gone already
    if (!S_ISDIR(info.st_mode)) {
        error = folder + ": not a recovery folder";
        return false;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (ec) {
        error = folder + ": cannot remove (" + ec.message() + ")";
        return false;
    }
    return true;
}

#include "RecentFiles.h"

#include "UserFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {
// Whether `text` is valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        int more = 0;
        unsigned long value = 0;
        if (c < 0x80) {
            ++p;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            value = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            value = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            value = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (p[i] & 0x3F);
        }
        if ((more == 2 && (value < 0x800 || (value >= 0xD800 && value <= 0xDFFF))) ||
            (more == 3 && (value < 0x10000 || value > 0x10FFFF)))
            return false;
        p += more + 1;
    }
    return true;
}

std::string CurrentFolder() {
    char* here = getcwd(nullptr, 0);
    std::string folder = here ? here : "/";
    std::free(here);
    return folder;
}
} // namespace

std::string CRecentFiles::KeptPath(const std::string& path, std::string& why,
                                   const std::string& currentFolder) {
    if (path.empty()) {
        why = "the path is empty";
        return {};
    }
    for (unsigned char c : path)
        if (c < 0x20 || c == 0x7F) {
            why = "the path holds a control character";
            return {};
        }
    if (!IsUtf8(path)) {
        why = "the path is not valid UTF-8";
        return {};
    }
    std::filesystem::path full(path);
    if (full.is_relative())
        full =
            std::filesystem::path(currentFolder.empty() ? CurrentFolder() : currentFolder) / full;
    std::string kept = full.lexically_normal().string();
    while (kept.size() > 1 && kept.back() == '/')
        kept.pop_back();
    if (kept.size() > kMaxPathBytes) {
        why = "the path is longer than " + std::to_string(kMaxPathBytes) + " bytes";
        return {};
    }
    if (kept == "/") {
        why = "the path names no file";
        return {};
    }
    return kept;
}

void CRecentFiles::Assign(const std::vector<std::string>& entries) {
    m_entries.clear();
    for (const std::string& entry : entries) {
        std::string why;
        // Entries are kept absolute; a relative one in the file says nothing reliable.
        if (entry.empty() || entry[0] != '/')
            continue;
        const std::string kept = KeptPath(entry, why, "/");
        if (kept.empty() || std::find(m_entries.begin(), m_entries.end(), kept) != m_entries.end())
            continue;
        m_entries.push_back(kept);
        if (m_entries.size() == kMaxEntries)
            break;
    }
}

bool CRecentFiles::Add(const std::string& path, std::string& why,
                       const std::string& currentFolder) {
    const std::string kept = KeptPath(path, why, currentFolder);
    if (kept.empty())
        return false;
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), kept), m_entries.end());
    m_entries.insert(m_entries.begin(), kept);
    if (m_entries.size() > kMaxEntries)
        m_entries.resize(kMaxEntries);
    return true;
}

bool CRecentFiles::Remove(const std::string& path) {
    const auto it = std::find(m_entries.begin(), m_entries.end(), path);
    if (it == m_entries.end())
        return false;
    m_entries.erase(it);
    return true;
}

std::vector<std::string>
CRecentFiles::RemoveMissing(const std::function<bool(const std::string&)>& exists) {
    std::vector<std::string> missing;
    std::vector<std::string> kept;
    for (const std::string& entry : m_entries)
        (exists(entry) ? kept : missing).push_back(entry);
    m_entries = std::move(kept);
    return missing;
}

void CRecentFiles::Load(const CUserSettings& settings) {
    Assign(settings.GetList(kSettingsList));
}

void CRecentFiles::Store(CUserSettings& settings) const {
    settings.SetList(kSettingsList, m_entries);
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

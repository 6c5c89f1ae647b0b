// The scenes opened or saved last, newest first, as File › 最近打开 lists them. The list is kept
// in the person's settings (CUserSettings) as the list "recent", so every editor of that person
// shares it; each change reads the file again first and writes it back whole.
//
// Rules: a path is kept absolute and lexically normal ("a/../b" and "./b" are the same entry);
// a path again goes to the top instead of twice; at most kMaxEntries, the oldest dropping off.
// Paths that the list could not show or give back intact are never kept: empty, longer than
// kMaxPathBytes, not valid UTF-8 or holding a control character (a hand-edited or damaged
// settings file loses just those entries).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class CUserSettings;

class CRecentFiles {
public:
    static constexpr std::size_t kMaxEntries = 10;
    static constexpr std::size_t kMaxPathBytes = 4096;
    static constexpr const char* kSettingsList = "recent";

    CRecentFiles() = default;
    explicit CRecentFiles(const std::vector<std::string>& entries) { Assign(entries); }

    // Replaces the list by `entries` (newest first), keeping only what the rules allow.
    void Assign(const std::vector<std::string>& entries);
    // Puts `path` first. False with `why` (English) when the rules refuse it; the list is then
    // unchanged. `currentFolder` completes a relative path ("" = the process's folder).
    bool Add(const std::string& path, std::string& why, const std::string& currentFolder = "");
    // Takes `path` (as kept) out of the list; false when it was not there.
    bool Remove(const std::string& path);
    // Takes out every entry for which `exists` answers false and returns them, newest first.
    std::vector<std::string> RemoveMissing(const std::function<bool(const std::string&)>& exists);

    const std::vector<std::string>& Entries() const { return m_entries; }

    void Load(const CUserSettings& settings);
    void Store(CUserSettings& settings) const;

    // The form the list keeps `path` in; "" with `why` when the rules refuse it.
    static std::string KeptPath(const std::string& path, std::string& why,
                                const std::string& currentFolder = "");

private:
    std::vector<std::string> m_entries;
};

// Whether `path` names a regular file now (a link is followed).
bool IsRegularFile(const std::string& path);

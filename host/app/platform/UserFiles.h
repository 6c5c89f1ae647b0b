// Where the editor keeps what belongs to the person rather than to a scene: settings (recent
// files, the autosave interval) in the config folder, recovery copies in the state folder. Both
// follow the XDG base-directory rules, so tests and scripts point them elsewhere by setting
// XDG_CONFIG_HOME / XDG_STATE_HOME.
#pragma once

#include <map>
#include <string>
#include <vector>

// $XDG_CONFIG_HOME/gizmark, else $HOME/.config/gizmark; "" when neither variable is usable
// (then nothing is kept). Relative XDG values are ignored, as the rules say.
std::string UserConfigFolder();
// $XDG_STATE_HOME/gizmark, else $HOME/.local/state/gizmark; "" as above.
std::string UserStateFolder();
// Makes `path` and its missing parents (mode 0700 for the ones made). False with `error` when a
// part cannot be made or is not a folder.
bool MakeUserFolder(const std::string& path, std::string& error);

// The person's settings: one "key=value" line each in a text file. Values may hold any byte
// (a path with a newline in it); newlines and backslashes are written escaped. Lists are keys
// "NAME.0", "NAME.1", ... A damaged file loses only the lines that cannot be read.
class CUserSettings {
public:
    // `path` the settings file; by default "settings" in the user's config folder.
    explicit CUserSettings(std::string path = DefaultPath());
    static std::string DefaultPath();

    // Reads the file again; a missing file gives no settings (and true).
    bool Load(std::string& error);
    // Writes every setting to a temporary file beside the target, flushes it and renames it over
    // the old one, so a crash leaves the old settings or the new ones. Makes the folder first.
    bool Save(std::string& error) const;

    const std::string& Path() const { return m_path; }
    std::string Get(const std::string& key, const std::string& fallback = "") const;
    // The number under `key`, or `fallback` when it is missing, not a whole number or outside
    // [lo, hi].
    long GetNumber(const std::string& key, long fallback, long lo, long hi) const;
    void Set(const std::string& key, const std::string& value);
    std::vector<std::string> GetList(const std::string& name) const;
    void SetList(const std::string& name, const std::vector<std::string>& values);

private:
    std::string m_path;
    std::map<std::string, std::string> m_values;
};

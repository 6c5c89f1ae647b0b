// The editor's command sets as the script language sees them: each command belongs to exactly
// one set of EditorCommandSets(), together they make the whole language and nothing more, and
// the README documents each command. A set left out of the list, a command moved into two sets
// or a new command nobody wrote up fails here rather than in a script far away.
#include "EditorScriptCommands.h"
#include "ScriptRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Registering a set touches no environment; running a command would.
class CNoEnvironment : public IScriptEnvironment {
public:
    void ProcessEvents() override {}
    void RaiseMainWindow() override {}
};

// The editor's script language: every command (and "COMMAND WORD" case) a script may start a
// line with, besides the runner's own "quit".
const std::set<std::string> kLanguage = {
    "align",     "alignnormal", "answer", "beeps",       "cancel",     "click",     "copy",
    "delete",    "distribute",  "drag",   "dragtype",    "drop",       "duplicate", "engaged",
    "entities",  "export",      "frame",  "frames",      "grid",       "ground",    "groundfollow",
    "handle",    "heap",        "hide",   "hover",       "import",     "key",       "keys",
    "leave",     "light",       "load",   "memory",      "menushot",   "move",      "open",
    "outliner",  "parents",     "pivot",  "pointer",     "press",      "print",     "project",
    "prop",      "propcolour",  "recent", "recover",     "recovery",   "rect",      "redo",
    "release",   "rename",      "rpress", "save",        "screenshot", "selboxes",  "select",
    "selectall", "selection",   "show",   "show light",  "showall",    "snap",      "space",
    "state",     "status",      "strip",  "surfacedrag", "title",      "tool",      "type",
    "undo",      "undocount",   "unload", "vertexsnap",  "view",       "viewkey",   "views",
    "viewshot",  "wait",        "xhold",  "xkey",        "xmove",      "xpress",    "xrelease",
    "xtype",     "xwheel",
};

std::vector<std::string> NamesOf(CScriptRunner::CommandSet set) {
    CNoEnvironment environment;
    CScriptRunner runner(environment);
    set(runner);
    EXPECT_TRUE(runner.Clashes().empty()) << "a set clashes with itself";
    return runner.Names();
}

// The README's section on scripts, from "## Scripts" to the next section.
std::string ReadmeScripts() {
    std::ifstream file(GIZMARK_SOURCE_DIR "/README.md");
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    const size_t begin = all.find("\n## Scripts\n");
    if (begin == std::string::npos)
        return {};
    const size_t end = all.find("\n## ", begin + 1);
    return all.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// "`NAME" followed by its words, the end of the span or a table's escaped bar.
bool Documents(const std::string& section, const std::string& name) {
    const std::string start = "`" + name;
    for (size_t at = section.find(start); at != std::string::npos;
         at = section.find(start, at + 1)) {
        const char next = section[at + start.size()];
        if (next == ' ' || next == '`' || next == '\\' || next == '|')
            return true;
    }
    return false;
}

TEST(EditorCommandSets, EachCommandBelongsToExactlyOneSetAndTheSetsMakeTheLanguage) {
    const auto& sets = EditorCommandSets();
    ASSERT_FALSE(sets.empty());
    std::map<std::string, int> owners; // name -> how many sets register it
    for (CScriptRunner::CommandSet set : sets) {
        ASSERT_NE(set, nullptr);
        const std::vector<std::string> names = NamesOf(set);
        EXPECT_FALSE(names.empty()) << "a set without commands";
        for (const std::string& name : names)
            ++owners[name];
    }
    std::set<std::string> registered;
    for (const auto& owner : owners) {
        EXPECT_EQ(owner.second, 1)
            << "'" << owner.first << "' is registered by " << owner.second << " sets";
        registered.insert(owner.first);
    }
    std::vector<std::string> missing, unexpected;
    std::set_difference(kLanguage.begin(), kLanguage.end(), registered.begin(), registered.end(),
                        std::back_inserter(missing));
    std::set_difference(registered.begin(), registered.end(), kLanguage.begin(), kLanguage.end(),
                        std::back_inserter(unexpected));
    EXPECT_TRUE(missing.empty()) << "not registered: " << missing.front();
    EXPECT_TRUE(unexpected.empty()) << "not in the language: " << unexpected.front();

    // One runner with every set, as the session makes it, the same words and no clash.
    CNoEnvironment environment;
    CScriptRunner runner(environment);
    runner.AddCommandSets(sets);
    EXPECT_TRUE(runner.Clashes().empty()) << runner.Clashes().front();
    EXPECT_EQ(runner.Names(), std::vector<std::string>(registered.begin(), registered.end()));
}

TEST(EditorCommandSets, TheReadmeDocumentsEveryCommand) {
    const std::string section = ReadmeScripts();
    ASSERT_FALSE(section.empty()) << "README.md has no section '## Scripts'";
    for (const std::string& name : kLanguage)
        EXPECT_TRUE(Documents(section, name)) << "README does not list `" << name << "`";
    // The matcher itself: a command's name inside a longer word is not a mention.
    EXPECT_TRUE(Documents("`view N`", "view"));
    EXPECT_TRUE(Documents("| `show light` |", "show light"));
    EXPECT_FALSE(Documents("`views [1\\|4]`", "view"));
}

} // namespace

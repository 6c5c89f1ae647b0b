// Script lines of any kind, run by the editor's own runner inside one running editor with the
// plug-in loaded (under a display: scripts/with-display.sh). Every command is reachable, with
// arguments of any kind; the harness only keeps an input cheap and confined:
//   - at most kMaxLines lines an input, "frames" at most 2, a drag at most 4 steps;
//   - "open" and "save" work on file names inside a temporary folder, "load" only without a
//     path (the plug-in folder), screenshots are not taken.
// After each input no entity or light may hold a value that is not finite, a bad line must
// report "script:LINE: message", and the plug-in's string table cut (LoadText) must give a
// prefix of the text that is valid UTF-8 and fits the buffer.
#include "EditorProcess.h"
#include "IPluginBase.h"
#include "SceneCheck.h"
#include "ScriptRunner.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CPluginRegistry.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <sstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerRunDriver(int* argc, char*** argv,
                                   int (*callback)(const std::uint8_t*, std::size_t));

namespace {

constexpr int kMaxLines = 6;
CEditorSession* g_session = nullptr;
std::string g_folder;
std::ostringstream g_out;
std::ostringstream g_err;
long g_inputs = 0;

// A file name inside the temporary folder for whatever path the script named.
std::string Confined(const std::string& path) {
    std::string name;
    for (char c : path)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-')
            name += c;
    if (name.empty() || name[0] == '.')
        name = "f" + name;
    return g_folder + "/" + name.substr(0, 24);
}

// The line as the harness lets it run, or "" to skip it.
std::string Harnessed(const std::string& line) {
    CScriptRunner::Args words = CScriptRunner::Split(line);
    if (words.empty())
        return "";
    const std::string& name = words[0];
    if (name == "screenshot" || name == "viewshot")
        return "";
    if ((name == "open" || name == "save") && words.size() >= 2) {
        words.resize(2);
        words[1] = Confined(words[1]);
    } else if (name == "load") {
        words.resize(1);
    } else if (name == "frames" && words.size() == 2) {
        int n = 0;
        if (CScriptRunner::ParseInt(words[1], n) && n > 2)
            words[1] = "2";
    } else if (name == "drag" && words.size() == 5) {
        int n = 0;
        if (CScriptRunner::ParseInt(words[4], n) && n > 4)
            words[4] = "4";
    }
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

void CheckLoadText(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return;
    const unsigned id = 40000u + data[0] % 8u;
    const int bufferSize = static_cast<int>(data[1] % 24u) - 2;
    for (IPluginBase* plugin : g_session->Host().Registry().plugins()) {
        char whole[512] = {};
        const int wholeCount = plugin->LoadText(id, whole, sizeof whole);
        char buffer[32];
        std::memset(buffer, 0x7F, sizeof buffer);
        const int count = plugin->LoadText(id, buffer, bufferSize);
        if (bufferSize <= 0) {
            FUZZ_CHECK(count == 0, "LoadText wrote into an empty buffer");
            FUZZ_CHECK(static_cast<unsigned char>(buffer[0]) == 0x7F,
                       "LoadText wrote into an empty buffer");
            continue;
        }
        FUZZ_CHECK(count >= 0 && count < bufferSize, "LoadText overran its buffer");
        FUZZ_CHECK(buffer[count] == '\0', "LoadText did not terminate its text");
        FUZZ_CHECK(static_cast<unsigned char>(buffer[bufferSize]) == 0x7F ||
                       bufferSize >= static_cast<int>(sizeof buffer),
                   "LoadText wrote past its buffer");
        const std::string cut(buffer, static_cast<std::size_t>(count));
        FUZZ_CHECK(fuzz::IsValidUtf8(cut), "LoadText split a character");
        FUZZ_CHECK(std::string(whole, static_cast<std::size_t>(wholeCount)).rfind(cut, 0) == 0,
                   "LoadText's cut is not a prefix of the text");
    }
}

// Back to the saved demo scene when a run of inputs has grown it, so later inputs stay cheap.
void ResetWhenGrown() {
    CEditorSession& session = *g_session;
    if (session.HeldKeys() != 0)
        session.SetHeldKeys(0);
    if (session.Scene().GetEntityCount() <= 40 && g_inputs % 2000 != 0)
        return;
    FUZZ_CHECK(session.RunScriptLine("open " + g_folder + "/.start.scene"),
               session.Script().LastError().c_str());
}

int RunInput(const std::uint8_t* data, std::size_t size) {
    ++g_inputs;
    const std::string text(reinterpret_cast<const char*>(data), size);
    g_out.str("");
    g_err.str("");
    CScriptRunner& runner = g_session->Script();
    std::istringstream in(text);
    std::string line;
    for (int n = 1; n <= kMaxLines && std::getline(in, line); ++n) {
        const std::string harnessed = Harnessed(line);
        if (harnessed.empty())
            continue;
        const CScriptRunner::Result result = runner.RunLine(harnessed, n);
        if (result == CScriptRunner::Result::Quit)
            break;
        if (result == CScriptRunner::Result::Error) {
            const std::string prefix = "script:" + std::to_string(n) + ": ";
            FUZZ_CHECK(g_err.str().find(prefix) != std::string::npos,
                       "a bad line without its script:LINE: message");
            FUZZ_CHECK(!runner.LastError().empty(), "a bad line without a message");
            break;
        }
    }
    fuzz::CheckScene(g_session->Scene());
    CheckLoadText(data, size);
    ResetWhenGrown();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    char folder[] = "/tmp/gizmark-fuzz-script-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    g_folder = folder;
    EditorOptions options;
    options.pluginDir = GIZMARK_FUZZ_PLUGIN_DIR;
    options.width = 640;
    options.height = 480;
    const int code = RunInEditorSession(argv, options, [&](CEditorSession& session) {
        g_session = &session;
        session.Script().SetOutput(&g_out);
        session.Script().SetErrorOutput(&g_err);
        if (!session.RunScriptLine("save " + g_folder + "/.start.scene")) {
            std::fprintf(stderr, "cannot save the start scene: %s\n",
                         session.Script().LastError().c_str());
            return 1;
        }
        const int result = LLVMFuzzerRunDriver(&argc, &argv, RunInput);
        g_session = nullptr;
        return result;
    });
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
    return code;
}

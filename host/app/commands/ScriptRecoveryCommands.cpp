// Script commands of autosave and recovery: recovery (the copies left by editors that no longer
// run), recover (the newest of them opened), wait (the editor runs on for a while, so that
// autosave's timer fires in a script).
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "SessionRecovery.h"

#include <wx/utils.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// The longest wait a script may ask for, in seconds.
constexpr double kMostWait = 600;

bool Recovery(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "recovery", error))
        return false;
    const std::vector<RecoveryCopy> copies = EditorSession(r).Recovery().Copies();
    if (copies.empty())
        r.Out() << "recovery none\n";
    for (const RecoveryCopy& copy : copies)
        r.Out() << "recovery " << copy.Shown() << " " << FormatRecoveryTime(copy.info.time) << "\n";
    return true;
}

bool Recover(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "recover", error))
        return false;
    CEditorSession& session = EditorSession(r);
    const std::vector<RecoveryCopy> copies = session.Recovery().Copies();
    if (copies.empty()) {
        error = "no recovery copy to recover";
        return false;
    }
    std::vector<std::string> warnings;
    if (!session.Recovery().Recover(copies.front(), error, warnings))
        return false;
    for (const std::string& w : warnings)
        r.Out() << "warning: " << w << "\n";
    r.Out() << "recovered " << copies.front().Shown() << ": " << session.Scene().GetEntityCount()
            << " entities\n";
    if (CMainFrame* frame = session.Frame())
        frame->ShowWarnings(warnings);
    session.RenderFrames(1);
    return true;
}

bool Wait(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "wait SECONDS", error))
        return false;
    char* end = nullptr;
    const double seconds = std::strtod(args[0].c_str(), &end);
    if (end == args[0].c_str() || *end || !std::isfinite(seconds) || seconds < 0 ||
        seconds > kMostWait) {
        error = "wait takes seconds from 0 to 600, not '" + args[0] + "'";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(seconds));
    while (Clock::now() < until) {
        session.RenderFrames(1);
        wxMilliSleep(10);
    }
    // A copy started during the wait is on the disk when the next line runs.
    session.Recovery().Autosaver().WaitForWriter();
    session.RenderFrames(1);
    return true;
}

} // namespace

void RegisterRecoveryScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"recovery", Recovery}, {"recover", Recover}, {"wait", Wait}});
}

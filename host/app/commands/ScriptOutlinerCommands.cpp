// Script commands for the outliner and the everyday edits: outliner (rows, click, dclick),
// rename, delete, selectall, hide, showall.
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "COutliner.h"
#include "EditOperations.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"

#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <functional>
#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// Handles events until `done` or a few seconds have passed (only a failure waits that long).
void PumpUntil(CEditorSession& session, const std::function<bool()>& done) {
    wxStopWatch clock;
    while (!done() && clock.Time() < 3000) {
        session.ProcessEvents();
        wxMilliSleep(2);
    }
    session.ProcessEvents();
}

COutliner* OutlinerOf(CScriptRunner& r, std::string& error) {
    CMainFrame* frame = EditorSession(r).Frame();
    COutliner* outliner = frame ? frame->GetOutliner() : nullptr;
    if (!outliner)
        error = "no outliner";
    else
        outliner->Sync();
    return outliner;
}

// A real click (or double click) on the row of NAME, with Ctrl or Shift held when asked;
// returns once the selection has changed.
bool ClickRow(CScriptRunner& r, const Args& args, bool twice, std::string& error) {
    const char* usage =
        twice ? "usage: outliner dclick NAME" : "usage: outliner click NAME [ctrl|shift]";
    if (args.size() < 2 || args.size() > 3 || (twice && args.size() != 2)) {
        error = usage;
        return false;
    }
    int keys = 0;
    if (args.size() == 3) {
        if (args[2] == "ctrl")
            keys = KEY_CTRL;
        else if (args[2] == "shift")
            keys = KEY_SHIFT;
        else {
            error = usage;
            return false;
        }
    }
    CEditorSession& session = EditorSession(r);
    COutliner* outliner = OutlinerOf(r, error);
    if (!outliner)
        return false;
    // The rows as the scene stands now (a script line may have changed it since the last frame).
    outliner->Sync();
    wxRect rect;
    if (!outliner->ShowRow(args[1], rect)) {
        error = "no outliner row " + args[1];
        return false;
    }
    session.ProcessEvents();
    outliner->ShowRow(args[1], rect); // where it stands after the scrolling was painted
    const std::uint64_t before = session.Scene().SelectionRevision();
    wxUIActionSimulator simulator;
    // The pointer reaches the row before the press: the server moves it in its own time.
    const wxPoint target = rect.GetPosition() + rect.GetSize() / 2;
    simulator.MouseMove(target);
    PumpUntil(session, [&] { return wxGetMousePosition() == target; });
    session.SetHeldKeys(keys);
    if (twice)
        simulator.MouseDblClick();
    else
        simulator.MouseClick();
    PumpUntil(session, [&] { return session.Scene().SelectionRevision() != before; });
    session.SetHeldKeys(0);
    session.RenderFrames(1);
    return true;
}

bool Outliner(CScriptRunner& r, const Args& args, std::string& error) {
    if (!args.empty() && args[0] == "click")
        return ClickRow(r, args, false, error);
    if (!args.empty() && args[0] == "dclick")
        return ClickRow(r, args, true, error);
    if (!args.empty()) {
        error = "usage: outliner [click NAME [ctrl|shift] | dclick NAME]";
        return false;
    }
    COutliner* outliner = OutlinerOf(r, error);
    if (!outliner)
        return false;
    for (const COutliner::Row& row : outliner->Rows()) {
        r.Out() << row.depth << " " << row.name << " " << row.kind;
        if (row.selected)
            r.Out() << " selected";
        if (row.hidden)
            r.Out() << " hidden";
        r.Out() << "\n";
    }
    return true;
}

bool NoArgs(const Args& args, const char* name, std::string& error) {
    if (args.empty())
        return true;
    error = std::string("usage: ") + name;
    return false;
}

bool Rename(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.size() != 2) {
        error = "usage: rename OLD NEW";
        return false;
    }
    COutliner* outliner = OutlinerOf(r, error);
    if (!outliner)
        return false;
    const bool done = outliner->Rename(args[0], args[1]);
    r.Out() << (done ? "renamed " : "rename refused ") << args[0] << " " << args[1] << "\n";
    EditorSession(r).RenderFrames(1);
    return true;
}

// An Edit operation on the selection or the scene: "NAME" without words prints "WORD N", the
// count of entities the operation changed.
bool EditOperation(CScriptRunner& r, const Args& args, const char* name, const char* word,
                   int (*operation)(CEditorHost&), std::string& error) {
    if (!NoArgs(args, name, error))
        return false;
    r.Out() << word << " " << operation(EditorSession(r).Host()) << "\n";
    EditorSession(r).RenderFrames(1);
    return true;
}

bool Delete(CScriptRunner& r, const Args& args, std::string& error) {
    return EditOperation(r, args, "delete", "deleted", EditOps::DeleteSelection, error);
}

bool SelectAll(CScriptRunner& r, const Args& args, std::string& error) {
    return EditOperation(r, args, "selectall", "selected", EditOps::SelectAll, error);
}

bool Hide(CScriptRunner& r, const Args& args, std::string& error) {
    return EditOperation(r, args, "hide", "hidden", EditOps::HideSelection, error);
}

bool ShowAll(CScriptRunner& r, const Args& args, std::string& error) {
    return EditOperation(r, args, "showall", "shown", EditOps::ShowAll, error);
}

} // namespace

void RegisterOutlinerScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"outliner", Outliner},
                               {"rename", Rename},
                               {"delete", Delete},
                               {"selectall", SelectAll},
                               {"hide", Hide},
                               {"showall", ShowAll}});
}

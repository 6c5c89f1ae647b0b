// Script commands of the editor as a whole: frames, undo, redo, screenshot, viewshot, tool,
// snap, parents, copy, frame; and the script the built-in demo runs.
#include "IView.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScreenshot.h"
#include "EditorScriptCommands.h"
#include "CEditorUndoManager.h"
#include "ScriptCommandArgs.h"

#include <wx/image.h>

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// The transform tool's strip holds its four modes in this order; scripts name them.
int ToolPosition(const std::string& name) {
    static const char* const kNames[] = {"select", "move", "rotate", "scale"};
    for (int i = 0; i < 4; ++i)
        if (name == kNames[i])
            return i;
    return -1;
}

bool Shot(CScriptRunner& runner, const Args& args, bool wholeWindow, std::string& error) {
    if (!Count(args, 1, wholeWindow ? "screenshot PATH" : "viewshot PATH", error))
        return false;
    CEditorSession& session = EditorSession(runner);
    if (!session.Frame()) {
        error = "no main window";
        return false;
    }
    session.RenderFrames(1);
    wxImage image;
    bool ok = wholeWindow ? CaptureWindowImage(*session.Frame(), image, error)
                          : CaptureViewImage(*session.Frame(), runner.TargetView(), image, error);
    return ok && SavePng(image, args[0], error);
}

bool Frames(CScriptRunner& r, const Args& args, std::string& error) {
    int n = 0;
    if (!Count(args, 1, "frames N", error))
        return false;
    if (!CScriptRunner::ParseInt(args[0], n) || n < 0 || n > 100000) {
        error = "frames takes a count from 0 to 100000";
        return false;
    }
    EditorSession(r).RenderFrames(n);
    return true;
}

bool Undo(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "undo", error))
        return false;
    EditorSession(r).Host().Undo().undo(); // nothing to undo is not an error
    EditorSession(r).Host().redraw();
    return true;
}

bool Redo(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "redo", error))
        return false;
    EditorSession(r).Host().Undo().redo();
    EditorSession(r).Host().redraw();
    return true;
}

bool Screenshot(CScriptRunner& r, const Args& args, std::string& error) {
    return Shot(r, args, true, error);
}

bool Viewshot(CScriptRunner& r, const Args& args, std::string& error) {
    return Shot(r, args, false, error);
}

bool Tool(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "tool select|move|rotate|scale", error))
        return false;
    const int position = ToolPosition(args[0]);
    if (position < 0) {
        error = "unknown tool '" + args[0] + "'";
        return false;
    }
    CEditorHost& host = EditorSession(r).Host();
    IPluginBase* plugin = nullptr;
    int id = 0;
    if (!host.FindStripTool(position, plugin, id)) {
        error = "no plug-in offers the tool '" + args[0] + "'";
        return false;
    }
    // Through the tool-strip button, as a click would.
    if (CMainFrame* frame = EditorSession(r).Frame())
        frame->ClickStripTool(position);
    else
        host.ClickTool(plugin, id);
    return true;
}

bool Snap(CScriptRunner& r, const Args& args, std::string& error) {
    CEditorHost& host = EditorSession(r).Host();
    if (args.empty()) {
        const SnapSteps steps = host.snapSteps();
        r.Out() << "snap " << Fixed(steps.move, 4) << " " << Fixed(steps.degrees, 4) << " "
                << Fixed(steps.scale, 4) << "\n";
        return true;
    }
    SnapSteps steps;
    if (!Count(args, 3, "snap [MOVE DEGREES SCALE]", error))
        return false;
    if (!CScriptRunner::ParseFloat(args[0], steps.move) ||
        !CScriptRunner::ParseFloat(args[1], steps.degrees) ||
        !CScriptRunner::ParseFloat(args[2], steps.scale) || !host.SetSnapSteps(steps)) {
        error = "snap steps must be numbers above 0 and at most 10000";
        return false;
    }
    return true;
}

bool Parents(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "parents", error))
        return false;
    EditorSession(r).Host().SendMenuCommand(CMainFrame::kSelectParentsCommand);
    return true;
}

bool Copy(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "copy", error))
        return false;
    EditorSession(r).Host().SendWindowCommand(ID_EDIT_COPY_COMMAND);
    return true;
}

bool Frame(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "frame", error) || !TargetView(r, error))
        return false;
    EditorSession(r).Host().FrameSelection(r.TargetView());
    return true;
}
} // namespace

void RegisterSessionScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"frames", Frames},
                               {"undo", Undo},
                               {"redo", Redo},
                               {"screenshot", Screenshot},
                               {"viewshot", Viewshot},
                               {"tool", Tool},
                               {"snap", Snap},
                               {"parents", Parents},
                               {"copy", Copy},
                               {"frame", Frame}});
}

std::string BuiltinDemoScript(const std::string& outDir, int viewCount, bool withMoveTool) {
    std::string s = "# The built-in demo: box_a selected";
    s += withMoveTool ? ", the move tool engaged.\n" : ".\n";
    s += "frames 3\nselect box_a\n";
    if (withMoveTool)
        s += "tool move\n";
    s += "frames 10\n";
    s += "screenshot " + outDir + "/editor.png\n";
    for (int i = 0; i < viewCount; ++i)
        s += "view " + std::to_string(i) + "\nviewshot " + outDir + "/view" + std::to_string(i) +
             ".png\n";
    s += "view 0\nselect box_a cone_a\nframe\nframes 5\n";
    s += "screenshot " + outDir + "/editor-framed.png\n";
    s += "quit\n";
    return s;
}

// Script commands for what the views show: the layout (views), the grid (grid) and the
// selection boxes (selboxes). The layout and the grid are changed through their View menu
// items, as a click on them would.
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "SelectionBoxes.h"

#include <wx/menu.h>

#include <ostream>

namespace {
using Args = CScriptRunner::Args;

// Sends the View menu item `id` to the frame as the menu does; `checked` for a check item.
void ClickViewItem(CMainFrame& frame, int id, bool checked) {
    wxCommandEvent click(wxEVT_MENU, id);
    click.SetEventObject(&frame);
    click.SetInt(checked ? 1 : 0);
    frame.GetEventHandler()->ProcessEvent(click);
}

bool Views(CScriptRunner& r, const Args& args, std::string& error) {
    CEditorSession& session = EditorSession(r);
    CMainFrame* frame = session.Frame();
    if (args.size() > 1 || (args.size() == 1 && args[0] != "1" && args[0] != "4") || !frame) {
        error = "usage: views [1|4]";
        return false;
    }
    if (args.size() == 1) {
        const int count = args[0] == "4" ? 4 : 1;
        ClickViewItem(*frame, count == 4 ? CMainFrame::ID_FOUR_VIEWS : CMainFrame::ID_ONE_VIEW,
                      true);
        if (frame->ViewCount() != count) {
            error = "the views could not be laid out";
            return false;
        }
        session.RenderFrames(1);
    }
    r.Out() << "views " << frame->ViewCount() << "\n";
    return true;
}

bool Grid(CScriptRunner& r, const Args& args, std::string& error) {
    CEditorSession& session = EditorSession(r);
    CMainFrame* frame = session.Frame();
    if (args.size() > 1 || (args.size() == 1 && args[0] != "on" && args[0] != "off") || !frame) {
        error = "usage: grid [on|off]";
        return false;
    }
    if (args.size() == 1) {
        ClickViewItem(*frame, CMainFrame::ID_SHOW_GRID, args[0] == "on");
        session.RenderFrames(1);
    }
    r.Out() << "grid " << (frame->GridShown() ? "on" : "off") << "\n";
    return true;
}

bool SelBoxes(CScriptRunner& r, const Args& args, std::string& error) {
    CMainFrame* frame = EditorSession(r).Frame();
    CSelectionBoxes* boxes = frame ? frame->SelectionBoxes() : nullptr;
    if (!args.empty() || !boxes) {
        error = "usage: selboxes";
        return false;
    }
    boxes->Update(); // as the next frame would before it renders
    r.Out() << "selboxes " << boxes->BoxCount() << " current "
            << (boxes->CurrentName().empty() ? "-" : boxes->CurrentName()) << "\n";
    return true;
}

} // namespace

void RegisterViewScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"views", Views}, {"grid", Grid}, {"selboxes", SelBoxes}});
}

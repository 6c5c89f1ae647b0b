// Script commands for the gizmo's options and for an amount typed during a drag:
//
//   space [local|world]      sets the move axes through their option button (a click on it when
//                            the setting differs) and prints "space local|world".
//   pivot [own|median]       the same for the pivot of rotate and scale: "pivot own|median".
//   alignnormal [on|off]     the same for the surface drag's turn to the normal (对齐法线):
//                            "alignnormal on|off".
//   dragtype TEXT|back|enter gives the target view the keyboard focus and types TEXT (digits,
//                            '-' and '.'), or presses Backspace or Return, as real keys through
//                            the toolkit, each waited for until the toolkit has handled it;
//                            prints nothing. Used between a press and its release.
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "GizmoOptionsBar.h"
#include "ScriptInput.h"

#include <wx/window.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using Args = CScriptRunner::Args;

// Characters a typed amount may hold; longer text is surely a mistake in the script.
constexpr size_t kMaxTyped = 32;

// One option: its command, its button, the words for its values (by value: 0, then 1) and
// the usage and the refusal's words.
struct Option {
    const char* command;
    int button;
    int GizmoOptions::*field;
    const char* words[2];
    const char* usage;
    const char* choice;
};

const Option kSpace = {"space",
                       CGizmoOptionsBar::ID_SPACE,
                       &GizmoOptions::space,
                       {"world", "local"},
                       "usage: space [local|world]",
                       "local or world"};
const Option kPivot = {"pivot",           CGizmoOptionsBar::ID_PIVOT,  &GizmoOptions::pivot,
                       {"own", "median"}, "usage: pivot [own|median]", "own or median"};
const Option kAlignNormal = {
    "alignnormal", CGizmoOptionsBar::ID_ALIGN_NORMAL, &GizmoOptions::alignNormal,
    {"off", "on"}, "usage: alignnormal [on|off]",     "on or off"};

// Flips the option as its button does; the host itself when there is no window.
void ClickOption(CEditorSession& session, const Option& option) {
    CMainFrame* frame = session.Frame();
    if (CGizmoOptionsBar* bar = frame ? frame->GetGizmoOptionsBar() : nullptr) {
        bar->Click(option.button);
        return;
    }
    if (option.button == CGizmoOptionsBar::ID_SPACE)
        session.Host().ToggleGizmoSpace();
    else if (option.button == CGizmoOptionsBar::ID_PIVOT)
        session.Host().ToggleGizmoPivot();
    else
        session.Host().ToggleGizmoAlignNormal();
}

bool OptionCommand(CScriptRunner& r, const Args& args, const Option& option, std::string& error) {
    if (args.size() > 1) {
        error = option.usage;
        return false;
    }
    CEditorSession& session = EditorSession(r);
    CEditorHost& host = session.Host();
    if (args.size() == 1) {
        int wanted = -1;
        for (int value = 0; value < 2; ++value)
            if (args[0] == option.words[value])
                wanted = value;
        if (wanted < 0) {
            error = std::string(option.command) + " takes " + option.choice;
            return false;
        }
        if (host.gizmoOptions().*option.field != wanted) {
            ClickOption(session, option);
            if (host.gizmoOptions().*option.field != wanted) {
                error = std::string("the ") + option.command + " button did not change it";
                return false;
            }
            // The plug-ins lay the gizmo out again on the next frame.
            session.RenderFrames(1);
        }
    }
    const int value = host.gizmoOptions().*option.field;
    r.Out() << option.command << " " << option.words[value == 1 ? 1 : 0] << "\n";
    return true;
}

// The keys of "dragtype WORD" as toolkit key codes; false with `error` for a word it refuses.
bool TypedKeys(const std::string& word, std::vector<int>& keys, std::string& error) {
    keys.clear();
    if (word == "back") {
        keys.push_back(WXK_BACK);
        return true;
    }
    if (word == "enter") {
        keys.push_back(WXK_RETURN);
        return true;
    }
    if (word.size() > kMaxTyped) {
        error = "dragtype takes at most " + std::to_string(kMaxTyped) + " characters";
        return false;
    }
    for (char c : word) {
        if ((c < '0' || c > '9') && c != '-' && c != '.') {
            error = "dragtype takes digits, '-' and '.', back or enter";
            return false;
        }
        keys.push_back(c);
    }
    return true;
}

// The code OnInputOther gets for a toolkit key of TypedKeys.
int InputCode(int key) {
    if (key == WXK_BACK)
        return INPUT_KEY_BACKSPACE;
    if (key == WXK_RETURN)
        return INPUT_KEY_RETURN;
    return key;
}

bool DragType(CScriptRunner& r, const Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: dragtype TEXT|back|enter";
        return false;
    }
    std::vector<int> keys;
    if (!TypedKeys(args[0], keys, error))
        return false;
    CEditorSession& session = EditorSession(r);
    const int n = r.TargetView();
    if (!session.Host().GetView(n)) {
        error = "no view " + std::to_string(n);
        return false;
    }
    CViewWindow* window = session.Frame() ? session.Frame()->GetViewWindow(n) : nullptr;
    if (!window) {
        for (int key : keys)
            session.Host().OtherInput(InputCode(key), 0);
        return true;
    }
    // Only the focus moves: no click, which would reach the plug-ins as a press.
    window->SetFocus();
    if (!PumpUntil(session, [&] { return wxWindow::FindFocus() == window; })) {
        error = "view " + std::to_string(n) + " did not get the keyboard focus";
        return false;
    }
    for (int key : keys)
        if (!PressKey(session, key)) {
            error = "dragtype: the key was not handled";
            return false;
        }
    return true;
}

bool Space(CScriptRunner& r, const Args& args, std::string& error) {
    return OptionCommand(r, args, kSpace, error);
}

bool Pivot(CScriptRunner& r, const Args& args, std::string& error) {
    return OptionCommand(r, args, kPivot, error);
}

bool AlignNormal(CScriptRunner& r, const Args& args, std::string& error) {
    return OptionCommand(r, args, kAlignNormal, error);
}

} // namespace

void RegisterGizmoOptionScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(
        runner,
        {{"space", Space}, {"pivot", Pivot}, {"alignnormal", AlignNormal}, {"dragtype", DragType}});
}

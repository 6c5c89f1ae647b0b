// Script commands that type into and click the plug-ins' panels the way a person does: every
// key and click is a real input event through the toolkit's input simulator (XTest), so the
// controls' character filters, focus changes and per-frame key checks all run.
//
//   type panel|bar ID [TEXT]  focuses control ID of the side panel (panel) or of the bar docked
//                             at the bottom of the main window (bar), selects its whole text
//                             and types TEXT, the rest of the line (words joined by one space),
//                             one key at a time; without TEXT it deletes the selection
//                             (Backspace). Characters that have no key on the keyboard map
//                             (non-ASCII, e.g. Chinese) reach the focused control as a
//                             character event with their Unicode value; when the control does
//                             not consume it, the command inserts the character as the native
//                             edit would.
//   leave                     moves the keyboard focus to view 0.
//   key return|escape|tab     presses the key in the focused window; Return stays down for one
//                             rendered frame, then is released for one more.
//   click ID                  clicks side-panel control 1021, 1022 or 1023.
//   groundfollow on|off       clicks check box 1022 when its state differs.
//   show panel|bar            one line per control in id order: "panel ID shown|hidden TEXT"
//                             or "bar ID TEXT"; check boxes print 0 or 1, line feeds print
//                             as "\n". After one rendered frame, as a person sees them: what
//                             the pointer moves of a drag change reaches them once a frame.
//   state NAME                prints "NAME state 0x%X" with the entity's state bits.
//   beeps                     prints "beeps N": the information beeps since the editor started.
//
// Beeps are counted at the X server: the editor listens for the keyboard extension's bell
// notifications, which every beep of the process (the toolkit's bell) raises. No plug-in has to
// report them, and the host needs nothing of the plug-in beyond its windows.
#include "AutomationContract.h"
#include "CEditorHost.h"
#include "DesktopPlatform.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "ScriptInput.h"
#include "ScriptWindows.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "CEditorScene.h"
#include "SceneEntity.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/eventfilter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <ostream>
#include <thread>

namespace {
using Args = CScriptRunner::Args;

constexpr int kControlIdFirst = automation::kControlFirst;
constexpr int kControlIdLast = automation::kControlLast;

wxWindow* PanelRoot(CEditorSession& session) {
    CMainFrame* frame = session.Frame();
    return frame ? frame->GetSideArea() : nullptr;
}

// The plug-in's bar.
wxWindow* BarRoot(CEditorSession& session) {
    CMainFrame* frame = session.Frame();
    return frame ? frame->GetBottomBar() : nullptr;
}

// The side panel exists once the tool's page has been shown: engage the move tool when the
// panel has no controls yet.
wxWindow* PanelControl(CEditorSession& session, int id) {
    wxWindow* control = FindDescendant(PanelRoot(session), id);
    if (control)
        return control;
    CEditorHost& host = session.Host();
    IPluginBase* plugin = nullptr;
    int moveCommand = 0;
    if (host.FindStripTool(1, plugin, moveCommand))
        host.ClickTool(plugin, moveCommand);
    session.ProcessEvents();
    return FindDescendant(PanelRoot(session), id);
}

bool ParseId(const std::string& text, int& id, std::string& error) {
    if (!CScriptRunner::ParseInt(text, id) || id < kControlIdFirst || id > kControlIdLast) {
        error = "bad control id '" + text + "'";
        return false;
    }
    return true;
}

// A character without a key: a character event to the focused control, inserted by us when
// the control lets it through.
void SendUnicodeChar(wxUniChar character) {
    wxWindow* focused = wxWindow::FindFocus();
    if (!focused)
        return;
    wxKeyEvent event(wxEVT_CHAR);
    event.m_uniChar = static_cast<wxChar>(character.GetValue());
    event.m_keyCode = WXK_NONE;
    event.SetEventObject(focused);
    event.SetId(focused->GetId());
    const bool consumed = focused->GetEventHandler()->ProcessEvent(event);
    if (!consumed) {
        if (auto* edit = wxDynamicCast(focused, wxTextCtrl))
            edit->WriteText(wxString(character));
    }
}

bool Type(CScriptRunner& runner, const Args& args, std::string& error) {
    int id = 0;
    if (args.size() < 2 || (args[0] != "panel" && args[0] != "bar")) {
        error = "usage: type panel|bar ID [TEXT]";
        return false;
    }
    if (!ParseId(args[1], id, error))
        return false;
    CEditorSession& session = EditorSession(runner);
    wxWindow* window =
        args[0] == "panel" ? PanelControl(session, id) : FindDescendant(BarRoot(session), id);
    auto* edit = wxDynamicCast(window, wxTextCtrl);
    if (!edit || !edit->IsShownOnScreen()) {
        error = args[0] + " control " + args[1] + " is not a shown edit";
        return false;
    }
    std::string text;
    for (size_t i = 2; i < args.size(); ++i)
        text += (i > 2 ? " " : "") + args[i];
    // The main window must hold the keyboard: without a window manager nobody else gives it.
    if (CMainFrame* frame = session.Frame())
        frame->Raise();
    edit->SetFocus();
    PumpUntil(
        session, [&] { return wxWindow::FindFocus() == edit; }, 1000);
    edit->SelectAll();
    session.ProcessEvents();
    if (text.empty())
        return PressKey(session, WXK_BACK) || (error = "type: the key was not handled", false);
    for (const wxUniChar character : wxString::FromUTF8(text)) {
        const wxUint32 code = character.GetValue();
        if (code >= 0x20 && code < 0x7F) {
            int key = 0;
            int modifiers = 0;
            KeyOf(static_cast<char>(code), key, modifiers);
            if (!PressKey(session, key, modifiers)) {
                error = "type: a key was not handled";
                return false;
            }
        } else {
            SendUnicodeChar(character);
            session.ProcessEvents();
        }
    }
    return true;
}

bool Leave(CScriptRunner& runner, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: leave";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    CViewWindow* view = session.Frame() ? session.Frame()->GetViewWindow(0) : nullptr;
    if (!view) {
        error = "no view 0";
        return false;
    }
    view->SetFocus();
    PumpUntil(
        session, [&] { return wxWindow::FindFocus() == view; }, 1000);
    session.ProcessEvents();
    return true;
}

bool Key(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1 || (args[0] != "return" && args[0] != "escape" && args[0] != "tab")) {
        error = "usage: key return|escape|tab";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    if (args[0] == "escape")
        return PressKey(session, WXK_ESCAPE) || (error = "key: not handled", false);
    if (args[0] == "tab")
        return PressKey(session, WXK_TAB) || (error = "key: not handled", false);
    // Return is held over one rendered frame, so that a per-frame key check sees it down.
    CInputWatch watch;
    wxUIActionSimulator simulator;
    simulator.KeyDown(WXK_RETURN);
    PumpUntil(session, [&] { return wxGetKeyState(WXK_RETURN); });
    session.ProcessEvents();
    session.RenderFrames(1);
    simulator.KeyUp(WXK_RETURN);
    const bool released = PumpUntil(session, [&] { return watch.Seen(wxEVT_KEY_UP) > 0; });
    PumpUntil(session, [&] { return !wxGetKeyState(WXK_RETURN); });
    // And one frame with it up, so that two presses in a row are two presses to that check.
    session.RenderFrames(1);
    if (!released) {
        error = "key: Return was not handled";
        return false;
    }
    return true;
}

// A left click in the middle of a shown control; waits until the toolkit handled the release.
bool ClickControl(CEditorSession& session, wxWindow* control, std::string& error) {
    if (!control || !control->IsShownOnScreen()) {
        error = "the control is not shown";
        return false;
    }
    if (CMainFrame* frame = session.Frame())
        frame->Raise();
    const wxRect rect = control->GetScreenRect();
    const wxPoint before = wxGetMousePosition();
    CInputWatch watch;
    wxUIActionSimulator simulator;
    simulator.MouseMove(rect.x + rect.width / 2, rect.y + rect.height / 2);
    session.ProcessEvents();
    simulator.MouseClick();
    const wxEventType done = wxDynamicCast(control, wxCheckBox) ? wxEVT_CHECKBOX : wxEVT_BUTTON;
    if (!PumpUntil(session, [&] { return watch.Seen(done) > 0; })) {
        error = "the click was not handled";
        return false;
    }
    // The pointer goes back where it was, so that the views see no pointer of ours.
    simulator.MouseMove(before);
    session.ProcessEvents();
    return true;
}

bool Click(CScriptRunner& runner, const Args& args, std::string& error) {
    int id = 0;
    if (args.size() != 1 || !ParseId(args[0], id, error) || id < automation::kPlanMap ||
        id > automation::kSnap) {
        error = "usage: click " + std::to_string(automation::kPlanMap) + "|" +
                std::to_string(automation::kGroundFollow) + "|" + std::to_string(automation::kSnap);
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    return ClickControl(session, PanelControl(session, id), error);
}

bool GroundFollow(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off")) {
        error = "usage: groundfollow on|off";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    auto* box = wxDynamicCast(PanelControl(session, automation::kGroundFollow), wxCheckBox);
    if (!box) {
        error = "groundfollow: no ground-follow check box (is the transform plug-in loaded?)";
        return false;
    }
    if (box->GetValue() == (args[0] == "on"))
        return true;
    // The box is shown only while an entity is current; a hidden one takes no click.
    if (!box->IsShownOnScreen()) {
        error = "groundfollow: the check box is hidden (select an entity first)";
        return false;
    }
    return ClickControl(session, box, error);
}

std::string ControlText(wxWindow* window) {
    wxString text;
    if (auto* box = wxDynamicCast(window, wxCheckBox))
        text = box->GetValue() ? "1" : "0";
    else if (auto* edit = wxDynamicCast(window, wxTextCtrl))
        text = edit->GetValue();
    else if (auto* label = wxDynamicCast(window, wxStaticText))
        text = label->GetLabelText();
    else
        text = window->GetLabel();
    std::string out;
    for (const char c : std::string(text.utf8_str())) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void CollectControls(wxWindow* window, std::map<int, wxWindow*>& controls) {
    for (wxWindow* child : window->GetChildren()) {
        const int id = child->GetId();
        if (id >= kControlIdFirst && id <= kControlIdLast && !controls.count(id))
            controls[id] = child;
        CollectControls(child, controls);
    }
}

bool Show(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1 || (args[0] != "panel" && args[0] != "bar")) {
        error = "usage: show panel|bar";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    const bool panel = args[0] == "panel";
    session.RenderFrames(1);
    wxWindow* root = panel ? PanelRoot(session) : BarRoot(session);
    if (panel && !FindDescendant(root, automation::kPositionX))
        root = PanelControl(session, automation::kPositionX) ? PanelRoot(session) : nullptr;
    if (!root) {
        error = "show: no " + args[0];
        return false;
    }
    std::map<int, wxWindow*> controls;
    CollectControls(root, controls);
    for (const auto& [id, window] : controls) {
        runner.Out() << args[0] << " " << id;
        if (panel)
            runner.Out() << (window->IsShown() ? " shown" : " hidden");
        const std::string text = ControlText(window);
        runner.Out() << (text.empty() ? "" : " ") << text << "\n";
    }
    return true;
}

bool State(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: state NAME";
        return false;
    }
    SceneEntity* entity = EditorSession(runner).Host().Scene().getSceneEntity(args[0]);
    if (!entity) {
        error = "unknown entity '" + args[0] + "'";
        return false;
    }
    char text[32];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(entity->GetState()));
    runner.Out() << entity->GetName() << " state " << text << "\n";
    return true;
}

bool Beeps(CBellCounter& bells, CScriptRunner& r, const Args& args, std::string& error) {
    if (!args.empty()) {
        error = "usage: beeps";
        return false;
    }
    if (!bells.IsListening()) {
        error = "beeps: the X server reports no bells (no keyboard extension)";
        return false;
    }
    r.Out() << "beeps " << bells.Count() << "\n";
    return true;
}

} // namespace

void RegisterPanelScriptCommands(CScriptRunner& runner) {
    // From the session's start on; the counter goes with the runner's commands.
    auto bells = std::make_shared<CBellCounter>();
    AddScriptCommands(runner,
                      {{"type", Type},
                       {"leave", Leave},
                       {"key", Key},
                       {"click", Click},
                       {"groundfollow", GroundFollow},
                       {"show", Show},
                       {"state", State},
                       {"beeps", [bells](CScriptRunner& r, const Args& args, std::string& error) {
                            return Beeps(*bells, r, args, error);
                        }}});
}

// Script commands that drive the pointer and the keys in the target view: press, move,
// release, keys, cancel, rpress, rect. A press's modifier words stay with the move and release
// steps that follow it.
#include "IView.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "CViewWindow.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"

#include <memory>

namespace {
using Args = CScriptRunner::Args;

// `pressFlags`: the modifier keys of the last "press", carried by the "move" and "release"
// that follow.
bool Press(int& pressFlags, CScriptRunner& r, const Args& args, std::string& error) {
    int x = 0, y = 0, mods = 0;
    if (!Point(args, 0, x, y, error) || !Modifiers(args, 2, mods, error) || !TargetView(r, error))
        return false;
    pressFlags = mods;
    EditorSession(r).Host().PointerDown(r.TargetView(), KEY_LBUTTON | mods, x, y);
    return true;
}

bool Move(int pressFlags, CScriptRunner& r, const Args& args, std::string& error) {
    int x = 0, y = 0;
    if (!Count(args, 2, "move X Y", error) || !Point(args, 0, x, y, error) || !TargetView(r, error))
        return false;
    // Keys held with "keys" count for each step (Ctrl snaps), as the press's own words do.
    const int flags = KEY_LBUTTON | pressFlags | EditorSession(r).HeldKeys();
    EditorSession(r).Host().PointerMove(r.TargetView(), flags, x, y);
    return true;
}

bool Release(int& pressFlags, CScriptRunner& r, const Args& args, std::string& error) {
    int x = 0, y = 0, mods = 0;
    if (!Point(args, 0, x, y, error) || !Modifiers(args, 2, mods, error) || !TargetView(r, error))
        return false;
    pressFlags = 0;
    EditorSession(r).Host().PointerUp(r.TargetView(), KEY_LBUTTON | mods, x, y);
    return true;
}

bool Keys(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 1, "keys none|shift|ctrl|shift+ctrl", error))
        return false;
    int flags = -1;
    if (args[0] == "none")
        flags = 0;
    else if (args[0] == "shift")
        flags = KEY_SHIFT;
    else if (args[0] == "ctrl")
        flags = KEY_CTRL;
    else if (args[0] == "shift+ctrl" || args[0] == "ctrl+shift")
        flags = KEY_SHIFT | KEY_CTRL;
    if (flags < 0) {
        error = "keys takes none, shift, ctrl or shift+ctrl";
        return false;
    }
    EditorSession(r).SetHeldKeys(flags);
    return true;
}

bool Cancel(CScriptRunner& r, const Args& args, std::string& error) {
    if (!Count(args, 0, "cancel", error) || !TargetView(r, error))
        return false;
    // Escape typed into the target view, as a person would while holding a part.
    CEditorSession& session = EditorSession(r);
    CViewWindow* window =
        session.Frame() ? session.Frame()->GetViewWindow(r.TargetView()) : nullptr;
    if (!window) {
        session.Host().OtherInput(INPUT_KEY_ESCAPE, 0);
        return true;
    }
    window->SetFocus();
    PumpUntil(session, [&] { return wxWindow::FindFocus() == window; });
    if (!PressKey(session, WXK_ESCAPE)) {
        error = "the Escape key did not arrive";
        return false;
    }
    return true;
}

bool RightPress(CScriptRunner& r, const Args& args, std::string& error) {
    int x = 0, y = 0;
    if (!Count(args, 2, "rpress X Y", error) || !Point(args, 0, x, y, error) ||
        !TargetView(r, error))
        return false;
    CEditorSession& session = EditorSession(r);
    CViewWindow* window =
        session.Frame() ? session.Frame()->GetViewWindow(r.TargetView()) : nullptr;
    if (!window) {
        session.Host().OtherPress(r.TargetView(), KEY_RBUTTON, session.HeldKeys(), x, y);
        return true;
    }
    // The right button's press and release through the view's own mouse handling.
    for (wxEventType type : {wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP}) {
        wxMouseEvent event(type);
        event.SetEventObject(window);
        event.SetPosition(wxPoint(x, y));
        event.m_rightDown = type == wxEVT_RIGHT_DOWN;
        event.m_controlDown = (session.HeldKeys() & KEY_CTRL) != 0;
        event.m_shiftDown = (session.HeldKeys() & KEY_SHIFT) != 0;
        window->GetEventHandler()->ProcessEvent(event);
    }
    session.ProcessEvents();
    return true;
}

bool Rect(CScriptRunner& r, const Args& args, std::string& error) {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!Count(args, 4, "rect X0 Y0 X1 Y1", error) || !Point(args, 0, x0, y0, error) ||
        !Point(args, 2, x1, y1, error) || !TargetView(r, error))
        return false;
    // A left drag with the held keys; the host turns it into a rubber band when the press
    // is not claimed by a plug-in.
    CEditorHost& host = EditorSession(r).Host();
    const int flags = KEY_LBUTTON | EditorSession(r).HeldKeys();
    const int view = r.TargetView();
    host.PointerDown(view, flags, x0, y0);
    host.PointerMove(view, flags, (x0 + x1) / 2, (y0 + y1) / 2);
    host.PointerMove(view, flags, x1, y1);
    host.PointerUp(view, flags, x1, y1);
    return true;
}
} // namespace

void RegisterPointerScriptCommands(CScriptRunner& runner) {
    // Each runner keeps its own press state.
    auto flags = std::make_shared<int>(0);
    AddScriptCommands(runner,
                      {{"press", [flags](CScriptRunner& r, const Args& a,
                                         std::string& e) { return Press(*flags, r, a, e); }},
                       {"move", [flags](CScriptRunner& r, const Args& a,
                                        std::string& e) { return Move(*flags, r, a, e); }},
                       {"release", [flags](CScriptRunner& r, const Args& a,
                                           std::string& e) { return Release(*flags, r, a, e); }},
                       {"keys", Keys},
                       {"cancel", Cancel},
                       {"rpress", RightPress},
                       {"rect", Rect}});
}

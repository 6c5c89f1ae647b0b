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
    // Alt held with "keys" counts from the press on (it makes a move drag copy first); Shift
    // and Ctrl held so count only for the steps, as at the press they would change the
    // selection.
    pressFlags = mods | (EditorSession(r).HeldKeys() & KEY_ALT);
    EditorSession(r).Host().PointerDown(r.TargetView(), KEY_LBUTTON | pressFlags, x, y);
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
    if (!Count(args, 1, "keys none|shift|ctrl|shift+ctrl|alt|shift+alt|ctrl+alt", error))
        return false;
    static const struct {
        const char* words;
        int flags;
    } kKeys[] = {{"none", 0},
                 {"shift", KEY_SHIFT},
                 {"ctrl", KEY_CTRL},
                 {"shift+ctrl", KEY_SHIFT | KEY_CTRL},
                 {"ctrl+shift", KEY_SHIFT | KEY_CTRL},
                 {"alt", KEY_ALT},
                 {"shift+alt", KEY_SHIFT | KEY_ALT},
                 {"ctrl+alt", KEY_CTRL | KEY_ALT}};
    int flags = -1;
    for (const auto& k : kKeys)
        if (args[0] == k.words)
            flags = k.flags;
    if (flags < 0) {
        error = "keys takes none, shift, ctrl, shift+ctrl, alt, shift+alt or ctrl+alt";
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
        event.m_altDown = (session.HeldKeys() & KEY_ALT) != 0;
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

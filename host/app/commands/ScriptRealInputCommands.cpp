// Script commands that send real input to the main window: X events made by the toolkit's input
// simulator (XTest), at points given in pixels of the main window's client area (a
// point past it, on a popup, goes as long as it is on the screen). Whatever window
// lies under the pointer handles them as it would a person's (focus changes, captures, popups,
// key bindings), so they reach paths no command of its own would name:
//
//   xmove X Y                        the pointer to X Y
//   xpress left|middle|right X Y     the pointer to X Y, then the button pressed
//   xrelease left|middle|right X Y   the pointer to X Y, then the button released
//   xwheel X Y up|down               one notch of the wheel at X Y
//   xhold none|MODS                  holds MODS (ctrl, shift, alt joined by '+') until the next
//                                    xhold: keys, presses and moves in between carry them
//   xkey KEY [MODS]                  KEY pressed and released with MODS held around it; KEY is a
//                                    letter, a digit, one of - . , / ; space, or return, escape,
//                                    tab, backspace, delete, f2, left, right, up, down, home, end
//   xtype TEXT                       the rest of the line typed key by key (printable ASCII)
//
// Keys go to the window under the pointer (no window manager gives the focus), as they do for
// a person who types where the pointer rests. Each command waits until the X server holds the
// new state (pointer place, buttons, keys), then handles every event that state led to, so a
// script that sends the same lines gets the same events. A press within 10 pixels of the one
// before and within the toolkit's double-click time waits that time out first: whether two
// presses make a double click would otherwise depend on how fast the machine runs.
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"

#include <wx/uiaction.h>
#include <wx/utils.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <memory>
#include <string>

// GDK's own round trip to the X server (its headers need the whole GTK include path).
extern "C" {
void* gdk_display_get_default();
void gdk_display_sync(void* display);
}

namespace {
using Args = CScriptRunner::Args;
using Clock = std::chrono::steady_clock;

// Longer than the toolkit's double-click time (400 ms by default).
constexpr int kDoubleClickMs = 600;
constexpr int kDoubleClickDistance = 10;

// What the set keeps between lines: the modifiers held, the last press, and one simulator
// and X connection for all of them (the toolkit's simulator waits 50 ms each time one is made).
struct RealInputState {
    int held = 0; // wxMOD_CONTROL | wxMOD_SHIFT | wxMOD_ALT
    Clock::time_point lastPress;
    wxPoint lastPressAt{-1000, -1000};
    std::unique_ptr<wxUIActionSimulator> simulator;
    Display* display = nullptr; // for the wheel

    RealInputState() = default;
    RealInputState(const RealInputState&) = delete;
    RealInputState& operator=(const RealInputState&) = delete;
    ~RealInputState() {
        if (display)
            XCloseDisplay(display);
    }
    wxUIActionSimulator& Simulator() {
        if (!simulator)
            simulator = std::make_unique<wxUIActionSimulator>();
        return *simulator;
    }
};

// Hands the X events queued for the editor to the toolkit and handles them, with what they
// post in turn, until nothing is left.
void Drain(CEditorSession& session) {
    if (void* display = gdk_display_get_default())
        gdk_display_sync(display);
    for (int i = 0; i < 4; ++i)
        session.ProcessEvents();
}

bool ScreenPoint(CScriptRunner& r, const Args& args, std::size_t at, wxPoint& screen,
                 std::string& error) {
    int x = 0, y = 0;
    if (!Point(args, at, x, y, error))
        return false;
    CMainFrame* frame = EditorSession(r).Frame();
    if (!frame) {
        error = "no main window";
        return false;
    }
    // A popup may reach past the window: any point on the screen goes.
    screen = frame->ClientToScreen(wxPoint(x, y));
    const wxSize display = wxGetDisplaySize();
    if (screen.x < 0 || screen.y < 0 || screen.x >= display.x || screen.y >= display.y) {
        error = "the point " + std::to_string(x) + " " + std::to_string(y) +
                " lies outside the screen";
        return false;
    }
    return true;
}

bool ParseButton(const std::string& word, int& button, std::string& error) {
    if (word == "left")
        button = wxMOUSE_BTN_LEFT;
    else if (word == "middle")
        button = wxMOUSE_BTN_MIDDLE;
    else if (word == "right")
        button = wxMOUSE_BTN_RIGHT;
    else {
        error = "the button is left, middle or right";
        return false;
    }
    return true;
}

bool ButtonDown(int button) {
    const wxMouseState state = wxGetMouseState();
    return button == wxMOUSE_BTN_LEFT     ? state.LeftIsDown()
           : button == wxMOUSE_BTN_MIDDLE ? state.MiddleIsDown()
                                          : state.RightIsDown();
}

bool ParseModifiers(const std::string& text, int& mods, std::string& error) {
    mods = 0;
    if (text == "none")
        return true;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('+', start), text.size());
        const std::string word = text.substr(start, end - start);
        if (word == "ctrl")
            mods |= wxMOD_CONTROL;
        else if (word == "shift")
            mods |= wxMOD_SHIFT;
        else if (word == "alt")
            mods |= wxMOD_ALT;
        else {
            error = "modifiers are none or ctrl, shift, alt joined by '+'";
            return false;
        }
        start = end + 1;
    }
    return true;
}

// The modifier keys of `mods`, in a fixed order.
const struct {
    int mod;
    int key;
} kModifierKeys[] = {{wxMOD_CONTROL, WXK_CONTROL}, {wxMOD_SHIFT, WXK_SHIFT}, {wxMOD_ALT, WXK_ALT}};

// Presses and releases modifier keys until `want` is held; waits until the server has them.
bool Hold(CEditorSession& session, RealInputState& state, int want) {
    int& held = state.held;
    wxUIActionSimulator& simulator = state.Simulator();
    for (const auto& k : kModifierKeys) {
        const bool on = (want & k.mod) != 0;
        if (on == ((held & k.mod) != 0))
            continue;
        if (on)
            simulator.KeyDown(k.key);
        else
            simulator.KeyUp(k.key);
        if (!PumpUntil(session, [&] { return wxGetKeyState(wxKeyCode(k.key)) == on; }))
            return false;
    }
    held = want;
    Drain(session);
    return true;
}

bool MoveTo(CEditorSession& session, RealInputState& state, const wxPoint& screen) {
    state.Simulator().MouseMove(screen);
    // Asked of the server, not of the toolkit's last motion event.
    if (!PumpUntil(session, [&] { return wxGetMouseState().GetPosition() == screen; }))
        return false;
    Drain(session);
    return true;
}

bool XMove(RealInputState& state, CScriptRunner& r, const Args& args, std::string& error) {
    wxPoint at;
    if (!Count(args, 2, "xmove X Y", error) || !ScreenPoint(r, args, 0, at, error))
        return false;
    if (!MoveTo(EditorSession(r), state, at)) {
        error = "the pointer did not arrive";
        return false;
    }
    return true;
}

bool XButton(RealInputState& state, bool down, CScriptRunner& r, const Args& args,
             std::string& error) {
    int button = 0;
    wxPoint at;
    if (!Count(args, 3, down ? "xpress BUTTON X Y" : "xrelease BUTTON X Y", error) ||
        !ParseButton(args[0], button, error) || !ScreenPoint(r, args, 1, at, error))
        return false;
    CEditorSession& session = EditorSession(r);
    if (down) {
        const wxPoint d = at - state.lastPressAt;
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(
                               Clock::now() - state.lastPress)
                               .count();
        if (d.x * d.x + d.y * d.y < kDoubleClickDistance * kDoubleClickDistance &&
            since < kDoubleClickMs)
            wxMilliSleep(static_cast<unsigned long>(kDoubleClickMs - since));
    }
    if (!MoveTo(session, state, at)) {
        error = "the pointer did not arrive";
        return false;
    }
    if (ButtonDown(button) == down) {
        error = std::string("the ") + args[0] + " button is " + (down ? "down" : "up") + " already";
        return false;
    }
    if (down)
        state.Simulator().MouseDown(button);
    else
        state.Simulator().MouseUp(button);
    if (!PumpUntil(session, [&] { return ButtonDown(button) == down; })) {
        error = "the button did not change";
        return false;
    }
    Drain(session);
    if (down) {
        // Measured from when the press was handled: the next one is at least this much later
        // at the server too.
        state.lastPress = Clock::now();
        state.lastPressAt = at;
    }
    return true;
}

// One notch: X buttons 4 (up) and 5 (down) through the test extension on a connection of our
// own (the toolkit's simulator has no wheel). Once that connection's round trip is back the
// server has made the events, and once the editor's own is back they wait in its queue.
bool SendWheel(RealInputState& state, bool up) {
    if (!state.display)
        state.display = XOpenDisplay(nullptr);
    if (!state.display)
        return false;
    const unsigned button = up ? 4 : 5;
    XTestFakeButtonEvent(state.display, button, True, CurrentTime);
    XTestFakeButtonEvent(state.display, button, False, CurrentTime);
    XSync(state.display, False);
    return true;
}

bool XWheel(RealInputState& state, CScriptRunner& r, const Args& args, std::string& error) {
    wxPoint at;
    if (!Count(args, 3, "xwheel X Y up|down", error) || !ScreenPoint(r, args, 0, at, error))
        return false;
    if (args[2] != "up" && args[2] != "down") {
        error = "xwheel turns up or down";
        return false;
    }
    CEditorSession& session = EditorSession(r);
    if (!MoveTo(session, state, at) || !SendWheel(state, args[2] == "up")) {
        error = "the wheel did not turn";
        return false;
    }
    Drain(session);
    return true;
}

bool XHold(RealInputState& state, CScriptRunner& r, const Args& args, std::string& error) {
    int mods = 0;
    if (!Count(args, 1, "xhold none|MODS", error) || !ParseModifiers(args[0], mods, error))
        return false;
    if (!Hold(EditorSession(r), state, mods)) {
        error = "the modifier keys did not change";
        return false;
    }
    return true;
}

// The toolkit's key code of a key word.
bool ParseKey(const std::string& word, int& key) {
    static const struct {
        const char* name;
        int key;
    } kNamed[] = {{"return", WXK_RETURN}, {"escape", WXK_ESCAPE}, {"tab", WXK_TAB},
                  {"backspace", WXK_BACK}, {"delete", WXK_DELETE}, {"f2", WXK_F2},
                  {"left", WXK_LEFT},     {"right", WXK_RIGHT},   {"up", WXK_UP},
                  {"down", WXK_DOWN},     {"home", WXK_HOME},     {"end", WXK_END},
                  {"space", ' '}};
    for (const auto& k : kNamed)
        if (word == k.name) {
            key = k.key;
            return true;
        }
    const std::string keys = "abcdefghijklmnopqrstuvwxyz0123456789-.,/;";
    if (word.size() == 1 && keys.find(word[0]) != std::string::npos) {
        key = static_cast<unsigned char>(word[0]);
        return true;
    }
    return false;
}

// The key's state as the server has it (letters by their capital, as the toolkit asks).
bool KeyIsDown(int key) {
    if (key >= 'a' && key <= 'z')
        key = key - 'a' + 'A';
    return wxGetKeyState(wxKeyCode(key));
}

// One key down and up with `mods` held around it (and the held ones kept after).
bool Stroke(CEditorSession& session, RealInputState& state, int key, int mods) {
    const int before = state.held;
    if (!Hold(session, state, before | mods))
        return false;
    wxUIActionSimulator& simulator = state.Simulator();
    simulator.KeyDown(key);
    if (!PumpUntil(session, [&] { return KeyIsDown(key); }))
        return false;
    Drain(session);
    simulator.KeyUp(key);
    if (!PumpUntil(session, [&] { return !KeyIsDown(key); }))
        return false;
    Drain(session);
    return Hold(session, state, before);
}

bool XKey(RealInputState& state, CScriptRunner& r, const Args& args, std::string& error) {
    int key = 0, mods = 0;
    if (args.empty() || args.size() > 2) {
        error = "usage: xkey KEY [MODS]";
        return false;
    }
    if (!ParseKey(args[0], key)) {
        error = "unknown key '" + args[0] + "'";
        return false;
    }
    if (args.size() == 2 && !ParseModifiers(args[1], mods, error))
        return false;
    if (!Stroke(EditorSession(r), state, key, mods)) {
        error = "the key did not go down and up";
        return false;
    }
    return true;
}

bool XType(RealInputState& state, CScriptRunner& r, const Args& args, std::string& error) {
    std::string text;
    for (std::size_t i = 0; i < args.size(); ++i)
        text += (i ? " " : "") + args[i];
    for (char c : text) {
        if (c < ' ' || c > '~') {
            error = "xtype types printable ASCII only";
            return false;
        }
    }
    for (char c : text) {
        int key = 0, mods = 0;
        KeyOf(c, key, mods);
        if (!Stroke(EditorSession(r), state, key, mods)) {
            error = std::string("the key of '") + c + "' did not go down and up";
            return false;
        }
    }
    return true;
}

} // namespace

void RegisterRealInputScriptCommands(CScriptRunner& runner) {
    // Each runner keeps its own held keys and last press.
    auto state = std::make_shared<RealInputState>();
    auto with = [state](bool (*f)(RealInputState&, CScriptRunner&, const Args&, std::string&)) {
        return [state, f](CScriptRunner& r, const Args& a, std::string& e) {
            return f(*state, r, a, e);
        };
    };
    AddScriptCommands(
        runner,
        {{"xmove", with(XMove)},
         {"xpress",
          [state](CScriptRunner& r, const Args& a, std::string& e) {
              return XButton(*state, true, r, a, e);
          }},
         {"xrelease",
          [state](CScriptRunner& r, const Args& a, std::string& e) {
              return XButton(*state, false, r, a, e);
          }},
         {"xwheel", with(XWheel)},
         {"xhold", with(XHold)},
         {"xkey", with(XKey)},
         {"xtype", with(XType)}});
}

// Script commands that send real input to the main window: X events made by the X server's test
// extension (XTest, what the toolkit's input simulator uses), at points given in pixels of the main
// window's client area (a point past it, on a popup, goes as long as it is on the screen). Whatever
// window lies under the pointer handles them as it would a person's (focus changes, captures,
// popups, key bindings), so they reach paths no command of its own would name:
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
// Keys go to the window that has the X input focus, or with none the one under the pointer (no
// window manager gives the focus). The commands send on an X connection of their own, without
// the toolkit simulator's fixed sleeps (50 ms for each simulator made, 20 ms after each
// release): after each event a change of a property of the main window follows on that
// connection, and the command waits until the toolkit has handed that change to the window,
// so it has handled every event before it (see Deliver); then it checks that the server holds
// the new state (pointer place, buttons, keys). So a script that sends the same lines gets the
// same events, each handled before the next line runs. A press within 10 pixels of the one
// before and within the toolkit's double-click time waits that time out first: whether two
// presses make a double click would otherwise depend on how fast the machine runs.
#include "CEditorSession.h"
#include "CMainFrame.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "ScriptInput.h"

#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

// Last: Xlib's macros clash with names in the toolkit's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

// GDK's and GTK's own calls (their headers need the whole GTK include path).
extern "C" {
void* gdk_display_get_default();
void gdk_display_sync(void* display);
void* gtk_widget_get_window(void* widget);
unsigned long gdk_x11_window_get_xid(void* window);
void* gdk_atom_intern(const char* name, int onlyIfExists);
unsigned long g_signal_connect_data(void* instance, const char* signal, void (*handler)(),
                                    void* data, void* destroy, int flags);
void g_signal_handler_disconnect(void* instance, unsigned long id);
int gdk_window_get_events(void* window);
void gdk_window_set_events(void* window, int mask);
void g_object_add_weak_pointer(void* object, void** where);
void g_object_remove_weak_pointer(void* object, void** where);
}

namespace {
using Args = CScriptRunner::Args;
using Clock = std::chrono::steady_clock;

// Longer than the toolkit's double-click time (400 ms by default).
constexpr int kDoubleClickMs = 600;
constexpr int kDoubleClickDistance = 10;

enum Modifier { kCtrl = 1, kShift = 2, kAlt = 4 };

// The property the fence changes on the main window (see Deliver), and GDK's mask of the
// events that tell property changes.
constexpr const char* kFenceProperty = "_GIZMARK_INPUT_FENCE";
constexpr int kPropertyChangeMask = 1 << 16;

// GDK's property event, as its header lays it out.
struct FenceEvent {
    int type;
    void* window;
    signed char sendEvent;
    void* atom;
    unsigned int time;
    unsigned int state;
};

// What the set keeps between lines: the modifiers held, the last press, its X connection, and
// the fence's count of property changes sent and handled.
struct RealInputState {
    int held = 0; // Modifier bits
    Clock::time_point lastPress;
    wxPoint lastPressAt{-1000, -1000};
    Display* display = nullptr;
    unsigned long fencesSent = 0;
    unsigned long fencesHandled = 0;
    void* fenceAtom = nullptr;   // GDK's atom of kFenceProperty
    Atom fenceProperty = None;   // the same on our connection
    void* fenceWidget = nullptr; // the main window the handler is connected to
    unsigned long fenceHandler = 0;

    RealInputState() = default;
    RealInputState(const RealInputState&) = delete;
    RealInputState& operator=(const RealInputState&) = delete;
    ~RealInputState() {
        Disconnect();
        if (display)
            XCloseDisplay(display);
    }
    // The fence's handler off the window it was connected to, unless the window went first
    // (its weak pointer is null then).
    void Disconnect() {
        if (!fenceWidget)
            return;
        g_signal_handler_disconnect(fenceWidget, fenceHandler);
        g_object_remove_weak_pointer(fenceWidget, &fenceWidget);
        fenceWidget = nullptr;
    }
    Display* Connection() {
        if (!display)
            display = XOpenDisplay(nullptr);
        return display;
    }
};

int OnFenceProperty(void*, FenceEvent* event, RealInputState* state) {
    if (event && state && event->atom == state->fenceAtom)
        ++state->fencesHandled;
    return 0; // others may want it too
}

// The main window's X window, with the fence's handler connected to it (again when the window
// was made anew); 0 without one.
Window FenceWindow(CEditorSession& session, RealInputState& state) {
    CMainFrame* frame = session.Frame();
    void* widget = frame ? static_cast<void*>(frame->GetHandle()) : nullptr;
    void* window = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!window)
        return 0;
    if (widget != state.fenceWidget) {
        state.Disconnect();
        gdk_window_set_events(window, gdk_window_get_events(window) | kPropertyChangeMask);
        state.fenceAtom = gdk_atom_intern(kFenceProperty, 0);
        state.fenceWidget = widget;
        g_object_add_weak_pointer(widget, &state.fenceWidget);
        state.fenceHandler = g_signal_connect_data(widget, "property-notify-event",
                                                   reinterpret_cast<void (*)()>(&OnFenceProperty),
                                                   &state, nullptr, 0);
    }
    return gdk_x11_window_get_xid(window);
}

// After events sent on our connection: the server has made them once our round trip is back,
// and they wait in the editor's queue once its own is. The toolkit may still hold them back
// for a while (it pauses its queue while it paints a frame, on its own clock), so a change of
// a property of the main window, made after them on the same connection, is their fence: once
// the toolkit has handed that change to the window, it has handled everything before it.
// Without a main window the events are handled as they come.
void Deliver(CEditorSession& session, RealInputState& state) {
    Display* display = state.Connection();
    const Window fence = FenceWindow(session, state);
    if (fence) {
        if (state.fenceProperty == None)
            state.fenceProperty = XInternAtom(display, kFenceProperty, False);
        const long value = long(++state.fencesSent);
        XChangeProperty(display, fence, state.fenceProperty, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
    }
    XSync(display, False);
    if (void* editor = gdk_display_get_default())
        gdk_display_sync(editor);
    if (fence) {
        PumpUntil(session, [&] { return state.fencesHandled >= state.fencesSent; });
    } else {
        for (int i = 0; i < 3; ++i)
            session.ProcessEvents();
    }
}

// Handles events until the server holds `done` (it should at once); false after the wait.
bool Holds(CEditorSession& session, const std::function<bool()>& done) {
    return PumpUntil(session, done);
}

bool PointerAt(Display* display, const wxPoint& at, unsigned* mask = nullptr) {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned buttons = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rx, &ry, &wx, &wy, &buttons);
    if (mask)
        *mask = buttons;
    return rx == at.x && ry == at.y;
}

bool KeyDown(Display* display, KeySym key) {
    char keys[32] = {};
    XQueryKeymap(display, keys);
    const KeyCode code = XKeysymToKeycode(display, key);
    return code != 0 && (keys[code / 8] >> (code % 8)) & 1;
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
        error =
            "the point " + std::to_string(x) + " " + std::to_string(y) + " lies outside the screen";
        return false;
    }
    return true;
}

// The X button of a word: 1 left, 2 middle, 3 right.
bool ParseButton(const std::string& word, unsigned& button, std::string& error) {
    button = word == "left" ? 1 : word == "middle" ? 2 : word == "right" ? 3 : 0;
    if (!button)
        error = "the button is left, middle or right";
    return button != 0;
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
            mods |= kCtrl;
        else if (word == "shift")
            mods |= kShift;
        else if (word == "alt")
            mods |= kAlt;
        else {
            error = "modifiers are none or ctrl, shift, alt joined by '+'";
            return false;
        }
        start = end + 1;
    }
    return true;
}

const struct {
    int mod;
    KeySym key;
} kModifierKeys[] = {{kCtrl, XK_Control_L}, {kShift, XK_Shift_L}, {kAlt, XK_Alt_L}};

// One key down or up, delivered and seen at the server.
bool SendKey(CEditorSession& session, RealInputState& state, KeySym key, bool down) {
    Display* display = state.Connection();
    const KeyCode code = XKeysymToKeycode(display, key);
    if (!code)
        return false;
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    Deliver(session, state);
    return Holds(session, [&] { return KeyDown(display, key) == down; });
}

// Presses and releases modifier keys until `want` is held.
bool Hold(CEditorSession& session, RealInputState& state, int want) {
    Display* display = state.Connection();
    if (!display)
        return false;
    for (const auto& k : kModifierKeys) {
        const bool on = (want & k.mod) != 0;
        if (on != ((state.held & k.mod) != 0) && !SendKey(session, state, k.key, on))
            return false;
    }
    state.held = want;
    return true;
}

bool MoveTo(CEditorSession& session, RealInputState& state, const wxPoint& screen) {
    Display* display = state.Connection();
    if (!display)
        return false;
    XTestFakeMotionEvent(display, -1, screen.x, screen.y, CurrentTime);
    Deliver(session, state);
    return Holds(session, [&] { return PointerAt(display, screen); });
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
    unsigned button = 0;
    wxPoint at;
    if (!Count(args, 3, down ? "xpress BUTTON X Y" : "xrelease BUTTON X Y", error) ||
        !ParseButton(args[0], button, error) || !ScreenPoint(r, args, 1, at, error))
        return false;
    CEditorSession& session = EditorSession(r);
    if (down) {
        const wxPoint d = at - state.lastPressAt;
        const auto since =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - state.lastPress)
                .count();
        if (d.x * d.x + d.y * d.y < kDoubleClickDistance * kDoubleClickDistance &&
            since < kDoubleClickMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(kDoubleClickMs - since));
    }
    if (!MoveTo(session, state, at)) {
        error = "the pointer did not arrive";
        return false;
    }
    Display* display = state.Connection();
    const unsigned bit = Button1Mask << (button - 1);
    auto isDown = [&] {
        unsigned mask = 0;
        PointerAt(display, at, &mask);
        return (mask & bit) != 0;
    };
    if (isDown() == down) {
        error = std::string("the ") + args[0] + " button is " + (down ? "down" : "up") + " already";
        return false;
    }
    XTestFakeButtonEvent(display, button, down ? True : False, CurrentTime);
    Deliver(session, state);
    if (!Holds(session, [&] { return isDown() == down; })) {
        error = "the button did not change";
        return false;
    }
    if (down) {
        // Measured from when the press was handled: the next one is at least this much later
        // at the server too.
        state.lastPress = Clock::now();
        state.lastPressAt = at;
    }
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
    if (!MoveTo(session, state, at)) {
        error = "the pointer did not arrive";
        return false;
    }
    // The wheel is X buttons 4 (up) and 5 (down), pressed and released at once.
    Display* display = state.Connection();
    const unsigned button = args[2] == "up" ? 4 : 5;
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    Deliver(session, state);
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

// The X key of a key word.
bool ParseKey(const std::string& word, KeySym& key) {
    static const struct {
        const char* name;
        KeySym key;
    } kNamed[] = {{"return", XK_Return},       {"escape", XK_Escape}, {"tab", XK_Tab},
                  {"backspace", XK_BackSpace}, {"delete", XK_Delete}, {"f2", XK_F2},
                  {"left", XK_Left},           {"right", XK_Right},   {"up", XK_Up},
                  {"down", XK_Down},           {"home", XK_Home},     {"end", XK_End},
                  {"space", XK_space}};
    for (const auto& k : kNamed)
        if (word == k.name) {
            key = k.key;
            return true;
        }
    // Latin-1 keys are named by their character.
    const std::string keys = "abcdefghijklmnopqrstuvwxyz0123456789-.,/;";
    if (word.size() == 1 && keys.find(word[0]) != std::string::npos) {
        key = static_cast<unsigned char>(word[0]);
        return true;
    }
    return false;
}

// One key down and up with `mods` held around it (and the held ones kept after). Down and up
// go in one batch: a key held while the editor handles it could otherwise repeat at the server
// when that takes longer than the repeat delay, and how often would depend on the machine.
bool Stroke(CEditorSession& session, RealInputState& state, KeySym key, int mods) {
    const int before = state.held;
    Display* display = state.Connection();
    if (!display || !Hold(session, state, before | mods))
        return false;
    const KeyCode code = XKeysymToKeycode(display, key);
    if (!code)
        return false;
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    Deliver(session, state);
    return Holds(session, [&] { return !KeyDown(display, key); }) && Hold(session, state, before);
}

bool XKey(RealInputState& state, CScriptRunner& r, const Args& args, std::string& error) {
    KeySym key = 0;
    int mods = 0;
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
        // The key of the character on a US keyboard, with Shift where it needs it.
        int key = 0, modifiers = 0;
        KeyOf(c, key, modifiers);
        if (!Stroke(EditorSession(r), state, KeySym(key), modifiers ? kShift : 0)) {
            error = std::string("the key of '") + c + "' did not go down and up";
            return false;
        }
    }
    return true;
}

} // namespace

void RegisterRealInputScriptCommands(CScriptRunner& runner) {
    // Each runner keeps its own held keys, last press and X connection.
    auto state = std::make_shared<RealInputState>();
    auto with = [state](bool (*f)(RealInputState&, CScriptRunner&, const Args&, std::string&)) {
        return [state, f](CScriptRunner& r, const Args& a, std::string& e) {
            return f(*state, r, a, e);
        };
    };
    AddScriptCommands(
        runner, {{"xmove", with(XMove)},
                 {"xpress", [state](CScriptRunner& r, const Args& a,
                                    std::string& e) { return XButton(*state, true, r, a, e); }},
                 {"xrelease", [state](CScriptRunner& r, const Args& a,
                                      std::string& e) { return XButton(*state, false, r, a, e); }},
                 {"xwheel", with(XWheel)},
                 {"xhold", with(XHold)},
                 {"xkey", with(XKey)},
                 {"xtype", with(XType)}});
}

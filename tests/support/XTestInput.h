// Pointer and key input through the X server's test extension, on a connection of our own: the
// events reach the editor as a person's do, through the toolkit's event source. And the toolkit's
// main loop run until a state holds, as the editor's own loop runs it.
//
// Include it after every other header: Xlib's macros (None, Bool, Status...) clash with names in
// the toolkit's and the engine's headers. A test that includes it links libXtst.
#pragma once

#include <wx/evtloop.h>
#include <wx/gdicmn.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

class CXInput {
public:
    CXInput() : m_display(XOpenDisplay(nullptr)) {}
    ~CXInput() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    CXInput(const CXInput&) = delete;
    CXInput& operator=(const CXInput&) = delete;

    bool IsOk() const { return m_display != nullptr; }
    void MoveTo(const wxPoint& screen) {
        XTestFakeMotionEvent(m_display, -1, screen.x, screen.y, CurrentTime);
        XFlush(m_display);
    }
    void Button(bool down) {
        XTestFakeButtonEvent(m_display, 1, down ? True : False, CurrentTime);
        XFlush(m_display);
    }
    // One key pressed or let go (held in between).
    void KeyState(KeySym key, bool down) {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), down ? True : False,
                          CurrentTime);
        XFlush(m_display);
    }
    void Key(KeySym key) {
        const KeyCode code = XKeysymToKeycode(m_display, key);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XFlush(m_display);
    }
    // One key held down or let go (a modifier held over other input).
    void Hold(KeySym key, bool down) {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), down ? True : False,
                          CurrentTime);
        XFlush(m_display);
    }
    // The pixels the server holds for a screen rectangle (nothing is asked of the toolkit).
    std::vector<unsigned long> Grab(const wxRect& area) {
        std::vector<unsigned long> pixels;
        if (area.width <= 0 || area.height <= 0)
            return pixels;
        XImage* image = XGetImage(m_display, DefaultRootWindow(m_display), area.x, area.y,
                                  unsigned(area.width), unsigned(area.height), AllPlanes, ZPixmap);
        if (!image)
            return pixels;
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                pixels.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return pixels;
    }

private:
    Display* m_display;
};

// Runs the toolkit's main loop until `done` holds (looked at every 10 ms) or `waitMs` have
// passed; answers whether it held. The limit matters only to a failing run.
inline bool RunLoopUntil(const std::function<bool()>& done, int waitMs = 30000) {
    if (done())
        return true;
    wxGUIEventLoop loop;
    bool held = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    wxTimer check;
    check.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (done())
            held = true;
        if (held || std::chrono::steady_clock::now() > end)
            loop.Exit();
    });
    check.Start(10);
    loop.Run();
    check.Stop();
    return held;
}

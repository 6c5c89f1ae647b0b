// The X server's bell notifications, counted: every wxBell of the process raises one, so a
// test can tell whether a refused key or text beeped. Count() answers -1 where the keyboard
// extension is not there (the caller then skips its bell checks).
#pragma once

#include "WxTestMain.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

class XBellCounter {
public:
    XBellCounter() {
        int major = XkbMajorVersion, minor = XkbMinorVersion, opcode = 0, error = 0;
        m_display = XkbOpenDisplay(nullptr, &m_base, &error, &major, &minor, &opcode);
        if (m_display) {
            XkbSelectEvents(m_display, XkbUseCoreKbd, XkbBellNotifyMask, XkbBellNotifyMask);
            XSync(m_display, False);
        }
    }
    ~XBellCounter() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    XBellCounter(const XBellCounter&) = delete;
    XBellCounter& operator=(const XBellCounter&) = delete;

    int Count() {
        if (!m_display)
            return -1;
        Pump(30);
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent e;
            XNextEvent(m_display, &e);
            m_count +=
                e.type == m_base && reinterpret_cast<XkbAnyEvent*>(&e)->xkb_type == XkbBellNotify;
        }
        return m_count;
    }

private:
    Display* m_display = nullptr;
    int m_base = 0;
    int m_count = 0;
};

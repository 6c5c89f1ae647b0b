// What the script commands that drive controls with simulated input share: waiting until the
// toolkit has handled what was simulated, typing ASCII keys and clicking screen points. All of
// it goes through the toolkit (its input simulator sends real X input).
#pragma once

#include "ScriptEnvironment.h"

#include <wx/event.h>
#include <wx/eventfilter.h>

#include <functional>
#include <map>

// How long a command waits at most for the toolkit to reach the state a simulated event leads
// to. Only a failing command waits that long; a loaded machine (or a sanitizer build) may need
// seconds where an idle one needs milliseconds.
constexpr int kScriptWaitMs = 10000;

// Counts the events the toolkit has handled while it lives, by type, and keeps their order.
class CInputWatch : public wxEventFilter {
public:
    CInputWatch() { wxEvtHandler::AddFilter(this); }
    ~CInputWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        Record& seen = m_seen[event.GetEventType()];
        ++m_count;
        if (seen.count++ == 0)
            seen.first = m_count;
        seen.last = m_count;
        return Event_Skip;
    }
    int Seen(wxEventType type) const {
        const auto it = m_seen.find(type);
        return it == m_seen.end() ? 0 : it->second.count;
    }
    // Whether an event of type `then` came after the first one of type `first`: a release
    // left over from input before the watch started does not count as the release of a
    // press made after it.
    bool SeenAfter(wxEventType first, wxEventType then) const {
        const auto a = m_seen.find(first);
        const auto b = m_seen.find(then);
        return a != m_seen.end() && b != m_seen.end() && b->second.last > a->second.first;
    }

private:
    struct Record {
        int count = 0;
        long first = 0; // order number of the first event of the type, from 1
        long last = 0;  // and of the last
    };
    std::map<wxEventType, Record> m_seen;
    long m_count = 0;
};

// Handles events until `done` answers true or the time is up; false on time-out.
bool PumpUntil(IScriptEnvironment& environment, const std::function<bool()>& done,
               int ms = kScriptWaitMs);

// The toolkit's key and modifiers that type an ASCII character on a US keyboard.
void KeyOf(char c, int& key, int& modifiers);

// One key pressed and released; waits until the toolkit has handled the release.
bool PressKey(IScriptEnvironment& environment, int key, int modifiers = wxMOD_NONE);

// Moves the pointer to a screen point and waits until the X server has it there, so that a
// press simulated next lands on the window under that point.
bool MovePointer(IScriptEnvironment& environment, const wxPoint& at);

// A left click at a screen point with the main window raised; waits until the toolkit handled
// the press and then its release. A click on the spot of the one before waits out the
// double-click time first, so that it stays a click.
bool ClickAt(IScriptEnvironment& environment, const wxPoint& at);

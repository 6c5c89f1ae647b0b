// What the script commands that drive controls with simulated input share: waiting until the
// toolkit has handled what was simulated, finding windows by id, and typing ASCII keys.
#pragma once

#include <wx/event.h>
#include <wx/eventfilter.h>

#include <functional>
#include <map>

class CEditorSession;
class wxWindow;

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
bool PumpUntil(CEditorSession& session, const std::function<bool()>& done, int ms = kScriptWaitMs);

// The window with this id in the tree below `window` (itself included), or null.
wxWindow* FindDescendant(wxWindow* window, int id);

// The toolkit's key and modifiers that type an ASCII character on a US keyboard.
void KeyOf(char c, int& key, int& modifiers);

// One key pressed and released; waits until the toolkit has handled the release.
bool PressKey(CEditorSession& session, int key, int modifiers = wxMOD_NONE);

// Moves the pointer to a screen point and waits until the X server has it there, so that a
// press simulated next lands on the window under that point.
bool MovePointer(CEditorSession& session, const wxPoint& at);

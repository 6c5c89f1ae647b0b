// What the script commands that drive controls with simulated input share: waiting until the
// toolkit has handled what was simulated, finding windows by id, and typing ASCII keys.
#pragma once

#include <wx/event.h>
#include <wx/eventfilter.h>

#include <functional>
#include <map>

class CEditorSession;
class wxWindow;

// How long a command waits for the toolkit to handle a simulated event.
constexpr int kScriptWaitMs = 3000;

// Counts the events the toolkit has handled while it lives, by type.
class CInputWatch : public wxEventFilter {
public:
    CInputWatch() { wxEvtHandler::AddFilter(this); }
    ~CInputWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        ++m_seen[event.GetEventType()];
        return Event_Skip;
    }
    int Seen(wxEventType type) const {
        const auto it = m_seen.find(type);
        return it == m_seen.end() ? 0 : it->second;
    }

private:
    std::map<wxEventType, int> m_seen;
};

// Handles events until `done` answers true or the time is up; false on time-out.
bool PumpUntil(CEditorSession& session, const std::function<bool()>& done, int ms = kScriptWaitMs);

// The window with this id in the tree below `window` (itself included), or null.
wxWindow* FindDescendant(wxWindow* window, int id);

// The toolkit's key and modifiers that type an ASCII character on a US keyboard.
void KeyOf(char c, int& key, int& modifiers);

// One key pressed and released; waits until the toolkit has handled the release.
bool PressKey(CEditorSession& session, int key, int modifiers = wxMOD_NONE);

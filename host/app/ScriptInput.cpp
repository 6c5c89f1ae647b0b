#include "ScriptInput.h"

#include "CEditorSession.h"

#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <chrono>
#include <string>
#include <thread>

bool PumpUntil(CEditorSession& session, const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        session.ProcessEvents();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

wxWindow* FindDescendant(wxWindow* window, int id) {
    if (!window)
        return nullptr;
    if (window->GetId() == id)
        return window;
    for (wxWindow* child : window->GetChildren()) {
        if (wxWindow* found = FindDescendant(child, id))
            return found;
    }
    return nullptr;
}

void KeyOf(char c, int& key, int& modifiers) {
    static const std::string kShifted = "~!@#$%^&*()_+{}|:\"<>?";
    static const std::string kBase = "`1234567890-=[]\\;',./";
    modifiers = wxMOD_NONE;
    key = static_cast<unsigned char>(c);
    const std::size_t at = kShifted.find(c);
    if (at != std::string::npos) {
        key = static_cast<unsigned char>(kBase[at]);
        modifiers = wxMOD_SHIFT;
    } else if (c >= 'A' && c <= 'Z') {
        key = c - 'A' + 'a';
        modifiers = wxMOD_SHIFT;
    }
}

bool PressKey(CEditorSession& session, int key, int modifiers) {
    CInputWatch watch;
    wxUIActionSimulator simulator;
    simulator.Char(key, modifiers);
    return PumpUntil(session, [&] { return watch.SeenAfter(wxEVT_KEY_DOWN, wxEVT_KEY_UP); });
}

bool MovePointer(CEditorSession& session, const wxPoint& at) {
    wxUIActionSimulator().MouseMove(at);
    // Asked of the server, not of the toolkit's last motion event.
    return PumpUntil(session, [&] { return wxGetMouseState().GetPosition() == at; });
}

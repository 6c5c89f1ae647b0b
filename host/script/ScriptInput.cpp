#include "ScriptInput.h"

#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

bool PumpUntil(IScriptEnvironment& environment, const std::function<bool()>& done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        environment.ProcessEvents();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
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

bool PressKey(IScriptEnvironment& environment, int key, int modifiers) {
    CInputWatch watch;
    wxUIActionSimulator simulator;
    simulator.Char(key, modifiers);
    return PumpUntil(environment, [&] { return watch.SeenAfter(wxEVT_KEY_DOWN, wxEVT_KEY_UP); });
}

bool MovePointer(IScriptEnvironment& environment, const wxPoint& at) {
    wxUIActionSimulator().MouseMove(at);
    // Asked of the server, not of the toolkit's last motion event.
    return PumpUntil(environment, [&] { return wxGetMouseState().GetPosition() == at; });
}

bool ClickAt(IScriptEnvironment& environment, const wxPoint& at) {
    static std::chrono::steady_clock::time_point lastTime;
    static wxPoint lastAt;
    const wxPoint d = at - lastAt;
    if (d.x * d.x + d.y * d.y < 100)
        PumpUntil(
            environment, [] { return false; },
            static_cast<int>(
                std::max<long long>(0, 600 - std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - lastTime)
                                                 .count())));
    environment.RaiseMainWindow();
    if (!MovePointer(environment, at))
        return false;
    CInputWatch watch;
    wxUIActionSimulator().MouseClick();
    const bool handled =
        PumpUntil(environment, [&] { return watch.SeenAfter(wxEVT_LEFT_DOWN, wxEVT_LEFT_UP); });
    lastTime = std::chrono::steady_clock::now();
    lastAt = at;
    return handled;
}

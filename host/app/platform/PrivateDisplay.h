// A display of the editor's own for an unattended run on a machine without one (a server, a
// container, an installed editor started from a terminal over ssh): an Xvfb server started as
// a child, DISPLAY pointed at it, and the server ended with the run.
#pragma once

#include <string>
#include <sys/types.h>

class CPrivateDisplay {
public:
    CPrivateDisplay() = default;
    ~CPrivateDisplay(); // ends the server
    CPrivateDisplay(const CPrivateDisplay&) = delete;
    CPrivateDisplay& operator=(const CPrivateDisplay&) = delete;

    // Starts `server` (Xvfb, found on PATH) on a display number it picks itself and sets DISPLAY
    // to it once it accepts connections (at most `timeoutSeconds`). False with `error` when the
    // server is missing or does not come up; DISPLAY is then left as it was.
    bool Start(std::string& error, const std::string& server = "Xvfb", int timeoutSeconds = 60);
    // The display's name (":N"), "" before a successful Start.
    const std::string& Name() const { return m_name; }

private:
    void Stop();

    pid_t m_server = -1;
    std::string m_name;
};

// Whether DISPLAY names a display ("" or unset: none).
bool HasDisplay();

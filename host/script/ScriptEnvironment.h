// What the script language needs of the program it runs in: handling the toolkit's pending
// events (commands that simulate input wait for the toolkit to see it) and bringing the main
// window to the front (simulated keys go to the window that holds the keyboard). The editor's
// session implements it; tests use their own.
#pragma once

class IScriptEnvironment {
public:
    virtual void ProcessEvents() = 0;
    // Raises the main window when there is one.
    virtual void RaiseMainWindow() = 0;

protected:
    ~IScriptEnvironment() = default;
};

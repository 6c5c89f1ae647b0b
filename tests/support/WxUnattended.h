// The toolkit started for an unattended run: assertions are counted and printed on the error
// stream and log messages go there too, so that nothing ever opens a modal box.
#pragma once

// Starts the toolkit without a main loop; false (with a message) when there is no display.
// `argv` is the process's own (the toolkit reads the program name from it).
bool StartUnattendedWx(char** argv);

// The toolkit assertions seen since the process started.
int WxAssertCount();

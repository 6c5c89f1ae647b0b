// scene-editor's whole program behind main(): options, toolkit, session, script or main loop.
#pragma once

// Returns the process exit code: 0, 1 for bad options or a scene that cannot be loaded, 2 for a
// bad script line.
int RunEditor(int argc, char** argv);

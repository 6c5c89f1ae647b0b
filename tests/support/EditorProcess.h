// One editor session for a whole test or benchmark process.
#pragma once

#include "CEditorSession.h"

#include <functional>

// Sets the toolkit up for an unattended run (assertions and errors go to standard error, never
// to a modal box), starts the editor with `options`, runs `body` with it and tears everything
// down in order. Returns body's result, or 1 when there is no display or the editor does not
// start. `argv` is the process's own (the toolkit reads the program name from it).
int RunInEditorSession(char** argv, const EditorOptions& options,
                       const std::function<int(CEditorSession&)>& body);

// How many toolkit assertions fired since the process started.
int EditorAssertCount();

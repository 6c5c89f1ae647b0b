// What the toolkit-only GUI test binaries share: a main that starts the toolkit without a main
// loop, an assertion counter instead of modal boxes, and waiting for the toolkit.
#pragma once

#include "WxUnattended.h"

#include <functional>

// Runs the toolkit until `done` holds or the time is up; answers whether it held.
bool PumpUntil(const std::function<bool()>& done, int ms = 2000);
// Runs the toolkit for `ms` milliseconds.
void Pump(int ms = 80);

// The test binary's main: answers the test list without a display; otherwise starts the
// toolkit, runs setUp, every test, then tearDown, and ends the toolkit.
int RunWxTests(int argc, char** argv, const std::function<void()>& setUp = {},
               const std::function<void()>& tearDown = {});

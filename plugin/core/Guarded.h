// Where the host or the engine calls into the plug-in, nothing may be thrown back: a failure
// (the engine's, the standard library's or any other) is written once to the engine's log,
// saying what failed, and the call answers its quiet result. Normal operation logs nothing.
#pragma once

#include <OgreException.h>

#include <exception>

// Writes "Gizmark: <what> failed: <why>" to the engine's log, when there is one.
void LogFailure(const char* what, const char* why);

// Runs step(); on an exception logs it and answers `fallback` instead.
template <typename Result, typename Step>
Result Guarded(const char* what, Result fallback, Step&& step) {
    try {
        return step();
    } catch (const Ogre::Exception& failure) {
        LogFailure(what, failure.getFullDescription().c_str());
    } catch (const std::exception& failure) {
        LogFailure(what, failure.what());
    } catch (...) {
        LogFailure(what, "unknown exception");
    }
    return fallback;
}

// The same for a step without a result; true when it ran to its end.
template <typename Step> bool GuardedStep(const char* what, Step&& step) {
    return Guarded(what, false, [&] {
        step();
        return true;
    });
}

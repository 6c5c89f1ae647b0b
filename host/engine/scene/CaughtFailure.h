// The one wording of a failure that arrives as an exception, for every file the editor opens,
// saves or imports: what was being done and why it failed, never a bare exception name.
#pragma once

#include <OgreException.h>

#include <exception>
#include <new>
#include <string>

// Call inside a catch block: names the exception being handled. `doing` is the operation as a
// gerund ("saving the scene"), `action` as a verb ("save the scene"), giving
// "FILE: out of memory while saving the scene" or "FILE: cannot save the scene (why)".
inline std::string CaughtFailure(const std::string& file, const char* doing, const char* action) {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return file + ": out of memory while " + doing;
    } catch (const Ogre::Exception& e) {
        return file + ": cannot " + action + " (" + e.getDescription() + ")";
    } catch (const std::exception& e) {
        return file + ": cannot " + action + " (" + e.what() + ")";
    } catch (...) {
        return file + ": cannot " + action + " (an unknown failure)";
    }
}

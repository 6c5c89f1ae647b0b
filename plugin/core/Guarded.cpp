#include "Guarded.h"

#include <OgreLogManager.h>

#include <string>

void LogFailure(const char* what, const char* why) {
    try {
        if (Ogre::LogManager* log = Ogre::LogManager::getSingletonPtr())
            log->logMessage(std::string("Gizmark: ") + (what ? what : "?") +
                                " failed: " + (why ? why : ""),
                            Ogre::LML_CRITICAL);
    } catch (...) {
        // Nothing more can be said when the log itself fails.
    }
}

#include "CTranslateListener.h"

#include "CTranslate.h"

#include <OgreException.h>

#include <exception>

bool CTranslateListener::frameStarted(const Ogre::FrameEvent&) {
    return true;
}

bool CTranslateListener::frameEnded(const Ogre::FrameEvent&) {
    // The render loop belongs to the host: nothing thrown here may reach it.
    try {
        if (m_plugin)
            m_plugin->FrameStep();
    } catch (const Ogre::Exception&) {
    } catch (const std::exception&) {
    }
    return true;
}

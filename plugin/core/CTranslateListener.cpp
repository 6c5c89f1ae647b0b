#include "CTranslateListener.h"

#include "CTranslate.h"
#include "Guarded.h"

bool CTranslateListener::frameStarted(const Ogre::FrameEvent&) {
    return true;
}

bool CTranslateListener::frameEnded(const Ogre::FrameEvent&) {
    // The render loop belongs to the host: nothing thrown here may reach it.
    GuardedStep("the frame step", [&] {
        if (m_plugin)
            m_plugin->FrameStep();
    });
    return true;
}

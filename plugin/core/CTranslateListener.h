// The engine frame listener of the plug-in: runs the plug-in's per-frame step after each frame.
#pragma once

#include <OgreFrameListener.h>

class CTranslate;

class CTranslateListener : public Ogre::FrameListener {
public:
    explicit CTranslateListener(CTranslate* plugin) : m_plugin(plugin) {}
    bool frameStarted(const Ogre::FrameEvent& event) override;
    bool frameEnded(const Ogre::FrameEvent& event) override;
    ~CTranslateListener() override = default;

    CTranslate* GetPlugin() const { return m_plugin; }

private:
    CTranslate* m_plugin;
};

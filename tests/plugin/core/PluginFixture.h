// Loads the module into the running editor through a recording host, and unloads it.
#pragma once

#include "GuiTestSession.h"
#include "RecordingHost.h"

#include "CTranslate.h"
#include "IView.h"

#include <OgreLogManager.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class LoadedPlugin {
public:
    // prepare, when given, sets up the recording host before the module is loaded.
    explicit LoadedPlugin(const std::function<void(RecordingHost&)>& prepare = {});
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Calls DllUnloadPlugin now (the destructor then does nothing).
    void Unload();

    RecordingHost& host() { return *m_host; }
    CTranslate* plugin() const { return m_plugin; }
    int loadResult() const { return m_loadResult; }

private:
    std::unique_ptr<RecordingHost> m_host;
    CTranslate* m_plugin = nullptr;
    int m_loadResult = 0;
    bool m_loaded = false;
};

// Collects what is written to the engine's default log while it lives.
class LogCapture : public Ogre::LogListener {
public:
    LogCapture() {
        if (Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog())
            log->addListener(this);
    }
    ~LogCapture() override {
        if (Ogre::Log* log = Ogre::LogManager::getSingleton().getDefaultLog())
            log->removeListener(this);
    }
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                       const Ogre::String&, bool&) override {
        lines.push_back(message);
    }
    int Count(const std::string& part) const {
        int n = 0;
        for (const std::string& line : lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    std::vector<std::string> lines;
};

// Runs the engine's frame-ended listeners once, without drawing.
void FireFrameEnded();

// Makes `names` (each followed by one space) the whole selection, through the host's command.
void Select(const std::string& names);

// A view that answers every query quietly: its pick tests miss, its pixels look down +Z from the
// origin and project nowhere. Tests override what they observe.
struct StubView : IView {
    void frameBox(const Ogre::Vector3&, const Ogre::Vector3&, float, float) override {}
    void setPickRegion(const PixelRect*, const Ogre::Matrix4*) override {}
    int testSphere(const Ogre::Vector3&, float) override { return 2; }
    int testBox(const Ogre::Vector3&, const Ogre::Vector3&) override { return 2; }
    PixelRect pixelRect() const override { return {0, 0, 100, 100}; }
    bool checksDepth() const override { return true; }
    void lineDistances(float& a, float& b) const override { a = 1, b = 1000; }
    Ogre::Vector3 viewOrientation() const override { return Ogre::Vector3::ZERO; }
    void rayThroughPixel(int, int, Ogre::Vector3& a, Ogre::Vector3& b) const override {
        a = Ogre::Vector3::ZERO;
        b = Ogre::Vector3::UNIT_Z;
    }
    void projectPoint(Ogre::Vector3& out, const Ogre::Vector3&,
                      const Ogre::Matrix4*) const override {
        out = Ogre::Vector3::ZERO;
    }
    float sizeFactor(const Ogre::Vector3&) const override { return 1; }
    int testSegment(const Ogre::Vector3&, const Ogre::Vector3&, const Ogre::Matrix4*) override {
        return 2;
    }
    bool entityInRect(SceneEntity*, const Ogre::Vector2&, const Ogre::Vector2&) const override {
        return false;
    }
};

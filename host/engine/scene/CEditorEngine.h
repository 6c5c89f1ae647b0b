// The editor's engine facade: owns the Ogre root, the Ogre scene manager and the editor scene.
#pragma once

#include "CGameEngine.h"
#include "Interface.h"

#include <memory>
#include <string>

namespace Ogre {
class DefaultHardwareBufferManager;
class DefaultTextureManager;
class LogManager;
class RenderWindow;
} // namespace Ogre
class CEditorScene;

class CEditorEngine : public CGameEngine, public IEngineAccess {
public:
    // withRenderSystem false: a Root without render system (tests, no picture); true: loads
    // the GL render system and the PNG codec and initialises the root without a window. With
    // a render system, meshes and materials need the GL context of the first render window:
    // call CreateRenderWindow before building the scene (BuildDemoScene, LoadSceneFile).
    // Destroy the engine while the native parent windows still exist.
    explicit CEditorEngine(bool withRenderSystem);
    ~CEditorEngine() override;
    CEditorEngine(const CEditorEngine&) = delete;
    CEditorEngine& operator=(const CEditorEngine&) = delete;

    // False when the render system could not be set up (the engine then runs headless).
    bool IsHeadless() const { return m_headless; }
    // A render window inside an existing native window (X window id as text, may be empty
    // for a top-level window). Null when headless or on failure.
    Ogre::RenderWindow* CreateRenderWindow(const std::string& name, unsigned width, unsigned height,
                                           const std::string& parentWindowHandle);
    // One frame: renders every render target and runs the frame listeners. False when a
    // listener asked to stop.
    bool RenderOneFrame();
    CEditorScene* GetScene() { return m_scene.get(); }

    // CGameEngine
    void CreateConeMesh(const std::string& name, const Ogre::Vector3& minCorner,
                        const Ogre::Vector3& maxCorner, int segments,
                        std::uint32_t colour) override;
    void CreateBoxMesh(const std::string& name, float halfSize, std::uint32_t colour) override;
    Ogre::SceneManager* GetOgreSceneManager() override { return m_sceneManager; }
    CSceneManager* GetSceneManager() override;
    Ogre::Root* GetRoot() override { return m_root; }

    // IEngineAccess
    CGameEngine* gameEngine() override { return this; }
    CSceneManager* sceneManager() override;

private:
    void RegisterMaterials();

    Ogre::Root* m_root = nullptr;
    Ogre::DefaultHardwareBufferManager* m_bufferManager = nullptr;
    Ogre::DefaultTextureManager* m_textureManager = nullptr;
    Ogre::LogManager* m_logManager = nullptr;
    Ogre::SceneManager* m_sceneManager = nullptr;
    std::unique_ptr<CEditorScene> m_scene;
    bool m_headless = true;
};

// The engine facade: Ogre root (with or without the GL render system), scene manager, the
// editor's materials and manual meshes, and the editor scene.
#include "CEditorEngine.h"

#include "CEditorScene.h"
#include "EditorMeshes.h"

#include <OgreDataStream.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreTextureManager.h>
#include <OgreException.h>
#include <OgreLogManager.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgreRenderSystem.h>
#include <OgreRenderWindow.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>

#include <cmath>
#include <cstdio>

#ifndef OGRE_PLUGIN_DIR
#define OGRE_PLUGIN_DIR "/usr/lib/x86_64-linux-gnu/OGRE-1.12.10"
#endif

namespace {

// Lit vertex-coloured meshes, the ground, and unlit vertex colour (markers, plug-in meshes).
struct MaterialSource {
    const char* name;
    const char* script;
};

const MaterialSource kMaterials[] = {
    {"Editor/Mesh", "material Editor/Mesh\n"
                    "{\n technique\n {\n  pass\n  {\n"
                    "   ambient vertexcolour\n   diffuse vertexcolour\n"
                    "   specular 0.2 0.2 0.2 1 12\n  }\n }\n}\n"},
    {"Editor/Terrain", "material Editor/Terrain\n"
                       "{\n technique\n {\n  pass\n  {\n"
                       "   ambient vertexcolour\n   diffuse vertexcolour\n  }\n }\n}\n"},
    {"Editor/Unlit", "material Editor/Unlit\n"
                     "{\n technique\n {\n  pass\n  {\n   lighting off\n  }\n }\n}\n"},
};

} // namespace

CEditorEngine::CEditorEngine(bool withRenderSystem) {
    if (!withRenderSystem && !Ogre::LogManager::getSingletonPtr()) {
        // Headless runs (tests, tools) keep Ogre quiet: no console output, no log file.
        m_logManager = new Ogre::LogManager();
        m_logManager->createLog("", true, false, true);
    }
    m_root = new Ogre::Root("", "", "");
    if (withRenderSystem) {
        try {
            m_root->loadPlugin(OGRE_PLUGIN_DIR "/RenderSystem_GL");
            m_root->loadPlugin(OGRE_PLUGIN_DIR "/Codec_STBI");
            Ogre::RenderSystem* rs = m_root->getRenderSystemByName("OpenGL Rendering Subsystem");
            if (rs) {
                m_root->setRenderSystem(rs);
                m_root->initialise(false);
                m_headless = false;
            }
        } catch (const Ogre::Exception& e) {
            std::fprintf(stderr, "engine: no render system (%s); running headless\n",
                         e.getDescription().c_str());
        }
    }
    if (m_headless) {
        // No GL context will ever come: software buffers, and the managers initialised by
        // hand (the first render window would otherwise do it).
        m_bufferManager = new Ogre::DefaultHardwareBufferManager();
        // Materials of opened scenes may name textures; without a texture manager the
        // engine aborts on the first one.
        m_textureManager = new Ogre::DefaultTextureManager();
        Ogre::MaterialManager::getSingleton().initialise();
        Ogre::MeshManager::getSingleton()._initialise();
        RegisterMaterials();
    }
    m_sceneManager = m_root->createSceneManager();
    m_sceneManager->setAmbientLight(Ogre::ColourValue(0.45f, 0.45f, 0.5f));
    m_scene = std::make_unique<CEditorScene>(m_sceneManager);
}

CEditorEngine::~CEditorEngine() {
    // Scene objects and meshes first, then the root, then the software buffer manager.
    m_scene.reset();
    ClearMeshTriangles();
    // Textures go before the root, the buffer manager after it.
    delete m_textureManager;
    m_textureManager = nullptr;
    delete m_root;
    m_root = nullptr;
    delete m_bufferManager;
    delete m_logManager;
}

void CEditorEngine::RegisterMaterials() {
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    for (const MaterialSource& m : kMaterials) {
        if (materials.getByName(m.name, Ogre::RGN_DEFAULT))
            continue;
        try {
            Ogre::DataStreamPtr stream(
                new Ogre::MemoryDataStream(const_cast<char*>(m.script),
                                           std::char_traits<char>::length(m.script), false, true));
            materials.parseScript(stream, Ogre::RGN_DEFAULT);
        } catch (const Ogre::Exception& e) {
            std::fprintf(stderr, "engine: material %s: %s\n", m.name, e.getDescription().c_str());
        }
    }
}

Ogre::RenderWindow* CEditorEngine::CreateRenderWindow(const std::string& name, unsigned width,
                                                      unsigned height,
                                                      const std::string& parentWindowHandle) {
    if (m_headless || name.empty())
        return nullptr;
    Ogre::NameValuePairList params;
    if (!parentWindowHandle.empty())
        params["parentWindowHandle"] = parentWindowHandle;
    Ogre::RenderWindow* window = nullptr;
    try {
        window = m_root->createRenderWindow(name, width ? width : 1, height ? height : 1, false,
                                            &params);
    } catch (const Ogre::Exception& e) {
        std::fprintf(stderr, "engine: render window %s: %s\n", name.c_str(),
                     e.getDescription().c_str());
        return nullptr;
    }
    // The first window brings the GL context and initialises the material and mesh
    // managers: only now can the editor's materials be compiled.
    RegisterMaterials();
    return window;
}

bool CEditorEngine::RenderOneFrame() {
    if (!m_headless)
        return m_root->renderOneFrame();
    if (!m_root->_fireFrameStarted())
        return false;
    m_root->_fireFrameRenderingQueued();
    return m_root->_fireFrameEnded();
}

CSceneManager* CEditorEngine::GetSceneManager() {
    return m_scene.get();
}

CSceneManager* CEditorEngine::sceneManager() {
    return m_scene.get();
}

void CEditorEngine::CreateConeMesh(const std::string& name, const Ogre::Vector3& minCorner,
                                   const Ogre::Vector3& maxCorner, int segments,
                                   std::uint32_t colour) {
    const Ogre::Vector3 span = maxCorner - minCorner;
    if (!std::isfinite(span.x + span.y + span.z + minCorner.x + minCorner.y + minCorner.z))
        return;
    BuildManualMesh(name, MakeConeData(minCorner, maxCorner, segments, colour), "Editor/Unlit");
}

void CEditorEngine::CreateBoxMesh(const std::string& name, float halfSize, std::uint32_t colour) {
    if (!std::isfinite(halfSize) || !(halfSize > 0))
        return;
    BuildManualMesh(name, MakeBoxData(Ogre::Vector3(halfSize), colour), "Editor/Unlit");
}

// The editor's built-in demo scene and its scene file loader.
#pragma once

#include <OgreVector.h>

#include <memory>
#include <string>

namespace Ogre {
class SceneManager;
}

class CEditorScene;
class CGameEngine;

// Builds the editor's own meshes ("box", "cone", "cylinder", "rock") when missing.
void CreateDemoMeshes(CGameEngine& engine);

// Replaces the scene's content by the demo scene: terrain, box_a, box_b (child of box_a),
// cone_a, pillar (locked), 石块, lamp_point and lamp_spot. Needs CreateDemoMeshes first
// (it calls it through the scene's Ogre scene manager's meshes if missing).
void BuildDemoScene(CEditorScene& scene);
// Gives the ground the material that shows what the lamps do (colour, power, range) when a
// render system can run it; the plain vertex-coloured one stays otherwise.
void LightTheGround(CEditorScene& scene);
// A camera placement that shows the whole demo scene.
Ogre::Vector3 DemoCameraEye();
Ogre::Vector3 DemoCameraTarget();

// Reads a scene file of this format into a new scene of `sceneManager`, kept out of its scene
// graph until a scene takes its content (CEditorScene::TakeContent). Null with `error` =
// "FILE:LINE: message" (or "FILE: message") when the file is not readable.
std::unique_ptr<CEditorScene>
ReadSceneTextFile(const std::string& path, Ogre::SceneManager* sceneManager, std::string& error);
// The same over text already read; `fileName` only labels the messages.
std::unique_ptr<CEditorScene> BuildSceneTextAside(const std::string& text,
                                                  const std::string& fileName,
                                                  Ogre::SceneManager* sceneManager,
                                                  std::string& error);
// Loads a scene file into the scene (replacing its content). On failure the scene is left as
// it was, `error` says "FILE:LINE: message" (or "FILE: message") and false is returned.
bool LoadSceneFile(const std::string& path, CEditorScene& scene, std::string& error);
// The same over text already read; `fileName` only labels the messages.
bool LoadSceneText(const std::string& text, const std::string& fileName, CEditorScene& scene,
                   std::string& error);

// The editor's built-in demo scene, and the meshes and light every scene of the editor shares.
#pragma once

#include <OgreVector.h>

#include <string>

namespace Ogre {
class SceneManager;
}

class CEditorScene;
class CGameEngine;

// Builds the editor's own meshes ("box", "cone", "cylinder", "rock") when missing.
void CreateDemoMeshes(CGameEngine& engine);
// The same without an engine at hand (the meshes live in the engine's mesh manager).
void EnsureDemoMeshes();
// Adds the directional light that shades the scene ("EditorSun", not an entity of the scene)
// to the scene manager when it has none.
void EnsureSceneSun(Ogre::SceneManager* sceneManager);

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

// Ogre's own scene loader set beside the editor: a scene file the editor wrote must place every
// node where the editor's scene has it.
#pragma once

#include <string>

class CEditorEngine;
class CEditorScene;

// Loads the scene file with Ogre's loader (meshes from the scene's mesh group) into a scene
// manager of its own and compares every entity's world transform, mesh and light with `scene`.
void ExpectOgreLoaderAgrees(CEditorEngine& engine, CEditorScene& scene, const std::string& path);

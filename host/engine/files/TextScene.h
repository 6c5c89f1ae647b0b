// The editor's own scene text format (it shares the ".scene" extension with Ogre scene XML).
//
// UTF-8 text, one statement a line, words separated by blanks; '#' starts a comment line;
// blank lines are skipped. Angles are degrees.
//   ground WIDTH DEPTH AMPLITUDE [CELLS]
//   mesh NAME MESH PARENT PX PY PZ RX RY RZ SX SY SZ     (PARENT "-" for none; MESH one of
//                                                         box, cone, cylinder, rock or any
//                                                         mesh already in the engine)
//   light NAME point|spot PX PY PZ R G B [RX RY RZ]      (colour components 0..1)
//   state NAME BITS                                      (adds state bits, e.g. 0x80)
//   lock NAME                                            (the entity cannot be transformed)
// Names must be unique; a parent must be declared before its children. The editor reads this
// format but never writes it.
#pragma once

#include <memory>
#include <string>

namespace Ogre {
class SceneManager;
}

class CEditorScene;

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

// A save in two halves, so that a big scene can be written without holding the window: what
// must be read from the engine is taken at once on the thread that owns it (TakeSceneSnapshot:
// the entities as a document, the bytes of what exists only in memory), and the scene text is
// made and every file written later, on any thread (WriteSceneSnapshot). The recovery copies
// of autosave are written this way.
#pragma once

#include "DotScene.h"
#include "SceneSaveFiles.h"

#include <string>
#include <vector>

class CEditorScene;

struct SceneSnapshot {
    DotSceneDocument doc;
    // Beside the scene file: imported meshes, their material script and textures, the ground's
    // mesh.
    std::vector<SceneFileBytes> files;
    // The folder the scene was opened from ("" for none) and the files of it that the scene
    // shows, copied along when the snapshot goes to another folder.
    std::string sourceFolder;
    std::vector<std::string> folderFiles;
};

// Takes what a scene file named `sceneFileName` needs of the scene (the file's name names the
// material script and the ground's mesh). False with `error` = "NAME: message" when the
// engine cannot give a file's bytes.
bool TakeSceneSnapshot(CEditorScene& scene, const std::string& sceneFileName,
                       SceneSnapshot& snapshot, std::string& error);

// Writes the snapshot into `folder` as `sceneFileName`: its files, the source folder's files
// (one already there with the same bytes is left), the scene file, then `last` (an index that
// says the rest is complete). Each goes through a temporary file, flushed, renamed over its
// target, the folder flushed (SceneSaveFiles.h). Touches no engine object. False with `error`
// = "PATH: message", nothing renamed when a file could not be written.
bool WriteSceneSnapshot(const SceneSnapshot& snapshot, const std::string& folder,
                        const std::string& sceneFileName, const std::vector<SceneFileBytes>& last,
                        std::string& error);

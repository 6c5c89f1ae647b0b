// Exporting the scene as glTF 2.0, for other engines and modelling tools: a binary ".glb" (one
// file, images inside), or a ".gltf" (JSON) with its buffer, images included, in "STEM.bin"
// beside it.
//
// Written: every entity as a node with its local transform (glTF's axes and unit are the
// editor's: +Y up, metres), in the tree of the scene; the meshes they show, each engine mesh
// once, with positions, normals, texture coordinates and, where the material takes its colour
// from the vertices, vertex colours; materials with their base colour and texture (PNG and JPEG
// images embedded; others left out with a warning); lights as KHR_lights_punctual lights; the
// ground as a root node marked "ground" in its extras. A hidden entity keeps its node, so
// that the tree and its children stay, but shows nothing: no mesh, no light, and "hidden" in
// its extras.
//
// The files are written like a scene save (SceneSaveFiles.h): each to a temporary file beside
// its target, renamed over it once all are written, so a failure leaves an existing file as it
// was; over a symbolic link the file it leads to is written. The scene itself is only read.
#pragma once

#include <string>
#include <vector>

class CEditorScene;

struct GltfExportResult {
    int nodes = 0;                     // nodes written
    int meshes = 0;                    // meshes written
    std::vector<std::string> warnings; // "PATH: message" for each part left out
};

// False with `error` = "PATH: message": a name not ending in ".glb" or ".gltf", a folder, a
// read-only file, a folder that cannot be written, a scene too large for the binary container.
bool ExportGltf(const std::string& path, CEditorScene& scene, GltfExportResult& result,
                std::string& error);

// What an export writes, taken from the scene first and then formatted: nodes with their local
// transforms, the meshes the nodes show (each engine mesh once), their materials and images,
// and the lights. Read by GltfSceneRead.cpp and GltfMeshRead.cpp, written by GltfFormat.cpp.
#pragma once

#include "GltfLayout.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CEditorScene;
namespace Ogre {
class Entity;
class Material;
class Pass;
} // namespace Ogre

// One primitive: a triangle list with per-vertex attributes, each flat (3, 3, 2 and 4 floats a
// vertex); normals, texture coordinates and colours may be empty.
struct GltfPrimitiveData {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> uvs;
    std::vector<float> colours;
    std::vector<std::uint32_t> indices;
    int material = -1;
};

struct GltfMeshData {
    std::string name;
    std::vector<GltfPrimitiveData> primitives;
};

struct GltfMaterialData {
    std::string name;
    float baseColour[4] = {1, 1, 1, 1};
    bool doubleSided = false;
    int image = -1; // the base colour texture's image
};

// An image embedded in the buffer: PNG or JPEG bytes as the file had them.
struct GltfImageData {
    std::string name;
    std::string mimeType;
    std::string bytes;
};

// A light of KHR_lights_punctual: type "directional", "point" or "spot"; range 0 for none;
// spot cone half-angles in radians.
struct GltfLightData {
    std::string name;
    std::string type;
    float colour[3] = {1, 1, 1};
    float intensity = 1;
    float range = 0;
    float innerCone = 0;
    float outerCone = 0.785398163f;
};

// A node: an entity (parents before their children) or the ground. A hidden entity keeps its
// node, so that the tree and its children's places stay, but shows nothing: it carries no mesh
// and no light, and is marked "hidden" in its extras.
struct GltfNodeData {
    std::string name;
    int parent = -1;
    GltfTransform transform;
    int mesh = -1;
    int light = -1;
    bool hidden = false;
    bool ground = false;
};

struct GltfModel {
    std::vector<GltfNodeData> nodes;
    std::vector<GltfMeshData> meshes;
    std::vector<GltfMaterialData> materials;
    std::vector<GltfImageData> images;
    std::vector<GltfLightData> lights;
    std::vector<std::string> warnings;
};

// The scene as an export sees it. A part of a mesh that is no triangles or that the engine
// cannot read back is left out with a warning; throws only what allocation throws.
GltfModel DescribeGltfScene(CEditorScene& scene);

// Collects the meshes, materials and images of the entities exported, each once.
class CGltfMeshTable {
public:
    CGltfMeshTable(GltfModel& model, const std::string& resourceGroup);
    ~CGltfMeshTable();
    CGltfMeshTable(const CGltfMeshTable&) = delete;
    CGltfMeshTable& operator=(const CGltfMeshTable&) = delete;
    // The model's mesh of what `entity` shows (its mesh with its sub-entities' materials),
    // added on first use; -1 when nothing of it can be written (a warning says why).
    int MeshOf(const Ogre::Entity& entity);

private:
    // The model's material of an engine material: its first pass's colour, taken from the
    // vertices or not, with or without the pass's first texture.
    int MaterialOf(const Ogre::Material& material, const Ogre::Pass* pass, bool vertexColours,
                   bool textured);
    int ImageOf(const std::string& texture);

    struct Caches;
    GltfModel& m_model;
    std::string m_group;
    std::unique_ptr<Caches> m_caches;
};

// The JSON text and binary buffer of a model. `bufferUri` names the buffer's file for a .gltf;
// empty for a .glb, whose buffer is the container's own.
struct GltfFileBytes {
    std::string json;
    std::string buffer;
};
GltfFileBytes FormatGltf(const GltfModel& model, const std::string& bufferUri);

// Model import: glTF/glb, OBJ, FBX, Collada, PLY and STL files read with Assimp and added to
// the scene under one new group entity named after the file.
//
// Import is all or nothing, in two stages. Reading (ReadModelFile / ReadModelBytes) turns the
// file into a ModelPlan, plain data checked as a whole: numbers finite, vertices inside the
// world range, indices inside their meshes, the node tree no deeper than the editor nests
// (kMaxDotSceneDepth). Nothing of the engine or the scene is touched by it, so it may fail at
// any point; it runs in a child process (ModelReaderProcess.h), so that a file on which the
// reader itself crashes, aborts or runs on is refused while the editor goes on. Building
// (BuildModelPlan) then makes the plan's materials, textures and meshes in the scene's mesh group
// and adds its entities; a failure there takes back whatever it made.
//
// Hierarchy: each node of the file becomes one entity with the node's local transform under
// its parent's entity: a node with meshes shows one engine mesh holding a sub-mesh for each of
// them, a node without meshes is a group entity (kept, so the hierarchy and its transforms
// hold), a node that a light of the file names becomes that light. The file's root node is the
// group entity itself.
#pragma once

#include <OgreColourValue.h>
#include <OgreLight.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>
#include <vector>

class CEditorScene;

// Largest model file read (the file itself; buffers and textures beside it are bounded by the
// same number each).
constexpr unsigned long long kMaxModelFileBytes = 256ull * 1024 * 1024;

// Most pixels one texture may decode to (faces and slices counted, smaller levels not), and
// all the textures of one import together.
constexpr std::uint64_t kMaxTexturePixels = 8192ull * 8192;
constexpr std::uint64_t kMaxImportTexturePixels = 4 * kMaxTexturePixels;

struct ModelPlanMaterial {
    std::string name;
    Ogre::ColourValue diffuse = Ogre::ColourValue::White;
    // Encoded image bytes of the diffuse texture (a file beside the model or embedded in it),
    // empty for none; `textureExt` its kind ("png", "jpg", ...). Its header was checked
    // (ReadTextureHeader) before it was taken.
    std::string texture;
    std::string textureExt;
    // The index of an earlier material whose texture this one shows too (its own `texture`
    // then empty), -1 for none: a texture named by several materials is read and decoded once.
    int sameTextureAs = -1;
};

struct ModelPlanSubMesh {
    std::vector<float> vertices; // position xyz, normal xyz, uv0 uv: 8 floats per vertex
    std::vector<std::uint32_t> indices;
    int material = -1; // index into ModelPlan::materials, -1 for the default
};

struct ModelPlanMesh {
    std::vector<ModelPlanSubMesh> subMeshes;
    Ogre::Vector3 boundsMin = Ogre::Vector3::ZERO, boundsMax = Ogre::Vector3::ZERO;
};

struct ModelPlanNode {
    std::string name;
    int parent = -1; // index into ModelPlan::nodes (a parent comes first); -1 for the root
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    Ogre::Vector3 orientation = Ogre::Vector3::ZERO; // (pitch, yaw, roll) radians
    Ogre::Vector3 scale = Ogre::Vector3::UNIT_SCALE;
    int mesh = -1; // index into ModelPlan::meshes, -1 for none
    bool light = false;
    Ogre::Light::LightTypes lightType = Ogre::Light::LT_POINT;
    Ogre::ColourValue lightColour = Ogre::ColourValue::White;
};

struct ModelPlan {
    std::vector<ModelPlanNode> nodes; // nodes[0] is the file's root
    std::vector<ModelPlanMesh> meshes;
    std::vector<ModelPlanMaterial> materials;
    std::vector<std::string> warnings; // "PATH: message"
    size_t TriangleCount() const;
};

// Reads a model file into a plan. False with `error` = "PATH: message".
bool ReadModelFile(const std::string& path, ModelPlan& plan, std::string& error);
// Reads a model from bytes; `extension` ("gltf", "obj", ...) says which format is expected and
// `label` names it in messages. Files it names (buffers, textures, material libraries) are not
// read. Used by the fuzz target.
bool ReadModelBytes(const std::string& bytes, const std::string& extension,
                    const std::string& label, ModelPlan& plan, std::string& error);

// Why bytes of a model must not reach the reader ("" when they may): a node tree, element
// nesting or record nesting deeper than the editor's nesting limit (checked without
// recursion, since the reader recurses over them).
std::string CheckModelNesting(const std::string& bytes);
// Why bytes that begin as PLY must not reach the reader ("" when they may, or are not PLY): a
// header line, format or property type outside the format, or no end_header line.
std::string CheckPlyHeader(const std::string& bytes);

// What an image's header says, read before any codec sees the image.
struct TextureHeader {
    std::string kind; // the codec's name for it: "png", "jpg", "dds", "pkm", ...
    std::uint64_t width = 0, height = 0, depth = 1, faces = 1, mips = 1;
    std::uint64_t pixels = 0;    // width x height x depth x faces
    std::uint64_t needBytes = 0; // the least the whole image must hold
};
// Why encoded image bytes must not be decoded ("" when they may): not a kind the editor reads
// (known by its magic number; `ext` only for TGA, which has none), a header that is not well
// formed (a zero side, more levels than halvings), more than kMaxTexturePixels, or fewer bytes
// than the header's top level needs. `header` gets what was read.
std::string ReadTextureHeader(const std::string& bytes, const std::string& ext,
                              TextureHeader& header);

// Most entities one import may make (the node tree as the reader expands it).
constexpr std::uint64_t kMaxImportEntities = 1000000;
// Why Collada bytes must not reach the reader ("" when they may): nodes instanced
// (<instance_node>) into a tree of more than kMaxImportEntities nodes, or into themselves.
// Counted over the instancing graph without building the tree.
std::string CheckColladaExpansion(const std::string& bytes);

// The entities an import made, in the order they were added (parents first).
struct ImportedEntity {
    std::string name;
    std::string parent; // "" for the group entity
    std::string mesh;   // "" for a group or a light
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    Ogre::Vector3 orientation = Ogre::Vector3::ZERO;
    Ogre::Vector3 scale = Ogre::Vector3::UNIT_SCALE;
    bool light = false;
    Ogre::Light::LightTypes lightType = Ogre::Light::LT_POINT;
    Ogre::ColourValue lightColour = Ogre::ColourValue::White;
};

// Makes the plan's materials, textures and meshes in the scene's mesh group (given one if it
// has none) and adds its entities under one group entity named after `stem` (made unique).
// False with `error` = "LABEL: message", the scene then as it was; `made` gets the entities,
// group first. Texture problems become warnings in `warnings`.
bool BuildModelPlan(const ModelPlan& plan, const std::string& stem, const std::string& label,
                    CEditorScene& scene, std::vector<ImportedEntity>& made,
                    std::vector<std::string>& warnings, std::string& error);
// Adds entities an import made before (a redo), under the same names. False, adding none, when
// one cannot be added (a name taken meanwhile, a mesh gone).
bool AddImportedEntities(const std::vector<ImportedEntity>& made, CEditorScene& scene);

// The bytes of a texture an import made, by its engine name; null for other textures. Saving
// writes them beside the scene.
const std::string* ImportedTextureBytes(const std::string& textureName);

class CUndoRedoManager;
class IToolManager;

struct ModelImportResult {
    std::string group; // the group entity's name
    int entities = 0;  // entities added, the group included
    int meshes = 0;    // engine meshes made
    std::vector<std::string> warnings;
};

// Imports a model file into the scene as one undo step (pushed on `undo`; undoing it removes
// every entity the import added, redoing adds them again under the same names). The new group
// becomes the selection; `notifier` hears the change as for a copy (50, and 55 for each entity
// an undo removes). False with `error` = "PATH: message", the scene, its selection and the
// undo stack then untouched.
bool ImportModel(const std::string& path, CEditorScene& scene, CUndoRedoManager& undo,
                 IToolManager& notifier, ModelImportResult& result, std::string& error);

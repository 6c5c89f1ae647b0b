// Ogre scene files (".scene", XML): nested nodes with position, rotation quaternion and scale,
// entities naming a ".mesh" file, lights, and user data properties.
//
// Opening is all or nothing: the file is read into a DotSceneDocument first, which is checked
// as a whole (numbers finite, names unique, no parent cycle); only a readable document
// replaces the scene. Problems that leave the file readable (a mesh that cannot be loaded, an
// element of the format that the editor does not keep) become warnings. Saving writes a
// temporary file beside the target and renames it over the target (over the file a symbolic
// link leads to, when the target is one).
#pragma once

#include <OgreColourValue.h>
#include <OgreLight.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CEditorScene;
namespace Ogre {
class SceneManager;
}

// The deepest nesting of nodes the editor opens and saves; deeper files are refused. Nothing
// walks a chain by recursion (the engine's nodes of entities are flat), so the limit only
// bounds the work one change to the root of a chain brings.
constexpr int kMaxDotSceneDepth = 10000;
// The largest scene file, and the largest file of the scene's folder (material scripts,
// textures, meshes) that the editor reads.
constexpr unsigned long long kMaxSceneFileBytes = 256ull * 1024 * 1024;

struct DotSceneLight {
    Ogre::Light::LightTypes type = Ogre::Light::LT_POINT;
    Ogre::ColourValue diffuse = Ogre::ColourValue::White;
    Ogre::ColourValue specular = Ogre::ColourValue::Black;
    float powerScale = 1.0f;
    // lightAttenuation: range, constant, linear, quadratic.
    float range = 100000.0f;
    float constant = 1.0f;
    float linear = 0.0f;
    float quadratic = 0.0f;
    // lightRange of a spot light, radians.
    float inner = 0.523598776f; // 30 degrees
    float outer = 0.698131701f; // 40 degrees
    float falloff = 1.0f;
};

// One entity of the scene: a node and what it carries (one mesh, one light or nothing).
struct DotSceneNode {
    enum Kind { EMPTY, MESH, LIGHT };
    std::string name;
    int parent = -1; // index into DotSceneDocument::nodes, -1 for a root entity
    int line = 0;    // where the node starts in the file (0 when not read from a file)
    Ogre::Vector3 position = Ogre::Vector3::ZERO;
    Ogre::Quaternion rotation = Ogre::Quaternion::IDENTITY;
    Ogre::Vector3 scale = Ogre::Vector3::UNIT_SCALE;
    Kind kind = EMPTY;
    std::string meshFile;
    DotSceneLight light;
    std::uint32_t state = 0; // the entity's state bits (userData "state")
    bool locked = false;     // transforms refused (userData "locked")
    bool hidden = false;     // not drawn nor pickable in the editor (userData "hidden")
};

// The ground heightfield: (cells + 1)^2 heights over width x depth centred at the origin, rows
// along z. In the file it is a root node whose user data "ground" ("WIDTH DEPTH CELLS") and
// "groundHeights" (the heights) mark it and carry the grid; its entity names a ".mesh" of the
// same triangles beside the scene file, for other readers of the format.
struct DotSceneGround {
    bool present = false;
    float width = 0, depth = 0;
    int cells = 0;
    std::vector<float> heights;
    std::string meshFile; // the mesh written beside the scene file
    std::string nodeName; // the node's name in the file (no entity's name)
    int line = 0;
};

struct DotSceneDocument {
    std::vector<DotSceneNode> nodes; // a parent comes before its children
    DotSceneGround ground;
    std::vector<std::string> warnings;
};

// Reads scene XML; `fileName` labels the messages. False with `error` = "FILE:LINE: message"
// when the text is not a readable scene file.
bool ParseDotScene(const std::string& text, const std::string& fileName, DotSceneDocument& doc,
                   std::string& error);
// Checks what the parser cannot guarantee for a document built by other means: names present
// and unique, parents in range, no parent cycle, finite values, non-zero scales. False with
// `error` = "FILE:LINE: message" (or "FILE: message").
bool ValidateDotScene(const DotSceneDocument& doc, const std::string& fileName, std::string& error);

// Checks that every node of a document, placed under its parents, has its world position and
// scale inside the world range (EditorTypes.h). False with `error` = "FILE:LINE: message" for
// the first that does not.
bool CheckDotSceneWorldRange(const DotSceneDocument& doc, const std::string& fileName,
                             std::string& error);
// Reads and checks a scene file without touching any scene; false with `error` as above (or
// "PATH: message" when the file cannot be read).
bool ReadDotSceneFile(const std::string& path, DotSceneDocument& doc, std::string& error);
// Opens a scene file: reads and checks it, then replaces the scene's content by it. Meshes are
// loaded through Ogre's resources with the file's folder as a resource location (materials
// and textures beside them load too) that serves only checked files (SceneFolderFiles.h); a
// mesh that cannot be loaded becomes a placeholder box and a warning "FILE:LINE: message". On
// failure the scene is left as it was and `error` says why.
bool OpenDotScene(const std::string& path, CEditorScene& scene, std::string& error,
                  std::vector<std::string>& warnings);
// Asked before each node is built with the count done and the total; false cancels the open.
using DotSceneProgress = std::function<bool(size_t done, size_t total)>;
// Builds a checked document as a new scene of the engine's scene manager, kept out of its
// scene graph until a scene takes its content (CEditorScene::TakeContent); meshes are looked up
// in the folder `folder` ("" for none). Null when the engine fails on the way (or `progress`
// cancels), with `error` = "FILE: message". The build's warnings are added to `warnings`, all
// of them then in the file's line order.
std::unique_ptr<CEditorScene>
BuildDotSceneAside(const DotSceneDocument& doc, const std::string& folder,
                   const std::string& fileName, Ogre::SceneManager* sceneManager,
                   std::vector<std::string>& warnings, std::string& error,
                   const DotSceneProgress& progress = {});
// Replaces the scene's content by a checked document built aside as above: on failure the
// scene is left as it was. Used by OpenDotScene.
bool BuildDotScene(const DotSceneDocument& doc, const std::string& folder,
                   const std::string& fileName, CEditorScene& scene,
                   std::vector<std::string>& warnings, std::string& error,
                   const DotSceneProgress& progress = {});

// The scene's entities as a document (parents before children, siblings by name).
DotSceneDocument DescribeScene(CEditorScene& scene);
// Scene XML of a document.
std::string FormatDotScene(const DotSceneDocument& doc);
// "NAME.ground.mesh", the ground's mesh beside a scene file "NAME.EXT"; NAME is shortened (at a
// character's start) when the whole would be longer than a file name may be.
std::string GroundMeshName(const std::string& scenePath);
// Writes the scene to `path` through a temporary file in the same folder renamed over it
// (a symbolic link is followed: the file it leads to is written, the link kept). The ground's
// mesh goes beside it as "NAME.ground.mesh" (NAME the scene file's name without its
// extension, shortened when the name would be too long), imported meshes with their materials
// and textures, and, when the folder is not the one the scene was opened from, copies of the
// meshes, material scripts and textures used from there (SceneSaveFiles.h); every file is
// written the same way, the scene file renamed last. Temporary files of saves killed midway
// are removed from the folder first. A scene with a name that is not valid UTF-8, holds a
// control character or is longer than kMaxSceneNameBytes, or nested deeper than
// kMaxDotSceneDepth, is not saved, and neither is one over a read-only file. False with
// `error` = "PATH: message" (PATH the scene's or the other file's) when a file cannot be
// written (the scene file is then untouched); `warnings` gets the files not copied.
bool SaveDotScene(const std::string& path, CEditorScene& scene, std::vector<std::string>& warnings,
                  std::string& error);
bool SaveDotScene(const std::string& path, CEditorScene& scene, std::string& error);

// True when a file's first bytes (a byte-order mark taken off) start, after blanks, with '<':
// a scene file of this format rather than the editor's own text format, which shares the
// ".scene" extension (SceneFormats.h).
bool LooksLikeDotScene(const std::string& head);
// True when the file at `path` is a regular file that can be read and starts so.
bool IsDotSceneFile(const std::string& path);

// Conversions between Ogre's (column-vector) quaternion and the host's (pitch, yaw, roll)
// radians, composed as roll about Z, then pitch about X, then yaw about Y. Computed in double
// precision; at pitch +-90 degrees the turn about the shared axis is given to yaw (roll 0).
Ogre::Quaternion PitchYawRollToQuaternion(const Ogre::Vector3& pitchYawRoll);
Ogre::Vector3 QuaternionToPitchYawRoll(const Ogre::Quaternion& rotation);

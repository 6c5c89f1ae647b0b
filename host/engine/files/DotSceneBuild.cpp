// Opening a scene file: reading it whole, then replacing the scene by what it describes, with
// the meshes loaded through Ogre's resources from the file's folder.
#include "DotScene.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DemoScene.h"
#include "EditorMeshes.h"
#include "MeshFileCheck.h"
#include "SceneFolderFiles.h"
#include "SceneFormats.h"

#include <OgreArchive.h>
#include <OgreException.h>
#include <OgreLog.h>
#include <OgreLogManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreString.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <new>

namespace {

// Each open reads the scene's folder into a resource group of its own ("EditorScene/N"), so
// the files are read as they are now, and the open scene's group (its meshes and materials
// in use) stays untouched until the new scene replaces it. The scene owns the group from then.
const char* const kSceneGroupPrefix = "EditorScene/";
unsigned g_sceneGroupSerial = 0;
// What a mesh that cannot be loaded is shown as.
const char* const kPlaceholderMesh = "EditorPlaceholder";

// Collects the engine's error messages while resources load: a material that does not parse
// or a mesh naming a material that does not exist is only logged by the engine.
class CLogCatcher : public Ogre::LogListener {
public:
    CLogCatcher() {
        if (Ogre::LogManager* manager = Ogre::LogManager::getSingletonPtr())
            m_log = manager->getDefaultLog();
        if (m_log)
            m_log->addListener(this);
    }
    ~CLogCatcher() override {
        if (m_log)
            m_log->removeListener(this);
    }
    CLogCatcher(const CLogCatcher&) = delete;
    CLogCatcher& operator=(const CLogCatcher&) = delete;

    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel level, bool,
                       const Ogre::String&, bool&) override {
        if (level >= Ogre::LML_CRITICAL)
            m_messages.push_back(message);
    }
    std::vector<std::string> Take() { return std::move(m_messages); }

private:
    Ogre::Log* m_log = nullptr;
    std::vector<std::string> m_messages;
};

// Script files the engine parses from a resource location when its group is initialised.
bool IsScriptFile(const std::string& name) {
    for (const char* pattern : {"*.material", "*.program", "*.compositor", "*.particle", "*.os"})
        if (Ogre::StringUtil::match(name, pattern, true))
            return true;
    return false;
}

// A new resource group for the scene's folder, as an archive that lists and serves only
// checked files (see SceneFolderFiles.h); a script file of the folder that it refuses gets a
// warning. Answers the group's name.
std::string PrepareSceneGroup(const std::string& folder, std::vector<std::string>& warnings,
                              const std::string& fileName) {
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    const unsigned serial = ++g_sceneGroupSerial;
    const std::string group = kSceneGroupPrefix + std::to_string(serial);
    groups.createResourceGroup(group, false);
    try {
        if (!folder.empty()) {
            RegisterSceneFolderArchive();
            groups.addResourceLocation(SceneFolderLocation(folder, serial), kSceneFolderArchiveType,
                                       group);
            std::error_code ec;
            for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
                 it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (!IsScriptFile(name))
                    continue;
                const std::string why = CheckSceneFolderFile(folder, name);
                if (!why.empty())
                    warnings.push_back(fileName + ": the script '" + name +
                                       "' beside the scene is not read: " + why);
            }
        }
        // Parses the material scripts beside the scene; textures load when used.
        groups.initialiseResourceGroup(group);
    } catch (const Ogre::Exception& e) {
        warnings.push_back(fileName + ": resources of the scene's folder: " + e.getDescription());
    }
    return group;
}

bool InsideFolder(const std::string& meshFile) {
    const std::filesystem::path p(meshFile);
    if (p.is_absolute())
        return false;
    for (const std::filesystem::path& part : p)
        if (part == "..")
            return false;
    return true;
}

// The engine's mesh reader ends the process on some malformed files: each file is read here
// first (checked as any file of the scene's folder, at most kMaxMeshFileBytes) and walked by
// CheckMeshFile.
bool CheckMeshResource(const std::string& meshFile, const std::string& group, std::string& why) {
    std::string folder, name;
    try {
        const Ogre::FileInfoListPtr found =
            Ogre::ResourceGroupManager::getSingleton().findResourceFileInfo(group, meshFile);
        if (!found->empty() && found->front().archive &&
            found->front().archive->getType() == kSceneFolderArchiveType) {
            folder = SceneFolderOfLocation(found->front().archive->getName());
            name = found->front().filename;
        }
    } catch (const Ogre::Exception&) {
    }
    std::string error = folder.empty() ? "cannot be found" : "";
    std::string bytes;
    if (error.empty())
        error = ReadSceneFolderFile(folder, name, bytes);
    if (error.empty() && bytes.size() > kMaxMeshFileBytes)
        error = "larger than " + std::to_string(kMaxMeshFileBytes / (1024 * 1024)) + " MiB";
    if (error.empty())
        error = DescribeMeshCheck(CheckMeshFile(bytes.data(), bytes.size()));
    if (error.empty())
        return true;
    why = "mesh '" + meshFile + "' cannot be loaded: " + error;
    return false;
}

// Makes `meshFile` available as a mesh: from the scene's folder (resource group `group`), or a
// mesh the engine already has under that name (the editor's own shapes). False with `why`
// when neither works.
bool LoadMesh(const std::string& meshFile, const std::string& group, std::string& why) {
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    if (meshes.getByName(meshFile, Ogre::RGN_DEFAULT) &&
        meshes.getByName(meshFile, Ogre::RGN_DEFAULT)->isLoaded())
        return true;
    if (!InsideFolder(meshFile)) {
        why = "mesh '" + meshFile + "' is outside the scene's folder";
        return false;
    }
    if (!groups.resourceGroupExists(group) || !groups.resourceExists(group, meshFile)) {
        // A file that is there but refused says why.
        const std::string folder = SceneFolderOfGroup(group);
        std::error_code ec;
        std::string refused;
        if (!folder.empty() &&
            std::filesystem::symlink_status(folder + "/" + meshFile, ec).type() !=
                std::filesystem::file_type::not_found)
            refused = CheckSceneFolderFile(folder, meshFile);
        why = refused.empty() ? "mesh '" + meshFile + "' is not in the scene's folder"
                              : "mesh '" + meshFile + "' cannot be loaded: " + refused;
        return false;
    }
    if (!CheckMeshResource(meshFile, group, why))
        return false;
    try {
        meshes.load(meshFile, group);
        return true;
    } catch (const Ogre::Exception& e) {
        why = "mesh '" + meshFile + "' cannot be loaded: " + e.getDescription();
    }
    // Forget the half-made resource, or the next entity of that mesh would try again inside
    // the engine's entity constructor.
    try {
        meshes.remove(meshFile, group);
    } catch (const Ogre::Exception&) {
    }
    return false;
}

std::string EnsurePlaceholderMesh() {
    BuildManualMesh(kPlaceholderMesh, MakeBoxData(Ogre::Vector3(1.0f), 0xFFC050C0u), "Editor/Mesh");
    return kPlaceholderMesh;
}

// Indices of the nodes with every parent before its children: the file's order when it
// already is so (a parsed file always is), otherwise roots first, then each node's children.
// Linear either way; nodes on a parent cycle (which ValidateDotScene refuses) are left out.
std::vector<size_t> BuildOrder(const DotSceneDocument& doc) {
    const size_t count = doc.nodes.size();
    std::vector<size_t> order;
    order.reserve(count);
    bool sorted = true;
    for (size_t i = 0; i < count && sorted; ++i)
        sorted = doc.nodes[i].parent < int(i);
    if (sorted) {
        for (size_t i = 0; i < count; ++i)
            order.push_back(i);
        return order;
    }
    std::vector<std::vector<size_t>> children(count);
    for (size_t i = 0; i < count; ++i) {
        const int parent = doc.nodes[i].parent;
        if (parent < 0)
            order.push_back(i);
        else if (size_t(parent) < count)
            children[size_t(parent)].push_back(i);
    }
    for (size_t next = 0; next < order.size(); ++next)
        for (size_t child : children[order[next]])
            order.push_back(child);
    return order;
}

std::string At(const std::string& fileName, int line) {
    return line > 0 ? fileName + ":" + std::to_string(line) + ": " : fileName + ": ";
}

void ApplyLight(Ogre::Light* light, const DotSceneLight& from) {
    light->setDiffuseColour(from.diffuse);
    light->setSpecularColour(from.specular);
    light->setPowerScale(from.powerScale);
    light->setAttenuation(from.range, from.constant, from.linear, from.quadratic);
    if (from.type == Ogre::Light::LT_SPOTLIGHT)
        light->setSpotlightRange(Ogre::Radian(from.inner), Ogre::Radian(from.outer), from.falloff);
}

// One node of a document as an entity of `scene`; what cannot be made becomes a warning.
void BuildNode(const DotSceneDocument& doc, const DotSceneNode& node, const std::string& group,
               const std::string& fileName, CEditorScene& scene,
               std::vector<std::string>& warnings) {
    const std::string parent = node.parent >= 0 ? doc.nodes[size_t(node.parent)].name : "";
    const Ogre::Vector3 pitchYawRoll = QuaternionToPitchYawRoll(node.rotation);
    CEditorEntity* entity = nullptr;
    if (node.kind == DotSceneNode::LIGHT) {
        entity =
            scene.AddLight(node.name, node.light.type, node.position, node.light.diffuse, parent);
        if (entity) {
            ApplyLight(entity->GetOgreLight(), node.light);
            entity->SetOrientation(pitchYawRoll);
            entity->SetScale(node.scale);
        }
    } else {
        std::string mesh;
        bool missing = false;
        if (node.kind == DotSceneNode::MESH) {
            std::string why;
            mesh = node.meshFile;
            if (!LoadMesh(mesh, group, why)) {
                warnings.push_back(At(fileName, node.line) + why + "; '" + node.name +
                                   "' is shown as a box");
                mesh = EnsurePlaceholderMesh();
                missing = true;
            }
        }
        entity = scene.AddMesh(node.name, mesh, parent, node.position, pitchYawRoll, node.scale);
        if (entity && missing)
            entity->SetMissingMesh(node.meshFile);
    }
    if (!entity) {
        warnings.push_back(At(fileName, node.line) + "'" + node.name + "' could not be created");
        return;
    }
    entity->AddState(node.state);
    entity->SetTransformEnabled(!node.locked);
    if (node.hidden)
        entity->SetVisible(false);
}

} // namespace

std::unique_ptr<CEditorScene>
BuildDotSceneAside(const DotSceneDocument& doc, const std::string& folder,
                   const std::string& fileName, Ogre::SceneManager* sceneManager,
                   std::vector<std::string>& warnings, std::string& error,
                   const DotSceneProgress& progress) {
    auto built = std::make_unique<CEditorScene>(sceneManager, false);
    CEditorScene& loaded = *built;
    std::vector<std::string> found;
    try {
        CLogCatcher log;
        loaded.AdoptMeshGroup(PrepareSceneGroup(folder, found, fileName));
        const std::string& group = loaded.GetMeshGroup();
        size_t done = 0;
        for (const size_t index : BuildOrder(doc)) {
            if (progress && !progress(done++, doc.nodes.size())) {
                error = fileName + ": opening was cancelled";
                return nullptr;
            }
            BuildNode(doc, doc.nodes[index], group, fileName, loaded, found);
        }
        if (doc.ground.present) {
            if (loaded.SetGroundHeights(doc.ground.width, doc.ground.depth, doc.ground.cells,
                                        doc.ground.heights))
                LightTheGround(loaded);
            else
                found.push_back(At(fileName, doc.ground.line) + "the ground could not be made");
        }
        for (const std::string& message : log.Take())
            found.push_back(fileName + ": " + message);
    } catch (const Ogre::Exception& e) {
        error = fileName + ": " + e.getDescription();
        return nullptr;
    } catch (const std::bad_alloc&) {
        error = fileName + ": out of memory while opening the scene";
        return nullptr;
    } catch (const std::exception& e) {
        error = fileName + ": cannot open the scene (" + e.what() + ")";
        return nullptr;
    }
    warnings.insert(warnings.end(), found.begin(), found.end());
    // In the order of the file; messages without a line last.
    auto lineOf = [&fileName](const std::string& warning) {
        const size_t at = fileName.size() + 1;
        if (warning.compare(0, fileName.size(), fileName) != 0 || warning.size() <= at ||
            !std::isdigit(static_cast<unsigned char>(warning[at])))
            return std::numeric_limits<long>::max();
        return std::strtol(warning.c_str() + at, nullptr, 10);
    };
    std::stable_sort(
        warnings.begin(), warnings.end(),
        [&](const std::string& a, const std::string& b) { return lineOf(a) < lineOf(b); });
    return built;
}

bool BuildDotScene(const DotSceneDocument& doc, const std::string& folder,
                   const std::string& fileName, CEditorScene& scene,
                   std::vector<std::string>& warnings, std::string& error,
                   const DotSceneProgress& progress) {
    std::unique_ptr<CEditorScene> loaded = BuildDotSceneAside(
        doc, folder, fileName, scene.GetOgreSceneManager(), warnings, error, progress);
    if (!loaded)
        return false;
    scene.TakeContent(*loaded);
    return true;
}

bool CheckDotSceneWorldRange(const DotSceneDocument& doc, const std::string& fileName,
                             std::string& error) {
    // World transforms as the entities will have them, parents before children, in double
    // precision so that the check itself overflows nowhere.
    using Vector3d = Ogre::Vector<3, double>;
    struct World {
        Vector3d position{0, 0, 0};
        Ogre::Quaternion rotation = Ogre::Quaternion::IDENTITY;
        Vector3d scale{1, 1, 1};
    };
    auto inRange = [](const World& w) {
        for (int i = 0; i < 3; ++i) {
            const double size = std::fabs(w.scale[i]);
            if (!(std::fabs(w.position[i]) <= kMaxWorldCoordinate) ||
                !(size >= kMinWorldScale && size <= kMaxWorldScale))
                return false;
        }
        return true;
    };
    std::vector<World> world(doc.nodes.size());
    for (const size_t index : BuildOrder(doc)) {
        const DotSceneNode& node = doc.nodes[index];
        World& w = world[index];
        const Vector3d local(node.position.x, node.position.y, node.position.z);
        const Vector3d scale(node.scale.x, node.scale.y, node.scale.z);
        if (node.parent >= 0) {
            const World& up = world[size_t(node.parent)];
            const Vector3d scaled = up.scale * local;
            // Turned in double too: a far child under a large parent would not fit a float.
            Ogre::Matrix3 turn;
            up.rotation.ToRotationMatrix(turn);
            Vector3d turned(0, 0, 0);
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    turned[r] += double(turn[r][c]) * scaled[c];
            w.position = up.position + turned;
            w.rotation = up.rotation * node.rotation;
            w.scale = up.scale * scale;
        } else {
            w.position = local;
            w.rotation = node.rotation;
            w.scale = scale;
        }
        if (!inRange(w)) {
            char range[96];
            std::snprintf(range, sizeof range, "world position within +-%g, world scale %g to %g",
                          double(kMaxWorldCoordinate), double(kMinWorldScale),
                          double(kMaxWorldScale));
            error = At(fileName, node.line) + "'" + node.name + "' lies out of the world range (" +
                    range + ")";
            return false;
        }
    }
    return true;
}

bool LooksLikeDotScene(const std::string& head) {
    const size_t first = head.find_first_not_of(" \t\r\n");
    return first != std::string::npos && head[first] == '<';
}

bool IsDotSceneFile(const std::string& path) {
    std::string head;
    return ReadSceneFileHead(path, head) && LooksLikeDotScene(head);
}

namespace {

bool ReadCheckedDotSceneFile(const std::string& path, DotSceneDocument& doc, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = path + ": no such file";
        return false;
    }
    std::string content;
    const std::string why = ReadRegularFile(path, kMaxSceneFileBytes, content);
    if (why == "not a regular file") {
        error = path + ": not a regular file";
        return false;
    }
    if (!why.empty()) {
        error = path + ": cannot read the scene file (" + why + ")";
        return false;
    }
    if (!ParseDotScene(content, path, doc, error))
        return false;
    return CheckDotSceneWorldRange(doc, path, error);
}

} // namespace

bool ReadDotSceneFile(const std::string& path, DotSceneDocument& doc, std::string& error) {
    try {
        return ReadCheckedDotSceneFile(path, doc, error);
    } catch (const std::bad_alloc&) {
        error = path + ": out of memory while reading the scene";
    } catch (const std::exception& e) {
        error = path + ": cannot read the scene (" + e.what() + ")";
    }
    doc = DotSceneDocument();
    return false;
}

bool OpenDotScene(const std::string& path, CEditorScene& scene, std::string& error,
                  std::vector<std::string>& warnings) {
    DotSceneDocument doc;
    if (!ReadDotSceneFile(path, doc, error))
        return false;
    warnings = doc.warnings;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    return BuildDotScene(doc, folder.string(), path, scene, warnings, error);
}

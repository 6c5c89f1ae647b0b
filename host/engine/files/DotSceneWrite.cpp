// Saving the scene as scene XML: the entities as nested nodes and the ground as a node of its
// own with its mesh beside the file, each file through a temporary one that replaces the
// target only once it is completely written.
#include "DotScene.h"
#include "DotSceneText.h"
#include "SceneSaveFiles.h"

#include "CaughtFailure.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CTerrain.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreMesh.h>
#include <OgreMeshSerializer.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <unordered_map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void SetNumber(pugi::xml_node element, const char* name, float value) {
    element.append_attribute(name).set_value(FormatSceneFloat(value).c_str());
}

void AppendVector(pugi::xml_node parent, const char* name, const Ogre::Vector3& v) {
    pugi::xml_node element = parent.append_child(name);
    SetNumber(element, "x", v.x);
    SetNumber(element, "y", v.y);
    SetNumber(element, "z", v.z);
}

void AppendColour(pugi::xml_node parent, const char* name, const Ogre::ColourValue& c) {
    pugi::xml_node element = parent.append_child(name);
    SetNumber(element, "r", c.r);
    SetNumber(element, "g", c.g);
    SetNumber(element, "b", c.b);
    if (c.a != 1.0f)
        SetNumber(element, "a", c.a);
}

const char* LightTypeName(Ogre::Light::LightTypes type) {
    switch (type) {
    case Ogre::Light::LT_DIRECTIONAL:
        return "directional";
    case Ogre::Light::LT_SPOTLIGHT:
        return "spot";
    default:
        return "point";
    }
}

// One node's element with its transform, object and user data (children come separately).
pugi::xml_node AppendNode(pugi::xml_node parent, const DotSceneNode& node) {
    pugi::xml_node element = parent.append_child("node");
    element.append_attribute("name").set_value(node.name.c_str());
    AppendVector(element, "position", node.position);
    pugi::xml_node rotation = element.append_child("rotation");
    SetNumber(rotation, "qw", node.rotation.w);
    SetNumber(rotation, "qx", node.rotation.x);
    SetNumber(rotation, "qy", node.rotation.y);
    SetNumber(rotation, "qz", node.rotation.z);
    AppendVector(element, "scale", node.scale);
    if (node.kind == DotSceneNode::MESH) {
        pugi::xml_node entity = element.append_child("entity");
        entity.append_attribute("name").set_value(node.name.c_str());
        entity.append_attribute("meshFile").set_value(node.meshFile.c_str());
    } else if (node.kind == DotSceneNode::LIGHT) {
        const DotSceneLight& l = node.light;
        pugi::xml_node light = element.append_child("light");
        light.append_attribute("name").set_value(node.name.c_str());
        light.append_attribute("type").set_value(LightTypeName(l.type));
        SetNumber(light, "powerScale", l.powerScale);
        AppendColour(light, "colourDiffuse", l.diffuse);
        AppendColour(light, "colourSpecular", l.specular);
        pugi::xml_node attenuation = light.append_child("lightAttenuation");
        SetNumber(attenuation, "range", l.range);
        SetNumber(attenuation, "constant", l.constant);
        SetNumber(attenuation, "linear", l.linear);
        SetNumber(attenuation, "quadratic", l.quadratic);
        if (l.type == Ogre::Light::LT_SPOTLIGHT) {
            pugi::xml_node range = light.append_child("lightRange");
            SetNumber(range, "inner", l.inner);
            SetNumber(range, "outer", l.outer);
            SetNumber(range, "falloff", l.falloff);
        }
    }
    if (node.state != 0 || node.locked || node.hidden) {
        pugi::xml_node userData = element.append_child("userData");
        if (node.state != 0) {
            // A signed integer property, as the format's readers store "int" data.
            pugi::xml_node property = userData.append_child("property");
            property.append_attribute("type").set_value("int");
            property.append_attribute("name").set_value("state");
            property.append_attribute("data").set_value(
                std::to_string(static_cast<std::int32_t>(node.state)).c_str());
        }
        if (node.locked) {
            pugi::xml_node property = userData.append_child("property");
            property.append_attribute("type").set_value("bool");
            property.append_attribute("name").set_value("locked");
            property.append_attribute("data").set_value("true");
        }
        if (node.hidden) {
            pugi::xml_node property = userData.append_child("property");
            property.append_attribute("type").set_value("bool");
            property.append_attribute("name").set_value("hidden");
            property.append_attribute("data").set_value("true");
        }
    }
    return element;
}

// The nodes below `nodes`, children inside their parents, walked with a stack of its own so
// that a deep chain cannot exhaust the thread's stack.
void AppendNodes(pugi::xml_node nodes, const DotSceneDocument& doc) {
    std::multimap<int, size_t> children;
    for (size_t i = 0; i < doc.nodes.size(); ++i)
        children.emplace(doc.nodes[i].parent, i);
    using Range = std::pair<std::multimap<int, size_t>::const_iterator,
                            std::multimap<int, size_t>::const_iterator>;
    std::vector<std::pair<pugi::xml_node, Range>> stack;
    stack.emplace_back(nodes, children.equal_range(-1));
    while (!stack.empty()) {
        Range& range = stack.back().second;
        if (range.first == range.second) {
            stack.pop_back();
            continue;
        }
        const size_t index = (range.first++)->second;
        const pugi::xml_node element = AppendNode(stack.back().first, doc.nodes[index]);
        stack.emplace_back(element, children.equal_range(int(index)));
    }
}

// The ground as a root node: its mesh for other readers of the format, the grid in user data
// for the editor (exact: each height in the shortest form that reads back to the same float).
void AppendGround(pugi::xml_node parent, const DotSceneGround& ground) {
    pugi::xml_node element = parent.append_child("node");
    element.append_attribute("name").set_value(ground.nodeName.c_str());
    AppendVector(element, "position", Ogre::Vector3::ZERO);
    pugi::xml_node rotation = element.append_child("rotation");
    SetNumber(rotation, "qw", 1);
    SetNumber(rotation, "qx", 0);
    SetNumber(rotation, "qy", 0);
    SetNumber(rotation, "qz", 0);
    AppendVector(element, "scale", Ogre::Vector3::UNIT_SCALE);
    pugi::xml_node entity = element.append_child("entity");
    entity.append_attribute("name").set_value(ground.nodeName.c_str());
    entity.append_attribute("meshFile").set_value(ground.meshFile.c_str());
    pugi::xml_node userData = element.append_child("userData");
    pugi::xml_node grid = userData.append_child("property");
    grid.append_attribute("type").set_value("str");
    grid.append_attribute("name").set_value("ground");
    grid.append_attribute("data").set_value((FormatSceneFloat(ground.width) + " " +
                                             FormatSceneFloat(ground.depth) + " " +
                                             std::to_string(ground.cells))
                                                .c_str());
    std::string heights;
    heights.reserve(ground.heights.size() * 10);
    for (float h : ground.heights) {
        if (!heights.empty())
            heights += ' ';
        heights += FormatSceneFloat(h);
    }
    pugi::xml_node values = userData.append_child("property");
    values.append_attribute("type").set_value("str");
    values.append_attribute("name").set_value("groundHeights");
    values.append_attribute("data").set_value(heights.c_str());
}

} // namespace

DotSceneDocument DescribeScene(CEditorScene& scene) {
    // Entities in name order, then laid out parents first, siblings by name. Autosave takes
    // this on the editor's thread: one walk of the scene, each entity's children found by
    // hashing, every node made in place.
    const size_t count = size_t(scene.GetEntityCount());
    std::unordered_map<const CEditorEntity*, std::vector<CEditorEntity*>> children;
    children.reserve(count / 4 + 1);
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        if (CEditorEntity* own = dynamic_cast<CEditorEntity*>(e))
            children[own->GetParentEntity()].push_back(own);

    DotSceneDocument doc;
    doc.nodes.reserve(count);
    std::vector<std::pair<CEditorEntity*, int>> pending; // entity, parent index
    pending.reserve(count);
    for (CEditorEntity* root : children[nullptr])
        pending.emplace_back(root, -1);
    for (size_t next = 0; next < pending.size(); ++next) {
        CEditorEntity* e = pending[next].first;
        doc.nodes.emplace_back();
        DotSceneNode& node = doc.nodes.back();
        node.name = e->GetName();
        node.parent = pending[next].second;
        node.position = e->GetPosition();
        node.rotation = PitchYawRollToQuaternion(e->GetOrientation());
        node.scale = e->GetScale();
        node.state = e->GetState();
        node.locked = e->EnabledTrnaform() == 0;
        node.hidden = e->IsVisible() == 0;
        if (Ogre::Light* light = e->GetOgreLight()) {
            node.kind = DotSceneNode::LIGHT;
            DotSceneLight& l = node.light;
            l.type = light->getType();
            l.diffuse = light->getDiffuseColour();
            l.specular = light->getSpecularColour();
            l.powerScale = light->getPowerScale();
            l.range = light->getAttenuationRange();
            l.constant = light->getAttenuationConstant();
            l.linear = light->getAttenuationLinear();
            l.quadratic = light->getAttenuationQuadric();
            l.inner = light->getSpotlightInnerAngle().valueRadians();
            l.outer = light->getSpotlightOuterAngle().valueRadians();
            l.falloff = light->getSpotlightFalloff();
        } else if (!e->GetMissingMesh().empty()) {
            node.kind = DotSceneNode::MESH;
            node.meshFile = e->GetMissingMesh();
        } else if (!e->GetMeshName().empty()) {
            node.kind = DotSceneNode::MESH;
            node.meshFile = e->GetMeshName();
        }
        const int index = int(doc.nodes.size()) - 1;
        const auto own = children.find(e);
        if (own != children.end())
            for (CEditorEntity* child : own->second)
                pending.emplace_back(child, index);
    }
    if (const CTerrain* terrain = scene.GetGround()) {
        DotSceneGround& ground = doc.ground;
        ground.present = true;
        ground.width = terrain->GetWidth();
        ground.depth = terrain->GetDepth();
        ground.cells = terrain->GetCells();
        ground.heights = terrain->GetHeights();
        ground.meshFile = "ground.mesh";
        // The node needs a name no entity has.
        ground.nodeName = "ground";
        for (int k = 1; scene.GetEntity(ground.nodeName); ++k)
            ground.nodeName = "ground_" + std::to_string(k);
    }
    return doc;
}

// The deepest nesting written with indentation.
constexpr int kMaxIndentedDepth = 64;

std::string FormatDotScene(const DotSceneDocument& doc) {
    pugi::xml_document xml;
    pugi::xml_node declaration = xml.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node scene = xml.append_child("scene");
    scene.append_attribute("formatVersion").set_value("1.1");
    pugi::xml_node nodes = scene.append_child("nodes");
    AppendNodes(nodes, doc);
    if (doc.ground.present)
        AppendGround(nodes, doc.ground);
    // Indented by level, unless the nesting is so deep that the indentation would outweigh
    // the content (a chain thousands deep): then every element still starts a line of its own.
    int deepest = 0;
    std::vector<int> depth(doc.nodes.size(), 1);
    for (size_t i = 0; i < doc.nodes.size(); ++i) {
        const int parent = doc.nodes[i].parent;
        if (parent >= 0 && size_t(parent) < i)
            depth[i] = depth[size_t(parent)] + 1;
        deepest = std::max(deepest, depth[i]);
    }
    std::ostringstream out;
    xml.save(out, deepest <= kMaxIndentedDepth ? "    " : "", pugi::format_default,
             pugi::encoding_utf8);
    return out.str();
}

std::string GroundMeshName(const std::string& scenePath) {
    const std::string suffix = ".ground.mesh";
    std::string stem = std::filesystem::path(scenePath).stem().string();
    return CutSceneName(stem, size_t(NAME_MAX) - suffix.size()) + suffix;
}

namespace {

// What a saved file must satisfy to open again: every name it carries makes well-formed XML,
// and no chain of parents is deeper than the reader accepts. "" or why not.
std::string CheckSavable(const DotSceneDocument& doc) {
    std::vector<int> depth(doc.nodes.size(), 1); // parents come before their children
    for (size_t i = 0; i < doc.nodes.size(); ++i) {
        const DotSceneNode& node = doc.nodes[i];
        const std::string fault = SceneNameFault(node.name);
        if (!fault.empty())
            return fault;
        if (!IsValidSceneName(node.meshFile))
            return "the mesh file name '" + PrintableSceneName(node.meshFile) +
                   "' is not valid UTF-8 or holds a control character";
        if (node.parent >= 0 && size_t(node.parent) < i)
            depth[i] = depth[size_t(node.parent)] + 1;
        if (depth[i] > kMaxDotSceneDepth)
            return "'" + PrintableSceneName(node.name) + "' is nested deeper than " +
                   std::to_string(kMaxDotSceneDepth) + " levels";
    }
    return {};
}

// Removes whatever `files` still lists when it goes: a save that fails, or throws, on the way
// leaves no temporary file behind.
class CPendingGuard {
public:
    explicit CPendingGuard(std::vector<PendingFile>& files) : m_files(files) {}
    ~CPendingGuard() { DropPendingFiles(m_files); }
    CPendingGuard(const CPendingGuard&) = delete;
    CPendingGuard& operator=(const CPendingGuard&) = delete;

private:
    std::vector<PendingFile>& m_files;
};

bool WriteScene(const std::string& givenPath, CEditorScene& scene,
                std::vector<std::string>& warnings, std::string& error) {
    DotSceneDocument doc = DescribeScene(scene);
    const std::string invalid = CheckSavable(doc);
    if (!invalid.empty()) {
        error = givenPath + ": " + invalid;
        return false;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(givenPath, ec)) {
        error = givenPath + ": is a folder";
        return false;
    }
    const std::string path = ResolveSaveTarget(givenPath, error);
    if (path.empty())
        return false;
    if (IsReadOnlyFile(path)) {
        error = givenPath + ": the file is read-only";
        return false;
    }
    // Temporary files that a save killed midway left in the folders written now.
    const std::string folder = std::filesystem::path(givenPath).parent_path().string();
    RemoveStaleSaveTemporaries(folder);
    if (std::filesystem::path(path).parent_path() != std::filesystem::path(folder))
        RemoveStaleSaveTemporaries(std::filesystem::path(path).parent_path().string());

    // Every file goes to a temporary one first; they replace their targets in this order, the
    // scene file that names the others last.
    std::vector<PendingFile> files;
    CPendingGuard guard(files);
    // Imported meshes that exist only in memory, their materials and textures.
    if (!WriteImportedFiles(scene, givenPath, files, error))
        return false;
    // The meshes of the folder the scene came from, when it goes to another one.
    if (!CopySceneFolderFiles(scene, givenPath, files, warnings, error))
        return false;
    if (doc.ground.present && scene.GetGround()) {
        // Beside the path given: a scene opened through it finds its mesh there.
        doc.ground.meshFile = GroundMeshName(givenPath);
        const std::string meshPath = ResolveSaveTarget(
            (std::filesystem::path(givenPath).parent_path() / doc.ground.meshFile).string(), error);
        if (meshPath.empty())
            return false;
        if (std::filesystem::is_directory(meshPath, ec)) {
            error = givenPath + ": the ground's mesh " + meshPath + " is a folder";
            return false;
        }
        const Ogre::Entity* entity = scene.GetGround()->GetOgreEntity();
        if (!entity) {
            error = meshPath + ": cannot write (the ground has no mesh)";
            return false;
        }
        std::string bytes;
        try {
            bytes = MeshFileBytes(*entity->getMesh());
        } catch (const Ogre::Exception& e) {
            error = meshPath + ": cannot write (" + e.getDescription() + ")";
            return false;
        }
        if (!WritePendingFile(meshPath, bytes, files, error))
            return false;
    }
    if (!WritePendingFile(path, FormatDotScene(doc), files, error))
        return false;
    return CommitPendingFiles(files, error);
}

} // namespace

bool SaveDotScene(const std::string& givenPath, CEditorScene& scene,
                  std::vector<std::string>& warnings, std::string& error) {
    try {
        return WriteScene(givenPath, scene, warnings, error);
    } catch (...) {
        error = CaughtFailure(givenPath, "saving the scene", "save the scene");
    }
    return false;
}

bool SaveDotScene(const std::string& givenPath, CEditorScene& scene, std::string& error) {
    std::vector<std::string> warnings;
    return SaveDotScene(givenPath, scene, warnings, error);
}

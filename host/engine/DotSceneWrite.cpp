// Saving the scene as scene XML: the entities as nested nodes, through a temporary file that
// replaces the target only once it is completely written.
#include "DotScene.h"
#include "DotSceneText.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"

#include <pugixml.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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

void AppendNode(pugi::xml_node parent, const DotSceneDocument& doc, size_t index,
                const std::multimap<int, size_t>& children) {
    const DotSceneNode& node = doc.nodes[index];
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
    if (node.state != 0 || node.locked) {
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
    }
    const auto range = children.equal_range(int(index));
    for (auto it = range.first; it != range.second; ++it)
        AppendNode(element, doc, it->second, children);
}

std::string SystemError(int code) {
    return std::strerror(code);
}

} // namespace

DotSceneDocument DescribeScene(CEditorScene& scene) {
    // Entities in name order, then laid out parents first, siblings by name.
    std::vector<CEditorEntity*> entities;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        if (CEditorEntity* own = scene.GetEntity(e->GetName()))
            entities.push_back(own);
    std::multimap<const CEditorEntity*, CEditorEntity*> children;
    for (CEditorEntity* e : entities)
        children.emplace(e->GetParentEntity(), e);

    DotSceneDocument doc;
    std::vector<std::pair<CEditorEntity*, int>> pending; // entity, parent index
    for (auto it = children.lower_bound(nullptr); it != children.upper_bound(nullptr); ++it)
        pending.emplace_back(it->second, -1);
    for (size_t next = 0; next < pending.size(); ++next) {
        CEditorEntity* e = pending[next].first;
        DotSceneNode node;
        node.name = e->GetName();
        node.parent = pending[next].second;
        node.position = e->GetPosition();
        node.rotation = PitchYawRollToQuaternion(e->GetOrientation());
        node.scale = e->GetScale();
        node.state = e->GetState();
        node.locked = e->EnabledTrnaform() == 0;
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
        doc.nodes.push_back(node);
        const int index = int(doc.nodes.size()) - 1;
        for (auto it = children.lower_bound(e); it != children.upper_bound(e); ++it)
            pending.emplace_back(it->second, index);
    }
    return doc;
}

std::string FormatDotScene(const DotSceneDocument& doc) {
    pugi::xml_document xml;
    pugi::xml_node declaration = xml.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node scene = xml.append_child("scene");
    scene.append_attribute("formatVersion").set_value("1.1");
    pugi::xml_node nodes = scene.append_child("nodes");
    std::multimap<int, size_t> children;
    for (size_t i = 0; i < doc.nodes.size(); ++i)
        children.emplace(doc.nodes[i].parent, i);
    const auto roots = children.equal_range(-1);
    for (auto it = roots.first; it != roots.second; ++it)
        AppendNode(nodes, doc, it->second, children);
    std::ostringstream out;
    xml.save(out, "    ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool SaveDotScene(const std::string& path, CEditorScene& scene, std::string& error) {
    const std::string text = FormatDotScene(DescribeScene(scene));
    std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) {
        error = path + ": is a folder";
        return false;
    }
    // The new file keeps the mode of the one it replaces; a new one gets the usual mode.
    mode_t mode = 0;
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        error = path + ": cannot write in " + folder.string() + " (" + SystemError(errno) + ")";
        return false;
    }
    size_t written = 0;
    int failure = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failure = errno;
            break;
        }
        written += size_t(n);
    }
    if (!failure && ::fchmod(fd, mode) != 0)
        failure = errno;
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temp.c_str(), path.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temp.c_str());
        error = path + ": cannot write (" + SystemError(failure) + ")";
        return false;
    }
    return true;
}

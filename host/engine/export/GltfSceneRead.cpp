// The scene as an export sees it: the entity tree in the order a scene file writes it (parents
// first, siblings by name), each entity's local transform, mesh or light, and the ground.
#include "GltfModel.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CTerrain.h"
#include "DotScene.h"

#include <OgreEntity.h>
#include <OgreMath.h>

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float v) {
    return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 1.0f;
}

GltfLightData DescribeLight(const std::string& name, const DotSceneLight& l) {
    GltfLightData out;
    out.name = name;
    switch (l.type) {
    case Ogre::Light::LT_DIRECTIONAL:
        out.type = "directional";
        break;
    case Ogre::Light::LT_SPOTLIGHT:
        out.type = "spot";
        break;
    default:
        out.type = "point";
    }
    out.colour[0] = Clamp01(l.diffuse.r);
    out.colour[1] = Clamp01(l.diffuse.g);
    out.colour[2] = Clamp01(l.diffuse.b);
    // The engine's power scale is the light's strength; glTF has no unit of its own for it.
    out.intensity = std::isfinite(l.powerScale) ? std::max(0.0f, l.powerScale) : 1.0f;
    // A directional light has no range; others keep theirs when it is a usable one.
    if (out.type != "directional" && std::isfinite(l.range) && l.range > 0)
        out.range = l.range;
    // The engine's cone angles are whole angles, glTF's are measured from the axis, the outer at
    // most a right angle and the inner below it.
    const float half = Ogre::Math::HALF_PI;
    out.outerCone = std::isfinite(l.outer) ? std::clamp(l.outer * 0.5f, 1e-4f, half) : half * 0.5f;
    out.innerCone = std::isfinite(l.inner) ? std::clamp(l.inner * 0.5f, 0.0f, out.outerCone) : 0.0f;
    if (out.innerCone >= out.outerCone)
        out.innerCone = out.outerCone * 0.999f;
    return out;
}

} // namespace

GltfModel DescribeGltfScene(CEditorScene& scene) {
    GltfModel model;
    const DotSceneDocument doc = DescribeScene(scene);
    CGltfMeshTable meshes(model, scene.GetMeshGroup());
    model.nodes.reserve(doc.nodes.size() + 1);
    for (const DotSceneNode& from : doc.nodes) {
        GltfNodeData node;
        node.name = from.name;
        node.parent = from.parent;
        node.transform = ToGltfTransform(from.position, from.rotation, from.scale);
        node.hidden = from.hidden;
        if (!node.hidden && from.kind == DotSceneNode::LIGHT) {
            node.light = static_cast<int>(model.lights.size());
            model.lights.push_back(DescribeLight(from.name, from.light));
        } else if (!node.hidden && from.kind == DotSceneNode::MESH) {
            const CEditorEntity* entity = scene.GetEntity(from.name);
            // A mesh that could not be loaded shows a stand-in box: nothing of it is written.
            if (entity && entity->GetMissingMesh().empty() && entity->GetOgreEntity())
                node.mesh = meshes.MeshOf(*entity->GetOgreEntity());
        }
        model.nodes.push_back(std::move(node));
    }
    if (const CTerrain* ground = scene.GetGround()) {
        GltfNodeData node;
        node.name = doc.ground.nodeName;
        node.ground = true;
        if (ground->GetOgreEntity())
            node.mesh = meshes.MeshOf(*ground->GetOgreEntity());
        model.nodes.push_back(std::move(node));
    }
    return model;
}

// The scene invariants shared by the scene-file targets: a headless engine made once per
// process, and a check that no entity or light holds a value that is not finite.
#pragma once

#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DemoScene.h"
#include "DotScene.h"
#include "FuzzCheck.h"

#include <OgreLight.h>

#include <memory>
#include <string>

namespace fuzz {

// The engine lives for the whole run: building one costs far more than any input.
inline CEditorScene& HeadlessScene() {
    static CEditorEngine* engine = [] {
        auto* made = new CEditorEngine(false);
        CreateDemoMeshes(*made);
        return made;
    }();
    return *engine->GetScene();
}

inline bool FiniteColour(const Ogre::ColourValue& c) {
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}

// Every entity's local and world transform is finite, every light's values too, and the scene
// saved as a scene file reads back with the same entities.
inline void CheckScene(CEditorScene& scene) {
    const DotSceneDocument described = DescribeScene(scene);
    FUZZ_CHECK(int(described.nodes.size()) == scene.GetEntityCount(),
               "the scene's description lost entities");
    for (const DotSceneNode& node : described.nodes) {
        CEditorEntity* entity = scene.GetEntity(node.name);
        FUZZ_CHECK(entity != nullptr, "a described entity does not exist");
        FUZZ_CHECK(FiniteVector(entity->GetPosition()), "a position is not finite");
        FUZZ_CHECK(FiniteVector(entity->GetOrientation()), "an orientation is not finite");
        FUZZ_CHECK(FiniteVector(entity->GetScale()), "a scale is not finite");
        const Ogre::Vector3 scale = entity->GetScale();
        FUZZ_CHECK(scale.x != 0 && scale.y != 0 && scale.z != 0, "a scale is zero");
        if (Ogre::Light* light = entity->GetOgreLight()) {
            FUZZ_CHECK(FiniteColour(light->getDiffuseColour()), "a light colour is not finite");
            FUZZ_CHECK(FiniteColour(light->getSpecularColour()), "a specular colour is not finite");
            FUZZ_CHECK(std::isfinite(light->getPowerScale()), "a power scale is not finite");
            FUZZ_CHECK(std::isfinite(light->getAttenuationRange()) &&
                           std::isfinite(light->getAttenuationConstant()) &&
                           std::isfinite(light->getAttenuationLinear()) &&
                           std::isfinite(light->getAttenuationQuadric()),
                       "an attenuation is not finite");
            FUZZ_CHECK(std::isfinite(light->getSpotlightInnerAngle().valueRadians()) &&
                           std::isfinite(light->getSpotlightOuterAngle().valueRadians()) &&
                           std::isfinite(light->getSpotlightFalloff()),
                       "a spot light's range is not finite");
        }
    }
    // What the editor saves must open again: nothing it holds may make an unreadable file.
    const std::string saved = FormatDotScene(described);
    DotSceneDocument reread;
    std::string error;
    FUZZ_CHECK(ParseDotScene(saved, "saved.scene", reread, error), error.c_str());
    FUZZ_CHECK(reread.nodes.size() == described.nodes.size(), "the saved file lost entities");
}

} // namespace fuzz

// The built-in demo scene: its meshes, the sun, the lit ground and the entities.
#include "DemoScene.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CTerrain.h"
#include "EditorMeshes.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreHighLevelGpuProgram.h>
#include <OgreHighLevelGpuProgramManager.h>
#include <OgreLight.h>
#include <OgreMaterialManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cstdio>

void EnsureDemoMeshes() {
    BuildManualMesh("box", MakeBoxData(Ogre::Vector3(1.0f), 0xFFD07A3Au), "Editor/Mesh");
    BuildManualMesh("cone",
                    MakeConeData(Ogre::Vector3(-1.5f, -1.5f, -1.5f),
                                 Ogre::Vector3(1.5f, 1.5f, 1.5f), 24, 0xFF3C8CD2u),
                    "Editor/Mesh");
    BuildManualMesh("cylinder", MakeCylinderData(0.8f, 6.0f, 24, 0xFFB4B4B8u), "Editor/Mesh");
    BuildManualMesh("rock", MakeRockData(1.8f, 0xFF8C8070u), "Editor/Mesh");
}

void EnsureSceneSun(Ogre::SceneManager* sm) {
    if (sm->hasLight("EditorSun"))
        return;
    Ogre::Light* sun = sm->createLight("EditorSun");
    sun->setType(Ogre::Light::LT_DIRECTIONAL);
    sun->setDiffuseColour(Ogre::ColourValue(0.8f, 0.8f, 0.75f));
    Ogre::SceneNode* node = sm->getRootSceneNode()->createChildSceneNode();
    node->setDirection(Ogre::Vector3(-0.4f, -1.0f, -0.3f).normalisedCopy(), Ogre::Node::TS_WORLD);
    node->attachObject(sun);
}

namespace {

// The demo ground lit per pixel by up to four lights with their power scale, range (nothing
// beyond it), attenuation and spot cone: the fixed-function pipeline ignores the power scale
// and the range, so a lamp's changes would not show on the ground. Needs a render system
// (shaders cannot be made headless); answers the material's name, or empty.
const char* const kLitGround = "Editor/LitTerrain";

const char* const kLitGroundVertex = R"(#version 120
varying vec3 vPosition;
varying vec3 vNormal;
varying vec4 vColour;
uniform mat4 worldViewProj;
void main() {
    vPosition = gl_Vertex.xyz;
    vNormal = gl_Normal;
    vColour = gl_Color;
    gl_Position = worldViewProj * gl_Vertex;
}
)";

const char* const kLitGroundFragment = R"(#version 120
varying vec3 vPosition;
varying vec3 vNormal;
varying vec4 vColour;
uniform vec4 ambient;
uniform vec4 lightPosition[4];
uniform vec4 lightColour[4];
uniform vec4 lightAttenuation[4];
uniform vec4 spotParams[4];
uniform vec4 spotDirection[4];
void main() {
    vec3 n = normalize(vNormal);
    vec3 light = ambient.rgb;
    for (int i = 0; i < 4; ++i) {
        vec3 toLight = lightPosition[i].xyz - vPosition * lightPosition[i].w;
        float d = length(toLight);
        vec3 l = toLight / max(d, 1e-4);
        vec4 a = lightAttenuation[i];
        float att = d > a.x ? 0.0 : 1.0 / max(a.y + a.z * d + a.w * d * d, 1e-4);
        float spot = 1.0;
        vec4 s = spotParams[i];
        if (s.x < 1.0 && s.x > s.y) {
            float rho = dot(-l, normalize(spotDirection[i].xyz));
            spot = pow(clamp((rho - s.y) / (s.x - s.y), 0.0, 1.0), max(s.z, 1e-4));
        }
        light += lightColour[i].rgb * max(dot(n, l), 0.0) * att * spot;
    }
    gl_FragColor = vec4(vColour.rgb * light, 1.0);
}
)";

std::string EnsureLitGround() {
    Ogre::Root* root = Ogre::Root::getSingletonPtr();
    if (!root || !root->getRenderSystem())
        return {};
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    if (materials.getByName(kLitGround, Ogre::RGN_DEFAULT))
        return kLitGround;
    try {
        Ogre::HighLevelGpuProgramManager& programs =
            Ogre::HighLevelGpuProgramManager::getSingleton();
        if (!programs.isLanguageSupported("glsl"))
            return {};
        const struct {
            const char* name;
            Ogre::GpuProgramType type;
            const char* source;
        } shaders[] = {{"Editor/LitTerrainVS", Ogre::GPT_VERTEX_PROGRAM, kLitGroundVertex},
                       {"Editor/LitTerrainFS", Ogre::GPT_FRAGMENT_PROGRAM, kLitGroundFragment}};
        for (const auto& shader : shaders) {
            if (programs.getByName(shader.name, Ogre::RGN_DEFAULT))
                continue;
            Ogre::HighLevelGpuProgramPtr program =
                programs.createProgram(shader.name, Ogre::RGN_DEFAULT, "glsl", shader.type);
            program->setSource(shader.source);
            program->load();
            if (program->hasCompileError())
                return {};
        }
        const std::string script =
            "material Editor/LitTerrain\n{\n technique\n {\n  pass\n  {\n"
            "   vertex_program_ref Editor/LitTerrainVS\n   {\n"
            "    param_named_auto worldViewProj worldviewproj_matrix\n   }\n"
            "   fragment_program_ref Editor/LitTerrainFS\n   {\n"
            "    param_named_auto ambient ambient_light_colour\n"
            "    param_named_auto lightPosition light_position_object_space_array 4\n"
            "    param_named_auto lightColour light_diffuse_colour_power_scaled_array 4\n"
            "    param_named_auto lightAttenuation light_attenuation_array 4\n"
            "    param_named_auto spotParams spotlight_params_array 4\n"
            "    param_named_auto spotDirection light_direction_object_space_array 4\n"
            "   }\n  }\n }\n}\n";
        Ogre::DataStreamPtr stream(
            new Ogre::MemoryDataStream(const_cast<char*>(script.data()), script.size(), false));
        materials.parseScript(stream, Ogre::RGN_DEFAULT);
        Ogre::MaterialPtr material = materials.getByName(kLitGround, Ogre::RGN_DEFAULT);
        if (!material)
            return {};
        material->load();
        if (!material->getBestTechnique())
            return {};
    } catch (const Ogre::Exception& e) {
        std::fprintf(stderr, "engine: lit ground: %s\n", e.getDescription().c_str());
        return {};
    }
    return kLitGround;
}

Ogre::Vector3 Degrees(float x, float y, float z) {
    return Ogre::Vector3(Ogre::Math::DegreesToRadians(x), Ogre::Math::DegreesToRadians(y),
                         Ogre::Math::DegreesToRadians(z));
}

} // namespace

void LightTheGround(CEditorScene& scene) {
    const CTerrain* ground = scene.GetGround();
    const std::string material = EnsureLitGround();
    if (ground && ground->GetOgreEntity() && !material.empty())
        ground->GetOgreEntity()->setMaterialName(material);
}

void CreateDemoMeshes(CGameEngine& /*engine*/) {
    EnsureDemoMeshes();
}

Ogre::Vector3 DemoCameraEye() {
    return Ogre::Vector3(4.0f, 20.0f, 36.0f);
}

Ogre::Vector3 DemoCameraTarget() {
    return Ogre::Vector3(0.0f, 1.0f, -1.0f);
}

void BuildDemoScene(CEditorScene& scene) {
    scene.Clear();
    EnsureDemoMeshes();
    EnsureSceneSun(scene.GetOgreSceneManager());
    scene.SetGround(60.0f, 60.0f, 1.6f, 64);
    auto onGround = [&](float x, float lift, float z) {
        return Ogre::Vector3(x, scene.TerrainHeightAt(x, z) + lift, z);
    };
    scene.AddMesh("box_a", "box", "", onGround(-9.0f, 1.5f, 3.0f), Degrees(0, 20, 0),
                  Ogre::Vector3(1.5f));
    // A child one box-width to the right of its parent, in the parent's space.
    scene.AddMesh("box_b", "box", "box_a", Ogre::Vector3(2.2f, 1.2f, 0.0f), Degrees(0, 30, 0),
                  Ogre::Vector3(0.5f));
    scene.AddMesh("cone_a", "cone", "", onGround(5.0f, 1.5f, -3.0f));
    if (CEditorEntity* pillar =
            scene.AddMesh("pillar", "cylinder", "", onGround(-2.0f, 3.0f, -11.0f))) {
        pillar->SetTransformEnabled(false);
        pillar->AddState(STATE_LOCK_POSITION);
    }
    scene.AddMesh("石块", "rock", "", onGround(10.0f, 0.6f, 7.0f), Degrees(0, 35, 0));
    scene.AddLight("lamp_point", Ogre::Light::LT_POINT, Ogre::Vector3(-4.0f, 7.0f, -3.0f),
                   Ogre::ColourValue(1.0f, 0.85f, 0.6f));
    if (CEditorEntity* spot =
            scene.AddLight("lamp_spot", Ogre::Light::LT_SPOTLIGHT, Ogre::Vector3(3.0f, 8.0f, 8.0f),
                           Ogre::ColourValue(0.7f, 0.8f, 1.0f)))
        spot->SetOrientation(Degrees(-90, 0, 0)); // shine straight down
    LightTheGround(scene);
}

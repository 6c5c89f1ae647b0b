// The built-in demo scene and the scene file loader.
//
// Scene file format: UTF-8 text, one statement a line, words separated by blanks; '#'
// starts a comment line; blank lines are skipped. Angles are degrees.
//   ground WIDTH DEPTH AMPLITUDE [CELLS]
//   mesh NAME MESH PARENT PX PY PZ RX RY RZ SX SY SZ     (PARENT "-" for none; MESH one of
//                                                         box, cone, cylinder, rock or any
//                                                         mesh already in the engine)
//   light NAME point|spot PX PY PZ R G B [RX RY RZ]      (colour components 0..1)
//   state NAME BITS                                      (adds state bits, e.g. 0x80)
//   lock NAME                                            (the entity cannot be transformed)
// Names must be unique; a parent must be declared before its children.
#include "DemoScene.h"

#include "CaughtFailure.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CTerrain.h"
#include "DotScene.h"
#include "DotSceneText.h"
#include "EditorMeshes.h"
#include "SceneFolderFiles.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreHighLevelGpuProgram.h>
#include <OgreHighLevelGpuProgramManager.h>
#include <OgreLight.h>
#include <OgreMaterialManager.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <vector>

namespace {

void EnsureDemoMeshes() {
    BuildManualMesh("box", MakeBoxData(Ogre::Vector3(1.0f), 0xFFD07A3Au), "Editor/Mesh");
    BuildManualMesh("cone",
                    MakeConeData(Ogre::Vector3(-1.5f, -1.5f, -1.5f),
                                 Ogre::Vector3(1.5f, 1.5f, 1.5f), 24, 0xFF3C8CD2u),
                    "Editor/Mesh");
    BuildManualMesh("cylinder", MakeCylinderData(0.8f, 6.0f, 24, 0xFFB4B4B8u), "Editor/Mesh");
    BuildManualMesh("rock", MakeRockData(1.8f, 0xFF8C8070u), "Editor/Mesh");
}

// A directional light for shading, not an entity of the scene.
void EnsureSun(Ogre::SceneManager* sm) {
    if (sm->hasLight("EditorSun"))
        return;
    Ogre::Light* sun = sm->createLight("EditorSun");
    sun->setType(Ogre::Light::LT_DIRECTIONAL);
    sun->setDiffuseColour(Ogre::ColourValue(0.8f, 0.8f, 0.75f));
    Ogre::SceneNode* node = sm->getRootSceneNode()->createChildSceneNode();
    node->setDirection(Ogre::Vector3(-0.4f, -1.0f, -0.3f).normalisedCopy(), Ogre::Node::TS_WORLD);
    node->attachObject(sun);
}

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

bool ParseFloat(const std::string& word, float& out) {
    if (word.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    if (errno != 0 || end != word.c_str() + word.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool ParseFloats(const std::vector<std::string>& words, size_t first, size_t count, float* out) {
    for (size_t i = 0; i < count; ++i)
        if (!ParseFloat(words[first + i], out[i]))
            return false;
    return true;
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
    EnsureSun(scene.GetOgreSceneManager());
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

namespace {

// Reads the text into `scene` (a scene built aside); false with `error` at the first fault.
bool ReadSceneText(const std::string& text, const std::string& fileName, CEditorScene& scene,
                   std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    auto fail = [&](const std::string& message) {
        error = fileName + ":" + std::to_string(lineNumber) + ": " + message;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        for (unsigned char ch : line)
            if (ch < 0x20 && ch != '\t' && ch != '\r')
                return fail("not a text file");
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty() || w[0][0] == '#')
            continue;
        const std::string& op = w[0];
        // Names (and mesh names) end up in saved scene XML: valid UTF-8 without controls.
        for (size_t i = 1; i < w.size() && i < 4 && (op == "mesh" || op == "light"); ++i)
            if (!IsValidSceneName(w[i]))
                return fail("the name '" + PrintableSceneName(w[i]) +
                            "' is not valid UTF-8 or holds a control character");
        if ((op == "mesh" || op == "light") && w.size() > 1 && !SceneNameFault(w[1]).empty())
            return fail(SceneNameFault(w[1]));
        if (op == "ground") {
            float v[3];
            float cells = 64;
            if ((w.size() != 4 && w.size() != 5) || !ParseFloats(w, 1, 3, v) ||
                (w.size() == 5 && !ParseFloat(w[4], cells)))
                return fail("expected: ground WIDTH DEPTH AMPLITUDE [CELLS]");
            // A count beyond an int has no int value: refuse it before converting.
            if (cells != std::floor(cells) || !(cells >= 1 && cells <= 1024) ||
                !scene.SetGround(v[0], v[1], v[2], int(cells)))
                return fail("bad ground size");
        } else if (op == "mesh") {
            float v[9];
            if (w.size() != 13 || !ParseFloats(w, 4, 9, v))
                return fail("expected: mesh NAME MESH PARENT PX PY PZ RX RY RZ SX SY SZ");
            if (scene.GetEntity(w[1]))
                return fail("duplicate entity name '" + w[1] + "'");
            const std::string parent = w[3] == "-" ? std::string() : w[3];
            if (!parent.empty() && !scene.GetEntity(parent))
                return fail("unknown parent '" + parent + "'");
            if (!scene.AddMesh(w[1], w[2], parent, Ogre::Vector3(v[0], v[1], v[2]),
                               Degrees(v[3], v[4], v[5]), Ogre::Vector3(v[6], v[7], v[8])))
                return fail("cannot create mesh entity '" + w[1] +
                            "' (unknown mesh, zero scale, or out of the world range)");
        } else if (op == "light") {
            float v[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
            if ((w.size() != 9 && w.size() != 12) || !ParseFloats(w, 3, w.size() - 3, v))
                return fail("expected: light NAME point|spot PX PY PZ R G B [RX RY RZ]");
            if (w[2] != "point" && w[2] != "spot")
                return fail("light type must be point or spot");
            if (scene.GetEntity(w[1]))
                return fail("duplicate entity name '" + w[1] + "'");
            CEditorEntity* light = scene.AddLight(
                w[1], w[2] == "spot" ? Ogre::Light::LT_SPOTLIGHT : Ogre::Light::LT_POINT,
                Ogre::Vector3(v[0], v[1], v[2]), Ogre::ColourValue(v[3], v[4], v[5]));
            if (!light)
                return fail("cannot create light '" + w[1] + "' (out of the world range)");
            light->SetOrientation(Degrees(v[6], v[7], v[8]));
        } else if (op == "state") {
            if (w.size() != 3)
                return fail("expected: state NAME BITS");
            CEditorEntity* e = scene.GetEntity(w[1]);
            if (!e)
                return fail("unknown entity '" + w[1] + "'");
            errno = 0;
            char* end = nullptr;
            const unsigned long bits = std::strtoul(w[2].c_str(), &end, 0);
            if (errno != 0 || end != w[2].c_str() + w[2].size() || w[2][0] == '-' ||
                bits > 0xFFFFFFFFul)
                return fail("bad state bits '" + w[2] + "'");
            e->AddState(static_cast<std::uint32_t>(bits));
        } else if (op == "lock") {
            if (w.size() != 2)
                return fail("expected: lock NAME");
            CEditorEntity* e = scene.GetEntity(w[1]);
            if (!e)
                return fail("unknown entity '" + w[1] + "'");
            e->SetTransformEnabled(false);
        } else {
            return fail("unknown statement '" + op + "'");
        }
    }
    return true;
}

} // namespace

std::unique_ptr<CEditorScene> BuildSceneTextAside(const std::string& text,
                                                  const std::string& fileName,
                                                  Ogre::SceneManager* sceneManager,
                                                  std::string& error) {
    try {
        EnsureDemoMeshes();
        EnsureSun(sceneManager);
        auto scene = std::make_unique<CEditorScene>(sceneManager, false);
        if (!ReadSceneText(text, fileName, *scene, error))
            return nullptr;
        return scene;
    } catch (...) {
        error = CaughtFailure(fileName, "reading the scene", "open the scene");
    }
    return nullptr;
}

std::unique_ptr<CEditorScene>
ReadSceneTextFile(const std::string& path, Ogre::SceneManager* sceneManager, std::string& error) {
    // Read without blocking and only when it is a regular file: a FIFO or device is refused
    // at once.
    std::string content;
    try {
        const std::string why = ReadRegularFile(path, kMaxSceneFileBytes, content);
        if (!why.empty()) {
            error =
                path + (why == "not a regular file" ? ": not a regular file"
                        : why == "cannot be found"  ? ": cannot open the scene file"
                                                    : ": cannot read the scene file (" + why + ")");
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        error = path + ": out of memory while reading the scene";
        return nullptr;
    }
    return BuildSceneTextAside(content, path, sceneManager, error);
}

bool LoadSceneText(const std::string& text, const std::string& fileName, CEditorScene& target,
                   std::string& error) {
    // Built aside: the target scene changes only when the whole text is read.
    std::unique_ptr<CEditorScene> scene =
        BuildSceneTextAside(text, fileName, target.GetOgreSceneManager(), error);
    if (!scene)
        return false;
    target.TakeContent(*scene);
    return true;
}

bool LoadSceneFile(const std::string& path, CEditorScene& target, std::string& error) {
    std::unique_ptr<CEditorScene> scene =
        ReadSceneTextFile(path, target.GetOgreSceneManager(), error);
    if (!scene)
        return false;
    target.TakeContent(*scene);
    return true;
}

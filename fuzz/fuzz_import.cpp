// Model files of any bytes: the first byte picks the format the bytes are read as (glTF, glb,
// OBJ, FBX, Collada, PLY, STL), the rest is the file. Reading either refuses them with a
// one-line "LABEL: message" or gives a plan the scene can take: every node after its parent
// and within the nesting limit, every number finite and inside the world range, every index
// inside its sub-mesh, every sub-mesh whole triangles.
#include "DotScene.h"
#include "EditorTypes.h"
#include "FuzzCheck.h"
#include "ModelImport.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

const char* const kExtensions[] = {"gltf", "glb", "obj", "fbx", "dae", "ply", "stl"};

void CheckPlan(const ModelPlan& plan) {
    FUZZ_CHECK(!plan.nodes.empty(), "a plan without a root node");
    for (size_t i = 0; i < plan.nodes.size(); ++i) {
        const ModelPlanNode& n = plan.nodes[i];
        FUZZ_CHECK(i == 0 ? n.parent == -1 : n.parent >= 0 && size_t(n.parent) < i,
                   "a node before its parent");
        FUZZ_CHECK(IsWorldPositionInRange(n.position) && IsWorldScaleInRange(n.scale) &&
                       IsFinite(n.orientation),
                   "a node transform out of range");
        FUZZ_CHECK(n.mesh < int(plan.meshes.size()), "a node names a missing mesh");
    }
    for (const ModelPlanMesh& m : plan.meshes) {
        FUZZ_CHECK(!m.subMeshes.empty(), "an empty mesh");
        for (const ModelPlanSubMesh& s : m.subMeshes) {
            FUZZ_CHECK(s.vertices.size() % 8 == 0 && s.indices.size() % 3 == 0,
                       "a sub-mesh of partial vertices or triangles");
            const size_t count = s.vertices.size() / 8;
            for (std::uint32_t index : s.indices)
                FUZZ_CHECK(index < count, "an index out of range");
            for (size_t v = 0; v < count; ++v) {
                const Ogre::Vector3 p(s.vertices[v * 8], s.vertices[v * 8 + 1],
                                      s.vertices[v * 8 + 2]);
                FUZZ_CHECK(IsWorldPositionInRange(p), "a vertex out of range");
                for (int k = 3; k < 8; ++k)
                    FUZZ_CHECK(std::isfinite(s.vertices[v * 8 + k]), "a vertex value not finite");
            }
            FUZZ_CHECK(s.material < int(plan.materials.size()), "a missing material");
        }
    }
    // Every texture passed its header check before it was taken: nothing the codecs would
    // allocate without bound reaches the editor.
    for (size_t i = 0; i < plan.materials.size(); ++i) {
        const ModelPlanMaterial& m = plan.materials[i];
        TextureHeader header;
        FUZZ_CHECK(m.texture.empty() || ReadTextureHeader(m.texture, m.textureExt, header).empty(),
                   "a texture whose header fails its check");
        FUZZ_CHECK(m.sameTextureAs < int(i), "a texture shared with a later material");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const char* extension = kExtensions[data[0] % 7];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    ModelPlan plan;
    std::string error;
    const std::string label = std::string("input.") + extension;
    if (!ReadModelBytes(bytes, extension, label, plan, error)) {
        FUZZ_CHECK(error.rfind(label + ": ", 0) == 0 && error.find('\n') == std::string::npos,
                   "a refusal without its label or on several lines");
        return 0;
    }
    CheckPlan(plan);
    return 0;
}

// Binary mesh files: bytes of any kind. The mesh check refuses them with a byte offset inside
// the input, or passes them; a file it passes loads in the engine's own mesh reader (whose
// assertions end the run) with finite bounds and every position finite and inside the world
// range, and an entity of it joins the scene and leaves it.
#include "MeshFileCheck.h"
#include "SceneCheck.h"

#include <OgreDataStream.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreSubMesh.h>

#include <cstdint>
#include <cstring>

namespace {

bool FiniteInRange(const Ogre::Vector3& v) {
    return fuzz::FiniteVector(v) && std::fabs(v.x) <= kMaxMeshCoordinate &&
           std::fabs(v.y) <= kMaxMeshCoordinate && std::fabs(v.z) <= kMaxMeshCoordinate;
}

// Every position of `data` as the engine holds it.
void CheckPositions(const Ogre::VertexData* data) {
    if (!data)
        return;
    const Ogre::VertexElement* position =
        data->vertexDeclaration->findElementBySemantic(Ogre::VES_POSITION);
    if (!position)
        return;
    Ogre::HardwareVertexBufferSharedPtr buffer =
        data->vertexBufferBinding->getBuffer(position->getSource());
    FUZZ_CHECK(buffer && buffer->getNumVertices() >= data->vertexCount,
               "a position buffer is missing or short");
    Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    const auto* base = static_cast<const unsigned char*>(lock.pData);
    for (std::size_t i = 0; i < data->vertexCount; ++i) {
        unsigned char* element = nullptr;
        position->baseVertexPointerToElement(
            const_cast<unsigned char*>(base + i * buffer->getVertexSize()), &element);
        FUZZ_CHECK(reinterpret_cast<std::uintptr_t>(element) % alignof(float) == 0,
                   "a passed mesh holds a position the engine reads unaligned");
        float p[3];
        std::memcpy(p, element, sizeof p);
        FUZZ_CHECK(FiniteInRange(Ogre::Vector3(p[0], p[1], p[2])),
                   "a passed mesh holds a position outside the world");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CEditorScene& scene = fuzz::HeadlessScene();
    const MeshCheckResult result = CheckMeshFile(data, size);
    if (!result.ok) {
        FUZZ_CHECK(result.offset <= size, "a refusal points past the input");
        FUZZ_CHECK(!result.message.empty(), "a refusal without a message");
        return 0;
    }
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    Ogre::MeshPtr mesh = meshes.createManual("fuzz.mesh", Ogre::RGN_DEFAULT);
    bool loaded = false;
    try {
        Ogre::DataStreamPtr stream(
            OGRE_NEW Ogre::MemoryDataStream(const_cast<std::uint8_t*>(data), size, false, true));
        Ogre::MeshSerializer().importMesh(stream, mesh.get());
        loaded = true;
    } catch (const Ogre::Exception& e) {
        std::fprintf(stderr, "engine refused a passed mesh: %s\n", e.getDescription().c_str());
    }
    FUZZ_CHECK(loaded, "the engine's reader refused a mesh the check passed");
    const Ogre::AxisAlignedBox& box = mesh->getBounds();
    FUZZ_CHECK(std::isfinite(mesh->getBoundingSphereRadius()), "the bounding radius");
    FUZZ_CHECK(box.isNull() || (FiniteInRange(box.getMinimum()) && FiniteInRange(box.getMaximum())),
               "the bounds");
    CheckPositions(mesh->sharedVertexData);
    for (const Ogre::SubMesh* sub : mesh->getSubMeshes())
        if (!sub->useSharedVertices)
            CheckPositions(sub->vertexData);
    mesh->load(); // a manual mesh without a loader: marks it loaded for the entity
    FUZZ_CHECK(scene.AddMesh("fuzz", "fuzz.mesh", "", Ogre::Vector3::ZERO, Ogre::Vector3::ZERO,
                             Ogre::Vector3::UNIT_SCALE) != nullptr,
               "no entity of a loaded mesh");
    fuzz::CheckScene(scene);
    FUZZ_CHECK(scene.RemoveEntity("fuzz"), "the entity did not leave");
    mesh.reset();
    meshes.remove("fuzz.mesh", Ogre::RGN_DEFAULT);
    return 0;
}

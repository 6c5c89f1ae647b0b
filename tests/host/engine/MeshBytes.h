// Mesh files as bytes for the mesh check tests: the converted files of data/, edits of their
// fields, and loading bytes through the engine's own mesh reader.
#pragma once

#include <OgreDataStream.h>
#include <OgreException.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadMeshData(const std::string& name) {
    std::ifstream in(std::string(DOTSCENE_DATA_DIR) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Little-endian fields at byte `at` (the files of data/ except parts-big.mesh).
inline std::uint32_t GetU32(const std::string& bytes, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}
inline void PutU32(std::string& bytes, std::size_t at, std::uint32_t v) {
    std::memcpy(&bytes[at], &v, 4);
}
inline void PutF32(std::string& bytes, std::size_t at, float v) {
    std::memcpy(&bytes[at], &v, 4);
}

// Where the chunk `id` first starts (its 2-byte id, little-endian), or npos.
inline std::size_t FindChunk(const std::string& bytes, std::uint16_t id) {
    const char head[2] = {char(id & 0xFF), char(id >> 8)};
    return bytes.find(std::string(head, 2), 0x1A);
}

// Loads `bytes` with the engine's mesh reader into a throw-away mesh. True when it loaded with
// finite bounds; false with `why` when the reader refused it.
// A mesh filled by the serializer directly never counts as loaded, so the engine would not
// unload it when it goes: free what the import made (also after an import that failed halfway).
inline void FreeImportedMesh(Ogre::Mesh& mesh) {
    mesh.freeEdgeList();
    while (mesh.getNumSubMeshes() > 0)
        mesh.destroySubMesh(0);
    OGRE_DELETE mesh.sharedVertexData;
    mesh.sharedVertexData = nullptr;
}

inline bool LoadWithEngine(const std::string& bytes, std::string& why, bool& finite) {
    static int serial = 0;
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    Ogre::MeshPtr mesh =
        meshes.createManual("mesh_check_load_" + std::to_string(serial++), Ogre::RGN_DEFAULT);
    bool loaded = false;
    finite = false;
    try {
        Ogre::DataStreamPtr stream(OGRE_NEW Ogre::MemoryDataStream(const_cast<char*>(bytes.data()),
                                                                   bytes.size(), false, true));
        Ogre::MeshSerializer().importMesh(stream, mesh.get());
        const Ogre::AxisAlignedBox& box = mesh->getBounds();
        finite = std::isfinite(mesh->getBoundingSphereRadius()) &&
                 (box.isNull() ||
                  (box.getMinimum().isNaN() == false && box.getMaximum().isNaN() == false &&
                   std::isfinite(box.getMinimum().length()) &&
                   std::isfinite(box.getMaximum().length())));
        loaded = true;
    } catch (const Ogre::Exception& e) {
        why = e.getDescription();
    }
    FreeImportedMesh(*mesh);
    meshes.remove(mesh);
    return loaded;
}

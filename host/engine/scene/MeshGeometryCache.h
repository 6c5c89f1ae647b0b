// The positions and triangles of the engine's meshes as the snapping queries read them, read
// from the meshes' own vertex and index buffers once and kept per mesh. An entry is read again
// when its mesh changed since (loaded again: the engine's count of its state changes moved on,
// or its bounds differ); a mesh is known by its engine handle, which no other mesh ever gets.
#pragma once

#include <OgreAxisAlignedBox.h>
#include <OgreResource.h>
#include <OgreVector.h>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Ogre {
class Mesh;
class VertexData;
} // namespace Ogre

// One mesh's geometry in mesh space: every vertex of every sub-mesh (a shared vertex list
// once), and the triangles of its triangle lists as three indices into the positions each.
// Positions that are not three floats give no vertices; an index out of range drops its
// triangle.
struct MeshGeometry {
    std::vector<Ogre::Vector3> positions;
    std::vector<std::uint32_t> triangles;
};

// Appends the positions of one vertex list, read from the engine's buffer as it holds them
// now; false, and nothing appended, when they are not three floats or the buffer is short.
bool AppendPositions(const Ogre::VertexData& data, std::vector<Ogre::Vector3>& out);

// Reads a mesh's geometry from its buffers as they hold it now.
MeshGeometry ReadMeshGeometry(const Ogre::Mesh& mesh);

class CMeshGeometryCache {
public:
    // The mesh's geometry, read now if it is not kept or the mesh changed since.
    const MeshGeometry& Get(const Ogre::Mesh& mesh);
    std::size_t Size() const { return m_entries.size(); }
    // How many times a mesh was read (tests: a second query reads nothing).
    std::size_t Reads() const { return m_reads; }
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        std::size_t stateCount = 0;
        Ogre::AxisAlignedBox bounds;
        MeshGeometry geometry;
    };
    // Meshes that went are never asked for again; past this many entries the cache starts over
    // rather than keep their geometry for ever.
    static constexpr std::size_t kMaxEntries = 4096;
    std::unordered_map<Ogre::ResourceHandle, Entry> m_entries;
    std::size_t m_reads = 0;
};

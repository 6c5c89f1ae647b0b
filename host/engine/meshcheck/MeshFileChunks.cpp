// The walk's chunks after the geometry: bounds, the submesh name table, extremes and edge
// lists, each checked against the submeshes and vertex sets read before it.
#include "MeshFileWalker.h"

#include <OgreMeshFileFormat.h>

namespace meshcheck {

bool CMeshWalker::Bounds(std::size_t at, std::size_t end) {
    if (end - at != 7 * 4)
        return Fail(at, "bounds chunk is not seven numbers");
    float v[7];
    for (int i = 0; i < 7; ++i) {
        v[i] = F32(at + 4 * std::size_t(i));
        if (!Finite(at + 4 * std::size_t(i), v[i], "bound",
                    i < 6 ? kMaxMeshCoordinate : 2 * kMaxMeshCoordinate))
            return false;
    }
    for (int i = 0; i < 3; ++i)
        if (v[i] > v[i + 3])
            return Fail(at + 4 * std::size_t(i), "bounds minimum is above the maximum");
    if (v[6] < 0)
        return Fail(at + 24, "bounding radius is negative");
    return true;
}

bool CMeshWalker::NameTable(std::size_t at, std::size_t end) {
    while (at < end) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        if (id != Ogre::M_SUBMESH_NAME_TABLE_ELEMENT)
            return Fail(at, "unknown chunk id " + std::to_string(id) + " in the name table");
        std::size_t p = at + kChunkHead;
        std::uint16_t index = 0;
        std::string name;
        if (!Word(p, chunkEnd, index, "submesh index") ||
            !Line(p, chunkEnd, name, "submesh name") || !Exact(p, chunkEnd, "submesh name"))
            return false;
        if (index >= m_subMeshes.size())
            return Fail(at + kChunkHead, "submesh name for a submesh that does not exist");
        at = chunkEnd;
    }
    return true;
}

bool CMeshWalker::Extremes(std::size_t at, std::size_t end) {
    std::uint16_t index = 0;
    if (!Word(at, end, index, "submesh index"))
        return false;
    if (index >= m_subMeshes.size())
        return Fail(at - 2, "extremes for a submesh that does not exist");
    if ((end - at) % 12 != 0)
        return Fail(at, "extremes are not whole points");
    for (; at < end; at += 4)
        if (!Finite(at, F32(at), "extreme point", kMaxMeshCoordinate))
            return false;
    return true;
}

// The vertex count of edge list vertex set `set`. The writer numbers the sets as the
// shared vertices (when present) and then each submesh with its own vertices, in order.
// The reader looks edge groups' sets up as submesh set - 1 (set with no shared vertices),
// by a lookup that throws past the end: `group` checks that too.
bool CMeshWalker::EdgeVertexSet(std::size_t at, std::uint32_t set, bool group,
                                std::uint32_t& count) {
    std::vector<std::uint32_t> sets;
    if (m_shared.present)
        sets.push_back(m_shared.count);
    for (const VertexSet& sub : m_subMeshes)
        if (sub.present)
            sets.push_back(sub.count);
    const bool readable = !group || (m_shared.present && set == 0) ||
                          std::size_t(set) - (m_shared.present ? 1 : 0) < m_subMeshes.size();
    if (set >= sets.size() || !readable)
        return Fail(at,
                    "edge list names vertex set " + std::to_string(set) + ", which does not exist");
    count = sets[set];
    return true;
}

bool CMeshWalker::EdgeLists(std::size_t at, std::size_t end) {
    bool seen = false;
    while (at < end) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        if (id != Ogre::M_EDGE_LIST_LOD)
            return Fail(at, "unknown chunk id " + std::to_string(id) + " in the edge lists");
        if (seen)
            return Fail(at, "edge list for a level of detail the mesh does not have");
        seen = true;
        if (!EdgeList(at + kChunkHead, chunkEnd))
            return false;
        at = chunkEnd;
    }
    return true;
}

bool CMeshWalker::EdgeList(std::size_t at, std::size_t end) {
    std::uint16_t lod = 0;
    bool manual = false, closed = false;
    std::uint32_t triangles = 0, groups = 0;
    if (!Word(at, end, lod, "edge list level") || !Bool(at, end, manual, "manual flag"))
        return false;
    if (lod != 0 || manual)
        return Fail(at - 3, "edge list for a level of detail the mesh does not have");
    if (!Bool(at, end, closed, "closed flag") || !Long(at, end, triangles, "triangle count") ||
        !Long(at, end, groups, "edge group count"))
        return false;
    if (!Need(at, end, std::uint64_t(triangles) * 48, "edge triangles"))
        return false;
    for (std::uint32_t t = 0; t < triangles; ++t, at += 48) {
        std::uint32_t count = 0;
        if (U32(at) >= m_subMeshes.size())
            return Fail(at, "edge triangle of a submesh that does not exist");
        if (!EdgeVertexSet(at + 4, U32(at + 4), false, count))
            return false;
        for (std::size_t k = 0; k < 3; ++k)
            if (U32(at + 8 + 4 * k) >= count)
                return Fail(at + 8 + 4 * k, "edge triangle vertex is out of range");
        for (std::size_t k = 0; k < 4; ++k)
            if (!Finite(at + 32 + 4 * k, F32(at + 32 + 4 * k), "face normal", 3.0e38f))
                return false;
    }
    for (std::uint32_t g = 0; g < groups; ++g) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        if (id != Ogre::M_EDGE_GROUP)
            return Fail(at, "missing edge group");
        if (!EdgeGroup(at + kChunkHead, chunkEnd, triangles))
            return false;
        at = chunkEnd;
    }
    return Exact(at, end, "edge list");
}

bool CMeshWalker::EdgeGroup(std::size_t at, std::size_t end, std::uint32_t triangles) {
    std::uint32_t set = 0, start = 0, count = 0, edges = 0, vertices = 0;
    const std::size_t head = at;
    if (!Long(at, end, set, "edge group vertex set") || !Long(at, end, start, "edge group start") ||
        !Long(at, end, count, "edge group size") || !Long(at, end, edges, "edge count"))
        return false;
    if (!EdgeVertexSet(head, set, true, vertices))
        return false;
    if (std::uint64_t(start) + count > triangles)
        return Fail(head + 4, "edge group triangles are out of range");
    if (std::uint64_t(edges) * 25 != end - at)
        return Fail(head + 12, "edge count does not match the group's bytes");
    for (std::uint32_t e = 0; e < edges; ++e, at += 25) {
        const bool degenerate = m_data[at + 24] != 0;
        if (m_data[at + 24] > 1)
            return Fail(at + 24, "degenerate flag is neither 0 nor 1");
        if (U32(at) >= triangles || (!degenerate && U32(at + 4) >= triangles))
            return Fail(at, "edge triangle is out of range");
        if (U32(at + 8) >= vertices || U32(at + 12) >= vertices)
            return Fail(at + 8, "edge vertex is out of range");
    }
    return true;
}

} // namespace meshcheck

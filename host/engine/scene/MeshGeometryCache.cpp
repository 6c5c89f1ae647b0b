#include "MeshGeometryCache.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreSubMesh.h>

#include <cstring>
#include <map>

bool AppendPositions(const Ogre::VertexData& data, std::vector<Ogre::Vector3>& out) {
    if (data.vertexCount == 0)
        return true;
    const Ogre::VertexElement* element =
        data.vertexDeclaration->findElementBySemantic(Ogre::VES_POSITION);
    if (!element || element->getType() != Ogre::VET_FLOAT3 ||
        !data.vertexBufferBinding->isBufferBound(element->getSource()))
        return false;
    const Ogre::HardwareVertexBufferSharedPtr buffer =
        data.vertexBufferBinding->getBuffer(element->getSource());
    const std::size_t stride = buffer->getVertexSize();
    if (data.vertexStart + data.vertexCount > buffer->getNumVertices() ||
        element->getOffset() + 3 * sizeof(float) > stride)
        return false;
    // readData fetches the contents even of a write-only buffer that keeps no shadow copy.
    std::vector<unsigned char> bytes(stride * data.vertexCount);
    buffer->readData(stride * data.vertexStart, bytes.size(), bytes.data());
    out.reserve(out.size() + data.vertexCount);
    for (std::size_t i = 0; i < data.vertexCount; ++i) {
        float xyz[3];
        std::memcpy(xyz, bytes.data() + i * stride + element->getOffset(), sizeof xyz);
        out.emplace_back(xyz[0], xyz[1], xyz[2]);
    }
    return true;
}

namespace {

// Appends a triangle list's triangles, each index moved on by `base`, the place of its vertex
// list's first position; `count` positions belong to that list.
void AppendTriangles(const Ogre::IndexData& data, std::uint32_t base, std::size_t count,
                     std::vector<std::uint32_t>& out) {
    const Ogre::HardwareIndexBufferSharedPtr& buffer = data.indexBuffer;
    if (!buffer || data.indexCount < 3 ||
        data.indexStart + data.indexCount > buffer->getNumIndexes())
        return;
    const std::size_t size = buffer->getIndexSize();
    std::vector<unsigned char> bytes(size * data.indexCount);
    buffer->readData(size * data.indexStart, bytes.size(), bytes.data());
    auto index = [&](std::size_t i) -> std::uint32_t {
        if (size == 2) {
            std::uint16_t v;
            std::memcpy(&v, bytes.data() + 2 * i, 2);
            return v;
        }
        std::uint32_t v;
        std::memcpy(&v, bytes.data() + 4 * i, 4);
        return v;
    };
    for (std::size_t i = 0; i + 2 < data.indexCount; i += 3) {
        const std::uint32_t a = index(i), b = index(i + 1), c = index(i + 2);
        if (a >= count || b >= count || c >= count)
            continue;
        out.push_back(base + a);
        out.push_back(base + b);
        out.push_back(base + c);
    }
}

} // namespace

MeshGeometry ReadMeshGeometry(const Ogre::Mesh& mesh) {
    MeshGeometry geometry;
    // A vertex list shared by several sub-meshes is read once; each list's first position.
    std::map<const Ogre::VertexData*, std::pair<std::uint32_t, std::size_t>> lists;
    for (unsigned i = 0; i < mesh.getNumSubMeshes(); ++i) {
        const Ogre::SubMesh* sub = mesh.getSubMesh(static_cast<unsigned short>(i));
        const Ogre::VertexData* data =
            sub->useSharedVertices ? mesh.sharedVertexData : sub->vertexData;
        if (!data)
            continue;
        auto at = lists.find(data);
        if (at == lists.end()) {
            const std::uint32_t base = static_cast<std::uint32_t>(geometry.positions.size());
            if (!AppendPositions(*data, geometry.positions)) {
                geometry.positions.resize(base);
                continue;
            }
            at = lists.emplace(data, std::make_pair(base, geometry.positions.size() - base)).first;
        }
        if (sub->operationType == Ogre::RenderOperation::OT_TRIANGLE_LIST && sub->indexData)
            AppendTriangles(*sub->indexData, at->second.first, at->second.second,
                            geometry.triangles);
    }
    return geometry;
}

const MeshGeometry& CMeshGeometryCache::Get(const Ogre::Mesh& mesh) {
    const Ogre::ResourceHandle handle = mesh.getHandle();
    auto it = m_entries.find(handle);
    if (it != m_entries.end() && it->second.stateCount == mesh.getStateCount() &&
        it->second.bounds == mesh.getBounds())
        return it->second.geometry;
    if (it == m_entries.end()) {
        if (m_entries.size() >= kMaxEntries)
            m_entries.clear();
        it = m_entries.emplace(handle, Entry()).first;
    }
    Entry& entry = it->second;
    entry.stateCount = mesh.getStateCount();
    entry.bounds = mesh.getBounds();
    entry.geometry = ReadMeshGeometry(mesh);
    ++m_reads;
    return entry.geometry;
}

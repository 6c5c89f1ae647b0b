// The walk over a binary mesh file: a header (chunk id 0x1000 and a version line, whose byte
// order gives the file's), then chunks of a 2-byte id and a 4-byte length that counts the
// 6-byte head, nested as the engine's reader nests them. Nothing here calls the engine.
#include "MeshFileWalker.h"

#include <OgreMeshFileFormat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace meshcheck {
namespace {

const char* const kVersion = "[MeshSerializer_v1.100]";
// Vertex declarations: more elements or buffers than any real mesh has are refused.
constexpr std::size_t kMaxElements = 32;
constexpr unsigned kMaxBindIndex = 16;
constexpr unsigned kMaxSemanticIndex = 8;
constexpr std::size_t kMaxSubMeshes = 0xFFFF;

// The vertex element types the walk accepts. A big-endian file may use only the types whose
// bytes the engine's reader swaps (it asserts on the others).
const ElementType kElementTypes[] = {
    {0, 4, 1, true},   {1, 8, 2, true},   {2, 12, 3, true},  {3, 16, 4, true},  // float1..4
    {4, 4, 0, true},   {10, 4, 0, true},  {11, 4, 0, true},                     // packed colours
    {6, 4, 0, true},   {8, 8, 0, true},                                         // short2, 4
    {17, 4, 0, true},  {19, 8, 0, true},                                        // ushort2, 4
    {9, 4, 0, true},   {30, 4, 0, true},                                        // ubyte4 (norm)
    {28, 4, 0, false}, {29, 4, 0, false},                                       // byte4 (norm)
    {31, 4, 0, false}, {32, 8, 0, false}, {33, 4, 0, false}, {34, 8, 0, false}, // short norms
};
bool LookUpElementType(unsigned type, ElementType& out) {
    for (const ElementType& t : kElementTypes)
        if (t.id == type) {
            out = t;
            return true;
        }
    return false;
}

} // namespace

bool CMeshWalker::Header() {
    if (m_size < 2)
        return Fail(0, "too short for a mesh header");
    if (m_data[0] == 0x00 && m_data[1] == 0x10)
        m_big = false;
    else if (m_data[0] == 0x10 && m_data[1] == 0x00)
        m_big = true;
    else
        return Fail(0, "not a mesh file (no header chunk)");
    std::size_t at = 2;
    std::string version;
    if (!Line(at, m_size, version, "version line", 64))
        return false;
    if (version != kVersion)
        return Fail(2, "mesh version '" + version + "' is not supported (only " + kVersion + ")");
    m_at = at;
    return true;
}
bool CMeshWalker::Top() {
    std::uint16_t id = 0;
    std::size_t end = 0;
    if (!Chunk(m_at, m_size, id, end))
        return false;
    if (id != Ogre::M_MESH)
        return Fail(m_at, "expected the mesh chunk");
    if (!Mesh(m_at + kChunkHead, end))
        return false;
    return Exact(end, m_size, "file");
}

bool CMeshWalker::Mesh(std::size_t at, std::size_t end) {
    bool skeletal = false;
    if (!Bool(at, end, skeletal, "skeletal flag"))
        return false;
    if (skeletal)
        return Fail(at - 1, "skeletal animation is not supported");
    bool bounds = false, edges = false, names = false;
    while (at < end) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        const std::size_t body = at + kChunkHead;
        bool good = true;
        switch (id) {
        case Ogre::M_GEOMETRY:
            if (m_shared.present || !m_subMeshes.empty())
                return Fail(at, "shared geometry must come once, before the submeshes");
            good = Geometry(body, chunkEnd, m_shared);
            break;
        case Ogre::M_SUBMESH:
            good = SubMesh(body, chunkEnd);
            break;
        case Ogre::M_MESH_BOUNDS:
            if (bounds)
                return Fail(at, "second bounds chunk");
            bounds = true;
            good = Bounds(body, chunkEnd);
            break;
        case Ogre::M_SUBMESH_NAME_TABLE:
            if (names)
                return Fail(at, "second submesh name table");
            names = true;
            good = NameTable(body, chunkEnd);
            break;
        case Ogre::M_EDGE_LISTS:
            if (edges)
                return Fail(at, "second edge list chunk");
            edges = true;
            good = EdgeLists(body, chunkEnd);
            break;
        case Ogre::M_TABLE_EXTREMES:
            good = Extremes(body, chunkEnd);
            break;
        case Ogre::M_MESH_SKELETON_LINK:
        case Ogre::M_MESH_BONE_ASSIGNMENT:
            return Fail(at, "skeletons and bone assignments are not supported");
        case Ogre::M_MESH_LOD_LEVEL:
            return Fail(at, "levels of detail are not supported");
        case Ogre::M_POSES:
        case Ogre::M_ANIMATIONS:
            return Fail(at, "poses and animations are not supported");
        default:
            return Fail(at, "unknown chunk id " + std::to_string(id) + " in the mesh");
        }
        if (!good)
            return false;
        at = chunkEnd;
    }
    return true;
}

bool CMeshWalker::SubMesh(std::size_t at, std::size_t end) {
    if (m_subMeshes.size() >= kMaxSubMeshes)
        return Fail(at, "too many submeshes");
    std::string material;
    bool shared = false, wide = false;
    std::uint32_t indexCount = 0;
    if (!Line(at, end, material, "material name") ||
        !Bool(at, end, shared, "shared vertices flag") ||
        !Long(at, end, indexCount, "index count") || !Bool(at, end, wide, "32-bit index flag"))
        return false;
    const std::size_t indexSize = wide ? 4 : 2;
    if (std::uint64_t(indexCount) * indexSize > end - at)
        return Fail(at - 5, "index count " + std::to_string(indexCount) +
                                " is more than the submesh holds");
    const std::size_t indices = at;
    at += std::size_t(indexCount) * indexSize;

    VertexSet own;
    if (shared && !m_shared.present)
        return Fail(at, "submesh uses shared vertices, but the mesh has none");
    bool operation = false;
    while (at < end) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        const std::size_t body = at + kChunkHead;
        if (!shared && !own.present) {
            if (id != Ogre::M_GEOMETRY)
                return Fail(at, "submesh without shared vertices must start with geometry");
            if (!Geometry(body, chunkEnd, own))
                return false;
        } else if (id == Ogre::M_SUBMESH_OPERATION) {
            std::uint16_t type = 0;
            std::size_t p = body;
            if (operation)
                return Fail(at, "second submesh operation");
            operation = true;
            if (!Word(p, chunkEnd, type, "operation type") ||
                !Exact(p, chunkEnd, "submesh operation"))
                return false;
            if (type < 1 || type > 6)
                return Fail(body, "operation type " + std::to_string(type) + " is unknown");
        } else if (id == Ogre::M_SUBMESH_BONE_ASSIGNMENT) {
            return Fail(at, "bone assignments are not supported");
        } else if (id == Ogre::M_SUBMESH_TEXTURE_ALIAS) {
            return Fail(at, "texture aliases are not supported");
        } else {
            return Fail(at, "unknown chunk id " + std::to_string(id) + " in a submesh");
        }
        at = chunkEnd;
    }
    if (!shared && !own.present)
        return Fail(at, "submesh without shared vertices has no geometry");
    const VertexSet& vertices = shared ? m_shared : own;
    for (std::uint32_t i = 0; i < indexCount; ++i) {
        const std::size_t p = indices + i * indexSize;
        const std::uint32_t index = wide ? U32(p) : U16(p);
        if (index >= vertices.count)
            return Fail(p, "index " + std::to_string(index) + " is not below the vertex count " +
                               std::to_string(vertices.count));
    }
    m_subMeshes.push_back(shared ? VertexSet{} : own);
    return true;
}

bool CMeshWalker::Geometry(std::size_t at, std::size_t end, VertexSet& set) {
    std::uint32_t count = 0;
    if (!Long(at, end, count, "vertex count"))
        return false;
    std::vector<Element> elements;
    bool declared = false;
    unsigned bound = 0; // bit per bind index that has a buffer
    while (at < end) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        if (id == Ogre::M_GEOMETRY_VERTEX_DECLARATION) {
            if (declared)
                return Fail(at, "second vertex declaration");
            declared = true;
            if (!Declaration(at + kChunkHead, chunkEnd, elements))
                return false;
        } else if (id == Ogre::M_GEOMETRY_VERTEX_BUFFER) {
            if (!declared)
                return Fail(at, "vertex buffer before the vertex declaration");
            if (!Buffer(at + kChunkHead, chunkEnd, count, elements, bound))
                return false;
        } else {
            return Fail(at, "unknown chunk id " + std::to_string(id) + " in geometry");
        }
        at = chunkEnd;
    }
    if (count == 0)
        return Fail(end, "geometry without vertices");
    bool positions = false;
    for (const Element& e : elements)
        positions = positions || e.semantic == 1;
    if (!positions)
        return Fail(end, "geometry without positions");
    for (const Element& e : elements)
        if (!(bound & (1u << e.source)))
            return Fail(end,
                        "vertex element of source " + std::to_string(e.source) + " has no buffer");
    set.present = true;
    set.count = count;
    return true;
}

bool CMeshWalker::Declaration(std::size_t at, std::size_t end, std::vector<Element>& elements) {
    while (at < end) {
        std::uint16_t id = 0;
        std::size_t chunkEnd = 0;
        if (!Chunk(at, end, id, chunkEnd))
            return false;
        if (id != Ogre::M_GEOMETRY_VERTEX_ELEMENT)
            return Fail(at, "unknown chunk id " + std::to_string(id) + " in a declaration");
        if (elements.size() >= kMaxElements)
            return Fail(at, "more than " + std::to_string(kMaxElements) + " vertex elements");
        std::size_t p = at + kChunkHead;
        std::uint16_t v[5] = {};
        for (std::uint16_t& word : v)
            if (!Word(p, chunkEnd, word, "vertex element"))
                return false;
        if (!Exact(p, chunkEnd, "vertex element"))
            return false;
        const std::size_t body = at + kChunkHead;
        ElementType type{};
        if (v[0] >= kMaxBindIndex)
            return Fail(body, "vertex element source " + std::to_string(v[0]) + " is too large");
        if (!LookUpElementType(v[1], type) || (m_big && !type.swappable))
            return Fail(body + 2,
                        "vertex element type " + std::to_string(v[1]) + " is not supported");
        if (v[2] < 1 || v[2] > 9)
            return Fail(body + 4,
                        "vertex element semantic " + std::to_string(v[2]) + " is unknown");
        if (v[2] == 1 && v[1] != 2)
            return Fail(body + 2, "positions must be three floats");
        if (v[4] >= kMaxSemanticIndex)
            return Fail(body + 8, "vertex element index " + std::to_string(v[4]) + " is too large");
        elements.push_back({v[0], v[2], v[3], type});
        at = chunkEnd;
    }
    return true;
}

bool CMeshWalker::Buffer(std::size_t at, std::size_t end, std::uint32_t count,
                         const std::vector<Element>& elements, unsigned& bound) {
    std::uint16_t bind = 0, vertexSize = 0;
    const std::size_t start = at;
    if (!Word(at, end, bind, "buffer bind index") ||
        !Word(at, end, vertexSize, "buffer vertex size"))
        return false;
    if (bind >= kMaxBindIndex || (bound & (1u << bind)))
        return Fail(start,
                    "buffer bind index " + std::to_string(bind) + " is too large or used twice");
    bound |= 1u << bind;
    unsigned declared = 0;
    for (const Element& e : elements) {
        if (e.source != bind)
            continue;
        declared += e.type.size;
        // Every accepted type is whole 4-byte words, and the engine reads them as such.
        if (e.offset % 4 != 0 || e.offset + e.type.size > vertexSize)
            return Fail(start + 2, "vertex element at offset " + std::to_string(e.offset) +
                                       " is not aligned or does not fit the vertex size");
    }
    if (vertexSize == 0 || declared != vertexSize)
        return Fail(start + 2, "vertex size " + std::to_string(vertexSize) +
                                   " does not match the declaration (" + std::to_string(declared) +
                                   ")");
    std::uint16_t id = 0;
    std::size_t dataEnd = 0;
    if (!Chunk(at, end, id, dataEnd))
        return false;
    if (id != Ogre::M_GEOMETRY_VERTEX_BUFFER_DATA)
        return Fail(at, "vertex buffer without its data chunk");
    const std::size_t data = at + kChunkHead;
    if (std::uint64_t(count) * vertexSize != dataEnd - data)
        return Fail(at + 2, "vertex count " + std::to_string(count) + " x size " +
                                std::to_string(vertexSize) + " does not match the " +
                                std::to_string(dataEnd - data) + " data bytes");
    if (!Exact(dataEnd, end, "vertex buffer"))
        return false;
    for (const Element& e : elements) {
        if (e.source != bind || e.type.floats == 0)
            continue;
        const bool position = e.semantic == 1;
        for (std::uint32_t v = 0; v < count; ++v)
            for (unsigned c = 0; c < e.type.floats; ++c) {
                const std::size_t p = data + std::size_t(v) * vertexSize + e.offset + 4 * c;
                if (!Finite(p, F32(p), position ? "vertex position" : "vertex value",
                            position ? kMaxMeshCoordinate : 3.0e38f))
                    return false;
            }
    }
    return true;
}

} // namespace meshcheck

MeshCheckResult CheckMeshFile(const void* data, std::size_t size) {
    if (size > kMaxMeshFileBytes) {
        MeshCheckResult result;
        result.ok = false;
        result.message = "mesh file is larger than " +
                         std::to_string(kMaxMeshFileBytes / (1024 * 1024)) + " MiB";
        return result;
    }
    return meshcheck::CMeshWalker(static_cast<const unsigned char*>(data), size).Run();
}

std::string DescribeMeshCheck(const MeshCheckResult& result) {
    if (result.ok)
        return "";
    return "at byte " + std::to_string(result.offset) + ": " + result.message;
}

std::string ReadAndCheckMeshFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return "not a regular file";
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec)
        return "cannot be read";
    if (size > kMaxMeshFileBytes)
        return "larger than " + std::to_string(kMaxMeshFileBytes / (1024 * 1024)) + " MiB";
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes(size);
    // Reads one byte more than the size: a file that grew since is refused, not cut.
    if (!file || !file.read(bytes.data(), std::streamsize(size)) || file.peek() != EOF)
        return "cannot be read whole";
    return DescribeMeshCheck(CheckMeshFile(bytes.data(), bytes.size()));
}

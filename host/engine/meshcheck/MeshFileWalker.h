// The walk behind CheckMeshFile, shared by its two source files: a cursor over the file's bytes
// with every read bounded by the chunk it is in, and one method per chunk kind.
#pragma once

#include "MeshFileCheck.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace meshcheck {

// A chunk's head: a 2-byte id and a 4-byte length that counts the head too.
constexpr std::size_t kChunkHead = 6;

// A vertex element type: the engine's number, size in bytes, count of float components (0 for
// integer types), and whether the engine can swap its bytes for a file of the other order.
struct ElementType {
    unsigned id;
    unsigned size;
    unsigned floats;
    bool swappable;
};
struct Element {
    unsigned source, semantic, offset;
    ElementType type;
};

// One set of vertices (the shared one or a submesh's own).
struct VertexSet {
    bool present = false;
    std::uint32_t count = 0;
};

// Walks one file; Run gives the first failed check. Each chunk method reads the body of its
// chunk, [at, end), and returns false after recording a failure.
class CMeshWalker {
public:
    CMeshWalker(const unsigned char* data, std::size_t size) : m_data(data), m_size(size) {}

    MeshCheckResult Run() {
        if (Header())
            Top();
        return m_result;
    }

private:
    bool Fail(std::size_t at, const std::string& message) {
        if (m_result.ok) {
            m_result.ok = false;
            m_result.offset = at;
            m_result.message = message;
        }
        return false;
    }
    bool Need(std::size_t at, std::size_t end, std::uint64_t bytes, const char* what) {
        if (at > end || end - at < bytes)
            return Fail(at, std::string(what) + " runs past the end of its chunk");
        return true;
    }
    std::uint16_t U16(std::size_t at) const {
        const unsigned char* p = m_data + at;
        return m_big ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
    }
    std::uint32_t U32(std::size_t at) const {
        const unsigned char* p = m_data + at;
        return m_big ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                           std::uint32_t(p[2]) << 8 | p[3]
                     : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 |
                           std::uint32_t(p[1]) << 8 | p[0];
    }
    float F32(std::size_t at) const {
        const std::uint32_t bits = U32(at);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    bool Bool(std::size_t& at, std::size_t end, bool& value, const char* what) {
        if (!Need(at, end, 1, what))
            return false;
        if (m_data[at] > 1)
            return Fail(at, std::string(what) + " is neither 0 nor 1");
        value = m_data[at++] == 1;
        return true;
    }
    bool Word(std::size_t& at, std::size_t end, std::uint16_t& value, const char* what) {
        if (!Need(at, end, 2, what))
            return false;
        value = U16(at);
        at += 2;
        return true;
    }
    bool Long(std::size_t& at, std::size_t end, std::uint32_t& value, const char* what) {
        if (!Need(at, end, 4, what))
            return false;
        value = U32(at);
        at += 4;
        return true;
    }
    // A line ended by '\n' inside the chunk, at most kMaxMeshStringBytes long.
    bool Line(std::size_t& at, std::size_t end, std::string& value, const char* what,
              std::size_t limit = kMaxMeshStringBytes) {
        const std::size_t stop = std::min(end, at + limit + 1);
        for (std::size_t i = at; i < stop; ++i) {
            if (m_data[i] == '\n') {
                value.assign(reinterpret_cast<const char*>(m_data + at), i - at);
                at = i + 1;
                return true;
            }
            if (m_data[i] == 0)
                return Fail(i, std::string(what) + " holds a zero byte");
        }
        if (stop == end && end - at <= limit)
            return Fail(at, std::string(what) + " is not ended inside its chunk");
        return Fail(at, std::string(what) + " is longer than " + std::to_string(limit) + " bytes");
    }
    bool Finite(std::size_t at, float v, const char* what, float limit) {
        if (!std::isfinite(v))
            return Fail(at, std::string(what) + " is not a finite number");
        if (std::fabs(v) > limit) {
            std::ostringstream range;
            range << limit;
            return Fail(at, std::string(what) + " is outside +-" + range.str());
        }
        return true;
    }

    // Reads a chunk head at `at` inside [.., end): its id and where it ends.
    bool Chunk(std::size_t at, std::size_t end, std::uint16_t& id, std::size_t& chunkEnd) {
        if (!Need(at, end, kChunkHead, "chunk header"))
            return false;
        id = U16(at);
        const std::uint32_t length = U32(at + 2);
        if (length < kChunkHead)
            return Fail(at + 2,
                        "chunk length " + std::to_string(length) + " is shorter than its header");
        if (length > end - at)
            return Fail(at + 2, "chunk length " + std::to_string(length) +
                                    " runs past the end of its parent (" +
                                    std::to_string(end - at) + " bytes left)");
        chunkEnd = at + length;
        return true;
    }
    bool Exact(std::size_t at, std::size_t end, const char* what) {
        if (at != end)
            return Fail(at, std::string(what) + " has " + std::to_string(end - at) +
                                " bytes left over");
        return true;
    }

    // The header and the mesh chunk with its submeshes and geometry (MeshFileCheck.cpp).
    bool Header();
    bool Top();
    bool Mesh(std::size_t at, std::size_t end);
    bool SubMesh(std::size_t at, std::size_t end);
    bool Geometry(std::size_t at, std::size_t end, VertexSet& set);
    bool Declaration(std::size_t at, std::size_t end, std::vector<Element>& elements);
    bool Buffer(std::size_t at, std::size_t end, std::uint32_t count,
                const std::vector<Element>& elements, unsigned& bound);
    // The chunks after the geometry (MeshFileChunks.cpp).
    bool Bounds(std::size_t at, std::size_t end);
    bool NameTable(std::size_t at, std::size_t end);
    bool Extremes(std::size_t at, std::size_t end);
    bool EdgeVertexSet(std::size_t at, std::uint32_t set, bool group, std::uint32_t& count);
    bool EdgeLists(std::size_t at, std::size_t end);
    bool EdgeList(std::size_t at, std::size_t end);
    bool EdgeGroup(std::size_t at, std::size_t end, std::uint32_t triangles);

    const unsigned char* m_data;
    std::size_t m_size;
    bool m_big = false;
    std::size_t m_at = 0;
    VertexSet m_shared;
    // Per submesh: its own vertices, or none for one that uses the shared ones.
    std::vector<VertexSet> m_subMeshes;
    MeshCheckResult m_result;
};

} // namespace meshcheck

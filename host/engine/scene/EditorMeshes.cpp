// Manual meshes: one submesh with positions, normals and vertex colours, 32-bit indices.
#include "EditorMeshes.h"

#include "MeshGeometryCache.h"

#include <OgreColourValue.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSubMesh.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

std::map<std::string, std::vector<Ogre::Vector3>>& Triangles() {
    static std::map<std::string, std::vector<Ogre::Vector3>> table;
    return table;
}

// The bytes R, G, B, A of an ARGB colour, as a normalised 4-byte vertex element expects.
std::uint32_t ToVertexColour(std::uint32_t argb) {
    Ogre::ColourValue c;
    c.setAsARGB(argb);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(std::lround(c.r * 255.0f)),
        static_cast<std::uint8_t>(std::lround(c.g * 255.0f)),
        static_cast<std::uint8_t>(std::lround(c.b * 255.0f)),
        static_cast<std::uint8_t>(std::lround(c.a * 255.0f)),
    };
    std::uint32_t out;
    std::memcpy(&out, bytes, 4);
    return out;
}

// Appends one flat-shaded triangle.
void AddTriangle(MeshData& d, const Ogre::Vector3& a, const Ogre::Vector3& b,
                 const Ogre::Vector3& c, std::uint32_t colour) {
    Ogre::Vector3 n = (b - a).crossProduct(c - a);
    if (n.squaredLength() > 0)
        n.normalise();
    const std::uint32_t base = static_cast<std::uint32_t>(d.positions.size());
    for (const Ogre::Vector3* p : {&a, &b, &c}) {
        d.positions.push_back(*p);
        d.normals.push_back(n);
        d.colours.push_back(colour);
    }
    d.indices.insert(d.indices.end(), {base, base + 1, base + 2});
}

void AddQuad(MeshData& d, const Ogre::Vector3& a, const Ogre::Vector3& b, const Ogre::Vector3& c,
             const Ogre::Vector3& e, std::uint32_t colour) {
    AddTriangle(d, a, b, c, colour);
    AddTriangle(d, a, c, e, colour);
}

} // namespace

bool BuildManualMesh(const std::string& name, const MeshData& data, const std::string& material) {
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    if (meshes.getByName(name, Ogre::RGN_DEFAULT))
        return true;
    const size_t count = data.positions.size();
    if (name.empty() || count == 0 || data.normals.size() != count ||
        data.colours.size() != count || data.indices.empty() || data.indices.size() % 3 != 0)
        return false;
    for (std::uint32_t i : data.indices)
        if (i >= count)
            return false;
    // With a render system, buffers exist only once the first render window made a context.
    if (!Ogre::HardwareBufferManager::getSingletonPtr())
        return false;

    Ogre::MeshPtr mesh = meshes.createManual(name, Ogre::RGN_DEFAULT);
    Ogre::SubMesh* sub = mesh->createSubMesh();
    sub->useSharedVertices = false;
    sub->vertexData = new Ogre::VertexData();
    sub->vertexData->vertexStart = 0;
    sub->vertexData->vertexCount = count;
    Ogre::VertexDeclaration* decl = sub->vertexData->vertexDeclaration;
    size_t offset = 0;
    offset += decl->addElement(0, offset, Ogre::VET_FLOAT3, Ogre::VES_POSITION).getSize();
    offset += decl->addElement(0, offset, Ogre::VET_FLOAT3, Ogre::VES_NORMAL).getSize();
    decl->addElement(0, offset, Ogre::VET_UBYTE4_NORM, Ogre::VES_DIFFUSE);
    const size_t stride = decl->getVertexSize(0);

    std::vector<unsigned char> bytes(stride * count);
    Ogre::AxisAlignedBox box;
    float radius = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        unsigned char* v = bytes.data() + i * stride;
        const float pn[6] = {data.positions[i].x, data.positions[i].y, data.positions[i].z,
                             data.normals[i].x,   data.normals[i].y,   data.normals[i].z};
        std::memcpy(v, pn, sizeof pn);
        const std::uint32_t colour = ToVertexColour(data.colours[i]);
        std::memcpy(v + sizeof pn, &colour, 4);
        box.merge(data.positions[i]);
        radius = std::max(radius, data.positions[i].length());
    }
    Ogre::HardwareVertexBufferSharedPtr vbuf =
        Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
            stride, count, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    vbuf->writeData(0, bytes.size(), bytes.data(), true);
    sub->vertexData->vertexBufferBinding->setBinding(0, vbuf);

    Ogre::HardwareIndexBufferSharedPtr ibuf =
        Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
            Ogre::HardwareIndexBuffer::IT_32BIT, data.indices.size(),
            Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    ibuf->writeData(0, data.indices.size() * 4, data.indices.data(), true);
    sub->indexData->indexBuffer = ibuf;
    sub->indexData->indexStart = 0;
    sub->indexData->indexCount = data.indices.size();
    sub->setMaterialName(material);

    mesh->_setBounds(box, false); // exact: bounds feed picking and framing
    mesh->_setBoundingSphereRadius(radius);
    mesh->load();

    std::vector<Ogre::Vector3>& tris = Triangles()[name];
    tris.clear();
    tris.reserve(data.indices.size());
    for (std::uint32_t i : data.indices)
        tris.push_back(data.positions[i]);
    return true;
}

const std::vector<Ogre::Vector3>* GetMeshTriangles(const std::string& name) {
    auto it = Triangles().find(name);
    return it == Triangles().end() ? nullptr : &it->second;
}

void ClearMeshTriangles() {
    Triangles().clear();
}

std::vector<Ogre::Vector3> ReadMeshPositions(const Ogre::Mesh& mesh, unsigned sub) {
    if (sub >= mesh.getNumSubMeshes())
        return {};
    const Ogre::SubMesh* subMesh = mesh.getSubMesh(static_cast<unsigned short>(sub));
    const Ogre::VertexData* data =
        subMesh->useSharedVertices ? mesh.sharedVertexData : subMesh->vertexData;
    std::vector<Ogre::Vector3> positions;
    if (data && !AppendPositions(*data, positions))
        positions.clear();
    return positions;
}

MeshData MakeBoxData(const Ogre::Vector3& h, std::uint32_t colour) {
    MeshData d;
    const Ogre::Vector3 c[8] = {{-h.x, -h.y, -h.z}, {h.x, -h.y, -h.z}, {h.x, h.y, -h.z},
                                {-h.x, h.y, -h.z},  {-h.x, -h.y, h.z}, {h.x, -h.y, h.z},
                                {h.x, h.y, h.z},    {-h.x, h.y, h.z}};
    // Counter-clockwise seen from outside.
    AddQuad(d, c[4], c[5], c[6], c[7], colour); // +Z
    AddQuad(d, c[1], c[0], c[3], c[2], colour); // -Z
    AddQuad(d, c[5], c[1], c[2], c[6], colour); // +X
    AddQuad(d, c[0], c[4], c[7], c[3], colour); // -X
    AddQuad(d, c[7], c[6], c[2], c[3], colour); // +Y
    AddQuad(d, c[0], c[1], c[5], c[4], colour); // -Y
    return d;
}

MeshData MakeConeData(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner, int segments,
                      std::uint32_t colour) {
    MeshData d;
    segments = std::min(256, std::max(3, segments));
    const Ogre::Vector3 centre((minCorner.x + maxCorner.x) * 0.5f, minCorner.y,
                               (minCorner.z + maxCorner.z) * 0.5f);
    const Ogre::Vector3 apex(centre.x, maxCorner.y, centre.z);
    const float rx = std::fabs(maxCorner.x - minCorner.x) * 0.5f;
    const float rz = std::fabs(maxCorner.z - minCorner.z) * 0.5f;
    auto rim = [&](int i) {
        const float a = Ogre::Math::TWO_PI * float(i % segments) / float(segments);
        return Ogre::Vector3(centre.x + rx * std::cos(a), centre.y, centre.z - rz * std::sin(a));
    };
    for (int i = 0; i < segments; ++i) {
        const Ogre::Vector3 p0 = rim(i), p1 = rim(i + 1);
        AddTriangle(d, p0, p1, apex, colour);
        AddTriangle(d, p1, p0, centre, colour);
    }
    return d;
}

MeshData MakeCylinderData(float radius, float height, int segments, std::uint32_t colour) {
    MeshData d;
    segments = std::min(256, std::max(3, segments));
    const float y0 = -height * 0.5f, y1 = height * 0.5f;
    auto rim = [&](int i, float y) {
        const float a = Ogre::Math::TWO_PI * float(i % segments) / float(segments);
        return Ogre::Vector3(radius * std::cos(a), y, -radius * std::sin(a));
    };
    const Ogre::Vector3 bottom(0, y0, 0), top(0, y1, 0);
    for (int i = 0; i < segments; ++i) {
        AddQuad(d, rim(i, y0), rim(i + 1, y0), rim(i + 1, y1), rim(i, y1), colour);
        AddTriangle(d, rim(i, y1), rim(i + 1, y1), top, colour);
        AddTriangle(d, rim(i + 1, y0), rim(i, y0), bottom, colour);
    }
    return d;
}

MeshData MakeRockData(float radius, std::uint32_t colour) {
    // Icosahedron, each face split in four, points pushed to a bumpy sphere and squashed.
    const float t = (1.0f + std::sqrt(5.0f)) * 0.5f;
    std::vector<Ogre::Vector3> v = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                    {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                    {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                              {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                              {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                              {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    auto shape = [&](Ogre::Vector3 p) {
        p.normalise();
        const float bump = 1.0f + 0.12f * std::sin(p.x * 7.0f + 1.3f) * std::cos(p.z * 5.0f) +
                           0.08f * std::sin(p.y * 9.0f);
        p *= radius * bump;
        p.y *= 0.6f;
        return p;
    };
    MeshData d;
    for (const auto& f : faces) {
        const Ogre::Vector3 a = v[f[0]], b = v[f[1]], c = v[f[2]];
        const Ogre::Vector3 ab = (a + b) * 0.5f, bc = (b + c) * 0.5f, ca = (c + a) * 0.5f;
        AddTriangle(d, shape(a), shape(ab), shape(ca), colour);
        AddTriangle(d, shape(ab), shape(b), shape(bc), colour);
        AddTriangle(d, shape(ca), shape(bc), shape(c), colour);
        AddTriangle(d, shape(ab), shape(bc), shape(ca), colour);
    }
    return d;
}

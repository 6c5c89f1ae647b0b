// The engine meshes an export writes, read back from their vertex and index buffers, with the
// materials their sub-entities show and the images those name.
#include "GltfModel.h"

#include "MemoryTextures.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubEntity.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

struct CGltfMeshTable::Caches {
    // Mesh and the materials of its sub-entities -> the model's mesh (-1: nothing written).
    std::map<std::pair<const Ogre::Mesh*, std::vector<const Ogre::Material*>>, int> meshes;
    // A material, and whether its texture is laid on (only with texture coordinates).
    std::map<std::pair<const Ogre::Material*, bool>, int> materials;
    std::map<std::string, int> images;
};

namespace {

// One vertex element's values as floats, `width` a vertex; false when its type is not one the
// export reads.
bool ReadElement(const Ogre::VertexData& data, const Ogre::VertexElement& element, int width,
                 std::vector<float>& out) {
    const Ogre::VertexBufferBinding& binding = *data.vertexBufferBinding;
    if (!binding.isBufferBound(element.getSource()))
        return false;
    const Ogre::HardwareVertexBufferSharedPtr buffer = binding.getBuffer(element.getSource());
    const size_t stride = buffer->getVertexSize();
    if (data.vertexStart + data.vertexCount > buffer->getNumVertices() ||
        element.getOffset() + element.getSize() > stride)
        return false;
    std::vector<unsigned char> bytes(stride * data.vertexCount);
    buffer->readData(stride * data.vertexStart, bytes.size(), bytes.data());
    out.assign(data.vertexCount * size_t(width), 0.0f);
    for (size_t v = 0; v < data.vertexCount; ++v) {
        const unsigned char* at = bytes.data() + v * stride + element.getOffset();
        float* to = out.data() + v * size_t(width);
        switch (element.getType()) {
        case Ogre::VET_FLOAT2:
        case Ogre::VET_FLOAT3:
        case Ogre::VET_FLOAT4: {
            const int have = Ogre::VertexElement::getTypeCount(element.getType());
            float values[4] = {0, 0, 0, 1};
            std::memcpy(values, at, sizeof(float) * size_t(have));
            std::copy(values, values + width, to);
            break;
        }
        case Ogre::VET_UBYTE4_NORM:   // R, G, B, A bytes
        case Ogre::VET_COLOUR_ABGR:   // the same bytes, read as a little-endian word
        case Ogre::VET_COLOUR_ARGB: { // B, G, R, A bytes
            const bool bgra = element.getType() == Ogre::VET_COLOUR_ARGB;
            const float c[4] = {at[bgra ? 2 : 0] / 255.0f, at[1] / 255.0f,
                                at[bgra ? 0 : 2] / 255.0f, at[3] / 255.0f};
            std::copy(c, c + width, to);
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

// The triangle list of a sub-mesh's index data and operation; false when it is no triangles.
bool ReadTriangles(const Ogre::SubMesh& sub, size_t vertexCount, std::vector<std::uint32_t>& out) {
    std::vector<std::uint32_t> raw;
    const Ogre::IndexData* data = sub.indexData;
    if (data && data->indexBuffer && data->indexCount > 0) {
        const Ogre::HardwareIndexBufferSharedPtr& buffer = data->indexBuffer;
        if (data->indexStart + data->indexCount > buffer->getNumIndexes())
            return false;
        const size_t size = buffer->getIndexSize();
        std::vector<unsigned char> bytes(size * data->indexCount);
        buffer->readData(size * data->indexStart, bytes.size(), bytes.data());
        raw.resize(data->indexCount);
        for (size_t i = 0; i < raw.size(); ++i) {
            if (size == 2) {
                std::uint16_t v;
                std::memcpy(&v, bytes.data() + i * 2, 2);
                raw[i] = v;
            } else {
                std::memcpy(&raw[i], bytes.data() + i * 4, 4);
            }
        }
    } else {
        raw.resize(vertexCount);
        for (size_t i = 0; i < raw.size(); ++i)
            raw[i] = static_cast<std::uint32_t>(i);
    }
    for (std::uint32_t i : raw)
        if (i >= vertexCount)
            return false;
    out.clear();
    switch (sub.operationType) {
    case Ogre::RenderOperation::OT_TRIANGLE_LIST:
        out.assign(raw.begin(), raw.end() - raw.size() % 3);
        break;
    case Ogre::RenderOperation::OT_TRIANGLE_STRIP:
        for (size_t i = 2; i < raw.size(); ++i) {
            const bool odd = i % 2 == 1; // every other triangle is wound the other way
            out.insert(out.end(), {raw[i - 2], raw[odd ? i : i - 1], raw[odd ? i - 1 : i]});
        }
        break;
    case Ogre::RenderOperation::OT_TRIANGLE_FAN:
        for (size_t i = 2; i < raw.size(); ++i)
            out.insert(out.end(), {raw[0], raw[i - 1], raw[i]});
        break;
    default:
        return false;
    }
    return !out.empty();
}

// Unit normals: a zero or non-finite one becomes +Y.
void NormaliseNormals(std::vector<float>& n) {
    for (size_t i = 0; i + 2 < n.size(); i += 3) {
        const double length = std::sqrt(double(n[i]) * n[i] + double(n[i + 1]) * n[i + 1] +
                                        double(n[i + 2]) * n[i + 2]);
        if (!(length > 1e-12) || !std::isfinite(length)) {
            n[i] = 0, n[i + 1] = 1, n[i + 2] = 0;
            continue;
        }
        for (int k = 0; k < 3; ++k)
            n[i + size_t(k)] = static_cast<float>(n[i + size_t(k)] / length);
    }
}

// The kind of an image from its first bytes: the two formats glTF carries.
std::string ImageMimeType(const std::string& bytes) {
    if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0)
        return "image/png";
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") == 0)
        return "image/jpeg";
    return {};
}

enum class Geometry { NONE, READ, UNREADABLE };

// Sub-mesh `s` of `mesh` into `p`: finite positions, a triangle list, unit normals and texture
// coordinates when it has them. NONE for a sub-mesh without vertices; `data` is the vertex
// data read. Throws what the engine throws reading a buffer back.
Geometry ReadGeometry(const Ogre::Mesh& mesh, unsigned s, GltfPrimitiveData& p,
                      const Ogre::VertexData*& data) {
    const Ogre::SubMesh& sub = *mesh.getSubMesh(static_cast<unsigned short>(s));
    data = sub.useSharedVertices ? mesh.sharedVertexData : sub.vertexData;
    if (!data || data->vertexCount == 0)
        return Geometry::NONE;
    const Ogre::VertexDeclaration& decl = *data->vertexDeclaration;
    const Ogre::VertexElement* position = decl.findElementBySemantic(Ogre::VES_POSITION);
    if (!position || !ReadElement(*data, *position, 3, p.positions) ||
        !std::all_of(p.positions.begin(), p.positions.end(),
                     [](float v) { return std::isfinite(v); }) ||
        !ReadTriangles(sub, data->vertexCount, p.indices))
        return Geometry::UNREADABLE;
    if (const Ogre::VertexElement* e = decl.findElementBySemantic(Ogre::VES_NORMAL))
        if (ReadElement(*data, *e, 3, p.normals))
            NormaliseNormals(p.normals);
    if (const Ogre::VertexElement* e = decl.findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES, 0))
        if (!ReadElement(*data, *e, 2, p.uvs))
            p.uvs.clear();
    for (float& v : p.uvs)
        v = std::isfinite(v) ? v : 0.0f;
    return Geometry::READ;
}

} // namespace

CGltfMeshTable::CGltfMeshTable(GltfModel& model, const std::string& resourceGroup)
    : m_model(model), m_group(resourceGroup), m_caches(std::make_unique<Caches>()) {}

CGltfMeshTable::~CGltfMeshTable() = default;

namespace {

// The bytes of texture `name`: kept from an import, or the file the scene's folder serves.
std::string TextureBytes(const std::string& name, const std::string& group) {
    if (const std::string* kept = ImportedTextureBytes(name))
        return *kept;
    Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
    for (const std::string& g : {group, std::string(Ogre::RGN_DEFAULT)}) {
        if (g.empty() || !groups.resourceGroupExists(g) || !groups.resourceExists(g, name))
            continue;
        Ogre::DataStreamPtr stream = groups.openResource(name, g, nullptr, false);
        if (stream)
            return stream->getAsString();
    }
    return {};
}

} // namespace

int CGltfMeshTable::MeshOf(const Ogre::Entity& entity) {
    const Ogre::MeshPtr& mesh = entity.getMesh();
    std::vector<const Ogre::Material*> materials;
    for (unsigned i = 0; i < entity.getNumSubEntities(); ++i)
        materials.push_back(entity.getSubEntity(i)->getMaterial().get());
    auto key = std::make_pair(static_cast<const Ogre::Mesh*>(mesh.get()), materials);
    auto found = m_caches->meshes.find(key);
    if (found != m_caches->meshes.end())
        return found->second;

    GltfMeshData out;
    out.name = mesh->getName();
    for (unsigned s = 0; s < mesh->getNumSubMeshes(); ++s) {
        GltfPrimitiveData p;
        const Ogre::VertexData* data = nullptr;
        Geometry read;
        try {
            read = ReadGeometry(*mesh, s, p, data);
        } catch (const Ogre::Exception&) {
            read = Geometry::UNREADABLE; // a buffer the engine cannot read back
        }
        if (read == Geometry::NONE)
            continue;
        if (read == Geometry::UNREADABLE) {
            m_model.warnings.push_back("mesh '" + out.name + "': part " + std::to_string(s) +
                                       " is not a readable triangle mesh and is left out");
            continue;
        }
        const Ogre::Material* material = s < materials.size() ? materials[s] : nullptr;
        bool vertexColours = material == nullptr;
        if (material) {
            const Ogre::Technique* t =
                material->getNumTechniques() ? material->getTechnique(0) : nullptr;
            const Ogre::Pass* pass = t && t->getNumPasses() ? t->getPass(0) : nullptr;
            // A pass of shaders (the lit ground's) is taken to show the vertices' colours too.
            vertexColours = pass && ((pass->getVertexColourTracking() & Ogre::TVC_DIFFUSE) ||
                                     pass->isProgrammable());
            // A texture needs coordinates to be laid on: without them the colour alone.
            p.material = MaterialOf(*material, pass, vertexColours, !p.uvs.empty());
        }
        if (const Ogre::VertexElement* e =
                vertexColours ? data->vertexDeclaration->findElementBySemantic(Ogre::VES_DIFFUSE)
                              : nullptr) {
            try {
                if (ReadElement(*data, *e, 4, p.colours))
                    for (float& v : p.colours)
                        v = std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 1.0f;
            } catch (const Ogre::Exception&) {
                p.colours.clear();
            }
        }
        out.primitives.push_back(std::move(p));
    }
    int index = -1;
    if (!out.primitives.empty()) {
        index = static_cast<int>(m_model.meshes.size());
        m_model.meshes.push_back(std::move(out));
    }
    m_caches->meshes.emplace(std::move(key), index);
    return index;
}

int CGltfMeshTable::MaterialOf(const Ogre::Material& material, const Ogre::Pass* pass,
                               bool vertexColours, bool textured) {
    const auto key = std::make_pair(&material, textured);
    auto found = m_caches->materials.find(key);
    if (found != m_caches->materials.end())
        return found->second;
    GltfMaterialData out;
    out.name = material.getName();
    if (pass) {
        // With the colour taken from the vertices, the base colour only passes it on.
        if (!vertexColours) {
            const Ogre::ColourValue c = pass->getDiffuse();
            const float values[4] = {c.r, c.g, c.b, c.a};
            for (int i = 0; i < 4; ++i)
                out.baseColour[i] =
                    std::isfinite(values[i]) ? std::clamp(values[i], 0.0f, 1.0f) : 1.0f;
        }
        out.doubleSided = pass->getCullingMode() == Ogre::CULL_NONE;
        if (textured && pass->getNumTextureUnitStates() > 0)
            out.image = ImageOf(pass->getTextureUnitState(0)->getTextureName());
    }
    const int index = static_cast<int>(m_model.materials.size());
    m_model.materials.push_back(std::move(out));
    m_caches->materials.emplace(key, index);
    return index;
}

int CGltfMeshTable::ImageOf(const std::string& texture) {
    if (texture.empty())
        return -1;
    auto found = m_caches->images.find(texture);
    if (found != m_caches->images.end())
        return found->second;
    int index = -1;
    std::string bytes;
    try {
        bytes = TextureBytes(texture, m_group);
    } catch (const Ogre::Exception&) {
        bytes.clear();
    }
    const std::string mime = ImageMimeType(bytes);
    if (bytes.empty()) {
        m_model.warnings.push_back("texture '" + texture + "' cannot be read and is left out");
    } else if (mime.empty()) {
        m_model.warnings.push_back("texture '" + texture +
                                   "' is neither PNG nor JPEG and is left out");
    } else {
        index = static_cast<int>(m_model.images.size());
        m_model.images.push_back({texture, mime, std::move(bytes)});
    }
    m_caches->images.emplace(texture, index);
    return index;
}

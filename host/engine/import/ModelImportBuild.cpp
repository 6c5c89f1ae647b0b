// Building a checked ModelPlan: engine materials, textures and meshes in the scene's mesh
// group, then the entities (see ModelImport.h).
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DotSceneText.h"
#include "MemoryTextures.h"
#include "ModelImport.h"

#include <OgreDataStream.h>
#include <OgreHardwareBufferManager.h>
#include <OgreImage.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureManager.h>

#include <cstdlib>
#include <map>
#include <new>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

unsigned g_importGroupSerial = 0;

// A name usable as a file name beside the scene: letters, digits, '-', '_' and '.' kept
// (other bytes, UTF-8 included, become '_'), never starting with '.'.
std::string FileSafe(const std::string& name) {
    std::string out;
    for (unsigned char c : name)
        out += (std::isalnum(c) || c == '-' || c == '_' || c == '.') && c < 0x80 ? char(c) : '_';
    if (out.empty() || out[0] == '.')
        out.insert(out.begin(), 'm');
    return out.substr(0, 96);
}

// The resources one build made, taken back when the build fails.
class CMadeResources {
public:
    explicit CMadeResources(std::string group) : m_group(std::move(group)) {}
    ~CMadeResources() {
        if (m_kept)
            return;
        for (const std::string& m : m_meshes)
            Ogre::MeshManager::getSingleton().remove(m, m_group);
        for (const std::string& m : m_materials)
            Ogre::MaterialManager::getSingleton().remove(m, m_group);
        for (const std::string& t : m_textures) {
            if (Ogre::TextureManager* textures = Ogre::TextureManager::getSingletonPtr())
                textures->remove(t, m_group);
            ForgetTextureBytes(t);
        }
    }
    void Keep() { m_kept = true; }
    std::vector<std::string> m_meshes, m_materials, m_textures;

private:
    std::string m_group;
    bool m_kept = false;
};

bool Taken(const std::string& resource, const std::string& group, bool mesh) {
    if (mesh)
        return Ogre::MeshManager::getSingleton().getByName(resource, group) ||
               Ogre::MeshManager::getSingleton().getByName(resource, Ogre::RGN_DEFAULT);
    return Ogre::MaterialManager::getSingleton().getByName(resource, group) ||
           Ogre::MaterialManager::getSingleton().getByName(resource, Ogre::RGN_DEFAULT) ||
           ImportedTextureBytes(resource) != nullptr ||
           (Ogre::TextureManager::getSingletonPtr() &&
            Ogre::TextureManager::getSingleton().getByName(resource, group));
}

// Names unused as engine resources: `base` + suffix + `ext`. The next suffix to try is kept for
// each base, so many materials or textures of one name cost no more than different names.
class CResourceNamer {
public:
    explicit CResourceNamer(std::string group) : m_group(std::move(group)) {}
    std::string Take(const std::string& base, const std::string& ext, bool mesh) {
        int& k = m_next[base + '\n' + ext];
        std::string name = k == 0 ? base + ext : base + "_" + std::to_string(k) + ext;
        while (Taken(name, m_group, mesh))
            name = base + "_" + std::to_string(++k) + ext;
        ++k;
        return name;
    }
    const std::string& Group() const { return m_group; }

private:
    std::string m_group;
    std::unordered_map<std::string, int> m_next;
};

// The texture of one material: its image header checked again before the codec sees it (the
// codec allocates what the header claims), decoded once however many materials show it.
class CTextureMaker {
public:
    CTextureMaker(CResourceNamer& names, const std::string& label,
                  std::vector<std::string>& warnings, CMadeResources& made)
        : m_names(names), m_label(label), m_warnings(warnings), m_made(made) {}

    std::string Make(const ModelPlanMaterial& m, size_t index, const std::string& base) {
        if (m.sameTextureAs >= 0)
            return m_byMaterial.count(m.sameTextureAs) ? m_byMaterial[m.sameTextureAs] : "";
        if (m.texture.empty() || !Ogre::TextureManager::getSingletonPtr())
            return {};
        TextureHeader header;
        std::string why = ReadTextureHeader(m.texture, m.textureExt, header);
        if (why.empty() && m_pixels + header.pixels > kMaxImportTexturePixels)
            why = "the model's textures come to more than " +
                  std::to_string(kMaxImportTexturePixels) + " pixels";
        if (!why.empty()) {
            Warn(m, why);
            return {};
        }
        const std::string name = m_names.Take(base, "." + FileSafe(header.kind), false);
        try {
            Decode(m.texture, header.kind, name);
        } catch (const Ogre::Exception& e) {
            Warn(m, e.getDescription());
            return {};
        } catch (const std::exception& e) {
            // Memory the codec could not get, a size it could not represent: no texture.
            Warn(m, e.what());
            return {};
        }
        m_pixels += header.pixels;
        m_made.m_textures.push_back(name);
        KeepTextureBytes(name, m.texture);
        m_byMaterial[int(index)] = name;
        return name;
    }

private:
    void Warn(const ModelPlanMaterial& m, const std::string& why) {
        m_warnings.push_back(m_label + ": the texture of material '" + m.name +
                             "' cannot be decoded: " + why);
    }

    void Decode(const std::string& bytes, const std::string& kind, const std::string& name) {
        std::string copy = bytes;
        Ogre::DataStreamPtr stream(
            new Ogre::MemoryDataStream(copy.data(), copy.size(), false, true));
        // The engine's own codecs (DDS, ETC, PVR, ASTC) give the image pixels it owns.
        if (kind == "dds" || kind == "pkm" || kind == "ktx" || kind == "pvr" || kind == "astc") {
            Ogre::Image image;
            image.load(stream, kind);
            Ogre::TextureManager::getSingleton().loadImage(name, m_names.Group(), image);
            return;
        }
        // The image codec (stb_image) gives the image pixels from malloc, which the image
        // would free with delete[]: this image is never destroyed, its pixels are freed as
        // they were allocated once the texture has copied them.
        alignas(Ogre::Image) unsigned char storage[sizeof(Ogre::Image)];
        Ogre::Image* image = new (storage) Ogre::Image();
        try {
            image->load(stream, kind);
        } catch (...) {
            image->~Image(); // nothing decoded, nothing of the codec's to free
            throw;
        }
        struct PixelsFree {
            Ogre::Image* image;
            ~PixelsFree() { std::free(image->getData()); }
        } pixels{image};
        Ogre::TextureManager::getSingleton().loadImage(name, m_names.Group(), *image);
    }

    CResourceNamer& m_names;
    const std::string& m_label;
    std::vector<std::string>& m_warnings;
    CMadeResources& m_made;
    std::map<int, std::string> m_byMaterial;
    std::uint64_t m_pixels = 0;
};

std::string MakeMaterial(const ModelPlanMaterial& m, size_t index, const std::string& base,
                         CResourceNamer& names, CTextureMaker& textures, CMadeResources& made) {
    const std::string name = names.Take(base + "/" + FileSafe(m.name), "", false);
    Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().create(name, names.Group());
    made.m_materials.push_back(name);
    Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
    pass->setDiffuse(m.diffuse);
    pass->setAmbient(m.diffuse);
    const std::string texture = textures.Make(m, index, base + "_" + FileSafe(m.name));
    if (!texture.empty())
        pass->createTextureUnitState(texture);
    return name;
}

void FillSubMesh(const ModelPlanSubMesh& source, Ogre::SubMesh& sub) {
    Ogre::HardwareBufferManager& buffers = Ogre::HardwareBufferManager::getSingleton();
    const size_t count = source.vertices.size() / 8;
    sub.useSharedVertices = false;
    sub.vertexData = new Ogre::VertexData();
    sub.vertexData->vertexCount = count;
    Ogre::VertexDeclaration* decl = sub.vertexData->vertexDeclaration;
    decl->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
    decl->addElement(0, 12, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
    decl->addElement(0, 24, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES, 0);
    Ogre::HardwareVertexBufferSharedPtr vertices = buffers.createVertexBuffer(
        8 * sizeof(float), count, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
    vertices->writeData(0, vertices->getSizeInBytes(), source.vertices.data(), true);
    sub.vertexData->vertexBufferBinding->setBinding(0, vertices);

    const bool narrow = count <= 65536;
    Ogre::HardwareIndexBufferSharedPtr indices = buffers.createIndexBuffer(
        narrow ? Ogre::HardwareIndexBuffer::IT_16BIT : Ogre::HardwareIndexBuffer::IT_32BIT,
        source.indices.size(), Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
    if (narrow) {
        std::vector<std::uint16_t> small(source.indices.begin(), source.indices.end());
        indices->writeData(0, indices->getSizeInBytes(), small.data(), true);
    } else {
        indices->writeData(0, indices->getSizeInBytes(), source.indices.data(), true);
    }
    sub.indexData->indexBuffer = indices;
    sub.indexData->indexStart = 0;
    sub.indexData->indexCount = source.indices.size();
}

std::string MakeMesh(const ModelPlanMesh& source, const std::string& base, CResourceNamer& names,
                     const std::vector<std::string>& materials, const std::string& defaultMaterial,
                     CMadeResources& made) {
    const std::string group = names.Group();
    const std::string name = names.Take(base, ".mesh", true);
    Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual(name, group);
    made.m_meshes.push_back(name);
    for (const ModelPlanSubMesh& s : source.subMeshes) {
        Ogre::SubMesh* sub = mesh->createSubMesh();
        FillSubMesh(s, *sub);
        sub->setMaterialName(s.material >= 0 && size_t(s.material) < materials.size()
                                 ? materials[s.material]
                                 : defaultMaterial,
                             group);
    }
    const Ogre::AxisAlignedBox box(source.boundsMin, source.boundsMax);
    mesh->_setBounds(box, false);
    mesh->_setBoundingSphereRadius(std::max(source.boundsMin.length(), source.boundsMax.length()));
    mesh->load();
    return name;
}

// Names unused by the scene and by this import so far. The next suffix to try is kept for each
// base, so that thousands of nodes of one name take linear time, not quadratic.
class CNamer {
public:
    explicit CNamer(const CEditorScene& scene) : m_scene(scene) {}
    std::string Take(const std::string& base) {
        // A node's name may be of any length in the file: shortened at a character's start
        // to fit an entity's name, room left for the number that makes it unique. The next
        // number to try is kept per name, so many nodes of one name cost linear time.
        int& k = m_next[base];
        std::string name = k == 0 ? CutSceneName(base, kMaxSceneNameBytes)
                                  : SceneNameWithSuffix(base, "_" + std::to_string(k));
        while (m_scene.GetEntity(name) || m_used.count(name))
            name = SceneNameWithSuffix(base, "_" + std::to_string(++k));
        ++k;
        m_used.insert(name);
        return name;
    }

private:
    const CEditorScene& m_scene;
    std::unordered_set<std::string> m_used;
    std::unordered_map<std::string, int> m_next;
};

bool AddOne(const ImportedEntity& e, CEditorScene& scene) {
    if (e.light) {
        CEditorEntity* light =
            scene.AddLight(e.name, e.lightType, e.position, e.lightColour, e.parent);
        if (light && (!light->SetLocalTransform(e.position, e.orientation, e.scale))) {
            scene.RemoveEntity(e.name);
            return false;
        }
        return light != nullptr;
    }
    return scene.AddMesh(e.name, e.mesh, e.parent, e.position, e.orientation, e.scale) != nullptr;
}

} // namespace

bool AddImportedEntities(const std::vector<ImportedEntity>& made, CEditorScene& scene) {
    for (const ImportedEntity& e : made)
        if (scene.GetEntity(e.name))
            return false;
    for (size_t i = 0; i < made.size(); ++i)
        if (!AddOne(made[i], scene)) {
            if (!made.empty())
                scene.RemoveEntity(made.front().name);
            return false;
        }
    return true;
}

bool BuildModelPlan(const ModelPlan& plan, const std::string& stem, const std::string& label,
                    CEditorScene& scene, std::vector<ImportedEntity>& made,
                    std::vector<std::string>& warnings, std::string& error) {
    made.clear();
    if (plan.nodes.empty()) {
        error = label + ": the file holds no nodes";
        return false;
    }
    std::string group = scene.GetMeshGroup();
    if (group.empty()) {
        group = "EditorImport/" + std::to_string(++g_importGroupSerial);
        Ogre::ResourceGroupManager::getSingleton().createResourceGroup(group, false);
        scene.AdoptMeshGroup(group);
    }
    CNamer names(scene);
    const std::string top = names.Take(stem.empty() ? std::string("model") : stem);
    const std::string base = FileSafe(top);
    CMadeResources resources(group);
    CResourceNamer resourceNames(group);
    CTextureMaker textures(resourceNames, label, warnings, resources);
    std::vector<std::string> meshNames;
    std::vector<ImportedEntity> entities;
    try {
        std::vector<std::string> materials;
        for (size_t i = 0; i < plan.materials.size(); ++i)
            materials.push_back(
                MakeMaterial(plan.materials[i], i, base, resourceNames, textures, resources));
        ModelPlanMaterial plain;
        plain.name = "default";
        const std::string fallback =
            MakeMaterial(plain, plan.materials.size(), base, resourceNames, textures, resources);
        for (size_t i = 0; i < plan.meshes.size(); ++i)
            meshNames.push_back(MakeMesh(plan.meshes[i], base + "_" + std::to_string(i + 1),
                                         resourceNames, materials, fallback, resources));
    } catch (const Ogre::Exception& e) {
        error = label + ": " + e.getDescription();
        return false;
    } catch (const std::exception& e) {
        error = label + ": " + e.what();
        return false;
    }
    // Entities: the root node is the group; a mesh or light on the root goes on a child.
    std::vector<std::string> nodeEntity(plan.nodes.size());
    for (size_t i = 0; i < plan.nodes.size(); ++i) {
        const ModelPlanNode& n = plan.nodes[i];
        ImportedEntity e;
        e.position = n.position;
        e.orientation = n.orientation;
        e.scale = n.scale;
        if (i == 0) {
            e.name = top;
            entities.push_back(e);
            nodeEntity[0] = top;
            if (n.mesh < 0 && !n.light)
                continue;
            e = ImportedEntity();
            e.parent = top;
        } else {
            if (n.parent < 0 || size_t(n.parent) >= i) {
                error = label + ": node '" + n.name + "' comes before its parent";
                return false;
            }
            e.parent = nodeEntity[n.parent];
        }
        e.name = names.Take(n.name);
        if (n.mesh >= 0 && size_t(n.mesh) < meshNames.size())
            e.mesh = meshNames[n.mesh];
        e.light = n.light && e.mesh.empty();
        e.lightType = n.lightType;
        e.lightColour = n.lightColour;
        nodeEntity[i] = e.name;
        entities.push_back(e);
    }
    CEditorEntity::TakeRefusalMessage(); // a refusal before this import is not its reason
    for (const ImportedEntity& e : entities) {
        bool added = false;
        try {
            added = AddOne(e, scene);
        } catch (...) {
            scene.RemoveEntity(top); // what was added goes; the caller reports the failure
            throw;
        }
        if (!added) {
            scene.RemoveEntity(top);
            std::string why = CEditorEntity::TakeRefusalMessage();
            error = label + ": node '" + e.name + "' cannot be added" +
                    (why.empty() ? std::string(" (outside the world range)") : ": " + why);
            return false;
        }
    }
    resources.Keep();
    made = std::move(entities);
    return true;
}

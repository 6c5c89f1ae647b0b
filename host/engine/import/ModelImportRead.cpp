// Reading a model file with Assimp into a checked ModelPlan (see ModelImport.h).
#include "CEditorEntity.h"
#include "DotScene.h"
#include "DotSceneText.h"
#include "EditorTypes.h"
#include "ModelFolderIO.h"
#include "ModelImport.h"
#include "ModelReaderProcess.h"
#include "SceneFolderFiles.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <OgreQuaternion.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

namespace {

unsigned ReadFlags() {
    return aiProcess_Triangulate | aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals |
           aiProcess_SortByPType | aiProcess_ValidateDataStructure | aiProcess_FlipUVs;
}

std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text.empty() ? "the file cannot be read" : text;
}

// A name from the file inside a one-line message: control characters shown as '?'.
std::string Plain(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

bool Finite(const aiVector3D& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A name the scene file format keeps: valid UTF-8 without control characters, else `fallback`.
std::string Printable(const aiString& name, const std::string& fallback) {
    std::string s(name.C_Str(), name.length);
    if (s.empty())
        return fallback;
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F)
            return fallback;
    return IsValidSceneName(s) ? s : fallback;
}

class CPlanMaker {
public:
    CPlanMaker(const aiScene& scene, const std::string& label, const std::string& folder,
               ModelPlan& plan)
        : m_scene(scene), m_label(label), m_folder(folder), m_plan(plan) {}

    bool Make(std::string& error) {
        if (!m_scene.mRootNode) {
            error = m_label + ": the file holds no scene";
            return false;
        }
        for (unsigned i = 0; i < m_scene.mNumMaterials; ++i)
            Material(*m_scene.mMaterials[i]);
        for (unsigned i = 0; i < m_scene.mNumLights; ++i)
            m_lights.emplace(std::string(m_scene.mLights[i]->mName.C_Str()), m_scene.mLights[i]);
        const std::uint64_t count = NodeCount();
        if (count > kMaxImportEntities) {
            error = m_label + ": the node tree expands to " + std::to_string(count) +
                    " entities, more than the " + std::to_string(kMaxImportEntities) +
                    " an import makes";
            return false;
        }
        return Nodes(error);
    }

private:
    void Warn(const std::string& what) { m_plan.warnings.push_back(m_label + ": " + Plain(what)); }

    // Nodes of the tree as the reader built it, counted without recursion before any is made.
    std::uint64_t NodeCount() const {
        std::uint64_t count = 0;
        std::vector<const aiNode*> todo{m_scene.mRootNode};
        while (!todo.empty()) {
            const aiNode* node = todo.back();
            todo.pop_back();
            ++count;
            for (unsigned c = 0; c < node->mNumChildren; ++c)
                if (node->mChildren[c])
                    todo.push_back(node->mChildren[c]);
        }
        return count;
    }

    void Material(const aiMaterial& source) {
        ModelPlanMaterial m;
        aiString name;
        source.Get(AI_MATKEY_NAME, name);
        m.name = Printable(name, "material");
        aiColor4D colour(1, 1, 1, 1);
        if (source.Get(AI_MATKEY_BASE_COLOR, colour) != AI_SUCCESS)
            source.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
        if (std::isfinite(colour.r) && std::isfinite(colour.g) && std::isfinite(colour.b))
            m.diffuse = Ogre::ColourValue(std::clamp(colour.r, 0.0f, 1.0f),
                                          std::clamp(colour.g, 0.0f, 1.0f),
                                          std::clamp(colour.b, 0.0f, 1.0f));
        aiString texture;
        if (source.GetTexture(aiTextureType_BASE_COLOR, 0, &texture) == AI_SUCCESS ||
            source.GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS)
            Texture(texture, m);
        m_plan.materials.push_back(std::move(m));
    }

    void Texture(const aiString& path, ModelPlanMaterial& m) {
        const std::string file(path.C_Str(), path.length);
        std::string bytes, key;
        if (const aiTexture* embedded = m_scene.GetEmbeddedTexture(path.C_Str())) {
            if (embedded->mHeight != 0 || !embedded->pcData) {
                Warn("texture '" + file + "' is stored uncompressed, which is not read");
                return;
            }
            key = "*" + file;
            if (!SameTexture(key, m))
                Take(file, key,
                     std::string(reinterpret_cast<const char*>(embedded->pcData), embedded->mWidth),
                     Printable(aiString(embedded->achFormatHint), "png"), m);
            return;
        }
        std::string ext = std::filesystem::path(file).extension().string();
        if (!ext.empty())
            ext.erase(0, 1);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (m_folder.empty()) {
            Warn("texture '" + file + "' is not read (no folder)");
            return;
        }
        std::string decoded = file;
        // Relative references may use either separator.
        std::replace(decoded.begin(), decoded.end(), '\\', '/');
        const std::filesystem::path full = (std::filesystem::path(decoded).is_absolute()
                                                ? std::filesystem::path(decoded)
                                                : std::filesystem::path(m_folder) / decoded)
                                               .lexically_normal();
        // A file made elsewhere often names its texture by a path of the maker's machine
        // ("C:\\art\\wood.png"): the file of that name beside the model is taken then.
        const std::filesystem::path beside =
            std::filesystem::path(m_folder) / std::filesystem::path(decoded).filename();
        key = full.string();
        if (SameTexture(key, m))
            return;
        std::string why = ReadModelFolderFile(m_folder, "", key, bytes);
        if (!why.empty() && beside != full) {
            if (SameTexture(beside.string(), m))
                return;
            if (ReadModelFolderFile(m_folder, "", beside.string(), bytes).empty()) {
                why.clear();
                key = beside.string();
            }
        }
        if (!why.empty()) {
            m_textures.emplace(full.string(), -1); // warned once
            Warn("texture '" + file + "' cannot be read: " + why);
            return;
        }
        Take(file, key, std::move(bytes), ext, m);
    }

    // True when the texture of `key` was met before: `m` shows the same one (or none, when it
    // was refused), and nothing is read or checked again.
    bool SameTexture(const std::string& key, ModelPlanMaterial& m) const {
        auto found = m_textures.find(key);
        if (found == m_textures.end())
            return false;
        m.sameTextureAs = found->second;
        return true;
    }

    // Takes encoded image bytes as the texture of `m` once their header passes: its size within
    // the editor's cap, and all of the import's textures within theirs.
    void Take(const std::string& file, const std::string& key, std::string bytes,
              const std::string& ext, ModelPlanMaterial& m) {
        TextureHeader header;
        std::string why = ReadTextureHeader(bytes, ext, header);
        if (why.empty() && m_texturePixels + header.pixels > kMaxImportTexturePixels)
            why = "the model's textures come to more than " +
                  std::to_string(kMaxImportTexturePixels) + " pixels";
        if (!why.empty()) {
            m_textures.emplace(key, -1);
            Warn("texture '" + file + "' is not decoded: " + why);
            return;
        }
        m_texturePixels += header.pixels;
        m_textures.emplace(key, static_cast<int>(m_plan.materials.size()));
        m.texture = std::move(bytes);
        m.textureExt = header.kind;
    }

    // One engine mesh for a node's list of meshes: a sub-mesh for each that has triangles.
    bool Mesh(const aiNode& node, int& index, std::string& error) {
        index = -1;
        std::vector<unsigned> key(node.mMeshes, node.mMeshes + node.mNumMeshes);
        auto found = m_meshCache.find(key);
        if (found != m_meshCache.end()) {
            index = found->second;
            return true;
        }
        ModelPlanMesh mesh;
        bool first = true;
        for (unsigned k : key) {
            if (k >= m_scene.mNumMeshes) {
                error = m_label + ": a node names mesh " + std::to_string(k) + " of " +
                        std::to_string(m_scene.mNumMeshes);
                return false;
            }
            const aiMesh& source = *m_scene.mMeshes[k];
            ModelPlanSubMesh sub;
            if (!SubMesh(source, sub, mesh, first, error))
                return false;
            if (!sub.indices.empty())
                mesh.subMeshes.push_back(std::move(sub));
        }
        if (!mesh.subMeshes.empty()) {
            index = static_cast<int>(m_plan.meshes.size());
            m_plan.meshes.push_back(std::move(mesh));
        }
        m_meshCache.emplace(std::move(key), index);
        return true;
    }

    bool SubMesh(const aiMesh& source, ModelPlanSubMesh& sub, ModelPlanMesh& mesh, bool& first,
                 std::string& error) {
        const std::string name = Printable(source.mName, "mesh");
        if (!source.mVertices || source.mNumVertices == 0)
            return true;
        sub.material = source.mMaterialIndex < m_plan.materials.size()
                           ? static_cast<int>(source.mMaterialIndex)
                           : -1;
        sub.vertices.reserve(size_t(source.mNumVertices) * 8);
        for (unsigned v = 0; v < source.mNumVertices; ++v) {
            const aiVector3D& p = source.mVertices[v];
            if (!Finite(p)) {
                error = m_label + ": mesh '" + name +
                        "' has a vertex position that is not a finite number";
                return false;
            }
            const Ogre::Vector3 position(p.x, p.y, p.z);
            if (!IsWorldPositionInRange(position)) {
                error = m_label + ": mesh '" + name + "' has a vertex outside the world range (+-" +
                        std::to_string(static_cast<long>(kMaxWorldCoordinate)) + ")";
                return false;
            }
            if (first) {
                mesh.boundsMin = mesh.boundsMax = position;
                first = false;
            }
            mesh.boundsMin.makeFloor(position);
            mesh.boundsMax.makeCeil(position);
            aiVector3D n(0, 1, 0);
            if (source.mNormals && Finite(source.mNormals[v]))
                n = source.mNormals[v];
            aiVector3D uv(0, 0, 0);
            if (source.mTextureCoords[0] && Finite(source.mTextureCoords[0][v]))
                uv = source.mTextureCoords[0][v];
            sub.vertices.insert(sub.vertices.end(), {p.x, p.y, p.z, n.x, n.y, n.z, uv.x, uv.y});
        }
        for (unsigned f = 0; f < source.mNumFaces; ++f) {
            const aiFace& face = source.mFaces[f];
            if (face.mNumIndices != 3)
                continue; // points and lines are not shown
            for (unsigned k = 0; k < 3; ++k)
                if (face.mIndices[k] >= source.mNumVertices) {
                    error = m_label + ": mesh '" + name + "' has an index out of range";
                    return false;
                }
            sub.indices.insert(sub.indices.end(), face.mIndices, face.mIndices + 3);
        }
        return true;
    }

    // The file's axes: a file that says which of its axes is up (and which are forward and
    // right) is turned so that its up is the editor's +Y.
    aiMatrix4x4 AxisConversion() const {
        const aiMetadata* meta = m_scene.mMetaData;
        int up = 1, upSign = 1, front = 2, frontSign = 1, coord = 0, coordSign = 1;
        if (!meta || !meta->Get("UpAxis", up))
            return aiMatrix4x4();
        meta->Get("UpAxisSign", upSign);
        const bool full = meta->Get("FrontAxis", front) && meta->Get("CoordAxis", coord);
        meta->Get("FrontAxisSign", frontSign);
        meta->Get("CoordAxisSign", coordSign);
        if (!full) {
            if (up != 2)
                return aiMatrix4x4();
            front = 1, frontSign = -upSign, coord = 0, coordSign = 1;
        }
        if (up < 0 || up > 2 || front < 0 || front > 2 || coord < 0 || coord > 2 || up == front ||
            up == coord || front == coord)
            return aiMatrix4x4();
        auto axis = [](int which, int sign) {
            aiVector3D v(0, 0, 0);
            v[which] = sign < 0 ? -1.0f : 1.0f;
            return v;
        };
        const aiVector3D r = axis(coord, coordSign), u = axis(up, upSign),
                         f = axis(front, frontSign);
        return aiMatrix4x4(r.x, r.y, r.z, 0, u.x, u.y, u.z, 0, f.x, f.y, f.z, 0, 0, 0, 0, 1);
    }

    bool Transform(const aiMatrix4x4& m, ModelPlanNode& node, std::string& error) {
        aiVector3D scale, position;
        aiQuaternion rotation;
        m.Decompose(scale, rotation, position);
        const Ogre::Quaternion q(rotation.w, rotation.x, rotation.y, rotation.z);
        if (!Finite(scale) || !Finite(position) || q.isNaN() || !std::isfinite(q.w) ||
            q.Norm() < 1e-12) {
            error = m_label + ": node '" + node.name + "' has a transform that is not a number";
            return false;
        }
        node.position = Ogre::Vector3(position.x, position.y, position.z);
        node.scale = Ogre::Vector3(scale.x, scale.y, scale.z);
        Ogre::Quaternion unit = q;
        unit.normalise();
        node.orientation = CEditorEntity::YPRFromRotation(unit);
        if (!IsWorldPositionInRange(node.position) || !IsWorldScaleInRange(node.scale)) {
            error = m_label + ": node '" + node.name + "' lies outside the world range";
            return false;
        }
        return true;
    }

    // The node tree, walked without recursion, parents before children.
    bool Nodes(std::string& error) {
        struct Item {
            const aiNode* node;
            int parent;
            int depth;
        };
        std::vector<Item> todo{{m_scene.mRootNode, -1, 1}};
        while (!todo.empty()) {
            const Item item = todo.back();
            todo.pop_back();
            if (item.depth > kMaxDotSceneDepth) {
                error = m_label + ": the node tree is nested deeper than " +
                        std::to_string(kMaxDotSceneDepth) + " levels";
                return false;
            }
            ModelPlanNode node;
            node.name = Printable(item.node->mName, "node");
            // The reader's stand-in for a node without a name.
            if (node.name.rfind("$ColladaAutoName$", 0) == 0)
                node.name = "node";
            node.parent = item.parent;
            aiMatrix4x4 local = item.node->mTransformation;
            if (item.parent < 0)
                local = AxisConversion() * local;
            if (!Transform(local, node, error) || !Mesh(*item.node, node.mesh, error))
                return false;
            auto light = m_lights.find(item.node->mName.C_Str());
            if (light != m_lights.end()) {
                if (node.mesh >= 0)
                    Warn("light '" + node.name + "' is on a node with meshes and is left out");
                else
                    Light(*light->second, node);
            }
            const int index = static_cast<int>(m_plan.nodes.size());
            m_plan.nodes.push_back(std::move(node));
            for (unsigned c = item.node->mNumChildren; c-- > 0;)
                if (item.node->mChildren[c])
                    todo.push_back({item.node->mChildren[c], index, item.depth + 1});
        }
        return true;
    }

    void Light(const aiLight& source, ModelPlanNode& node) {
        node.light = true;
        switch (source.mType) {
        case aiLightSource_DIRECTIONAL:
            node.lightType = Ogre::Light::LT_DIRECTIONAL;
            break;
        case aiLightSource_SPOT:
            node.lightType = Ogre::Light::LT_SPOTLIGHT;
            break;
        default:
            node.lightType = Ogre::Light::LT_POINT;
        }
        float r = source.mColorDiffuse.r, g = source.mColorDiffuse.g, b = source.mColorDiffuse.b;
        if (!std::isfinite(r) || !std::isfinite(g) || !std::isfinite(b))
            r = g = b = 1;
        const float top = std::max({r, g, b, 1.0f}); // intensities above 1 scaled down
        node.lightColour = Ogre::ColourValue(std::max(r, 0.0f) / top, std::max(g, 0.0f) / top,
                                             std::max(b, 0.0f) / top);
    }

    const aiScene& m_scene;
    std::string m_label;
    std::string m_folder;
    ModelPlan& m_plan;
    std::map<std::vector<unsigned>, int> m_meshCache;
    std::unordered_map<std::string, const aiLight*> m_lights;
    // Textures met so far, by file or embedded name: the material that holds each, or -1.
    std::unordered_map<std::string, int> m_textures;
    std::uint64_t m_texturePixels = 0;
};

// Reads with Assimp (from `path`, or from `bytes` when `path` is empty) and makes the plan.
bool Read(const std::string& path, const std::string& bytes, const std::string& extension,
          const std::string& label, const std::string& folder, ModelPlan& plan,
          std::string& error) {
    std::string refused = CheckModelNesting(bytes);
    if (refused.empty())
        refused = CheckPlyHeader(bytes);
    if (refused.empty())
        refused = CheckColladaExpansion(bytes);
    if (!refused.empty()) {
        error = label + ": " + refused;
        return false;
    }
    return ReadInChildProcess(
        [&](ModelPlan& made, std::string& why) {
            Assimp::Importer importer;
            importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                        aiPrimitiveType_POINT | aiPrimitiveType_LINE);
            // Every file the reader opens, the model's own included, passes the folder's
            // checks (the importer owns and deletes the file system it is given).
            auto* files = new CModelFolderIO(folder, path);
            importer.SetIOHandler(files);
            const aiScene* scene = path.empty()
                                       ? importer.ReadFileFromMemory(bytes.data(), bytes.size(),
                                                                     ReadFlags(), extension.c_str())
                                       : importer.ReadFile(path, ReadFlags());
            if (!scene) {
                // A file the model needs that was refused is why it cannot be read.
                const auto& refusedFiles = files->Refused();
                why = label + ": " +
                      (refusedFiles.empty() ? OneLine(importer.GetErrorString())
                                            : "file '" + Plain(refusedFiles.begin()->first) +
                                                  "' that the model needs is not read: " +
                                                  refusedFiles.begin()->second);
                return false;
            }
            for (const auto& [file, reason] : files->Refused())
                made.warnings.push_back(label + ": file '" + Plain(file) +
                                        "' is not read: " + reason);
            return CPlanMaker(*scene, label, folder, made).Make(why);
        },
        label, plan, error);
}

const char* const kFormats[] = {"gltf", "glb", "obj", "fbx", "dae", "ply", "stl"};

} // namespace

size_t ModelPlan::TriangleCount() const {
    size_t n = 0;
    for (const ModelPlanMesh& m : meshes)
        for (const ModelPlanSubMesh& s : m.subMeshes)
            n += s.indices.size() / 3;
    return n;
}

bool ReadModelBytes(const std::string& bytes, const std::string& extension,
                    const std::string& label, ModelPlan& plan, std::string& error) {
    if (bytes.empty()) {
        error = label + ": the file is empty";
        return false;
    }
    return Read("", bytes, extension, label, "", plan, error);
}

bool ReadModelFile(const std::string& path, ModelPlan& plan, std::string& error) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty())
        ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (std::find(std::begin(kFormats), std::end(kFormats), ext) == std::end(kFormats)) {
        error = path + ": not a model format the editor imports (glTF, glb, OBJ, FBX, Collada, "
                       "PLY, STL)";
        return false;
    }
    std::string bytes;
    const std::string why = ReadRegularFile(path, kMaxModelFileBytes, bytes);
    if (!why.empty()) {
        error = path + ": " + why;
        return false;
    }
    if (bytes.empty()) {
        error = path + ": the file is empty";
        return false;
    }
    std::error_code ec;
    const std::string folder = std::filesystem::absolute(path, ec).parent_path().string();
    return Read(path, bytes, ext, path, folder, plan, error);
}

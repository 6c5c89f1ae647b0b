// Saving what imported meshes need beside a scene file: meshes, one material script, textures.
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "ModelImport.h"

#include <OgreMaterialManager.h>
#include <OgreMaterialSerializer.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgrePass.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <unistd.h>

namespace {

// A temporary file beside `target` filled by `fill` (given its path; false on failure).
bool Pending(const std::string& target, const std::function<bool(const std::string&)>& fill,
             std::vector<PendingFile>& files, std::string& error) {
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    if (folder.empty())
        folder = ".";
    std::string temp = (folder / ".gizmark-XXXXXX").string();
    const int fd = ::mkstemp(&temp[0]);
    if (fd < 0) {
        error = target + ": cannot write (" + std::strerror(errno) + ")";
        return false;
    }
    ::close(fd);
    bool ok = false;
    try {
        ok = fill(temp);
    } catch (const Ogre::Exception& e) {
        error = target + ": cannot write (" + e.getDescription() + ")";
    }
    if (!ok) {
        if (error.empty())
            error = target + ": cannot write";
        ::unlink(temp.c_str());
        return false;
    }
    ::chmod(temp.c_str(), 0644);
    files.push_back({target, temp});
    return true;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

bool WriteImportedFiles(CEditorScene& scene, const std::string& scenePath,
                        std::vector<PendingFile>& files, std::string& error) {
    const std::string& group = scene.GetMeshGroup();
    if (group.empty())
        return true;
    const std::filesystem::path folder = std::filesystem::path(scenePath).parent_path();
    std::set<std::string> meshes;
    for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity())
        if (const CEditorEntity* e = scene.GetEntity(s->GetName()))
            if (!e->GetMeshName().empty())
                meshes.insert(e->GetMeshName());
    std::vector<Ogre::MaterialPtr> materials;
    std::set<std::string> materialNames, textures;
    for (const std::string& name : meshes) {
        Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().getByName(name, group);
        if (!mesh || !mesh->isManuallyLoaded())
            continue; // a mesh of the editor's or one read from a file
        const std::string target = (folder / name).string();
        if (!Pending(
                target,
                [&](const std::string& temp) {
                    Ogre::MeshSerializer().exportMesh(mesh.get(), temp);
                    return true;
                },
                files, error)) {
            DropPendingFiles(files);
            return false;
        }
        for (const Ogre::SubMesh* sub : mesh->getSubMeshes()) {
            Ogre::MaterialPtr m =
                Ogre::MaterialManager::getSingleton().getByName(sub->getMaterialName(), group);
            if (!m || !materialNames.insert(m->getName()).second)
                continue;
            materials.push_back(m);
            for (Ogre::Technique* t : m->getTechniques())
                for (Ogre::Pass* p : t->getPasses())
                    for (Ogre::TextureUnitState* u : p->getTextureUnitStates())
                        textures.insert(u->getTextureName());
        }
    }
    for (const std::string& texture : textures) {
        const std::string* bytes = ImportedTextureBytes(texture);
        if (!bytes)
            continue;
        if (!Pending((folder / texture).string(),
                     [&](const std::string& temp) { return WriteBytes(temp, *bytes); }, files,
                     error)) {
            DropPendingFiles(files);
            return false;
        }
    }
    if (!materials.empty()) {
        const std::string target =
            (folder / (std::filesystem::path(scenePath).stem().string() + ".material")).string();
        if (!Pending(
                target,
                [&](const std::string& temp) {
                    Ogre::MaterialSerializer serializer;
                    for (const Ogre::MaterialPtr& m : materials)
                        serializer.queueForExport(m);
                    serializer.exportQueued(temp);
                    return true;
                },
                files, error)) {
            DropPendingFiles(files);
            return false;
        }
    }
    return true;
}

bool CommitPendingFiles(std::vector<PendingFile>& files, std::string& error) {
    for (size_t i = 0; i < files.size(); ++i)
        if (::rename(files[i].temp.c_str(), files[i].target.c_str()) != 0) {
            error = files[i].target + ": cannot write (" + std::strerror(errno) + ")";
            files.erase(files.begin(), files.begin() + i);
            DropPendingFiles(files);
            return false;
        }
    files.clear();
    return true;
}

void DropPendingFiles(std::vector<PendingFile>& files) {
    for (const PendingFile& f : files)
        ::unlink(f.temp.c_str());
    files.clear();
}

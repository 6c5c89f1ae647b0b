// Saving what meshes made in memory (imported ones) need beside a scene file: the meshes, one
// material script, their textures.
#include "SceneSaveFiles.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "MemoryTextures.h"

#include <OgreMaterialManager.h>
#include <OgreMaterialSerializer.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgrePass.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <OgreException.h>

#include <filesystem>
#include <functional>
#include <new>
#include <set>

namespace {

// The bytes of one file made by `make` (the engine's serializers may throw) as `name`. False
// with `error` = "TARGET: cannot write (reason)".
bool Make(const std::string& name, const std::string& target,
          const std::function<std::string()>& make, std::vector<SceneFileBytes>& files,
          std::string& error) {
    try {
        files.push_back({name, make()});
    } catch (const Ogre::Exception& e) {
        error = target + ": cannot write (" + e.getDescription() + ")";
        return false;
    } catch (const std::bad_alloc&) {
        error = target + ": out of memory while saving the scene";
        return false;
    }
    return true;
}

} // namespace

bool CollectImportedFiles(CEditorScene& scene, const std::string& scenePath,
                          std::vector<SceneFileBytes>& files, std::string& error) {
    const std::string& group = scene.GetMeshGroup();
    if (group.empty())
        return true;
    const std::filesystem::path folder = std::filesystem::path(scenePath).parent_path();
    const std::set<std::string> meshes = SceneMeshNames(scene, false);
    std::vector<Ogre::MaterialPtr> materials;
    std::set<std::string> materialNames, textures;
    for (const std::string& name : meshes) {
        Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().getByName(name, group);
        if (!mesh || !mesh->isManuallyLoaded())
            continue; // a mesh of the editor's or one read from a file
        if (!Make(
                name, (folder / name).string(), [&] { return MeshFileBytes(*mesh); }, files, error))
            return false;
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
    for (const std::string& texture : textures)
        if (const std::string* bytes = ImportedTextureBytes(texture))
            files.push_back({texture, *bytes});
    if (!materials.empty()) {
        const std::string name = std::filesystem::path(scenePath).stem().string() + ".material";
        if (!Make(
                name, (folder / name).string(),
                [&] {
                    Ogre::MaterialSerializer serializer;
                    for (const Ogre::MaterialPtr& m : materials)
                        serializer.queueForExport(m);
                    return serializer.getQueuedAsString();
                },
                files, error))
            return false;
    }
    return true;
}

bool WriteImportedFiles(CEditorScene& scene, const std::string& scenePath,
                        std::vector<PendingFile>& files, std::string& error) {
    std::vector<SceneFileBytes> made;
    if (!CollectImportedFiles(scene, scenePath, made, error)) {
        DropPendingFiles(files);
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(scenePath).parent_path();
    for (const SceneFileBytes& file : made)
        if (!WritePendingFile((folder / file.name).string(), file.bytes, files, error)) {
            DropPendingFiles(files);
            return false;
        }
    return true;
}

// Taking a scene's save on the engine's thread and writing it elsewhere.
#include "SceneSnapshot.h"

#include "CEditorScene.h"
#include "CTerrain.h"
#include "SceneFolderFiles.h"

#include <OgreEntity.h>
#include <OgreException.h>
#include <OgreMesh.h>

#include <filesystem>
#include <new>

namespace fs = std::filesystem;

bool TakeSceneSnapshot(CEditorScene& scene, const std::string& sceneFileName,
                       SceneSnapshot& snapshot, std::string& error) {
    snapshot = SceneSnapshot();
    snapshot.doc = DescribeScene(scene);
    if (!CollectImportedFiles(scene, sceneFileName, snapshot.files, error))
        return false;
    if (snapshot.doc.ground.present && scene.GetGround()) {
        snapshot.doc.ground.meshFile = GroundMeshName(sceneFileName);
        const Ogre::Entity* entity = scene.GetGround()->GetOgreEntity();
        if (!entity) {
            error = snapshot.doc.ground.meshFile + ": cannot write (the ground has no mesh)";
            return false;
        }
        try {
            snapshot.files.push_back(
                {snapshot.doc.ground.meshFile, MeshFileBytes(*entity->getMesh())});
        } catch (const Ogre::Exception& e) {
            error = snapshot.doc.ground.meshFile + ": cannot write (" + e.getDescription() + ")";
            return false;
        } catch (const std::bad_alloc&) {
            error = snapshot.doc.ground.meshFile + ": out of memory while saving the scene";
            return false;
        }
    }
    const std::string& group = scene.GetMeshGroup();
    snapshot.sourceFolder = group.empty() ? std::string() : SceneFolderOfGroup(group);
    if (!snapshot.sourceFolder.empty())
        for (const std::string& name : SceneFolderFilesInUse(scene))
            snapshot.folderFiles.push_back(name);
    return true;
}

namespace {

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec, ec2;
    const fs::path x = fs::canonical(a, ec), y = fs::canonical(b, ec2);
    return !ec && !ec2 && x == y;
}

// The source folder's files the target lacks (or holds with other bytes), as temporary files.
bool WriteFolderCopies(const SceneSnapshot& snapshot, const std::string& folder,
                       std::vector<PendingFile>& pending, std::string& error) {
    if (snapshot.sourceFolder.empty() || SameFolder(snapshot.sourceFolder, folder))
        return true;
    for (const std::string& name : snapshot.folderFiles) {
        std::string bytes, there;
        if (!ReadSceneFolderFile(snapshot.sourceFolder, name, bytes).empty())
            continue; // gone or unreadable now: the scene shows a placeholder when opened
        const std::string at = (fs::path(folder) / name).string();
        if (ReadRegularFile(at, kMaxSceneFileBytes, there).empty() && there == bytes)
            continue;
        if (!WritePendingFile(at, bytes, pending, error))
            return false;
    }
    return true;
}

} // namespace

bool WriteSceneSnapshot(const SceneSnapshot& snapshot, const std::string& folder,
                        const std::string& sceneFileName, const std::vector<SceneFileBytes>& last,
                        std::string& error) {
    std::vector<PendingFile> pending;
    bool ok = true;
    try {
        RemoveStaleSaveTemporaries(folder);
        for (const SceneFileBytes& file : snapshot.files)
            if (ok)
                ok = WritePendingFile((fs::path(folder) / file.name).string(), file.bytes, pending,
                                      error);
        ok = ok && WriteFolderCopies(snapshot, folder, pending, error);
        ok = ok && WritePendingFile((fs::path(folder) / sceneFileName).string(),
                                    FormatDotScene(snapshot.doc), pending, error);
        for (const SceneFileBytes& file : last)
            if (ok)
                ok = WritePendingFile((fs::path(folder) / file.name).string(), file.bytes, pending,
                                      error);
        ok = ok && CommitPendingFiles(pending, error);
    } catch (const std::bad_alloc&) {
        error = (fs::path(folder) / sceneFileName).string() + ": out of memory while saving";
        ok = false;
    }
    if (!ok)
        DropPendingFiles(pending);
    return ok;
}

// The files a save writes beside the scene file, and the safety rules they share.
//
// Every file of a save is first written completely to a hidden temporary file in its target's
// folder, named ".gizmark-PID-XXXXXX" (PID the writing process), and renamed over the target
// only when all of them are written. A save killed midway leaves its temporary files behind;
// the next save into that folder removes those of processes that no longer run, and nothing
// else. A target without any write permission bit is read-only: a save refuses to replace it,
// even for a process that could (root), as editors do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

class CEditorScene;
namespace Ogre {
class Mesh;
}

// A file's name (beside a scene file) and its bytes, made but not written yet.
struct SceneFileBytes {
    std::string name;
    std::string bytes;
};

// A file written to a temporary name beside its target, to be renamed over it.
struct PendingFile {
    std::string target;
    std::string temp;
};

// Creates an empty temporary file of a save in `folder` ("" for the working folder): an open
// descriptor with its path in `path`, or -1 with errno set.
int CreateSaveTemporary(const std::string& folder, std::string& path);
// Removes the temporary files of saves in `folder` whose writing process no longer runs;
// files of running processes, links, folders and every file that is not named like one are
// left alone. Answers how many were removed.
int RemoveStaleSaveTemporaries(const std::string& folder);
// The file a save to `path` writes: `path` itself, or where its chain of symbolic links ends,
// so that saving over a link writes the linked file and keeps the link. "" with `error` =
// "PATH: cannot write (why)" when the chain does not end.
std::string ResolveSaveTarget(const std::string& path, std::string& error);
// True when a file exists at `path` and has no write permission bit.
bool IsReadOnlyFile(const std::string& path);

// Writes `bytes` through the descriptor (in pieces of at most kSaveWritePiece bytes); 0, or the
// errno value of the failure.
int WriteAllBytes(int fd, const std::string& bytes);
constexpr std::size_t kSaveWritePiece = std::size_t(1) << 20;
// Flushes a folder's entries (names made, renamed or removed) to the disk; 0 or errno.
int SyncFolder(const std::string& folder);

// The steps of writing a save's files, in order: each piece of a temporary file written, the
// temporary file flushed, its folder flushed before the renames, each rename, the folders
// flushed after them.
enum class SaveStep { PIECE_WRITTEN, FILE_FLUSHED, FOLDER_FLUSHED, RENAMED, DONE };
// Called at each step when set (null by default): tests stop or kill a save there, to prove
// that a save ended at any step leaves each target whole, old or new.
using SaveStepHook = void (*)(SaveStep step);
void SetSaveStepHook(SaveStepHook hook);
// Writes `bytes` to a new temporary file beside `target`, synced, with the mode of the file it
// replaces (the usual one for a new file), and appends it to `files`. False with `error` =
// "TARGET: the file is read-only", "TARGET: cannot write in FOLDER (reason)" or "TARGET:
// cannot write (reason)", nothing left behind.
bool WritePendingFile(const std::string& target, const std::string& bytes,
                      std::vector<PendingFile>& files, std::string& error);
// The engine's binary form of a mesh, made in memory (the engine's own file writer does not
// report a full disk). Throws what the engine's serializer throws.
std::string MeshFileBytes(const Ogre::Mesh& mesh);

// Flushes the folders of the temporary files, renames each over its target and flushes the
// folders again, so that a crash at any point leaves every target whole, old or new, and a
// save reported done stays done. False with `error` at the first rename that fails (the
// temporary files left are removed).
bool CommitPendingFiles(std::vector<PendingFile>& files, std::string& error);
// Removes the temporary files.
void DropPendingFiles(std::vector<PendingFile>& files);

// Saving into another folder than the one the scene was opened from: each mesh file of the
// old folder that the scene shows goes along as a copy, with the material scripts that define
// its materials and the textures those use, so that the saved scene opens the same. A file of
// that name already in the new folder with the same bytes is left; one with other bytes is
// never replaced: it gets a warning "SCENEPATH: 'NAME' is not copied: a different file of that
// name is already in FOLDER". Copies go to temporary files listed in `files`. False with
// `error` when one cannot be written.
bool CopySceneFolderFiles(CEditorScene& scene, const std::string& scenePath,
                          std::vector<PendingFile>& files, std::vector<std::string>& warnings,
                          std::string& error);

// The names of the meshes the scene's entities show, each once (`loadedOnly`: not those shown as
// placeholders because they could not be loaded).
std::set<std::string> SceneMeshNames(CEditorScene& scene, bool loadedOnly);
// The files of the scene's folder that its shown meshes need (the meshes, the scripts that
// define their materials, the textures those name), by name in that folder.
std::set<std::string> SceneFolderFilesInUse(CEditorScene& scene);

// What the scene's meshes made in memory need beside a scene saved at `scenePath`, made as
// WriteImportedFiles writes them, appended to `files`. False with `error` as there.
bool CollectImportedFiles(CEditorScene& scene, const std::string& scenePath,
                          std::vector<SceneFileBytes>& files, std::string& error);
// Writes what the scene's meshes made in memory (imported ones) need beside a scene saved at
// `scenePath`: each mesh that exists only in memory as "MESHNAME" (the engine's binary mesh
// format), their materials as one script "STEM.material", and their textures under their engine
// names. Each goes to a temporary file listed in `files`; nothing is renamed. False with `error` =
// "PATH: message" (the temporary files then removed).
bool WriteImportedFiles(CEditorScene& scene, const std::string& scenePath,
                        std::vector<PendingFile>& files, std::string& error);

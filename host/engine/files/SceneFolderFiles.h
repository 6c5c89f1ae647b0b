// Reading the files of an open scene's folder without trusting them: only regular files whose
// resolved path stays inside the folder, of bounded size, and opened so that a FIFO or device
// cannot block or stream forever.
//
// The scene's folder reaches the engine as an archive of this kind ("EditorSceneFolder"): its
// listing holds only the files that pass these checks, and it hands out their checked bytes,
// so the engine's material script parser and mesh and texture loaders never open a file of
// the folder themselves.
#pragma once

#include <cstdint>
#include <string>

// The archive type under which RegisterSceneFolderArchive makes folders available.
extern const char* const kSceneFolderArchiveType;

// Reads the regular file at `path` (at most `maxBytes`); "" with `bytes` filled, or why not
// ("not a regular file", "larger than N MiB", ...). Opened without blocking: a
// FIFO or device is refused at once.
std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes);

// Why the file `name` of `folder` may not be read ("" when it may): `name` must be a relative
// path without "..", and the file, with every symbolic link resolved, a regular file inside
// the folder of at most kMaxSceneFileBytes. `size` gets its size.
std::string CheckSceneFolderFile(const std::string& folder, const std::string& name,
                                 std::uint64_t* size = nullptr);
// Reads the file `name` of `folder` after the same checks; "" or why not.
std::string ReadSceneFolderFile(const std::string& folder, const std::string& name,
                                std::string& bytes);

// The name under which a folder is added as a resource location of this type: the folder with
// a serial number, so that two resource groups of one folder (the open scene's and one being
// loaded) have archives of their own, each dropped with its group.
std::string SceneFolderLocation(const std::string& folder, unsigned serial);
// The folder of such a location name.
std::string SceneFolderOfLocation(const std::string& location);
// The folder a scene's resource group reads (its only location), "" when there is none.
std::string SceneFolderOfGroup(const std::string& group);

// Makes the archive type known to the engine's archive manager (call it before each use: a
// new engine root has a new manager).
void RegisterSceneFolderArchive();

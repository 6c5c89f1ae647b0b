// Checks the bytes of a binary mesh file before the engine's mesh reader sees them.
//
// The engine's reader trusts the file: a chunk length past its parent, a count larger than the
// bytes that follow or a bound that is not finite ends the process on an assertion, or makes it
// allocate gigabytes before it refuses. This walk reads the same layout with every length and
// count checked against the bytes present, and never allocates by a count from the file.
//
// Accepted: the layout the engine writes today ("[MeshSerializer_v1.100]", either byte order):
// shared and per-submesh geometry, submesh operations, bounds, the submesh name table, edge
// lists and submesh extremes. Refused as unsupported: level-of-detail chunks, skeletons and
// bone assignments, poses and animations, texture aliases, older layouts and unknown chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The largest |coordinate| of a mesh position or bound: the editor's world range.
constexpr float kMaxMeshCoordinate = 1.0e6f;
// The largest mesh file the editor reads.
constexpr std::uint64_t kMaxMeshFileBytes = 256ull * 1024 * 1024;
// The longest name or string inside a mesh file (material, submesh name), in bytes.
constexpr std::size_t kMaxMeshStringBytes = 1024;

struct MeshCheckResult {
    bool ok = true;
    // Byte offset in the file where the failed check looked, and what failed.
    std::size_t offset = 0;
    std::string message;
};

// Walks `size` bytes of a mesh file; ok, or the first check that failed.
MeshCheckResult CheckMeshFile(const void* data, std::size_t size);

// "at byte N: message" for a failed result, "" for ok.
std::string DescribeMeshCheck(const MeshCheckResult& result);

// Reads the mesh file at `path` and checks it: "" when it may be given to the engine,
// otherwise why not (not a regular file, too large, unreadable, or the failed check).
std::string ReadAndCheckMeshFile(const std::string& path);

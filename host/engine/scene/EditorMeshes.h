// Manual meshes of the editor: a generic builder with vertex colours and normals, the shapes
// the demo scene uses, and the triangles kept for precise ray picking.
#pragma once

#include <OgreVector.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Ogre {
class Mesh;
}

struct MeshData {
    std::vector<Ogre::Vector3> positions;
    std::vector<Ogre::Vector3> normals;
    std::vector<std::uint32_t> colours; // ARGB per vertex
    std::vector<std::uint32_t> indices; // triangle list
};

// Creates mesh `name` in group "General" from the data with the given material; does nothing
// if a mesh of that name exists or the data is malformed. Returns true when the mesh exists
// afterwards. The triangles are remembered for ray picking.
bool BuildManualMesh(const std::string& name, const MeshData& data, const std::string& material);
// The triangles (three points each, mesh space) of a mesh built here; null for other meshes.
const std::vector<Ogre::Vector3>* GetMeshTriangles(const std::string& name);
// Forgets every remembered triangle list (the engine calls it when it shuts down).
void ClearMeshTriangles();
// The vertex positions (mesh space) of sub-mesh `sub` of any mesh, read back from the engine's
// vertex buffer as it holds them now (the sub-mesh's own vertex data or the shared one). Empty
// when there is no such sub-mesh or its positions are not three floats.
std::vector<Ogre::Vector3> ReadMeshPositions(const Ogre::Mesh& mesh, unsigned sub = 0);

MeshData MakeBoxData(const Ogre::Vector3& halfSize, std::uint32_t colour);
// A cone along +Y in the box (minCorner, maxCorner), flat shaded sides and a base.
MeshData MakeConeData(const Ogre::Vector3& minCorner, const Ogre::Vector3& maxCorner, int segments,
                      std::uint32_t colour);
MeshData MakeCylinderData(float radius, float height, int segments, std::uint32_t colour);
// A squashed, slightly irregular icosphere of the given radius.
MeshData MakeRockData(float radius, std::uint32_t colour);

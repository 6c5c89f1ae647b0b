// The scene's snapping queries (CSceneManager::vertexQuery and surfaceQuery) over its entities:
// the vertex nearest a pixel among the selected meshes or among the others, and the nearest
// surface a ray meets with its normal. Each entity's world box is tested first (its rectangle
// on screen, or the ray), so that only the meshes that can hold the answer have their vertices
// or triangles looked at; those come from a per-mesh cache of the meshes' own buffers.
#pragma once

#include "CSceneManager.h"
#include "MeshGeometryCache.h"
#include "SnapGeometry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

class CEditorEntity;
class CPickIndex;
class CTerrain;

class CSnapQueries {
public:
    using EntityMap = std::map<std::string, std::unique_ptr<CEditorEntity>>;

    // The scene's entities, and its pick index (whose table of boxes the queries walk) with the
    // scene's count of structure changes.
    struct Scene {
        const EntityMap& entities;
        CPickIndex& index;
        std::uint64_t structure;
        const std::set<std::string>& selection;
    };
    // Answers as CSceneManager::vertexQuery, the view given by its projection.
    int NearestVertex(const Scene& scene, const SnapGeometry::PixelProjection& view,
                      VertexQuery& query);
    // Answers as CSceneManager::surfaceQuery. Off the ground, the plane y = 0 is the ground.
    int Surface(const Scene& scene, const CTerrain* ground, RayQuery& query, Ogre::Vector3& normal);

    const CMeshGeometryCache& Cache() const { return m_cache; }

private:
    // Takes the entity's vertices (its position alone without a readable mesh) into `best`,
    // unless its box lies farther from the pixel than `radius` or than the best so far.
    void ConsiderEntity(const CEditorEntity& entity, const SnapGeometry::PixelProjection& view,
                        const Ogre::Vector2& pixel, float radius,
                        SnapGeometry::NearestVertex& best);
    // The ray's parameter where it meets the entity's mesh (its box for a mesh without
    // triangles), or -1; `normal` gets the surface's world normal there.
    float HitEntity(const CEditorEntity& entity, const Ogre::Ray& ray, float within,
                    Ogre::Vector3& normal);

    CMeshGeometryCache m_cache;
};

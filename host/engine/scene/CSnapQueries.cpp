#include "CSnapQueries.h"

#include "CEditorEntity.h"
#include "CPickIndex.h"
#include "CTerrain.h"

#include <OgreEntity.h>
#include <OgreMath.h>
#include <OgreMesh.h>
#include <OgreRay.h>

#include <cmath>
#include <limits>

namespace {

// The mesh whose vertices an entity snaps by: none for a light (its marker is no geometry of
// the scene) or an entity without a mesh.
const Ogre::Mesh* SnapMesh(const CEditorEntity& entity) {
    if (entity.IsLight() || !entity.GetOgreEntity())
        return nullptr;
    return entity.GetOgreEntity()->getMesh().get();
}

// Whether the entity is selected or hangs under a selected one: it moves with the selection.
bool MovesWithSelection(const CEditorEntity& entity, const std::set<std::string>& selection) {
    for (const CEditorEntity* e = &entity; e; e = e->GetParentEntity())
        if (selection.count(e->GetName()))
            return true;
    return false;
}

// The normal of an axis-aligned box's face nearest `point`, turned towards `towards`.
Ogre::Vector3 BoxFaceNormal(const Ogre::AxisAlignedBox& box, const Ogre::Vector3& point,
                            const Ogre::Vector3& towards) {
    Ogre::Vector3 normal = Ogre::Vector3::UNIT_Y;
    float nearest = std::numeric_limits<float>::max();
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            const float face = side ? box.getMaximum()[axis] : box.getMinimum()[axis];
            const float d = std::fabs(point[axis] - face);
            if (d < nearest) {
                nearest = d;
                normal = Ogre::Vector3::ZERO;
                normal[axis] = side ? 1.0f : -1.0f;
            }
        }
    return normal.dotProduct(towards) < 0.0f ? -normal : normal;
}

} // namespace

void CSnapQueries::ConsiderEntity(const CEditorEntity& entity,
                                  const SnapGeometry::PixelProjection& view,
                                  const Ogre::Vector2& pixel, float radius,
                                  SnapGeometry::NearestVertex& best) {
    const Ogre::Mesh* mesh = SnapMesh(entity);
    const MeshGeometry* geometry = nullptr;
    if (mesh) {
        // The box first: most meshes lie nowhere near the pointer.
        const float reach = SnapGeometry::BoxPixelDistance(view, entity.GetWorldBounds(), pixel);
        if ((radius > 0.0f && !(reach <= radius)) ||
            (best.found && reach > best.pixels + SnapGeometry::NearestVertex::kTiePixels))
            return;
        geometry = &m_cache.Get(*mesh);
    }
    if (!geometry || geometry->positions.empty()) {
        best.Consider(view, entity.GetWorldPosition(), pixel, radius, &entity);
        return;
    }
    SnapGeometry::ConsiderPoints(view, entity.GetWorldMatrix(), geometry->positions.data(),
                                 geometry->positions.size(), pixel, radius, &entity, best);
}

int CSnapQueries::NearestVertex(const Scene& scene, const SnapGeometry::PixelProjection& view,
                                VertexQuery& query) {
    query.hit = nullptr;
    const Ogre::Vector2 pixel(float(query.x), float(query.y));
    const float radius = std::isfinite(query.radius) ? query.radius : 0.0f;
    SnapGeometry::NearestVertex best;
    if (query.set == VERTEX_OF_SELECTED) {
        for (const std::string& name : scene.selection) {
            const auto it = scene.entities.find(name);
            if (it != scene.entities.end())
                ConsiderEntity(*it->second, view, pixel, radius, best);
        }
    } else if (query.set == VERTEX_OF_OTHERS) {
        const SnapGeometry::PixelCone cone = SnapGeometry::ConeThrough(view, pixel);
        scene.index.Visit(scene.entities, scene.structure, [&](const CPickIndex::Entry& entry) {
            const CEditorEntity& entity = *entry.entity;
            if (entry.pickable) {
                // Most meshes lie nowhere near the pointer: their spheres say so at once.
                if (radius > 0.0f && entry.sphere &&
                    !SnapGeometry::SphereMayReach(cone, entry.centre, entry.radius, radius))
                    return;
            } else if (!entity.IsVisible() || SnapMesh(entity)) {
                return; // hidden, or a mesh that may not be picked
            }
            if (!MovesWithSelection(entity, scene.selection))
                ConsiderEntity(entity, view, pixel, radius, best);
        });
    }
    if (!best.found)
        return 0;
    query.vertex = best.world;
    query.pixels = best.pixels;
    query.hit = const_cast<CEditorEntity*>(static_cast<const CEditorEntity*>(best.owner));
    return 1;
}

float CSnapQueries::HitEntity(const CEditorEntity& entity, const Ogre::Ray& ray, float within,
                              Ogre::Vector3& normal) {
    const Ogre::Mesh* mesh = SnapMesh(entity);
    const Ogre::AxisAlignedBox box = entity.GetWorldBounds();
    const std::pair<bool, Ogre::Real> boxHit = Ogre::Math::intersects(ray, box);
    if (!mesh || !boxHit.first || !(boxHit.second <= within))
        return -1.0f;
    const MeshGeometry& geometry = m_cache.Get(*mesh);
    const Ogre::Vector3 back = -ray.getDirection();
    if (geometry.triangles.empty()) {
        normal = BoxFaceNormal(box, ray.getPoint(boxHit.second), back);
        return boxHit.second;
    }
    // The ray in mesh space: its parameter is the same in both spaces, since the direction is
    // taken along unnormalised.
    const Ogre::Matrix4 world = entity.GetWorldMatrix();
    const Ogre::Matrix4 inverse = world.inverse();
    const Ogre::Vector3 origin = SnapGeometry::Affine(inverse, ray.getOrigin());
    const Ogre::Vector3 direction =
        SnapGeometry::Affine(inverse, ray.getOrigin() + ray.getDirection()) - origin;
    if (!IsFinite(origin) || !IsFinite(direction))
        return -1.0f;
    const std::vector<Ogre::Vector3>& p = geometry.positions;
    const std::vector<std::uint32_t>& t = geometry.triangles;
    float best = -1.0f;
    std::size_t bestAt = 0;
    for (std::size_t i = 0; i + 2 < t.size(); i += 3) {
        const float at =
            SnapGeometry::RayTriangle(origin, direction, p[t[i]], p[t[i + 1]], p[t[i + 2]]);
        if (at >= 0.0f && at <= within && (best < 0.0f || at < best)) {
            best = at;
            bestAt = i;
        }
    }
    if (best < 0.0f)
        return -1.0f;
    normal = SnapGeometry::FacingNormal(SnapGeometry::Affine(world, p[t[bestAt]]),
                                        SnapGeometry::Affine(world, p[t[bestAt + 1]]),
                                        SnapGeometry::Affine(world, p[t[bestAt + 2]]), back);
    return normal == Ogre::Vector3::ZERO ? -1.0f : best;
}

int CSnapQueries::Surface(const Scene& scene, const CTerrain* ground, RayQuery& query,
                          Ogre::Vector3& normal) {
    query.hit = nullptr;
    if (!IsFinite(query.origin) || !IsFinite(query.direction) ||
        !(query.direction.squaredLength() > 1e-20f))
        return 0;
    const Ogre::Ray ray(query.origin, query.direction.normalisedCopy());
    float best = query.length > 0.0f && std::isfinite(query.length)
                     ? query.length
                     : std::numeric_limits<float>::max();
    bool found = false;
    const Ogre::Vector3 origin = ray.getOrigin(), direction = ray.getDirection();
    scene.index.Visit(scene.entities, scene.structure, [&](const CPickIndex::Entry& entry) {
        if (!entry.pickable)
            return;
        if (entry.sphere) {
            // Clear of the sphere around the box, or wholly behind the start: no hit.
            const Ogre::Vector3 v = entry.centre - origin;
            const float along = v.dotProduct(direction), vv = v.dotProduct(v);
            const float reach = entry.radius * 1.0001f + 1e-4f;
            if (along < -reach - 1e-4f * std::fabs(along) ||
                vv - along * along > reach * reach + 1e-5f * vv)
                return;
        }
        const CEditorEntity& entity = *entry.entity;
        Ogre::Vector3 n;
        const float t = HitEntity(entity, ray, best, n);
        if (t < 0.0f || (found && t >= best) || MovesWithSelection(entity, scene.selection))
            return;
        best = t;
        normal = n;
        query.hit = const_cast<CEditorEntity*>(&entity);
        found = true;
    });
    // The ground: the terrain, and the plane y = 0 beyond it.
    float t = ground ? ground->Intersect(ray, best) : -1.0f;
    if (t < 0.0f && std::fabs(ray.getDirection().y) > 1e-6f) {
        const float plane = -ray.getOrigin().y / ray.getDirection().y;
        const Ogre::Vector3 at = ray.getPoint(plane);
        const bool onTerrain = ground && std::fabs(at.x) <= ground->GetWidth() * 0.5f &&
                               std::fabs(at.z) <= ground->GetDepth() * 0.5f;
        if (plane >= 0.0f && plane <= best && !onTerrain)
            t = plane;
    }
    if (t >= 0.0f && (!found || t < best)) {
        const Ogre::Vector3 at = ray.getPoint(t);
        Ogre::Vector3 n = Ogre::Vector3::UNIT_Y;
        if (ground) {
            // The slope from the heights a little to either side.
            const float e = 0.05f;
            const float dx = ground->HeightAt(at.x + e, at.z) - ground->HeightAt(at.x - e, at.z);
            const float dz = ground->HeightAt(at.x, at.z + e) - ground->HeightAt(at.x, at.z - e);
            n = Ogre::Vector3(-dx / (2 * e), 1.0f, -dz / (2 * e));
            n = IsFinite(n) ? n.normalisedCopy() : Ogre::Vector3::UNIT_Y;
        }
        best = t;
        normal = n;
        query.hit = nullptr;
        found = true;
    }
    if (!found)
        return 0;
    query.distance = best;
    return 1;
}

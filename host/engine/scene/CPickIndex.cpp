// Ray picking over the scene's table of entity boxes.
#include "CPickIndex.h"

#include "CEditorEntity.h"
#include "EditorMeshes.h"

#include <OgreEntity.h>
#include <OgreMath.h>
#include <OgreMatrix4.h>
#include <OgreMesh.h>

#include <cmath>

namespace {

// Möller-Trumbore, two-sided; distance along a unit direction or -1.
float RayTriangle(const Ogre::Ray& ray, const Ogre::Vector3& a, const Ogre::Vector3& b,
                  const Ogre::Vector3& c) {
    const Ogre::Vector3 e1 = b - a, e2 = c - a;
    const Ogre::Vector3 p = ray.getDirection().crossProduct(e2);
    const float det = e1.dotProduct(p);
    if (std::fabs(det) < 1e-12f)
        return -1.0f;
    const float inv = 1.0f / det;
    const Ogre::Vector3 s = ray.getOrigin() - a;
    const float u = s.dotProduct(p) * inv;
    if (u < 0.0f || u > 1.0f)
        return -1.0f;
    const Ogre::Vector3 q = s.crossProduct(e1);
    const float v = ray.getDirection().dotProduct(q) * inv;
    if (v < 0.0f || u + v > 1.0f)
        return -1.0f;
    const float t = e2.dotProduct(q) * inv;
    return t >= 0.0f ? t : -1.0f;
}

} // namespace

void CPickIndex::Touch(CEditorEntity* entity) {
    if (entity->m_pickTouched)
        return;
    entity->m_pickTouched = true;
    m_touched.push_back(entity);
}

void CPickIndex::Fill(Slot& slot) {
    CEditorEntity* e = slot.entity;
    e->m_pickTouched = false;
    Ogre::Entity* shown = e->GetPickEntity();
    slot.mesh = shown ? shown->getMesh().get() : nullptr;
    slot.pickable = slot.mesh && e->IsVisible() && e->IsSelectable();
    slot.sphere = false;
    if (!slot.pickable)
        return;
    slot.meshBounds = slot.mesh->getBounds();
    slot.box = e->GetWorldBounds();
    if (slot.box.isFinite()) {
        const Ogre::Vector3 low = slot.box.getMinimum(), high = slot.box.getMaximum();
        slot.centre = (low + high) * 0.5f;
        slot.radius = (high - low).length() * 0.5f;
        slot.sphere = std::isfinite(slot.radius) && std::isfinite(slot.centre.x) &&
                      std::isfinite(slot.centre.y) && std::isfinite(slot.centre.z);
    }
}

void CPickIndex::Rebuild(const EntityMap& entities, std::uint64_t structure) {
    // The touched list may name entities that are gone: it is dropped unread.
    m_touched.clear();
    m_slots.resize(entities.size());
    std::uint32_t at = 0;
    for (const auto& kv : entities) {
        CEditorEntity* e = kv.second.get();
        e->m_pickIndex = this;
        e->m_pickSlot = at;
        Slot& slot = m_slots[at++];
        slot.entity = e;
        Fill(slot);
    }
    m_structure = structure;
    m_built = true;
}

void CPickIndex::Refresh(const EntityMap& entities, std::uint64_t structure) {
    if (!m_built || structure != m_structure) {
        Rebuild(entities, structure);
        return;
    }
    for (CEditorEntity* e : m_touched)
        if (e->m_pickIndex == this && e->m_pickSlot < m_slots.size() &&
            m_slots[e->m_pickSlot].entity == e)
            Fill(m_slots[e->m_pickSlot]);
    m_touched.clear();
}

void CPickIndex::Visit(const EntityMap& entities, std::uint64_t structure,
                       const std::function<void(const Entry&)>& visit) {
    Refresh(entities, structure);
    for (Slot& slot : m_slots) {
        // A mesh whose bounds changed since (a mesh loaded again) makes the box stale.
        if (slot.pickable && !(slot.mesh->getBounds() == slot.meshBounds))
            Fill(slot);
        visit(Entry{slot.entity, slot.pickable, slot.sphere, slot.centre, slot.radius, &slot.box});
    }
}

float CPickIndex::Pick(const EntityMap& entities, std::uint64_t structure, const Ogre::Ray& ray,
                       float maxDistance, CEditorEntity*& hit) {
    Refresh(entities, structure);

    const Ogre::Vector3 origin = ray.getOrigin(), dir = ray.getDirection();
    hit = nullptr;
    float best = -1.0f;
    for (Slot& slot : m_slots) {
        if (!slot.pickable)
            continue;
        // A mesh whose bounds changed since (a mesh loaded again) makes the box stale.
        if (!(slot.mesh->getBounds() == slot.meshBounds)) {
            Fill(slot);
            if (!slot.pickable)
                continue;
        }
        if (slot.sphere) {
            // Clear of the sphere around the box by more than the rounding of these sums can
            // account for: no hit. Whatever is left goes to the exact test.
            const Ogre::Vector3 v = slot.centre - origin;
            const float along = v.dotProduct(dir);
            const float vv = v.dotProduct(v);
            const float reach = slot.radius * 1.0001f + 1e-4f;
            if (along < -reach - 1e-4f * std::fabs(along))
                continue; // wholly behind the ray's origin
            if (vv - along * along > reach * reach + 1e-5f * vv)
                continue;
        }
        const std::pair<bool, Ogre::Real> boxHit = Ogre::Math::intersects(ray, slot.box);
        if (!boxHit.first || boxHit.second > maxDistance || (best >= 0 && boxHit.second >= best))
            continue;
        CEditorEntity* e = slot.entity;
        float t = boxHit.second;
        // Meshes built by the editor are tested triangle by triangle for precision.
        if (const std::vector<Ogre::Vector3>* tris = GetMeshTriangles(slot.mesh->getName())) {
            const Ogre::Matrix4 world = e->GetWorldMatrix();
            t = -1.0f;
            for (size_t i = 0; i + 2 < tris->size(); i += 3) {
                const float ti = RayTriangle(ray, world * (*tris)[i], world * (*tris)[i + 1],
                                             world * (*tris)[i + 2]);
                if (ti >= 0.0f && (t < 0.0f || ti < t))
                    t = ti;
            }
            if (t < 0.0f || t > maxDistance)
                continue;
        }
        if (best < 0.0f || t < best) {
            best = t;
            hit = e;
        }
    }
    return best;
}

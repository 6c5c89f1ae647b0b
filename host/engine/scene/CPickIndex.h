// The scene's table for ray picking: one entry per entity, in the scene's name order, holding
// what a pick reads of it (whether it may be picked, its world box and the mesh the box was made
// from) side by side in one array, so that a pick among thousands of entities walks memory in
// order instead of chasing each entity, its engine object and its mesh.
//
// An entry is worked out again only when its entity says it changed (world transform,
// visibility, whether it may be selected: CEditorEntity tells the index it was listed in) or
// when its mesh's bounds are no longer the ones the box was made from. Entities added, removed
// or renamed make the scene's structure count move on, and the table is then made anew.
#pragma once

#include <OgreAxisAlignedBox.h>
#include <OgreRay.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Ogre {
class Mesh;
}
class CEditorEntity;

class CPickIndex {
public:
    using EntityMap = std::map<std::string, std::unique_ptr<CEditorEntity>>;

    CPickIndex() = default;
    CPickIndex(const CPickIndex&) = delete;
    CPickIndex& operator=(const CPickIndex&) = delete;

    // Distance along the ray (unit direction) to the nearest visible, selectable entity with
    // something drawn, or -1; `hit` gets the entity. Boxes are tested first; meshes built by the
    // editor are then tested triangle by triangle. On equal distances the entity first in name
    // order wins. `structure` is the scene's count of entities added, removed or renamed.
    float Pick(const EntityMap& entities, std::uint64_t structure, const Ogre::Ray& ray,
               float maxDistance, CEditorEntity*& hit);

    // Called by an entity listed here whose world box or pickability changed.
    void Touch(CEditorEntity* entity);

    // What a walk of the table sees of an entity: whether it may be picked (shown, selectable,
    // with something drawn), and then its world box and, when the box is finite, the sphere
    // around it.
    struct Entry {
        CEditorEntity* entity;
        bool pickable;
        bool sphere;
        Ogre::Vector3 centre;
        float radius;
        const Ogre::AxisAlignedBox* box;
    };
    // Brings the table up to date as Pick does and hands every entity's entry to `visit`, in
    // name order: the snapping queries walk the boxes in order in memory as Pick does.
    void Visit(const EntityMap& entities, std::uint64_t structure,
               const std::function<void(const Entry&)>& visit);

private:
    struct Slot {
        // A sphere around the box: a ray passing clear of it cannot hit the box (a cheap test
        // before the exact one). Not used for boxes that are not finite.
        Ogre::Vector3 centre;
        float radius = 0.0f;
        bool pickable = false;
        bool sphere = false;
        CEditorEntity* entity = nullptr;
        const Ogre::Mesh* mesh = nullptr;
        Ogre::AxisAlignedBox box;
        Ogre::AxisAlignedBox meshBounds;
    };

    void Rebuild(const EntityMap& entities, std::uint64_t structure);
    // The table made anew or its touched entries worked out again.
    void Refresh(const EntityMap& entities, std::uint64_t structure);
    static void Fill(Slot& slot);

    std::vector<Slot> m_slots;
    // Entities that called Touch since their entry was last worked out.
    std::vector<CEditorEntity*> m_touched;
    std::uint64_t m_structure = ~std::uint64_t(0);
    bool m_built = false;
};

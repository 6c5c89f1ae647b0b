// The editor's scene: named entities, the selection set, the ground and ray queries.
#pragma once

#include "CSceneManager.h"

#include <OgreColourValue.h>
#include <OgreLight.h>
#include <OgreRay.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Ogre {
class SceneManager;
}
class CEditorEntity;
class CPickIndex;
class CSnapQueries;
class CTerrain;

class CEditorScene : public CSceneManager {
public:
    // A scene whose entities are drawn by `sceneManager`; a scene made with `shown` false keeps
    // its entities out of the engine's scene graph (a scene being loaded, see TakeContent).
    explicit CEditorScene(Ogre::SceneManager* sceneManager, bool shown = true);
    ~CEditorScene() override;
    CEditorScene(const CEditorScene&) = delete;
    CEditorScene& operator=(const CEditorScene&) = delete;

    // CSceneManager
    const std::set<std::string>& getSelectedEntities() const override { return m_selection; }
    SceneEntity* getSceneEntity(const std::string& name) const override;
    bool isEntitySelected(const std::string& name) const override;
    int rayQuery(RayQuery* query) override;
    SceneEntity* beginSelected() override;
    SceneEntity* nextSelected() override;
    SceneEntity* beginEntity() override;
    SceneEntity* nextEntity() override;
    bool canSelect(SceneEntity* entity) const override;
    int getNumLights() const override;
    // The snapping queries (CSnapQueries); a vertex query's view must be one of the editor's.
    int vertexQuery(VertexQuery* query) override;
    int surfaceQuery(RayQuery* query, Ogre::Vector3* normal) override;
    const CSnapQueries& SnapQueries() const { return *m_snap; }

    // Adds a mesh entity (an entity without a mesh for an empty mesh name); null when the name
    // is empty, longer than kMaxSceneNameBytes or taken, the mesh unknown, the parent named but
    // missing, a value not finite, or the entity out of the world range under its parent.
    CEditorEntity* AddMesh(const std::string& name, const std::string& meshName,
                           const std::string& parentName, const Ogre::Vector3& position,
                           const Ogre::Vector3& orientation = Ogre::Vector3::ZERO,
                           const Ogre::Vector3& scale = Ogre::Vector3::UNIT_SCALE);
    // Adds a light with a pickable marker; null when the name is empty, too long or taken, or the
    // position out of the world range.
    CEditorEntity* AddLight(const std::string& name, Ogre::Light::LightTypes type,
                            const Ogre::Vector3& position, const Ogre::ColourValue& colour,
                            const std::string& parentName = "");
    // Replaces the ground by a terrain `width` x `depth` centred at the origin, with hills of
    // the given amplitude, `cells` grid cells along each side. False on bad sizes (sizes and
    // heights beyond CTerrain::kMaxExtent included).
    bool SetGround(float width, float depth, float amplitude, int cells = 64);
    // Replaces the ground by one of given heights over the same kind of grid ((cells + 1)^2
    // heights, rows along z). False on bad sizes or values (the ground is then unchanged).
    bool SetGroundHeights(float width, float depth, int cells, const std::vector<float>& heights);
    const CTerrain* GetGround() const { return m_ground.get(); }
    // Height of the ground surface at (x, z); 0 outside the ground or without one.
    float TerrainHeightAt(float x, float z) const;

    // Removes an entity and its children (children first); they leave the selection.
    // False for an unknown name.
    bool RemoveEntity(const std::string& name);
    // Copies an entity (same mesh or light, parent, transform, state) under a unique name
    // derived from it ("box_a_1", "box_a_2", ...); the copy is not selected. "" on failure.
    std::string CopyEntity(const std::string& name);
    // A copy under a given name (used by redo so names stay stable). False if taken.
    bool CopyEntityAs(const std::string& name, const std::string& newName);
    // Gives an entity another name: the selection keeps it under the new one. False, nothing
    // changed, for an unknown old name or a new name that is empty, too long or taken.
    bool RenameEntity(const std::string& oldName, const std::string& newName);
    // Hides (not drawn, not pickable) or shows an entity. False for an unknown name.
    bool SetEntityHidden(const std::string& name, bool hidden);
    // Counters that grow with every change of their kind, so that a view of the scene (the
    // outliner) can tell cheaply whether it is still current: entities added, removed or
    // renamed; the selection; entities hidden or shown.
    std::uint64_t StructureRevision() const { return m_structureChanges; }
    std::uint64_t SelectionRevision() const { return m_selectionChanges; }
    std::uint64_t AppearanceRevision() const { return m_appearanceChanges; }
    // The first of name_1, name_2, ... that no entity has (the name shortened at a character's
    // start to leave room for the number within kMaxSceneNameBytes).
    std::string UniqueName(const std::string& base) const;

    // Replaces the selection; unknown names are dropped.
    void SetSelection(const std::set<std::string>& names);
    // "add", "sub" or "exclude" (= replace) with a list of names; unknown names are ignored.
    // False for an unknown mode (selection kept).
    bool SelectNames(const std::string& mode, const std::vector<std::string>& names);

    // Moves the selection into `into` (its content goes); the scene's selection is then empty.
    void TakeSelection(std::set<std::string>& into);

    CEditorEntity* GetEntity(const std::string& name) const;
    // Grows with every change to the selection (and every removal): a view of the selection
    // drawn at one count holds while the count is the same.
    std::uint64_t SelectionChanges() const { return m_selectionChanges; }
    int GetEntityCount() const { return static_cast<int>(m_entities.size()); }
    Ogre::SceneManager* GetOgreSceneManager() const { return m_sceneManager; }

    // Removes every entity and the ground, and clears the selection; the scene's mesh group
    // goes too. Linear in the number of entities.
    void Clear();

    // The resource group of meshes loaded for this scene (a scene file's folder), looked up
    // before the editor's own meshes; the scene destroys it when its entities go (Clear, a
    // content swap, destruction). "" for none.
    void AdoptMeshGroup(const std::string& group);
    const std::string& GetMeshGroup() const { return m_meshGroup; }
    // Replaces this scene's entities, ground and mesh group by those of `loaded` (a scene made
    // with `shown` false) and clears both selections; `loaded` gets the old content, hidden,
    // to be dropped with it. Nothing is copied.
    void TakeContent(CEditorScene& loaded);

    // Distance along the ray to the nearest pickable entity, or -1; `hit` gets the entity.
    float PickEntity(const Ogre::Ray& ray, float maxDistance, CEditorEntity*& hit) const;
    // Distance along the ray to the ground, or -1.
    float PickGround(const Ogre::Ray& ray, float maxDistance) const;

private:
    CEditorEntity* Insert(std::unique_ptr<CEditorEntity> entity);
    // The group in which this scene finds a mesh: its mesh group, then the editor's own
    // meshes; "" when neither has it.
    std::string MeshGroupOf(const std::string& meshName) const;
    void DropMeshGroup();
    void ResetWalks();
    // Records the name the entity walk stands on while its map position is still good, before
    // a change that may take that position away.
    void KeepEntityCursor();
    // The first selected entity from `it` on, where the selection walk then stands; null at
    // the end.
    SceneEntity* StepSelected(std::set<std::string>::const_iterator it);

    Ogre::SceneManager* m_sceneManager;
    // The node that holds every entity's node (entities are flat in it: see CEditorEntity).
    Ogre::SceneNode* m_layer = nullptr;
    bool m_shown = true;
    std::string m_meshGroup;
    std::map<std::string, std::unique_ptr<CEditorEntity>> m_entities;
    // The same entities by name, hashed: a drag or undo over a big selection looks every
    // selected entity up by name, which the ordered map answers only after a walk of its tree.
    // The keys are the entities' own names.
    std::unordered_map<std::string_view,
                       std::map<std::string, std::unique_ptr<CEditorEntity>>::const_iterator>
        m_index;
    std::set<std::string> m_selection;
    // Counts changes to the selection, so a walk of it steps from where it stands while the
    // selection is as it was (the name is the fallback).
    std::uint64_t m_selectionChanges = 0;
    std::set<std::string>::const_iterator m_selectedIt;
    std::uint64_t m_selectedItChanges = 0;
    std::unique_ptr<CTerrain> m_ground;
    // The entities' boxes for picking. It goes with the entities when a content swap moves
    // them to another scene (the entities know the index they are listed in).
    std::unique_ptr<CPickIndex> m_pick;
    // The vertex and surface queries with their cache of mesh geometry.
    std::unique_ptr<CSnapQueries> m_snap;
    // Walk cursors of beginSelected/nextSelected and beginEntity/nextEntity (by name, so the
    // walks survive changes to the containers). The entity walk's name is taken only when an
    // entity is about to be removed or renamed (KeepEntityCursor): a walk over every entity
    // copies no name per step.
    std::string m_selectedCursor;
    std::string m_entityCursor;
    bool m_selectedWalkDone = true;
    bool m_entityWalkDone = true;
    // The entity the walk stands on, to step from while no entity was removed since (the name
    // is the fallback): a step is then constant time instead of a search.
    std::map<std::string, std::unique_ptr<CEditorEntity>>::iterator m_entityIt;
    std::uint64_t m_removals = 0;
    std::uint64_t m_structureChanges = 0;
    std::uint64_t m_appearanceChanges = 0;
    std::uint64_t m_entityItRemovals = 0;
    // Where the last lookup by name landed in m_entities, while no entity was removed since:
    // walks by name in name order (the selection, an undo step's names) find the next entity
    // one step on, without hashing the name or visiting the hash table's nodes.
    mutable std::map<std::string, std::unique_ptr<CEditorEntity>>::const_iterator m_lookupIt;
    mutable std::uint64_t m_lookupRemovals = ~std::uint64_t(0);
};

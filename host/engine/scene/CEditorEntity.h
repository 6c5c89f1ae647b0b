// A scene entity of the editor: a mesh (Ogre::Entity) or a light (Ogre::Light with a small
// pickable marker) on its own scene node, under an optional parent entity.
//
// The local transform is kept here (position, orientation as (pitch, yaw, roll), scale); the
// world transform follows Ogre's node rules: world scale = parent scale * local scale, world
// rotation = parent rotation * local rotation, world position = parent rotation * (parent scale
// * local position) + parent position. The world transform is kept too, brought up to date for
// the entity and its descendants whenever a local transform changes, and it is what the Ogre
// node holds: every entity's node sits directly in the scene's layer node, so that neither the
// engine nor the editor walks a parent chain (a file may nest entities thousands deep).
#pragma once

#include "SceneEntity.h"

#include <OgreAxisAlignedBox.h>
#include <OgreColourValue.h>
#include <OgreLight.h>
#include <OgreQuaternion.h>

#include <string>
#include <vector>

namespace Ogre {
class Mesh;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CPickIndex;

class CEditorEntity : public SceneEntity {
public:
    // A mesh entity showing `meshName` of the resource group `meshGroup` (the mesh must exist),
    // or an entity without a mesh when `meshName` is empty (a node that only groups its
    // children). Its node goes into `layer`; `parent` may be null.
    CEditorEntity(Ogre::SceneManager* sceneManager, Ogre::SceneNode* layer, const std::string& name,
                  const std::string& meshName, const std::string& meshGroup, CEditorEntity* parent);
    // A light of the given type and colour, drawn as a marker mesh "EditorLightMarker".
    CEditorEntity(Ogre::SceneManager* sceneManager, Ogre::SceneNode* layer, const std::string& name,
                  Ogre::Light::LightTypes type, const Ogre::ColourValue& colour,
                  CEditorEntity* parent);
    ~CEditorEntity() override;
    CEditorEntity(const CEditorEntity&) = delete;
    CEditorEntity& operator=(const CEditorEntity&) = delete;

    // SceneEntity
    const std::string& GetName() const override { return m_name; }
    std::uint32_t GetState() const override { return m_state; }
    void AddState(std::uint32_t bits) override { m_state |= bits; }
    void RemoveState(std::uint32_t bits) override { m_state &= ~bits; }

    Ogre::Vector3 GetPosition() const override { return m_position; }
    Ogre::Vector3 GetOrientation() const override { return m_orientation; }
    Ogre::Vector3 GetScale() const override { return m_scale; }
    void SetPosition(const Ogre::Vector3& value, COORDINATE_AXIS axis = AXIS_ALL) override;
    void SetPosition(float x, float y, float z) override;
    void SetOrientation(const Ogre::Vector3& value, COORDINATE_AXIS axis = AXIS_ALL) override;
    void SetScale(const Ogre::Vector3& value, COORDINATE_AXIS axis = AXIS_ALL) override;

    Ogre::Vector3 GetWorldPosition() const override { return m_worldPosition; }
    Ogre::Vector3 GetWorldOrientation() const override;
    Ogre::Vector3 GetWorldScale() const override { return m_worldScale; }
    void SetWorldPosition(float x, float y, float z) override;
    void SetWorldOrientation(float pitch, float yaw, float roll) override;
    void SetWorldScale(float x, float y, float z) override;

    void PreTransform(const Ogre::Vector3& parts) override;
    void MoveDelta(const Ogre::Vector3& delta, int local = 0, int relative = 1) override;
    void RotateDelta(const Ogre::Vector3& yawPitchRoll) override;
    void RotateDelta(const Ogre::Vector3& axis, float angle, bool relative) override;
    void ScaleDelta(const Ogre::Vector3& factors) override;

    Ogre::Vector3 GetBoundsMin() const override;
    Ogre::Vector3 GetBoundsMax() const override;
    // The world box of the shown mesh (a point at the world position without one): the box
    // whose corners GetBoundsMin and GetBoundsMax answer.
    Ogre::AxisAlignedBox GetWorldBounds() const;
    SceneEntity* getParent() const override { return m_parent; }
    int IsVisible() const override { return m_visible ? 1 : 0; }
    Ogre::Light* GetOgreLight() const override { return m_light; }
    Ogre::Entity* GetOgreEntity() const override { return m_entity; }
    std::string getMovableObjectName() const override;
    int EnabledTrnaform() const override { return m_transformEnabled ? 1 : 0; }

    // Editor-side operations.
    // Only the scene renames an entity (its tables are keyed by the name).
    void SetName(const std::string& name) { m_name = name; }
    CEditorEntity* GetParentEntity() const { return m_parent; }
    bool IsLight() const { return m_light != nullptr; }
    const std::string& GetMeshName() const { return m_meshName; }
    // The mesh file a scene file named for this entity when it could not be loaded and the
    // entity shows a placeholder instead; empty otherwise. Saving writes it back.
    const std::string& GetMissingMesh() const { return m_missingMesh; }
    void SetMissingMesh(const std::string& meshFile) { m_missingMesh = meshFile; }
    Ogre::SceneNode* GetNode() const { return m_node; }
    // The entities whose parent this is.
    const std::vector<CEditorEntity*>& GetChildren() const { return m_children; }
    // Forgets the parent and children links without touching them: used when a whole scene
    // goes at once, so that no entity searches a sibling list on its way out.
    void DropLinks() {
        m_parent = nullptr;
        m_children.clear();
    }
    // The entity drawn for picking: the mesh entity, or a light's marker.
    Ogre::Entity* GetPickEntity() const { return m_entity ? m_entity : m_marker; }
    void SetVisible(bool visible);
    void SetTransformEnabled(bool enabled) { m_transformEnabled = enabled; }
    void SetSelectable(bool selectable);
    bool IsSelectable() const { return m_selectable; }

    // Whether the entity may take this local transform: finite values, a usable scale, and the
    // world position and scale of the entity and of each of its descendants inside the world
    // range (EditorTypes.h). Every setter asks this first; a refused change keeps the entity
    // as it was.
    bool AcceptsTransform(const Ogre::Vector3& position, const Ogre::Vector3& pitchYawRoll,
                          const Ogre::Vector3& scale) const;
    // Sets the whole local transform at once when AcceptsTransform allows it (the engine
    // node and the descendants are brought up to date once, not once per part); false, and
    // nothing changed, otherwise.
    bool SetLocalTransform(const Ogre::Vector3& position, const Ogre::Vector3& pitchYawRoll,
                           const Ogre::Vector3& scale);
    // The message of the latest change refused for leaving the world range, emptied by the
    // call; empty when none was refused since the last call. The editor shows it in its
    // status line.
    static std::string TakeRefusalMessage();
    // Counts changes to any entity's world transform or visibility, in every scene of the
    // process: what is drawn from them (the selection boxes) is rebuilt only when it moved on.
    static std::uint64_t WorldChanges();

    // World rotation as an Ogre (column-vector) quaternion, and the world transform as a
    // column-vector 4x4 matrix (scale, then rotation, then translation).
    Ogre::Quaternion GetWorldRotation() const { return m_worldRotation; }
    Ogre::Matrix4 GetWorldMatrix() const;
    // The local rotation of a (pitch, yaw, roll) triple, in Ogre's column form.
    static Ogre::Quaternion RotationFromYPR(const Ogre::Vector3& pitchYawRoll);
    // The (pitch, yaw, roll) triple of an Ogre rotation.
    static Ogre::Vector3 YPRFromRotation(const Ogre::Quaternion& rotation);

private:
    friend class CPickIndex;
    // Tells the pick index this entity is listed in that its box or pickability changed.
    void TouchPick();
    void Attach(Ogre::SceneNode* layer, CEditorEntity* parent);
    // Takes a new local transform: the world transform of this entity and of every descendant
    // follows, onto their nodes.
    void SyncNode();
    // The world transform from the parent's and the local one, onto the node.
    void UpdateWorld();
    void SetWorldRotation(const Ogre::Quaternion& world);
    // The world checks of AcceptsTransform, for a local rotation already worked out. Records
    // the refusal message when the answer is no.
    bool FitsWorld(const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                   const Ogre::Vector3& scale, bool report) const;
    // Whether every descendant stays in range under this entity placed at the given world
    // transform.
    bool DescendantsFit(const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                        const Ogre::Vector3& scale) const;

    // First what a walk over every entity reads of each (the name, whether it is shown and
    // may be selected, its world box): side by side, a few cache lines per entity.
    std::string m_name;
    bool m_visible = true;
    bool m_selectable = true;
    // The world box as last computed, kept while the world transform and the mesh bounds are
    // the same: picking and rectangle selection ask every entity for both corners, many times.
    mutable bool m_boxValid = false;
    // The mesh of m_entity or m_marker (held by that engine entity), read for the world box
    // without going through the engine entity.
    const Ogre::Mesh* m_shownMesh = nullptr;
    mutable Ogre::AxisAlignedBox m_boxMeshBounds;
    mutable Ogre::AxisAlignedBox m_worldBox;

    std::string m_meshName;
    std::string m_missingMesh;
    Ogre::SceneManager* m_sceneManager = nullptr;
    Ogre::SceneNode* m_node = nullptr;
    Ogre::Entity* m_entity = nullptr;
    Ogre::Entity* m_marker = nullptr;
    Ogre::Light* m_light = nullptr;
    CEditorEntity* m_parent = nullptr;
    // The entities whose parent this is (kept by the children themselves).
    std::vector<CEditorEntity*> m_children;

    Ogre::Vector3 m_position = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_orientation = Ogre::Vector3::ZERO; // (pitch, yaw, roll)
    Ogre::Vector3 m_scale = Ogre::Vector3::UNIT_SCALE;
    std::uint32_t m_state = 0;
    bool m_transformEnabled = true;

    // The rotation of m_orientation, worked out once per change instead of on every world query.
    Ogre::Quaternion m_localRotation = Ogre::Quaternion::IDENTITY;
    // The node was given the world transform at least once (UpdateWorld sets only what changed).
    bool m_nodeSet = false;
    // The world transform, kept up to date by UpdateWorld.
    Ogre::Vector3 m_worldPosition = Ogre::Vector3::ZERO;
    Ogre::Quaternion m_worldRotation = Ogre::Quaternion::IDENTITY;
    Ogre::Vector3 m_worldScale = Ogre::Vector3::UNIT_SCALE;
    // The scene's pick index that lists this entity, and the entry it has there (both set by
    // the index); m_pickTouched while the index has it on its list of entries to work out again.
    CPickIndex* m_pickIndex = nullptr;
    std::uint32_t m_pickSlot = 0;
    bool m_pickTouched = false;

    // The record taken by PreTransform.
    Ogre::Vector3 m_prePosition = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_preWorldPosition = Ogre::Vector3::ZERO;
    Ogre::Quaternion m_preWorldRotation = Ogre::Quaternion::IDENTITY;
    Ogre::Vector3 m_preScale = Ogre::Vector3::UNIT_SCALE;
};

// A scene, its entities and a plug-in object for the side panel, without the host or the
// module: what the panel reads and what it asks for, recorded for the tests.
#pragma once

#include "CSceneManager.h"
#include "IPanelOwner.h"
#include "SceneEntity.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CDialogParameter;

class FakeEntity : public SceneEntity {
public:
    explicit FakeEntity(std::string name) : m_name(std::move(name)) {}
    const std::string& GetName() const override { return m_name; }
    std::uint32_t GetState() const override { return m_state; }
    void AddState(std::uint32_t bits) override { m_state |= bits; }
    void RemoveState(std::uint32_t bits) override { m_state &= ~bits; }
    Ogre::Vector3 GetPosition() const override { return m_position; }
    Ogre::Vector3 GetOrientation() const override { return m_orientation; }
    Ogre::Vector3 GetScale() const override { return m_scale; }
    void SetPosition(const Ogre::Vector3& v, COORDINATE_AXIS axis) override;
    void SetPosition(float x, float y, float z) override { m_position = {x, y, z}; }
    void SetOrientation(const Ogre::Vector3& v, COORDINATE_AXIS axis) override;
    // Like the host: a scale with a zero component is not taken.
    void SetScale(const Ogre::Vector3& v, COORDINATE_AXIS axis) override;
    Ogre::Vector3 GetWorldPosition() const override { return m_position; }
    Ogre::Vector3 GetWorldOrientation() const override { return m_orientation; }
    Ogre::Vector3 GetWorldScale() const override { return m_scale; }
    void SetWorldPosition(float x, float y, float z) override { m_position = {x, y, z}; }
    void SetWorldOrientation(float p, float y, float r) override { m_orientation = {p, y, r}; }
    void SetWorldScale(float x, float y, float z) override { m_scale = {x, y, z}; }
    void PreTransform(const Ogre::Vector3&) override {}
    void MoveDelta(const Ogre::Vector3&, int, int) override {}
    void RotateDelta(const Ogre::Vector3&) override {}
    void RotateDelta(const Ogre::Vector3&, float, bool) override {}
    void ScaleDelta(const Ogre::Vector3&) override {}
    Ogre::Vector3 GetBoundsMin() const override { return m_position - Ogre::Vector3(1, 0.5f, 1); }
    Ogre::Vector3 GetBoundsMax() const override { return m_position + Ogre::Vector3(1, 0.5f, 1); }
    SceneEntity* getParent() const override { return nullptr; }
    int IsVisible() const override { return 1; }
    Ogre::Light* GetOgreLight() const override { return nullptr; }
    Ogre::Entity* GetOgreEntity() const override { return nullptr; }
    std::string getMovableObjectName() const override { return m_mesh; }
    int EnabledTrnaform() const override { return 1; }

    std::string m_name;
    std::string m_mesh = "box.mesh";
    std::uint32_t m_state = 0;
    Ogre::Vector3 m_position{0, 0, 0};
    Ogre::Vector3 m_orientation{0, 0, 0};
    Ogre::Vector3 m_scale{1, 1, 1};
};

class FakeScene : public CSceneManager {
public:
    FakeEntity& Add(const std::string& name);
    // An entity of a test's own kind (a light, say).
    FakeEntity& Add(std::unique_ptr<FakeEntity> entity);
    // As the host deletes an entity: gone from the scene and the selection.
    void Remove(const std::string& name) {
        m_selected.erase(name);
        m_entities.erase(name);
    }
    void Select(const std::set<std::string>& names) { m_selected = names; }

    const std::set<std::string>& getSelectedEntities() const override { return m_selected; }
    SceneEntity* getSceneEntity(const std::string& name) const override;
    bool isEntitySelected(const std::string& name) const override {
        return m_selected.count(name) != 0;
    }
    int rayQuery(RayQuery*) override { return 0; }
    SceneEntity* beginSelected() override;
    SceneEntity* nextSelected() override;
    SceneEntity* beginEntity() override { return nullptr; }
    SceneEntity* nextEntity() override { return nullptr; }
    bool canSelect(SceneEntity*) const override { return true; }
    int getNumLights() const override { return 0; }

private:
    std::map<std::string, std::unique_ptr<FakeEntity>> m_entities;
    std::set<std::string> m_selected;
    std::set<std::string>::const_iterator m_walk;
};

// Applies transforms to the selection and tells the panel, as the plug-in object does.
class FakePanelOwner : public IPanelOwner {
public:
    FakePanelOwner(FakeScene& scene, CDialogParameter& panel) : m_scene(scene), m_panel(panel) {}

    int ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) override;
    int RenameEntity(SceneEntity* entity, const char* name) override;
    void SetGroundFollow(bool follow) override { m_groundFollow = follow; }
    bool GetGroundFollow() const override { return m_groundFollow; }
    float GroundHeight(Ogre::Vector3) override { return -1.0f; }
    int SnapToGround() override;
    Interface* GetHost() const override { return nullptr; }

    struct Apply {
        Ogre::Vector3 value;
        COORDINATE_AXIS axis;
        int kind;
    };
    std::vector<Apply> m_applies; // one per undo step
    std::vector<std::string> m_renames;
    int m_snaps = 0;
    bool m_groundFollow = false;

private:
    FakeScene& m_scene;
    CDialogParameter& m_panel;
};

#include "FakePanelOwner.h"

#include "CDialogParameter.h"
#include "TransformChannel.h"

namespace {

void Merge(Ogre::Vector3& target, const Ogre::Vector3& value, COORDINATE_AXIS axis) {
    if (axis == AXIS_ALL)
        target = value;
    else
        target[axis] = value[axis];
}

} // namespace

void FakeEntity::SetPosition(const Ogre::Vector3& v, COORDINATE_AXIS axis) {
    Merge(m_position, v, axis);
}

void FakeEntity::SetOrientation(const Ogre::Vector3& v, COORDINATE_AXIS axis) {
    Merge(m_orientation, v, axis);
}

void FakeEntity::SetScale(const Ogre::Vector3& v, COORDINATE_AXIS axis) {
    Ogre::Vector3 merged = m_scale;
    Merge(merged, v, axis);
    if (merged.x != 0 && merged.y != 0 && merged.z != 0)
        m_scale = merged;
}

FakeEntity& FakeScene::Add(const std::string& name) {
    return Add(std::make_unique<FakeEntity>(name));
}

FakeEntity& FakeScene::Add(std::unique_ptr<FakeEntity> entity) {
    auto& slot = m_entities[entity->GetName()];
    slot = std::move(entity);
    return *slot;
}

SceneEntity* FakeScene::getSceneEntity(const std::string& name) const {
    const auto it = m_entities.find(name);
    return it == m_entities.end() ? nullptr : it->second.get();
}

SceneEntity* FakeScene::beginSelected() {
    m_walk = m_selected.begin();
    return nextSelected();
}

SceneEntity* FakeScene::nextSelected() {
    while (m_walk != m_selected.end()) {
        SceneEntity* entity = getSceneEntity(*m_walk++);
        if (entity)
            return entity;
    }
    return nullptr;
}

int FakePanelOwner::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    m_applies.push_back({value, axis, kind});
    const std::set<std::string> names = m_scene.getSelectedEntities();
    for (const std::string& name : names) {
        SceneEntity* entity = m_scene.getSceneEntity(name);
        if (!entity)
            continue;
        const TransformChannel& channel = ChannelOf(kind);
        channel.Set(*entity, value, axis);
        m_panel.OnSceneNotify(entity, channel.notifyCode);
    }
    return 1;
}

int FakePanelOwner::RenameEntity(SceneEntity*, const char* name) {
    m_renames.emplace_back(name);
    return 1;
}

int FakePanelOwner::SnapToGround() {
    ++m_snaps;
    return 1;
}

// Editor entities: local transform kept here and mirrored onto the Ogre scene node.
#include "CEditorEntity.h"

#include "CPickIndex.h"
#include "EditorMeshes.h"
#include "ID3dUtil.h"

#include <OgreAxisAlignedBox.h>
#include <OgreEntity.h>
#include <OgreMatrix3.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const char* const kMarkerMesh = "EditorLightMarker";

// Scale components must be finite and not zero (a zero scale cannot be undone through the
// world setters of children and collapses the entity for good).
bool UsableScale(const Ogre::Vector3& v) {
    return IsFinite(v) && std::fabs(v.x) > kMinWorldScale && std::fabs(v.y) > kMinWorldScale &&
           std::fabs(v.z) > kMinWorldScale;
}

// The range as the refusal message states it: "位置 ±1e+06，缩放 1e-06 至 1e+06".
std::string WorldRangeText() {
    char text[96];
    std::snprintf(text, sizeof text, "位置 ±%g，缩放 %g 至 %g", double(kMaxWorldCoordinate),
                  double(kMinWorldScale), double(kMaxWorldScale));
    return text;
}

// The message of the latest refusal not yet shown.
std::string g_refusal;
std::uint64_t g_worldChanges = 0;

// Replaces component `axis` of target by that of value (all three for AXIS_ALL).
Ogre::Vector3 Merge(Ogre::Vector3 target, const Ogre::Vector3& value, COORDINATE_AXIS axis) {
    switch (axis) {
    case AXIS_X:
        target.x = value.x;
        break;
    case AXIS_Y:
        target.y = value.y;
        break;
    case AXIS_Z:
        target.z = value.z;
        break;
    default:
        target = value;
        break;
    }
    return target;
}

bool ValidAxis(COORDINATE_AXIS axis) {
    return axis >= AXIS_X && axis <= AXIS_ALL;
}

void EnsureMarkerMesh() {
    if (Ogre::MeshManager::getSingleton().getByName(kMarkerMesh))
        return;
    BuildManualMesh(kMarkerMesh, MakeBoxData(Ogre::Vector3(0.35f), 0xFFFFD040u), "Editor/Unlit");
}

} // namespace

// The engine's objects of an entity are unnamed (the engine numbers them): two scenes of the
// same engine scene manager, the open one and one being loaded, may hold equal entity names.
CEditorEntity::CEditorEntity(Ogre::SceneManager* sceneManager, Ogre::SceneNode* layer,
                             const std::string& name, const std::string& meshName,
                             const std::string& meshGroup, CEditorEntity* parent)
    : m_name(name), m_meshName(meshName), m_sceneManager(sceneManager) {
    Attach(layer, parent);
    if (meshName.empty())
        return;
    const Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().load(meshName, meshGroup);
    m_entity = sceneManager->createEntity(mesh);
    m_shownMesh = m_entity->getMesh().get();
    m_node->attachObject(m_entity);
}

CEditorEntity::CEditorEntity(Ogre::SceneManager* sceneManager, Ogre::SceneNode* layer,
                             const std::string& name, Ogre::Light::LightTypes type,
                             const Ogre::ColourValue& colour, CEditorEntity* parent)
    : m_name(name), m_sceneManager(sceneManager) {
    Attach(layer, parent);
    m_light = sceneManager->createLight();
    m_light->setType(type);
    m_light->setDiffuseColour(colour);
    m_light->setSpecularColour(colour);
    m_light->setAttenuation(60.0f, 1.0f, 0.02f, 0.0f);
    if (type == Ogre::Light::LT_SPOTLIGHT)
        m_light->setSpotlightRange(Ogre::Degree(25), Ogre::Degree(45));
    m_node->attachObject(m_light);
    EnsureMarkerMesh();
    m_meshName = kMarkerMesh;
    m_marker = sceneManager->createEntity(kMarkerMesh);
    m_shownMesh = m_marker->getMesh().get();
    m_node->attachObject(m_marker);
}

void CEditorEntity::Attach(Ogre::SceneNode* layer, CEditorEntity* parent) {
    m_parent = parent;
    m_node = layer->createChildSceneNode();
    if (parent)
        parent->m_children.push_back(this);
    m_localRotation = RotationFromYPR(m_orientation);
    UpdateWorld();
}

CEditorEntity::~CEditorEntity() {
    if (m_parent) {
        // Searched from the back: children usually go in the reverse order of their coming.
        std::vector<CEditorEntity*>& siblings = m_parent->m_children;
        const auto it = std::find(siblings.rbegin(), siblings.rend(), this);
        if (it != siblings.rend())
            siblings.erase(std::next(it).base());
    }
    if (!m_node)
        return;
    // Children are removed by the scene first; detach whatever is left so that destroying
    // this node does not take other nodes with it.
    m_node->detachAllObjects();
    if (m_entity)
        m_sceneManager->destroyEntity(m_entity);
    if (m_marker)
        m_sceneManager->destroyEntity(m_marker);
    if (m_light)
        m_sceneManager->destroyLight(m_light);
    if (Ogre::SceneNode* up = m_node->getParentSceneNode())
        up->removeChild(m_node);
    m_sceneManager->destroySceneNode(m_node);
}

Ogre::Quaternion CEditorEntity::RotationFromYPR(const Ogre::Vector3& pitchYawRoll) {
    // Row-vector roll-Z, pitch-X, yaw-Y is, in column form, Ry(yaw) * Rx(pitch) * Rz(roll).
    Ogre::Matrix3 m;
    m.FromEulerAnglesYXZ(Ogre::Radian(pitchYawRoll.y), Ogre::Radian(pitchYawRoll.x),
                         Ogre::Radian(pitchYawRoll.z));
    return Ogre::Quaternion(m);
}

Ogre::Vector3 CEditorEntity::YPRFromRotation(const Ogre::Quaternion& rotation) {
    Ogre::Matrix3 m;
    rotation.ToRotationMatrix(m);
    Ogre::Matrix4 row = Ogre::Matrix4::IDENTITY;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            row[i][j] = m[j][i];
    return ID3dUtil::GenerateYPRFromMat(row);
}

void CEditorEntity::SyncNode() {
    // m_localRotation is worked out where m_orientation changes: a move or scale (every drag
    // step of a move) keeps it as it is.
    UpdateWorld();
    // The descendants follow, parents before children, without recursion (in one buffer for
    // every call, as in DescendantsFit).
    if (m_children.empty())
        return;
    static thread_local std::vector<CEditorEntity*> pending;
    pending.assign(m_children.rbegin(), m_children.rend());
    while (!pending.empty()) {
        CEditorEntity* e = pending.back();
        pending.pop_back();
        e->UpdateWorld();
        pending.insert(pending.end(), e->m_children.rbegin(), e->m_children.rend());
    }
}

void CEditorEntity::UpdateWorld() {
    const Ogre::Quaternion oldRotation = m_worldRotation;
    const Ogre::Vector3 oldScale = m_worldScale;
    if (m_parent) {
        m_worldPosition = m_parent->m_worldRotation * (m_parent->m_worldScale * m_position) +
                          m_parent->m_worldPosition;
        m_worldRotation = m_parent->m_worldRotation * m_localRotation;
        m_worldScale = m_parent->m_worldScale * m_scale;
    } else {
        m_worldPosition = m_position;
        m_worldRotation = m_localRotation;
        m_worldScale = m_scale;
    }
    m_boxValid = false;
    ++g_worldChanges;
    TouchPick();
    // A node value the same as the one it was last given is not set again (a move of an
    // entity leaves its rotation and scale as they were).
    m_node->setPosition(m_worldPosition);
    if (!m_nodeSet || !(oldRotation == m_worldRotation))
        m_node->setOrientation(m_worldRotation);
    if (!m_nodeSet || !(oldScale == m_worldScale))
        m_node->setScale(m_worldScale);
    m_nodeSet = true;
}

void CEditorEntity::SetPosition(const Ogre::Vector3& value, COORDINATE_AXIS axis) {
    if (!ValidAxis(axis))
        return;
    const Ogre::Vector3 merged = Merge(m_position, value, axis);
    if (!IsFinite(merged) || !FitsWorld(merged, m_localRotation, m_scale, true))
        return;
    m_position = merged;
    SyncNode();
}

void CEditorEntity::SetPosition(float x, float y, float z) {
    SetPosition(Ogre::Vector3(x, y, z), AXIS_ALL);
}

void CEditorEntity::SetOrientation(const Ogre::Vector3& value, COORDINATE_AXIS axis) {
    if (!ValidAxis(axis))
        return;
    const Ogre::Vector3 merged = Merge(m_orientation, value, axis);
    if (!IsFinite(merged))
        return;
    // A turn moves no world position or scale but those of the descendants.
    const Ogre::Quaternion rotation = RotationFromYPR(merged);
    if (!m_children.empty() && !FitsWorld(m_position, rotation, m_scale, true))
        return;
    m_orientation = merged;
    m_localRotation = rotation;
    SyncNode();
}

void CEditorEntity::SetScale(const Ogre::Vector3& value, COORDINATE_AXIS axis) {
    if (!ValidAxis(axis))
        return;
    const Ogre::Vector3 merged = Merge(m_scale, value, axis);
    if (!UsableScale(merged) || !FitsWorld(m_position, m_localRotation, merged, true))
        return;
    m_scale = merged;
    SyncNode();
}

bool CEditorEntity::AcceptsTransform(const Ogre::Vector3& position,
                                     const Ogre::Vector3& pitchYawRoll,
                                     const Ogre::Vector3& scale) const {
    return IsFinite(position) && IsFinite(pitchYawRoll) && UsableScale(scale) &&
           FitsWorld(position, RotationFromYPR(pitchYawRoll), scale, false);
}

bool CEditorEntity::SetLocalTransform(const Ogre::Vector3& position,
                                      const Ogre::Vector3& pitchYawRoll,
                                      const Ogre::Vector3& scale) {
    if (!AcceptsTransform(position, pitchYawRoll, scale))
        return false;
    m_position = position;
    m_orientation = pitchYawRoll;
    m_localRotation = RotationFromYPR(pitchYawRoll);
    m_scale = scale;
    SyncNode();
    return true;
}

std::uint64_t CEditorEntity::WorldChanges() {
    return g_worldChanges;
}

std::string CEditorEntity::TakeRefusalMessage() {
    std::string message;
    message.swap(g_refusal);
    return message;
}

bool CEditorEntity::FitsWorld(const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                              const Ogre::Vector3& scale, bool report) const {
    Ogre::Vector3 worldPosition = position;
    Ogre::Quaternion worldRotation = rotation;
    Ogre::Vector3 worldScale = scale;
    if (m_parent) {
        const Ogre::Quaternion upRotation = m_parent->GetWorldRotation();
        const Ogre::Vector3 upScale = m_parent->GetWorldScale();
        worldPosition = upRotation * (upScale * position) + m_parent->GetWorldPosition();
        worldRotation = upRotation * rotation;
        worldScale = upScale * scale;
    }
    if (IsWorldPositionInRange(worldPosition) && IsWorldScaleInRange(worldScale) &&
        (m_children.empty() || DescendantsFit(worldPosition, worldRotation, worldScale)))
        return true;
    if (report)
        g_refusal = "已拒绝：" + m_name + " 的变换会超出世界范围（" + WorldRangeText() + "）";
    return false;
}

bool CEditorEntity::DescendantsFit(const Ogre::Vector3& position, const Ogre::Quaternion& rotation,
                                   const Ogre::Vector3& scale) const {
    // A walk with its own stack: a file may nest entities deeper than the call stack goes.
    struct Placed {
        const CEditorEntity* entity;
        Ogre::Vector3 position;
        Ogre::Quaternion rotation;
        Ogre::Vector3 scale;
    };
    // One buffer for every call (the editor changes entities from one thread): a move of an
    // entity with children during a drag costs no allocation.
    static thread_local std::vector<Placed> pending;
    pending.clear();
    pending.push_back({this, position, rotation, scale});
    while (!pending.empty()) {
        const Placed up = pending.back();
        pending.pop_back();
        for (const CEditorEntity* child : up.entity->m_children) {
            const Ogre::Vector3 at = up.rotation * (up.scale * child->m_position) + up.position;
            const Ogre::Vector3 size = up.scale * child->m_scale;
            if (!IsWorldPositionInRange(at) || !IsWorldScaleInRange(size))
                return false;
            if (!child->m_children.empty())
                pending.push_back({child, at, up.rotation * child->m_localRotation, size});
        }
    }
    return true;
}

Ogre::Vector3 CEditorEntity::GetWorldOrientation() const {
    return YPRFromRotation(GetWorldRotation());
}

Ogre::Matrix4 CEditorEntity::GetWorldMatrix() const {
    Ogre::Matrix4 m;
    m.makeTransform(GetWorldPosition(), GetWorldScale(), GetWorldRotation());
    return m;
}

void CEditorEntity::SetWorldPosition(float x, float y, float z) {
    const Ogre::Vector3 world(x, y, z);
    if (!IsFinite(world))
        return;
    if (!m_parent) {
        SetPosition(world);
        return;
    }
    const Ogre::Vector3 inParent =
        m_parent->GetWorldRotation().Inverse() * (world - m_parent->GetWorldPosition());
    SetPosition(inParent / m_parent->GetWorldScale());
}

void CEditorEntity::SetWorldRotation(const Ogre::Quaternion& world) {
    Ogre::Quaternion local = m_parent ? m_parent->GetWorldRotation().Inverse() * world : world;
    local.normalise();
    SetOrientation(YPRFromRotation(local));
}

void CEditorEntity::SetWorldOrientation(float pitch, float yaw, float roll) {
    const Ogre::Vector3 ypr(pitch, yaw, roll);
    if (!IsFinite(ypr))
        return;
    SetWorldRotation(RotationFromYPR(ypr));
}

void CEditorEntity::SetWorldScale(float x, float y, float z) {
    const Ogre::Vector3 world(x, y, z);
    if (!UsableScale(world))
        return;
    SetScale(m_parent ? world / m_parent->GetWorldScale() : world);
}

void CEditorEntity::PreTransform(const Ogre::Vector3& /*parts*/) {
    // Everything is recorded whatever the drag changes: the record is small.
    m_prePosition = m_position;
    m_preWorldPosition = GetWorldPosition();
    m_preWorldRotation = GetWorldRotation();
    m_preScale = m_scale;
}

void CEditorEntity::MoveDelta(const Ogre::Vector3& delta, int local, int relative) {
    if (!IsFinite(delta))
        return;
    if (local) {
        SetPosition((relative ? m_prePosition : m_position) + delta);
        return;
    }
    const Ogre::Vector3 world = (relative ? m_preWorldPosition : GetWorldPosition()) + delta;
    SetWorldPosition(world.x, world.y, world.z);
}

void CEditorEntity::RotateDelta(const Ogre::Vector3& yawPitchRoll) {
    if (!IsFinite(yawPitchRoll))
        return;
    // Row-vector Mnew = Mpre * R: in column form R is applied after the recorded rotation.
    SetWorldRotation(RotationFromYPR(yawPitchRoll) * m_preWorldRotation);
}

void CEditorEntity::RotateDelta(const Ogre::Vector3& axis, float angle, bool relative) {
    if (!IsFinite(axis) || !std::isfinite(angle) || axis.squaredLength() < 1e-12f)
        return;
    const Ogre::Quaternion turn(Ogre::Radian(angle), axis.normalisedCopy());
    SetWorldRotation(turn * (relative ? m_preWorldRotation : GetWorldRotation()));
}

void CEditorEntity::ScaleDelta(const Ogre::Vector3& factors) {
    if (!IsFinite(factors))
        return;
    SetScale(m_scale * factors);
}

Ogre::AxisAlignedBox CEditorEntity::GetWorldBounds() const {
    static const Ogre::AxisAlignedBox kNone;
    const Ogre::AxisAlignedBox& meshBounds = m_shownMesh ? m_shownMesh->getBounds() : kNone;
    // The box holds while neither the world transform nor the mesh bounds have changed.
    if (m_boxValid && m_boxMeshBounds == meshBounds)
        return m_worldBox;
    if (meshBounds.isNull()) {
        const Ogre::Vector3 at = GetWorldPosition();
        m_worldBox = Ogre::AxisAlignedBox(at, at);
    } else {
        m_worldBox = meshBounds;
        m_worldBox.transform(GetWorldMatrix());
    }
    m_boxMeshBounds = meshBounds;
    m_boxValid = true;
    return m_worldBox;
}

Ogre::Vector3 CEditorEntity::GetBoundsMin() const {
    return GetWorldBounds().getMinimum();
}

Ogre::Vector3 CEditorEntity::GetBoundsMax() const {
    return GetWorldBounds().getMaximum();
}

void CEditorEntity::TouchPick() {
    if (m_pickIndex && !m_pickTouched)
        m_pickIndex->Touch(this);
}

void CEditorEntity::SetSelectable(bool selectable) {
    m_selectable = selectable;
    TouchPick();
}

void CEditorEntity::SetVisible(bool visible) {
    m_visible = visible;
    ++g_worldChanges;
    TouchPick();
    if (m_entity)
        m_entity->setVisible(visible);
    if (m_marker)
        m_marker->setVisible(visible);
    if (m_light)
        m_light->setVisible(visible);
}

std::string CEditorEntity::getMovableObjectName() const {
    if (m_light)
        return m_light->getType() == Ogre::Light::LT_SPOTLIGHT     ? "SpotLight"
               : m_light->getType() == Ogre::Light::LT_DIRECTIONAL ? "DirectionalLight"
                                                                   : "PointLight";
    return m_meshName;
}

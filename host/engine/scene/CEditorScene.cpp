// The editor scene: entity table, selection set, ground and ray queries.
#include "CEditorScene.h"

#include "CEditorEntity.h"
#include "CEditorView.h"
#include "CPickIndex.h"
#include "CSnapQueries.h"
#include "CTerrain.h"
#include "DotSceneText.h"
#include "EditorMeshes.h"

#include <OgreEntity.h>
#include <OgreMath.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreArchiveManager.h>
#include <OgreLogManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <limits>
#include <utility>

CEditorScene::CEditorScene(Ogre::SceneManager* sceneManager, bool shown)
    : m_sceneManager(sceneManager), m_shown(shown), m_pick(std::make_unique<CPickIndex>()),
      m_snap(std::make_unique<CSnapQueries>()) {
    m_layer = sceneManager->createSceneNode();
    if (shown)
        sceneManager->getRootSceneNode()->addChild(m_layer);
}

CEditorScene::~CEditorScene() {
    Clear();
    if (Ogre::Node* up = m_layer->getParent())
        up->removeChild(m_layer);
    m_sceneManager->destroySceneNode(m_layer);
}

void CEditorScene::Clear() {
    m_selection.clear();
    // Every entity goes: the layer lets go of all nodes at once and the links are dropped first,
    // so that no entity searches a list of siblings or nodes on its way out.
    m_layer->removeAllChildren();
    for (auto& kv : m_entities)
        kv.second->DropLinks();
    m_index.clear();
    m_entities.clear();
    ResetWalks();
    m_ground.reset();
    DropMeshGroup();
}

void CEditorScene::ResetWalks() {
    ++m_removals;
    ++m_structureChanges;
    ++m_selectionChanges;
    m_selectedWalkDone = m_entityWalkDone = true;
    m_selectedCursor.clear();
    m_entityCursor.clear();
}

void CEditorScene::AdoptMeshGroup(const std::string& group) {
    if (group == m_meshGroup)
        return;
    DropMeshGroup();
    m_meshGroup = group;
}

void CEditorScene::DropMeshGroup() {
    if (m_meshGroup.empty())
        return;
    try {
        Ogre::ResourceGroupManager& groups = Ogre::ResourceGroupManager::getSingleton();
        if (groups.resourceGroupExists(m_meshGroup)) {
            const Ogre::StringVectorPtr locations = groups.listResourceLocations(m_meshGroup);
            groups.destroyResourceGroup(m_meshGroup);
            // The group's locations are its own (named for it): their archives go with it, or
            // every open would leave one behind.
            for (const std::string& location : *locations)
                Ogre::ArchiveManager::getSingleton().unload(location);
        }
    } catch (const Ogre::Exception& e) {
        Ogre::LogManager::getSingleton().logError("dropping the scene's resources: " +
                                                  e.getDescription());
    }
    m_meshGroup.clear();
}

std::string CEditorScene::MeshGroupOf(const std::string& meshName) const {
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    if (!m_meshGroup.empty() && meshes.getByName(meshName, m_meshGroup))
        return m_meshGroup;
    if (meshes.getByName(meshName, Ogre::RGN_DEFAULT))
        return Ogre::RGN_DEFAULT;
    return {};
}

void CEditorScene::TakeContent(CEditorScene& loaded) {
    Ogre::SceneNode* root = m_sceneManager->getRootSceneNode();
    if (m_shown) {
        root->removeChild(m_layer);
        root->addChild(loaded.m_layer);
    }
    std::swap(m_layer, loaded.m_layer);
    std::swap(m_entities, loaded.m_entities);
    std::swap(m_index, loaded.m_index);
    std::swap(m_ground, loaded.m_ground);
    std::swap(m_pick, loaded.m_pick);
    std::swap(m_meshGroup, loaded.m_meshGroup);
    m_selection.clear();
    loaded.m_selection.clear();
    ResetWalks();
    loaded.ResetWalks();
}

CEditorEntity* CEditorScene::GetEntity(const std::string& name) const {
    if (m_lookupRemovals == m_removals) {
        if (m_lookupIt->first == name)
            return m_lookupIt->second.get();
        const auto next = std::next(m_lookupIt);
        if (next != m_entities.end() && next->first == name) {
            m_lookupIt = next;
            return next->second.get();
        }
    }
    auto it = m_index.find(std::string_view(name));
    if (it == m_index.end())
        return nullptr;
    m_lookupIt = it->second;
    m_lookupRemovals = m_removals;
    return it->second->second.get();
}

SceneEntity* CEditorScene::getSceneEntity(const std::string& name) const {
    return GetEntity(name);
}

bool CEditorScene::isEntitySelected(const std::string& name) const {
    return m_selection.count(name) != 0;
}

CEditorEntity* CEditorScene::Insert(std::unique_ptr<CEditorEntity> entity) {
    CEditorEntity* raw = entity.get();
    ++m_structureChanges;
    const auto placed = m_entities.emplace(raw->GetName(), std::move(entity)).first;
    m_index.emplace(std::string_view(raw->GetName()), placed);
    return raw;
}

CEditorEntity* CEditorScene::AddMesh(const std::string& name, const std::string& meshName,
                                     const std::string& parentName, const Ogre::Vector3& position,
                                     const Ogre::Vector3& orientation, const Ogre::Vector3& scale) {
    if (name.empty() || name.size() > kMaxSceneNameBytes || GetEntity(name) ||
        !IsFinite(position) || !IsFinite(orientation) || !IsFinite(scale) || scale.x == 0 ||
        scale.y == 0 || scale.z == 0)
        return nullptr;
    const std::string group = meshName.empty() ? std::string() : MeshGroupOf(meshName);
    if (!meshName.empty() && group.empty())
        return nullptr;
    CEditorEntity* parent = nullptr;
    if (!parentName.empty() && !(parent = GetEntity(parentName)))
        return nullptr;
    CEditorEntity* e = Insert(
        std::make_unique<CEditorEntity>(m_sceneManager, m_layer, name, meshName, group, parent));
    if (!e->SetLocalTransform(position, orientation, scale)) {
        RemoveEntity(name); // out of the world range under this parent
        return nullptr;
    }
    return e;
}

CEditorEntity* CEditorScene::AddLight(const std::string& name, Ogre::Light::LightTypes type,
                                      const Ogre::Vector3& position,
                                      const Ogre::ColourValue& colour,
                                      const std::string& parentName) {
    if (name.empty() || name.size() > kMaxSceneNameBytes || GetEntity(name) || !IsFinite(position))
        return nullptr;
    CEditorEntity* parent = nullptr;
    if (!parentName.empty() && !(parent = GetEntity(parentName)))
        return nullptr;
    CEditorEntity* e = Insert(
        std::make_unique<CEditorEntity>(m_sceneManager, m_layer, name, type, colour, parent));
    if (!e->AcceptsTransform(position, Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE)) {
        RemoveEntity(name);
        return nullptr;
    }
    e->SetPosition(position);
    return e;
}

bool CEditorScene::SetGround(float width, float depth, float amplitude, int cells) {
    const float limit = CTerrain::kMaxExtent;
    if (!(width > 0 && width <= limit) || !(depth > 0 && depth <= limit) ||
        !(std::fabs(amplitude) <= limit) || cells < 1 || cells > 1024)
        return false;
    m_ground.reset();
    auto ground =
        std::make_unique<CTerrain>(m_sceneManager, "ground", width, depth, amplitude, cells);
    if (!ground->GetOgreEntity())
        return false;
    m_ground = std::move(ground);
    return true;
}

bool CEditorScene::SetGroundHeights(float width, float depth, int cells,
                                    const std::vector<float>& heights) {
    auto ground =
        std::make_unique<CTerrain>(m_sceneManager, "ground", width, depth, cells, heights);
    if (!ground->IsValid())
        return false;
    m_ground = std::move(ground);
    return true;
}

float CEditorScene::TerrainHeightAt(float x, float z) const {
    return m_ground ? m_ground->HeightAt(x, z) : 0.0f;
}

bool CEditorScene::RemoveEntity(const std::string& name) {
    auto it = m_entities.find(name);
    if (it == m_entities.end())
        return false;
    KeepEntityCursor();
    // The entity and its descendants, parents before children; removed from the back, so each
    // child goes before its parent (and, being its parent's last child, at no search).
    std::vector<CEditorEntity*> doomed{it->second.get()};
    for (size_t i = 0; i < doomed.size(); ++i)
        for (CEditorEntity* child : doomed[i]->GetChildren())
            doomed.push_back(child);
    for (auto e = doomed.rbegin(); e != doomed.rend(); ++e) {
        const std::string doomedName = (*e)->GetName();
        if (m_selection.erase(doomedName))
            ++m_selectionChanges;
        m_index.erase(std::string_view(doomedName));
        m_entities.erase(doomedName);
    }
    ++m_removals;
    ++m_structureChanges;
    return true;
}

bool CEditorScene::RenameEntity(const std::string& oldName, const std::string& newName) {
    auto it = m_entities.find(oldName);
    if (it == m_entities.end() || newName.empty() || newName.size() > kMaxSceneNameBytes ||
        m_entities.count(newName))
        return false;
    KeepEntityCursor();
    CEditorEntity* e = it->second.get();
    // The index's key is a view of the entity's own name: out before the name changes.
    m_index.erase(std::string_view(e->GetName()));
    auto node = m_entities.extract(it);
    e->SetName(newName);
    node.key() = newName;
    const auto placed = m_entities.insert(std::move(node)).position;
    m_index.emplace(std::string_view(e->GetName()), placed);
    if (m_selection.erase(oldName))
        m_selection.insert(newName);
    ++m_selectionChanges;
    ++m_removals; // walks standing on the old map node step by name from here
    ++m_structureChanges;
    return true;
}

bool CEditorScene::SetEntityHidden(const std::string& name, bool hidden) {
    CEditorEntity* e = GetEntity(name);
    if (!e)
        return false;
    if ((e->IsVisible() == 0) != hidden) {
        e->SetVisible(!hidden);
        ++m_appearanceChanges;
    }
    return true;
}

std::string CEditorScene::UniqueName(const std::string& base) const {
    for (int k = 1;; ++k) {
        std::string candidate = SceneNameWithSuffix(base, "_" + std::to_string(k));
        if (!GetEntity(candidate))
            return candidate;
    }
}

bool CEditorScene::CopyEntityAs(const std::string& name, const std::string& newName) {
    CEditorEntity* source = GetEntity(name);
    if (!source || newName.empty() || GetEntity(newName))
        return false;
    const std::string parent =
        source->GetParentEntity() ? source->GetParentEntity()->GetName() : std::string();
    CEditorEntity* copy = nullptr;
    if (Ogre::Light* light = source->GetOgreLight()) {
        copy = AddLight(newName, light->getType(), source->GetPosition(), light->getDiffuseColour(),
                        parent);
        if (copy) {
            Ogre::Light* to = copy->GetOgreLight();
            to->setSpecularColour(light->getSpecularColour());
            to->setPowerScale(light->getPowerScale());
            to->setAttenuation(light->getAttenuationRange(), light->getAttenuationConstant(),
                               light->getAttenuationLinear(), light->getAttenuationQuadric());
            if (light->getType() == Ogre::Light::LT_SPOTLIGHT)
                to->setSpotlightRange(light->getSpotlightInnerAngle(),
                                      light->getSpotlightOuterAngle(),
                                      light->getSpotlightFalloff());
        }
        if (copy) {
            copy->SetOrientation(source->GetOrientation());
            copy->SetScale(source->GetScale());
        }
    } else {
        copy = AddMesh(newName, source->GetMeshName(), parent, source->GetPosition(),
                       source->GetOrientation(), source->GetScale());
    }
    if (!copy)
        return false;
    copy->AddState(source->GetState());
    copy->SetMissingMesh(source->GetMissingMesh());
    copy->SetVisible(source->IsVisible() != 0);
    copy->SetTransformEnabled(source->EnabledTrnaform() != 0);
    copy->SetSelectable(source->IsSelectable());
    return true;
}

std::string CEditorScene::CopyEntity(const std::string& name) {
    if (!GetEntity(name))
        return std::string();
    const std::string newName = UniqueName(name);
    return CopyEntityAs(name, newName) ? newName : std::string();
}

void CEditorScene::SetSelection(const std::set<std::string>& names) {
    ++m_selectionChanges;
    m_selection.clear();
    for (const std::string& n : names)
        if (GetEntity(n))
            m_selection.insert(n);
}

void CEditorScene::TakeSelection(std::set<std::string>& into) {
    ++m_selectionChanges;
    into = std::move(m_selection);
    m_selection.clear();
}

bool CEditorScene::SelectNames(const std::string& mode, const std::vector<std::string>& names) {
    ++m_selectionChanges;
    if (mode == "exclude") {
        m_selection.clear();
    } else if (mode != "add" && mode != "sub") {
        return false;
    }
    // Names often come in the scene's order (a walk of the scene, a rectangle): the entity after
    // the last one found is tried before a search.
    auto next = m_entities.end();
    for (const std::string& n : names) {
        auto it = next != m_entities.end() && next->first == n ? next : m_entities.find(n);
        if (it == m_entities.end())
            continue;
        next = std::next(it);
        if (mode == "sub")
            m_selection.erase(n);
        else // names often come in order (a walk of the scene): then the hint makes it cheap
            m_selection.insert(m_selection.end(), n);
    }
    return true;
}

SceneEntity* CEditorScene::beginSelected() {
    m_selectedWalkDone = false;
    return StepSelected(m_selection.begin());
}

SceneEntity* CEditorScene::nextSelected() {
    if (m_selectedWalkDone)
        return nullptr;
    return StepSelected(m_selectedItChanges == m_selectionChanges
                            ? std::next(m_selectedIt)
                            : m_selection.upper_bound(m_selectedCursor));
}

SceneEntity* CEditorScene::StepSelected(std::set<std::string>::const_iterator it) {
    for (; it != m_selection.end(); ++it)
        if (CEditorEntity* e = GetEntity(*it)) {
            m_selectedIt = it;
            m_selectedItChanges = m_selectionChanges;
            m_selectedCursor = *it;
            return e;
        }
    m_selectedWalkDone = true;
    return nullptr;
}

void CEditorScene::KeepEntityCursor() {
    if (!m_entityWalkDone && m_entityItRemovals == m_removals)
        m_entityCursor = m_entityIt->first;
}

SceneEntity* CEditorScene::beginEntity() {
    m_entityWalkDone = m_entities.empty();
    if (m_entityWalkDone)
        return nullptr;
    m_entityIt = m_entities.begin();
    m_entityItRemovals = m_removals;
    return m_entityIt->second.get();
}

SceneEntity* CEditorScene::nextEntity() {
    if (m_entityWalkDone)
        return nullptr;
    auto it = m_entityItRemovals == m_removals ? std::next(m_entityIt)
                                               : m_entities.upper_bound(m_entityCursor);
    if (it == m_entities.end()) {
        m_entityWalkDone = true;
        return nullptr;
    }
    m_entityIt = it;
    m_entityItRemovals = m_removals;
    return it->second.get();
}

bool CEditorScene::canSelect(SceneEntity* entity) const {
    if (!entity)
        return false;
    // The entity a walk of the scene stands on is one of ours without a search.
    if (!m_entityWalkDone && m_entityItRemovals == m_removals && m_entityIt->second.get() == entity)
        return m_entityIt->second->IsSelectable();
    CEditorEntity* own = GetEntity(entity->GetName());
    return own == entity && own->IsSelectable();
}

int CEditorScene::getNumLights() const {
    int n = 0;
    for (const auto& kv : m_entities)
        if (kv.second->IsLight())
            ++n;
    return n;
}

float CEditorScene::PickEntity(const Ogre::Ray& ray, float maxDistance, CEditorEntity*& hit) const {
    return m_pick->Pick(m_entities, m_structureChanges, ray, maxDistance, hit);
}

float CEditorScene::PickGround(const Ogre::Ray& ray, float maxDistance) const {
    return m_ground ? m_ground->Intersect(ray, maxDistance) : -1.0f;
}

int CEditorScene::rayQuery(RayQuery* query) {
    if (!query)
        return 0;
    query->hit = nullptr;
    if (!IsFinite(query->origin) || !IsFinite(query->direction) ||
        query->direction.squaredLength() < 1e-20f)
        return 0;
    const Ogre::Ray ray(query->origin, query->direction.normalisedCopy());
    const float maxDistance = query->length > 0 && std::isfinite(query->length)
                                  ? query->length
                                  : std::numeric_limits<float>::max();
    // Picking reads the entities' own world boxes (CPickIndex), not the engine's scene graph:
    // no update of the graph's thousands of nodes is needed first.

    float best = -1.0f;
    SceneEntity* bestHit = nullptr;
    if (query->flags & RAY_QUERY_ENTITY) {
        CEditorEntity* e = nullptr;
        best = PickEntity(ray, maxDistance, e);
        bestHit = e;
    }
    if (query->flags & RAY_QUERY_GROUND) {
        const float t = PickGround(ray, maxDistance);
        if (t >= 0.0f && (best < 0.0f || t < best)) {
            best = t;
            bestHit = nullptr; // the ground is not an entity
        }
    }
    if (best < 0.0f)
        return 0;
    query->hit = bestHit;
    query->distance = best;
    return 1;
}

int CEditorScene::vertexQuery(VertexQuery* query) {
    if (!query)
        return 0;
    query->hit = nullptr;
    const CEditorView* view = dynamic_cast<const CEditorView*>(query->view);
    if (!view)
        return 0;
    return m_snap->NearestVertex({m_entities, *m_pick, m_structureChanges, m_selection},
                                 view->Projection(), *query);
}

int CEditorScene::surfaceQuery(RayQuery* query, Ogre::Vector3* normal) {
    if (!query || !normal)
        return 0;
    return m_snap->Surface({m_entities, *m_pick, m_structureChanges, m_selection}, m_ground.get(),
                           *query, *normal);
}

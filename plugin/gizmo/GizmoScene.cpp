// The shared part of the gizmo: its node, the parts' materials, the axis lines and node
// placement.
#include "GizmoScene.h"

#include "GizmoHandleSet.h"

#include "IView.h"

#include <OgreEntity.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMaterialManager.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

using namespace GizmoGeometry;

namespace {

// An entity left behind by an earlier load of the module is taken over rather than made again
// (creating one of the same name would throw).
Ogre::Entity* FindOrCreateEntity(Ogre::SceneManager* sm, const std::string& name,
                                 const std::string& mesh) {
    if (sm->hasEntity(name))
        return sm->getEntity(name);
    return sm->createEntity(name, mesh);
}

// The gizmo's own node under the scene's root: it never moves, so the children's positions are
// world positions. One left by an earlier load of the module is taken over and put back in place.
const char* const kGizmoNodeName = "CMapSelectMgrNode";

Ogre::SceneNode* FindOrCreateGizmoNode(Ogre::SceneManager* sm) {
    Ogre::SceneNode* root = sm->getRootSceneNode();
    if (!sm->hasSceneNode(kGizmoNodeName))
        return root->createChildSceneNode(kGizmoNodeName);
    Ogre::SceneNode* node = sm->getSceneNode(kGizmoNodeName);
    if (node->getParent() != root) {
        if (Ogre::Node* parent = node->getParent())
            parent->removeChild(node);
        root->addChild(node);
    }
    node->setPosition(Ogre::Vector3::ZERO);
    node->setOrientation(Ogre::Quaternion::IDENTITY);
    node->setScale(Ogre::Vector3::UNIT_SCALE);
    return node;
}

// Each part gets a node of its own under the gizmo node; the node of an entity taken over is
// kept and moved there.
Ogre::SceneNode* AttachToNode(Ogre::SceneNode* gizmoNode, Ogre::Entity* entity) {
    Ogre::SceneNode* node = entity->getParentSceneNode();
    if (node == gizmoNode || (node && !node->getParent())) {
        // Hung on the gizmo node or the root itself: both must stay where they are.
        node->detachObject(entity);
        node = nullptr;
    }
    if (!node) {
        node = gizmoNode->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
        node->attachObject(entity);
        return node;
    }
    if (node->getParent() != gizmoNode) {
        node->getParent()->removeChild(node);
        gizmoNode->addChild(node);
    }
    return node;
}

// Every pass of the material draws its lines kLineWidthPixels wide.
void SetLineWidth(const Ogre::MaterialPtr& material) {
    if (!material)
        return;
    if (material->getNumTechniques() == 0)
        material->createTechnique();
    for (unsigned short t = 0; t < material->getNumTechniques(); ++t) {
        Ogre::Technique* technique = material->getTechnique(t);
        if (technique->getNumPasses() == 0)
            technique->createPass();
        for (unsigned short p = 0; p < technique->getNumPasses(); ++p)
            technique->getPass(p)->setLineWidth(kLineWidthPixels);
    }
}

bool SameTurn(const Ogre::Quaternion& a, const Ogre::Quaternion& b) {
    return std::fabs(a.w - b.w) <= 1e-6f && std::fabs(a.x - b.x) <= 1e-6f &&
           std::fabs(a.y - b.y) <= 1e-6f && std::fabs(a.z - b.z) <= 1e-6f;
}

} // namespace

GizmoViewState::GizmoViewState() {
    for (int& f : shown)
        f = 0;
    for (int& c : ringCount)
        c = 0;
    for (auto& ring : ringPoints)
        for (auto& p : ring)
            p = Ogre::Vector3::ZERO;
    for (auto& p : axisPoints)
        p = Ogre::Vector3::ZERO;
    sizeFactor = 0.0f;
    viewNormal = Ogre::Vector3::UNIT_Z;
    moveAxes[0] = Ogre::Vector3::UNIT_X;
    moveAxes[1] = Ogre::Vector3::UNIT_Y;
    moveAxes[2] = Ogre::Vector3::UNIT_Z;
}

namespace GizmoMeshes {

Ogre::MeshPtr MakeLineMesh(const std::string& name, int count, bool withColour) {
    Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual(name, kResourceGroup);
    Ogre::SubMesh* sub = mesh->createSubMesh();
    sub->operationType = Ogre::RenderOperation::OT_LINE_LIST;
    sub->useSharedVertices = true;

    mesh->sharedVertexData = new Ogre::VertexData();
    mesh->sharedVertexData->vertexCount = count;
    Ogre::VertexDeclaration* decl = mesh->sharedVertexData->vertexDeclaration;
    size_t offset = 0;
    decl->addElement(0, offset, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
    offset += Ogre::VertexElement::getTypeSize(Ogre::VET_FLOAT3);
    if (withColour) {
        decl->addElement(0, offset, Ogre::VET_COLOUR, Ogre::VES_DIFFUSE);
        offset += Ogre::VertexElement::getTypeSize(Ogre::VET_COLOUR);
    }
    Ogre::HardwareVertexBufferSharedPtr vbuf =
        Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
            offset, count, Ogre::HardwareBuffer::HBU_DYNAMIC_WRITE_ONLY, false);
    // Start from zeroed vertices so that nothing undefined is ever drawn.
    void* data = vbuf->lock(Ogre::HardwareBuffer::HBL_DISCARD);
    std::memset(data, 0, offset * count);
    vbuf->unlock();
    mesh->sharedVertexData->vertexBufferBinding->setBinding(0, vbuf);

    Ogre::HardwareIndexBufferSharedPtr ibuf =
        Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
            Ogre::HardwareIndexBuffer::IT_16BIT, count,
            Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    auto* idx = static_cast<std::uint16_t*>(ibuf->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (int i = 0; i < count; ++i)
        idx[i] = static_cast<std::uint16_t>(i);
    ibuf->unlock();
    sub->indexData->indexBuffer = ibuf;
    sub->indexData->indexCount = count;
    sub->indexData->indexStart = 0;

    mesh->_setBounds(Ogre::AxisAlignedBox(-1, -1, -1, 1, 1, 1), false);
    mesh->_setBoundingSphereRadius(1.0f);
    mesh->load();
    return mesh;
}

Ogre::HardwareVertexBuffer* VertexBufferOf(const Ogre::MeshPtr& mesh) {
    if (!mesh || !mesh->sharedVertexData)
        return nullptr;
    Ogre::VertexBufferBinding* binding = mesh->sharedVertexData->vertexBufferBinding;
    if (!binding->isBufferBound(0))
        return nullptr;
    return binding->getBuffer(0).get();
}

void SetBoundsFromPoints(const Ogre::MeshPtr& mesh, const Ogre::Vector3* points, int count) {
    Ogre::AxisAlignedBox box;
    for (int i = 0; i < count; ++i)
        box.merge(points[i]);
    mesh->_setBounds(box, false);
    mesh->_setBoundingSphereRadius(box.isFinite() ? box.getSize().length() * 0.5f : 0.0f);
}

void RemoveMesh(const std::string& name) {
    Ogre::MeshManager* meshes = Ogre::MeshManager::getSingletonPtr();
    if (!meshes)
        return;
    if (meshes->getByName(name, kResourceGroup))
        meshes->remove(name, kResourceGroup);
}

} // namespace GizmoMeshes

CGizmoScene::CGizmoScene() {
    for (auto& v : axisTemplate)
        v = Ogre::Vector3::ZERO;
    for (auto& v : m_axisPositions)
        v = Ogre::Vector3::ZERO;
}

void CGizmoScene::CreateRoot(Ogre::SceneManager* sm) {
    m_sceneManager = sm;
    m_gizmoNode = FindOrCreateGizmoNode(sm);
}

int CGizmoScene::MaterialIndex(const char* name) const {
    for (int i = 0; i < m_materialCount; ++i)
        if (GizmoPartRows::SameName(m_materials[i].name, name))
            return i;
    return -1;
}

int CGizmoScene::RegisterMaterial(const GizmoPartRow& row) {
    const int known = MaterialIndex(row.material);
    if (known >= 0 || !row.material || m_materialCount == kMaterialCapacity)
        return known;
    Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
    Ogre::MaterialPtr material = mm.getByName(row.material);
    if (!material) {
        Ogre::MaterialPtr base = mm.getByName(kMaterialBase);
        if (!base)
            base = mm.getByName(kMaterialFallback);
        material = base ? base->clone(row.material) : mm.create(row.material, kResourceGroup);
    }
    const int index = m_materialCount++;
    PartMaterial& entry = m_materials[index];
    entry.material = material;
    entry.name = row.material;
    entry.normal = ToColourValue(row.colour);
    entry.opacity = row.opacity;
    entry.colourSet = false;
    SetMaterialColour(index, entry.normal);
    // Drawn over the scene, in flat colour.
    material->setDepthCheckEnabled(false);
    material->setLightingEnabled(false);
    SetLineWidth(material);
    // A see-through part lets the scene and the axes show through, from either side.
    if (row.opacity < kOpaque) {
        material->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
        material->setDepthWriteEnabled(false);
        material->setCullingMode(Ogre::CULL_NONE);
    }
    return index;
}

void CGizmoScene::AddPart(Ogre::SceneManager* sm, int slot, const std::string& entityName,
                          const std::string& mesh, const Ogre::MaterialPtr& material, int queue) {
    if (slot < 0 || slot >= kNodeCapacity)
        return;
    Ogre::Entity* e = FindOrCreateEntity(sm, entityName, mesh);
    e->setMaterial(material);
    e->setRenderQueueGroup(queue);
    m_nodes[slot] = AttachToNode(m_gizmoNode, e);
    m_nodeEnd = std::max(m_nodeEnd, slot + 1);
}

void CGizmoScene::AddPart(Ogre::SceneManager* sm, const GizmoPartRow& row, const std::string& mesh,
                          int queue) {
    const int material = RegisterMaterial(row);
    if (material < 0 || !row.entityFormat)
        return;
    char name[64];
    std::snprintf(name, sizeof name, row.entityFormat, row.entityNumber);
    AddPart(sm, row.node, name, mesh, m_materials[material].material, queue);
}

void CGizmoScene::CreateAxisLines(Ogre::SceneManager* sm) {
    // A mesh taken over may hold anything: the first update writes it whole.
    m_axisWritten = false;
    m_axisMesh = Ogre::MeshManager::getSingleton().getByName(kAxisMesh, kResourceGroup);
    if (!m_axisMesh)
        m_axisMesh = GizmoMeshes::MakeLineMesh(kAxisMesh, kAxisLinePoints, true);
    Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
    Ogre::MaterialPtr axisMaterial = mm.getByName(kAxisMaterial);
    if (!axisMaterial) {
        Ogre::MaterialPtr white = mm.getByName(kMaterialFallback);
        axisMaterial =
            white ? white->clone(kAxisMaterial) : mm.create(kAxisMaterial, kResourceGroup);
    }
    axisMaterial->setLightingEnabled(false);
    axisMaterial->setDepthCheckEnabled(false);
    SetLineWidth(axisMaterial);
    // Loading compiles against the render system's capabilities; there is none headless.
    if (Ogre::Root::getSingletonPtr() && Ogre::Root::getSingleton().getRenderSystem())
        axisMaterial->load();
    AddPart(sm, NODE_AXIS_LINES, kAxisEntity, kAxisMesh, axisMaterial, kRenderQueue);

    for (int i = 0; i < kAxisCount; ++i) {
        axisTemplate[2 * i] = Ogre::Vector3::ZERO;
        axisTemplate[2 * i + 1] = Ogre::Vector3::ZERO;
        axisTemplate[2 * i + 1][i] = kAxisLength;
    }
}

void CGizmoScene::Release() {
    for (PartMaterial& m : m_materials)
        m = PartMaterial();
    m_materialCount = 0;
    m_axisMesh.reset();
    m_axisWritten = false;
    m_allNormal = false;
    m_inLayout = false;
    for (auto& node : m_nodes)
        node = nullptr;
    m_nodeEnd = 0;
    m_gizmoNode = nullptr;
    m_sceneManager = nullptr;
}

void CGizmoScene::Destroy(Ogre::SceneManager* sm) {
    // Only what is still ours in the scene manager it was made in: another manager (the scene
    // replaced) took our nodes with the old one.
    const bool sameScene = sm && sm == m_sceneManager && m_gizmoNode &&
                           sm->hasSceneNode(kGizmoNodeName) &&
                           sm->getSceneNode(kGizmoNodeName) == m_gizmoNode;
    if (sameScene) {
        for (Ogre::SceneNode*& node : m_nodes) {
            if (!node)
                continue;
            // Each part node holds its one entity; destroying it also detaches it.
            while (node->numAttachedObjects() > 0) {
                Ogre::MovableObject* object = node->getAttachedObject(0);
                node->detachObject(object);
                sm->destroyMovableObject(object);
            }
        }
        m_gizmoNode->removeAndDestroyAllChildren();
        sm->destroySceneNode(m_gizmoNode);
    }
    if (Ogre::MaterialManager* materials = Ogre::MaterialManager::getSingletonPtr()) {
        for (int i = 0; i < m_materialCount; ++i)
            if (const Ogre::MaterialPtr& material = m_materials[i].material)
                materials->remove(material->getName(), material->getGroup());
        if (Ogre::MaterialPtr axis = materials->getByName(kAxisMaterial))
            materials->remove(axis->getName(), axis->getGroup());
    }
    m_axisMesh.reset();
    GizmoMeshes::RemoveMesh(kAxisMesh);
    Release();
}

namespace {

// Shows or hides a part node, unless it already is so (each part node holds its one entity).
void SetShown(Ogre::SceneNode* node, bool shown) {
    if (!node)
        return;
    if (node->numAttachedObjects() == 1 && node->getAttachedObject(0)->getVisible() == shown)
        return;
    node->setVisible(shown, true);
}

} // namespace

void CGizmoScene::HideAll() {
    if (m_inLayout) {
        std::fill(m_wanted, m_wanted + m_nodeEnd, false);
        return;
    }
    for (int slot = 0; slot < m_nodeEnd; ++slot)
        SetShown(m_nodes[slot], false);
}

void CGizmoScene::Show(int slot) {
    if (slot < 0 || slot >= kNodeCapacity)
        return;
    if (m_inLayout)
        m_wanted[slot] = true;
    else
        SetShown(m_nodes[slot], true);
}

void CGizmoScene::BeginLayout() {
    m_inLayout = true;
    std::fill(m_wanted, m_wanted + m_nodeEnd, false);
}

void CGizmoScene::EndLayout() {
    if (!m_inLayout)
        return;
    m_inLayout = false;
    for (int slot = 0; slot < m_nodeEnd; ++slot)
        SetShown(m_nodes[slot], m_wanted[slot]);
}

// Setting a child's transform makes it queue itself in its parent's set of children to update,
// one heap allocation per child and frame. A parent already marked for a full child update takes
// no queue, so the gizmo node is marked before the first change. What is left is the gizmo
// node's own entry in the root's set: one until the scene's next node update, and only when
// something moved. (Marking a node again before that update queues nothing.)
void CGizmoScene::BeforeNodeChange() {
    if (m_gizmoNode)
        m_gizmoNode->needUpdate();
}

// A layout that changes nothing leaves the node (and the gizmo node) alone, so a still frame
// queues nothing.
void CGizmoScene::PlaceNode(int slot, const Ogre::Vector3& position, float scale,
                            const Ogre::Quaternion* orientation, bool visible) {
    Ogre::SceneNode* node = Node(slot);
    if (!node)
        return;
    const Ogre::Vector3 s(scale, scale, scale);
    // The node normalises what it is given, so compare within rounding.
    const bool turn = orientation && !SameTurn(node->getOrientation(), *orientation);
    if (node->getPosition() != position || node->getScale() != s || turn) {
        BeforeNodeChange();
        node->setPosition(position);
        node->setScale(s);
        if (turn)
            node->setOrientation(*orientation);
    }
    if (m_inLayout)
        m_wanted[slot] = visible;
    else
        SetShown(node, visible);
}

void CGizmoScene::MoveNode(int slot, const Ogre::Vector3& position) {
    if (Ogre::SceneNode* node = Node(slot)) {
        BeforeNodeChange();
        node->setPosition(position);
    }
}

bool CGizmoScene::NodeBoxHit(IView* view, int slot) const {
    Ogre::SceneNode* node = Node(slot);
    if (!node || node->numAttachedObjects() == 0)
        return false;
    const Ogre::AxisAlignedBox& box = node->getAttachedObject(0)->getWorldBoundingBox(true);
    if (!box.isFinite())
        return false;
    return view->testBox(box.getMinimum(), box.getMaximum()) != 2;
}

void CGizmoScene::SetNormalColours() {
    if (m_allNormal)
        return;
    for (int i = 0; i < m_materialCount; ++i)
        SetMaterialColour(i, m_materials[i].normal);
    m_allNormal = true;
    for (int i = 0; i < m_materialCount; ++i)
        m_allNormal = m_allNormal && m_materials[i].material && m_materials[i].colourSet;
}

void CGizmoScene::Highlight(const GizmoPartRow& row) {
    SetNormalColours();
    if (row.highlight)
        SetMaterialColour(MaterialIndex(row.material), ToColourValue(*row.highlight));
    UpdateAxisMesh(nullptr, row.axis);
}

void CGizmoScene::SetMaterialColour(int index, const Ogre::ColourValue& colour) {
    if (index < 0 || index >= m_materialCount || !m_materials[index].material)
        return;
    PartMaterial& entry = m_materials[index];
    if (entry.colourSet && entry.colour == colour)
        return;
    m_allNormal = false;
    Ogre::Material* material = entry.material.get();
    if (material->getNumTechniques() == 0)
        material->createTechnique();
    Ogre::Technique* technique = material->getTechnique(0);
    if (technique->getNumPasses() == 0)
        technique->createPass();
    Ogre::Pass* pass = technique->getPass(0);
    if (pass->getNumTextureUnitStates() == 0)
        pass->createTextureUnitState();
    Ogre::TextureUnitState* unit = pass->getTextureUnitState(0);
    unit->setColourOperationEx(Ogre::LBX_SOURCE1, Ogre::LBS_MANUAL, Ogre::LBS_CURRENT, colour,
                               Ogre::ColourValue::White, 0.0f);
    if (entry.opacity < kOpaque)
        unit->setAlphaOperation(Ogre::LBX_SOURCE1, Ogre::LBS_MANUAL, Ogre::LBS_CURRENT,
                                entry.opacity);
    entry.colour = colour;
    entry.colourSet = true;
}

void CGizmoScene::UpdateAxisMesh(const Ogre::Vector3* points, int highlighted) {
    if (!m_axisMesh) {
        m_axisMesh = Ogre::MeshManager::getSingleton().getByName(kAxisMesh, kResourceGroup);
        if (!m_axisMesh)
            m_axisMesh = Ogre::MeshManager::getSingleton().createManual(kAxisMesh, kResourceGroup);
    }
    // The same points in the same colours are in the buffer already.
    if (m_axisWritten && highlighted == m_axisHighlight &&
        (!points || std::memcmp(points, m_axisPositions, sizeof m_axisPositions) == 0))
        return;
    Ogre::HardwareVertexBuffer* vbuf = GizmoMeshes::VertexBufferOf(m_axisMesh);
    if (!vbuf || vbuf->getNumVertices() < kAxisLinePoints || vbuf->getVertexSize() < 16)
        return;
    // A discard lock gives no guarantee of the old contents, so an update without points
    // rewrites the positions the buffer held before from the mesh's last known points.
    auto* data = static_cast<unsigned char*>(vbuf->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (int j = 0; j < kAxisLinePoints; ++j) {
        unsigned char* vertex = data + j * vbuf->getVertexSize();
        if (points)
            m_axisPositions[j] = points[j];
        std::memcpy(vertex, m_axisPositions[j].ptr(), 12);
        std::uint32_t colour =
            (j / 2 == highlighted) ? kAxisLineHighlight : kAxisLineColours[j / 2];
        // The colours are ARGB; the buffer holds what the render system reads (ABGR for GL).
        Ogre::VertexElement::convertColourValue(
            Ogre::VET_COLOUR_ARGB, Ogre::VertexElement::getBestColourVertexElementType(), &colour);
        std::memcpy(vertex + 12, &colour, 4);
    }
    vbuf->unlock();
    m_axisWritten = true;
    m_axisHighlight = highlighted;
    if (points) {
        GizmoMeshes::SetBoundsFromPoints(m_axisMesh, points, kAxisLinePoints);
        if (m_nodes[NODE_AXIS_LINES])
            m_nodes[NODE_AXIS_LINES]->_updateBounds();
    }
    m_axisMesh->load();
}

bool GizmoPressRay(IView* view, int x, int y, Ogre::Vector3& nearPoint, Ogre::Vector3& farPoint) {
    if (!view)
        return false;
    view->rayThroughPixel(x, y, nearPoint, farPoint);
    return d3dx::IsFinite(nearPoint) && d3dx::IsFinite(farPoint) &&
           d3dx::Vec3Normalize(farPoint - nearPoint) != Ogre::Vector3::ZERO;
}

float GizmoDragReach(IView* view) {
    float first = 0.0f, second = 0.0f;
    if (view)
        view->lineDistances(first, second);
    // An infinite far plane reports 0; the line must still be long enough to cover any drag.
    return (second > 0.0f && std::isfinite(second)) ? second : 100000.0f;
}

void GizmoSetupAxisLine(GizmoDragState& drag, const GizmoViewState& state, int axis) {
    if (axis < 0 || axis >= kAxisCount || !drag.view)
        return;
    const float length = GizmoDragReach(drag.view);
    const Ogre::Vector3 c = state.axisPoints[2 * axis];
    drag.axisDirection = d3dx::Vec3Normalize(state.axisPoints[2 * axis + 1] - c);
    drag.axisLine[0] = c - drag.axisDirection * length;
    drag.axisLine[1] = c + drag.axisDirection * length;
}

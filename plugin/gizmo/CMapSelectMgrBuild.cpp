// Building the gizmo: meshes, materials, entities and nodes, and the two mesh writers the
// layout uses every frame.
#include "CMapSelectMgr.h"

#include "CGameEngine.h"

#include <OgreEntity.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgrePass.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubMesh.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

using namespace GizmoGeometry;

std::string CircleMeshName(int index) {
    char name[64];
    std::snprintf(name, sizeof name, kCircleMeshFormat, index);
    return name;
}

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

// A manual mesh with one line-list sub-mesh over shared vertices (stride 12 or 16) and a static
// index buffer holding 0..count-1.
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

} // namespace

int CMapSelectMgr::Create(CGameEngine* engine, IViewHost* viewHost) {
    if (!engine)
        return 0;
    Ogre::SceneManager* sm = engine->GetOgreSceneManager();
    if (!sm)
        return 0;
    m_engine = engine;
    m_viewHost = viewHost;

    // 1. Cone and box meshes (the host leaves an existing mesh as it is).
    engine->CreateConeMesh(kConeMesh, Ogre::Vector3(-kConeHalfWidth, 0.0f, -kConeHalfWidth),
                           Ogre::Vector3(kConeHalfWidth, kConeHeight, kConeHalfWidth),
                           kConeSegments, kMeshColour);
    engine->CreateBoxMesh(kBoxMesh, kBoxHalfSize, kMeshColour);

    // 2. The five flat-colour materials.
    CreateMaterials();

    // 3. Arrows, boxes, rings and their nodes. Material i colours arrow i, box i and ring i.
    m_gizmoNode = FindOrCreateGizmoNode(sm);
    for (int i = 0; i < MATERIAL_COUNT; ++i) {
        m_materials[i]->setDepthCheckEnabled(false);
        m_materials[i]->setLightingEnabled(false);
        char name[64];
        if (i < kAxisCount) {
            std::snprintf(name, sizeof name, kPartEntityFormat, i);
            Ogre::Entity* e = FindOrCreateEntity(sm, name, kConeMesh);
            e->setMaterial(m_materials[i]);
            e->setRenderQueueGroup(kRenderQueue);
            m_nodes[NODE_ARROW_X + i] = AttachToNode(m_gizmoNode, e);
        }
        if (i <= MATERIAL_XYZ) {
            std::snprintf(name, sizeof name, kPartEntityFormat, kBoxEntityFirst + i);
            Ogre::Entity* e = FindOrCreateEntity(sm, name, kBoxMesh);
            e->setMaterial(m_materials[i]);
            e->setRenderQueueGroup(i < kAxisCount ? kRenderQueue : kRenderQueueCentreBox);
            m_nodes[NODE_BOX_X + i] = AttachToNode(m_gizmoNode, e);
        }
        CreateCircleMesh(i);
        std::snprintf(name, sizeof name, kRingEntityFormat, kRingEntityFirst + i);
        Ogre::Entity* e = FindOrCreateEntity(sm, name, m_circleMeshes[i]->getName());
        e->setMaterial(m_materials[i]);
        e->setRenderQueueGroup(kRenderQueue);
        m_nodes[NODE_RING_X + i] = AttachToNode(m_gizmoNode, e);
    }

    // 4. The axis lines with their vertex-coloured material.
    CreateAxisMesh();
    {
        Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
        Ogre::MaterialPtr axisMaterial = mm.getByName(kAxisMaterial);
        if (!axisMaterial) {
            Ogre::MaterialPtr white = mm.getByName(kMaterialFallback);
            axisMaterial =
                white ? white->clone(kAxisMaterial) : mm.create(kAxisMaterial, kResourceGroup);
        }
        axisMaterial->setLightingEnabled(false);
        axisMaterial->setDepthCheckEnabled(false);
        // Loading compiles against the render system's capabilities; there is none headless.
        if (Ogre::Root::getSingletonPtr() && Ogre::Root::getSingleton().getRenderSystem())
            axisMaterial->load();
        Ogre::Entity* e = FindOrCreateEntity(sm, kAxisEntity, kAxisMesh);
        e->setMaterial(axisMaterial);
        e->setRenderQueueGroup(kRenderQueue);
        m_nodes[NODE_AXIS_LINES] = AttachToNode(m_gizmoNode, e);
    }

    // 5. Templates.
    for (int i = 0; i < kAxisCount; ++i) {
        m_axisTemplate[2 * i] = Ogre::Vector3::ZERO;
        m_axisTemplate[2 * i + 1] = Ogre::Vector3::ZERO;
        m_axisTemplate[2 * i + 1][i] = kAxisLength;
    }
    for (int k = 0; k < kRingSegments; ++k) {
        const float t = k * kRingStep;
        m_innerRing[k] =
            Ogre::Vector3(kInnerRingRadius * std::sin(t), kInnerRingRadius * std::cos(t), 0.0f);
        m_outerRing[k] =
            Ogre::Vector3(kOuterRingRadius * std::sin(t), kOuterRingRadius * std::cos(t), 0.0f);
    }
    m_innerRing[kRingSegments] = m_innerRing[0];
    m_outerRing[kRingSegments] = m_outerRing[0];
    m_entity = nullptr;
    m_dragPart = PART_NONE;

    // 6. The two view rings are fixed templates; the node turns them to the viewer.
    Ogre::Vector3 line[kRingListPoints];
    for (int k = 0; k < kRingSegments; ++k) {
        line[2 * k] = m_innerRing[k];
        line[2 * k + 1] = m_innerRing[k + 1];
    }
    UpdateCircleMesh(line, CIRCLE_VIEW_INNER, kRingListPoints);
    for (int k = 0; k < kRingSegments; ++k) {
        line[2 * k] = m_outerRing[k];
        line[2 * k + 1] = m_outerRing[k + 1];
    }
    UpdateCircleMesh(line, CIRCLE_VIEW_OUTER, kRingListPoints);
    HideAll();
    return 0;
}

void CMapSelectMgr::CreateMaterials() {
    Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
    Ogre::MaterialPtr base = mm.getByName(kMaterialBase);
    if (!base)
        base = mm.getByName(kMaterialFallback);
    for (int i = 0; i < MATERIAL_COUNT; ++i) {
        Ogre::MaterialPtr material = mm.getByName(kMaterialNames[i]);
        if (!material)
            material = base ? base->clone(kMaterialNames[i])
                            : mm.create(kMaterialNames[i], kResourceGroup);
        m_materials[i] = material;
        m_materialColourSet[i] = false;
        SetMaterialColour(i, kNormalColours[i]);
    }
}

void CMapSelectMgr::SetNormalColours() {
    for (int i = 0; i < MATERIAL_COUNT; ++i)
        SetMaterialColour(i, kNormalColours[i]);
}

void CMapSelectMgr::SetMaterialColour(int index, const Ogre::ColourValue& colour) {
    if (index < 0 || index >= MATERIAL_COUNT || !m_materials[index])
        return;
    if (m_materialColourSet[index] && m_materialColours[index] == colour)
        return;
    Ogre::Material* material = m_materials[index].get();
    if (material->getNumTechniques() == 0)
        material->createTechnique();
    Ogre::Technique* technique = material->getTechnique(0);
    if (technique->getNumPasses() == 0)
        technique->createPass();
    Ogre::Pass* pass = technique->getPass(0);
    if (pass->getNumTextureUnitStates() == 0)
        pass->createTextureUnitState();
    pass->getTextureUnitState(0)->setColourOperationEx(Ogre::LBX_SOURCE1, Ogre::LBS_MANUAL,
                                                       Ogre::LBS_CURRENT, colour,
                                                       Ogre::ColourValue::White, 0.0f);
    m_materialColours[index] = colour;
    m_materialColourSet[index] = true;
}

void CMapSelectMgr::CreateAxisMesh() {
    m_axisMesh = Ogre::MeshManager::getSingleton().getByName(kAxisMesh, kResourceGroup);
    if (!m_axisMesh)
        m_axisMesh = MakeLineMesh(kAxisMesh, kAxisLinePoints, true);
}

void CMapSelectMgr::CreateCircleMesh(int index) {
    const std::string name = CircleMeshName(index);
    m_circleMeshes[index] = Ogre::MeshManager::getSingleton().getByName(name, kResourceGroup);
    if (!m_circleMeshes[index])
        m_circleMeshes[index] = MakeLineMesh(name, kRingListPoints, false);
}

void CMapSelectMgr::UpdateAxisMesh(const Ogre::Vector3* points, int highlighted) {
    if (!m_axisMesh) {
        m_axisMesh = Ogre::MeshManager::getSingleton().getByName(kAxisMesh, kResourceGroup);
        if (!m_axisMesh)
            m_axisMesh = Ogre::MeshManager::getSingleton().createManual(kAxisMesh, kResourceGroup);
    }
    Ogre::HardwareVertexBuffer* vbuf = VertexBufferOf(m_axisMesh);
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
    if (points) {
        SetBoundsFromPoints(m_axisMesh, points, kAxisLinePoints);
        if (m_nodes[NODE_AXIS_LINES])
            m_nodes[NODE_AXIS_LINES]->_updateBounds();
    }
    m_axisMesh->load();
}

void CMapSelectMgr::UpdateCircleMesh(const Ogre::Vector3* points, int index, int count) {
    if (index < 0 || index >= CIRCLE_COUNT)
        return;
    Ogre::MeshPtr& mesh = m_circleMeshes[index];
    if (!mesh) {
        const std::string name = CircleMeshName(index);
        mesh = Ogre::MeshManager::getSingleton().getByName(name, kResourceGroup);
        if (!mesh)
            mesh = Ogre::MeshManager::getSingleton().createManual(name, kResourceGroup);
    }
    Ogre::HardwareVertexBuffer* vbuf = VertexBufferOf(mesh);
    if (!vbuf || mesh->getNumSubMeshes() == 0)
        return;
    if (count < 0)
        count = 0;
    if (count > static_cast<int>(vbuf->getNumVertices()))
        count = static_cast<int>(vbuf->getNumVertices());
    auto* data = static_cast<unsigned char*>(vbuf->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    for (int k = 0; k < count; ++k)
        std::memcpy(data + k * vbuf->getVertexSize(), points[k].ptr(), 12);
    vbuf->unlock();
    SetBoundsFromPoints(mesh, points, count);
    if (m_nodes[NODE_RING_X + index])
        m_nodes[NODE_RING_X + index]->_updateBounds();
    mesh->getSubMesh(0)->indexData->indexCount = count;
}

#include "GizmoFixture.h"

#include "DemoScene.h"

#include <OgreEntity.h>
#include <OgreHardwareBuffer.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgrePass.h>
#include <OgreSceneNode.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <cstring>
#include <limits>

void ForwardingView::rayThroughPixel(int x, int y, Ogre::Vector3& n, Ogre::Vector3& f) const {
    m_inner.rayThroughPixel(x, y, n, f);
    if (poisoned)
        n.x = f.y = std::numeric_limits<float>::quiet_NaN();
}

void GizmoTest::SetUp() {
    engine = std::make_unique<CEditorEngine>(false);
    testEngine = std::make_unique<TestEngine>(*engine);
    scene = engine->GetScene();
    CreateDemoMeshes(*engine);
    // The base of the gizmo materials is a resource of the module; stand in for it here.
    Ogre::MaterialManager& mm = Ogre::MaterialManager::getSingleton();
    if (!mm.getByName("Examples/selectterrain")) {
        Ogre::MaterialPtr base = mm.create("Examples/selectterrain", "General");
        base->getTechnique(0)->getPass(0)->createTextureUnitState();
    }
    view = std::make_unique<CEditorView>(engine->GetOgreSceneManager(), "TestCamera");
    view->SetPixelSize(800, 600);
    view->LookAt(Ogre::Vector3(0, 0, 50), Ogre::Vector3::ZERO);
    host.views[0] = view.get();
    gizmo = std::make_unique<CMapSelectMgr>();
    gizmo->Create(testEngine.get(), &host);
}

void GizmoTest::TearDown() {
    gizmo.reset();
    view.reset();
    testEngine.reset();
    engine.reset();
}

CEditorEntity* GizmoTest::SelectNew(const std::string& name, const Ogre::Vector3& position,
                                    const Ogre::Vector3& orientation) {
    CEditorEntity* entity = scene->AddMesh(name, "box", "", position, orientation);
    Select({name});
    return entity;
}

void GizmoTest::Select(const std::set<std::string>& names) {
    scene->SetSelection(names);
    gizmo->OnSceneNotify(nullptr, 0, NOTIFY_SELECTION);
}

Ogre::Vector2 GizmoTest::Pixel(const Ogre::Vector3& world) const {
    Ogre::Vector3 out;
    view->projectPoint(out, world, nullptr);
    return Ogre::Vector2(out.x, out.y);
}

bool GizmoTest::Visible(int node) const {
    Ogre::SceneNode* n = gizmo->GetNode(node);
    return n && n->numAttachedObjects() > 0 && n->getAttachedObject(0)->getVisible();
}

Ogre::ColourValue GizmoTest::MaterialColour(const char* name) const {
    Ogre::MaterialPtr m = Ogre::MaterialManager::getSingleton().getByName(name);
    return m->getTechnique(0)->getPass(0)->getTextureUnitState(0)->getColourBlendMode().colourArg1;
}

void ReadPositions(Ogre::Mesh* mesh, Ogre::Vector3* out, int count, std::uint32_t* colours) {
    Ogre::HardwareVertexBufferSharedPtr buffer =
        mesh->sharedVertexData->vertexBufferBinding->getBuffer(0);
    const auto* data =
        static_cast<const unsigned char*>(buffer->lock(Ogre::HardwareBuffer::HBL_READ_ONLY));
    for (int i = 0; i < count; ++i) {
        std::memcpy(out[i].ptr(), data + i * buffer->getVertexSize(), 12);
        if (colours)
            std::memcpy(&colours[i], data + i * buffer->getVertexSize() + 12, 4);
    }
    buffer->unlock();
}

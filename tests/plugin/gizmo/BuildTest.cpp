// Building the gizmo: names, materials, meshes, reuse of what already exists.
#include "GizmoFixture.h"

#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>
#include <OgreSubMesh.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <cmath>

using Ogre::Vector3;

namespace {
// An ARGB colour as the vertex buffer holds it for the current render system.
std::uint32_t Packed(std::uint32_t argb) {
    Ogre::VertexElement::convertColourValue(
        Ogre::VET_COLOUR_ARGB, Ogre::VertexElement::getBestColourVertexElementType(), &argb);
    return argb;
}
} // namespace

TEST_F(GizmoTest, CreateBuildsSixteenHiddenNodesWithTheirEntities) {
    struct Expect {
        const char* entity;
        const char* mesh;
        const char* material;
        int queue;
    };
    ASSERT_NE(gizmo->GetGizmoNode(), nullptr);
    EXPECT_EQ(gizmo->GetGizmoNode()->getParentSceneNode(),
              engine->GetOgreSceneManager()->getRootSceneNode());
    EXPECT_EQ(gizmo->GetGizmoNode()->numChildren(), 16u);
    const Expect expected[NODE_COUNT] = {
        {"CMapSelectMgrEn0", "CMapSelectMgrConeMesh", "MapSelectMgrRed", 80},
        {"CMapSelectMgrEn1", "CMapSelectMgrConeMesh", "MapSelectMgrGreen", 80},
        {"CMapSelectMgrEn2", "CMapSelectMgrConeMesh", "MapSelectMgrBlue", 80},
        {"AxisEntity", "CMapSelectMgrAxisMesh", "AxisXYZ", 80},
        {"CMapSelectMgrEn3", "CMapSelectMgrBoxMesh", "MapSelectMgrRed", 80},
        {"CMapSelectMgrEn4", "CMapSelectMgrBoxMesh", "MapSelectMgrGreen", 80},
        {"CMapSelectMgrEn5", "CMapSelectMgrBoxMesh", "MapSelectMgrBlue", 80},
        {"CMapSelectMgrEn6", "CMapSelectMgrBoxMesh", "MapSelectXYZ", 90},
        {"CMapSelectMgrEnd7", "CMapSelectMgrCircleMesh_0", "MapSelectMgrRed", 80},
        {"CMapSelectMgrEnd8", "CMapSelectMgrCircleMesh_1", "MapSelectMgrGreen", 80},
        {"CMapSelectMgrEnd9", "CMapSelectMgrCircleMesh_2", "MapSelectMgrBlue", 80},
        {"CMapSelectMgrEnd10", "CMapSelectMgrCircleMesh_3", "MapSelectXYZ", 80},
        {"CMapSelectMgrEnd11", "CMapSelectMgrCircleMesh_4", "MapSelectGray", 80},
        {"CMapSelectMgrEn12", "CMapSelectMgrPlaneMesh", "MapSelectMgrPlaneYZ", 80},
        {"CMapSelectMgrEn13", "CMapSelectMgrPlaneMesh", "MapSelectMgrPlaneXZ", 80},
        {"CMapSelectMgrEn14", "CMapSelectMgrPlaneMesh", "MapSelectMgrPlaneXY", 80},
    };
    for (int i = 0; i < NODE_COUNT; ++i) {
        SCOPED_TRACE(i);
        Ogre::SceneNode* node = gizmo->GetNode(i);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getParentSceneNode(), gizmo->GetGizmoNode());
        auto* entity = static_cast<Ogre::Entity*>(node->getAttachedObject(0));
        EXPECT_EQ(entity->getName(), expected[i].entity);
        EXPECT_EQ(entity->getMesh()->getName(), expected[i].mesh);
        EXPECT_EQ(entity->getSubEntity(0)->getMaterialName(), expected[i].material);
        EXPECT_EQ(entity->getRenderQueueGroup(), expected[i].queue);
        EXPECT_FALSE(entity->getVisible());
    }
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));
    EXPECT_EQ(MaterialColour("MapSelectXYZ"),
              Ogre::ColourValue(100.0f / 255.0f, 220.0f / 255.0f, 1, 1));
    EXPECT_EQ(MaterialColour("MapSelectGray"), Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1));
    Ogre::MaterialPtr red = Ogre::MaterialManager::getSingleton().getByName("MapSelectMgrRed");
    EXPECT_FALSE(red->getTechnique(0)->getPass(0)->getDepthCheckEnabled());
    EXPECT_FALSE(red->getTechnique(0)->getPass(0)->getLightingEnabled());
    // The plane squares are see-through and drawn from both sides; the other parts are not.
    EXPECT_FALSE(red->getTechnique(0)->getPass(0)->isTransparent());
    Ogre::MaterialPtr plane =
        Ogre::MaterialManager::getSingleton().getByName("MapSelectMgrPlaneXY");
    ASSERT_TRUE(plane);
    EXPECT_TRUE(plane->getTechnique(0)->getPass(0)->isTransparent());
    EXPECT_EQ(plane->getTechnique(0)->getPass(0)->getCullingMode(), Ogre::CULL_NONE);
    EXPECT_EQ(MaterialColour("MapSelectMgrPlaneXY"), Ogre::ColourValue(0, 0, 1, 1));

    // The two view rings are written once: whole circles of radius 9 and 10.4.
    for (int ring = 3; ring < 5; ++ring) {
        Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().getByName(
            "CMapSelectMgrCircleMesh_" + std::to_string(ring));
        EXPECT_EQ(mesh->getSubMesh(0)->indexData->indexCount, 128u);
        Vector3 points[128];
        ReadPositions(mesh.get(), points, 128, nullptr);
        const float radius = ring == 3 ? 9.0f : 10.4f;
        EXPECT_NEAR(points[0].y, radius, 1e-5f);
        EXPECT_EQ(points[1], points[2]);
        EXPECT_EQ(points[127], points[0]);
        EXPECT_NEAR(mesh->getBoundingSphereRadius(), radius * std::sqrt(2.0f), 0.01f);
    }
}

TEST_F(GizmoTest, ASecondCreateReusesMaterialsMeshesEntitiesAndNodes) {
    // Someone recoloured a gizmo material; a new load (same process) takes it over and resets it.
    Ogre::MaterialPtr red = Ogre::MaterialManager::getSingleton().getByName("MapSelectMgrRed");
    Ogre::MeshPtr circle = Ogre::MeshManager::getSingleton().getByName("CMapSelectMgrCircleMesh_0");
    Ogre::SceneNode* arrow = gizmo->GetNode(0);
    gizmo->ReleaseMaterials();
    gizmo.reset();
    red->getTechnique(0)->getPass(0)->getTextureUnitState(0)->setColourOperationEx(
        Ogre::LBX_SOURCE1, Ogre::LBS_MANUAL, Ogre::LBS_CURRENT, Ogre::ColourValue::Black);

    gizmo = std::make_unique<CMapSelectMgr>();
    gizmo->Create(testEngine.get(), &host);
    EXPECT_EQ(Ogre::MaterialManager::getSingleton().getByName("MapSelectMgrRed"), red);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));
    EXPECT_EQ(Ogre::MeshManager::getSingleton().getByName("CMapSelectMgrCircleMesh_0"), circle);
    EXPECT_EQ(gizmo->GetNode(0), arrow);
    EXPECT_EQ(gizmo->GetGizmoNode(), arrow->getParentSceneNode());

    // The reused circle mesh still takes the rotate layout.
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    EXPECT_TRUE(Visible(8));
    EXPECT_EQ(circle->getSubMesh(0)->indexData->indexCount,
              static_cast<unsigned>(gizmo->GetViewState(0).ringCount[0]));
    Vector3 first;
    ReadPositions(circle.get(), &first, 1, nullptr);
    EXPECT_EQ(first, gizmo->GetViewState(0).ringPoints[0][0]);
}

TEST_F(GizmoTest, HighlightRecoloursTheAxisLinesOnly) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_MOVE);
    Ogre::MeshPtr axis = Ogre::MeshManager::getSingleton().getByName("CMapSelectMgrAxisMesh");
    Vector3 before[6], after[6];
    std::uint32_t colours[6];
    ReadPositions(axis.get(), before, 6, colours);
    EXPECT_EQ(colours[0], Packed(0xFFFF0000u));
    EXPECT_EQ(colours[3], Packed(0xFF00FF00u));
    EXPECT_EQ(colours[5], Packed(0xFF0000FFu));
    const Ogre::AxisAlignedBox bounds = axis->getBounds();

    // Grab the X arrow: the update without points only turns vertices 0 and 1 yellow.
    const Ogre::Vector2 tip = Pixel(gizmo->GetViewState(0).axisPoints[1]);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(tip.x) + 3, int(tip.y)), 1);
    ReadPositions(axis.get(), after, 6, colours);
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(after[j], before[j]);
    EXPECT_EQ(colours[0], Packed(0xFFFFFF00u));
    EXPECT_EQ(colours[1], Packed(0xFFFFFF00u));
    EXPECT_EQ(colours[2], Packed(0xFF00FF00u));
    EXPECT_EQ(axis->getBounds(), bounds);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 1, 0, 1));
    EXPECT_EQ(MaterialColour("MapSelectMgrGreen"), Ogre::ColourValue(0, 1, 0, 1));

    // The highlight stays through layouts while the axis is active, then goes back.
    gizmo->UpdateView(view.get(), 0);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 1, 0, 1));
    gizmo->OnRelease(view.get(), 0, 0, 0, 0);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, 5, 5), 0); // empty corner
    gizmo->UpdateView(view.get(), 0);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));
}

TEST_F(GizmoTest, PartNodesLeftUnderTheRootOrAMovedGizmoNodeAreTakenBackAndDrawnInPlace) {
    // What an earlier load may leave: a part's node straight under the root, and the gizmo node
    // moved and scaled. The next load hangs the part under the gizmo node again and puts that
    // back at the origin, so the parts stand at the world positions the layout gives them.
    Ogre::SceneNode* root = engine->GetOgreSceneManager()->getRootSceneNode();
    Ogre::SceneNode* arrow = gizmo->GetNode(NODE_ARROW_X);
    Ogre::SceneNode* gizmoNode = gizmo->GetGizmoNode();
    gizmo->ReleaseMaterials();
    gizmo.reset();
    gizmoNode->removeChild(arrow);
    root->addChild(arrow);
    gizmoNode->setPosition(5, 6, 7);
    gizmoNode->setScale(2, 2, 2);

    gizmo = std::make_unique<CMapSelectMgr>();
    gizmo->Create(testEngine.get(), &host);
    EXPECT_EQ(gizmo->GetGizmoNode(), gizmoNode);
    EXPECT_EQ(gizmo->GetNode(NODE_ARROW_X), arrow);
    EXPECT_EQ(arrow->getParentSceneNode(), gizmoNode);
    EXPECT_EQ(gizmoNode->numChildren(), 16u);

    CEditorEntity* box = SelectNew("box_n", Vector3(1, 2, 3));
    gizmo->SetMode(MODE_MOVE);
    root->_update(true, false);
    // Then the entity moves between frames: the frame's node update must reach every moved
    // part (what is drawn and culled is the world box the update computes).
    box->SetPosition(Vector3(-4, 0, 2));
    gizmo->UpdateView(view.get(), 0);
    root->_update(true, false);
    const GizmoViewState& st = gizmo->GetViewState(0);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        Ogre::SceneNode* node = gizmo->GetNode(NODE_ARROW_X + i);
        EXPECT_TRUE(node->_getWorldAABB().contains(st.axisPoints[2 * i + 1]));
        EXPECT_LT(node->_getDerivedPosition().distance(st.axisPoints[2 * i + 1]), 1e-4f);
        EXPECT_TRUE(gizmoNode->_getWorldAABB().contains(node->_getWorldAABB()));
    }
}

// A layout that changes nothing reuses what the last one made (ring points, turns, the axis and
// ring meshes, the nodes' shown state). These check that what is drawn and picked is always the
// layout of the view just laid out: two views taking turns, mode switches, an entity that turns.
#include "GizmoFixture.h"

#include <OgreMeshManager.h>
#include <OgreSceneNode.h>
#include <OgreSubMesh.h>

#include <cstdio>

namespace {

using Ogre::Vector3;

class LayoutReuseTest : public GizmoTest {
protected:
    void SetUp() override {
        GizmoTest::SetUp();
        side = std::make_unique<CEditorView>(engine->GetOgreSceneManager(), "SideCamera");
        side->SetPixelSize(800, 600);
        side->LookAt(Vector3(40, 20, 0), Vector3::ZERO);
        host.views[1] = side.get();
    }
    void TearDown() override {
        host.views[1] = nullptr;
        side.reset();
        GizmoTest::TearDown();
    }
    // The axis ring's mesh holds the ring points of view n's last layout.
    void ExpectRingMeshOf(int n) {
        const GizmoViewState& st = gizmo->GetViewState(n);
        for (int ring = 0; ring < 3; ++ring) {
            char name[64];
            std::snprintf(name, sizeof name, "CMapSelectMgrCircleMesh_%d", ring);
            Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().getByName(name);
            ASSERT_TRUE(mesh);
            ASSERT_EQ(mesh->getSubMesh(0)->indexData->indexCount, unsigned(st.ringCount[ring]));
            Vector3 points[128];
            ReadPositions(mesh.get(), points, st.ringCount[ring], nullptr);
            for (int k = 0; k < st.ringCount[ring]; ++k)
                ASSERT_EQ(points[k], st.ringPoints[ring][k]) << "ring " << ring << " point " << k;
        }
    }
    std::unique_ptr<CEditorView> side;
};

TEST_F(LayoutReuseTest, ViewsTakingTurnsEachDrawTheirOwnRings) {
    CEditorEntity* box = SelectNew("box_r", Vector3(1, 2, 3), Vector3(0.3f, 0.2f, 0.1f));
    gizmo->SetMode(MODE_ROTATE);
    for (int round = 0; round < 2; ++round) {
        for (int n : {0, 1, 0, 0, 1, 1}) {
            SCOPED_TRACE(n);
            ASSERT_EQ(gizmo->UpdateView(host.views[n], n), 1);
            ExpectRingMeshOf(n);
            const GizmoViewState& st = gizmo->GetViewState(n);
            for (int i = 0; i < 3; ++i)
                EXPECT_TRUE(Visible(NODE_RING_X + i));
            // The view rings face this view.
            const Ogre::Quaternion facing = d3dx::RowMatrixToQuaternion(st.viewFacing);
            EXPECT_TRUE(gizmo->GetNode(NODE_VIEW_RING_OUTER)
                            ->getOrientation()
                            .equals(facing, Ogre::Radian(1e-5f)));
        }
        // The entity turns: the next layouts follow it.
        box->SetOrientation(Vector3(0.3f, 0.9f, -0.4f));
    }
    // A move layout in between writes the elements of view 0; the rotate layout after it
    // writes the rings' again.
    gizmo->UpdateView(view.get(), 0);
    const d3dx::RowMatrix ring = gizmo->GetViewState(0).elements[0];
    gizmo->SetMode(MODE_MOVE);
    EXPECT_NE(gizmo->GetViewState(0).elements[0], ring);
    EXPECT_FALSE(Visible(NODE_RING_X));
    gizmo->SetMode(MODE_ROTATE);
    EXPECT_EQ(gizmo->GetViewState(0).elements[0], ring);
    ExpectRingMeshOf(1); // SetMode laid out view 0, then view 1
}

TEST_F(LayoutReuseTest, ShownStateAndAxisLinesFollowModeAndHighlight) {
    SelectNew("box_m", Vector3(-2, 1, 0));
    gizmo->SetMode(MODE_MOVE);
    gizmo->UpdateView(view.get(), 0);
    EXPECT_TRUE(Visible(NODE_ARROW_X));
    EXPECT_TRUE(Visible(NODE_AXIS_LINES));
    // Hidden from outside between layouts (the page hidden): the next layout shows it again.
    gizmo->HideAll();
    EXPECT_FALSE(Visible(NODE_ARROW_X));
    gizmo->UpdateView(view.get(), 0);
    EXPECT_TRUE(Visible(NODE_ARROW_X));
    EXPECT_TRUE(Visible(NODE_AXIS_LINES));
    // Scale mode: the same axis lines and a box at each end, no arrows.
    gizmo->SetMode(MODE_SCALE);
    EXPECT_FALSE(Visible(NODE_ARROW_X));
    EXPECT_TRUE(Visible(NODE_BOX_X));
    // SetMode laid out view 1 last; view 0 again, then the side view: each writes its own.
    gizmo->UpdateView(view.get(), 0);
    Ogre::MeshPtr axis = Ogre::MeshManager::getSingleton().getByName("CMapSelectMgrAxisMesh");
    Vector3 points[6];
    ReadPositions(axis.get(), points, 6, nullptr);
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(points[j], gizmo->GetViewState(0).axisPoints[j]);
    gizmo->UpdateView(side.get(), 1);
    ReadPositions(axis.get(), points, 6, nullptr);
    for (int j = 0; j < 6; ++j)
        EXPECT_EQ(points[j], gizmo->GetViewState(1).axisPoints[j]);
}

} // namespace

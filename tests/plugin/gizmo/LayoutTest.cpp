// Laying the gizmo out in a view: what is shown, where, and when it hides.
#include "GizmoFixture.h"

#include "D3dxMath.h"

#include <OgreSceneNode.h>

#include <cmath>
#include <OgreSceneManager.h>

#include <limits>

using Ogre::Vector3;

namespace {

bool AnyShown(const GizmoViewState& s) {
    for (int f : s.shown)
        if (f)
            return true;
    return false;
}

// A mesh entity whose world position the host would never hand out.
class BrokenEntity : public CEditorEntity {
public:
    using CEditorEntity::CEditorEntity;
    Vector3 GetWorldPosition() const override { return position; }
    Vector3 position{std::numeric_limits<float>::quiet_NaN(), 0, 0};
};

} // namespace

TEST_F(GizmoTest, NothingIsShownWithoutAnEntityOrInSelectMode) {
    gizmo->SetMode(MODE_MOVE);
    EXPECT_EQ(gizmo->UpdateView(view.get(), 0), 0);
    EXPECT_EQ(gizmo->UpdateView(nullptr, 0), 0);
    for (int i = 0; i < 13; ++i)
        EXPECT_FALSE(Visible(i));

    SelectNew("box_a", Vector3(1, 2, 3));
    gizmo->SetMode(MODE_SELECT);
    EXPECT_EQ(gizmo->UpdateView(view.get(), 0), 1);
    for (int i = 0; i < 13; ++i)
        EXPECT_FALSE(Visible(i));
    // An unknown mode is kept as given; it shows and grabs nothing.
    gizmo->SetMode(7);
    EXPECT_EQ(gizmo->GetMode(), 7);
    EXPECT_EQ(gizmo->UpdateView(view.get(), 0), 1);
    for (int i = 0; i < NODE_COUNT; ++i)
        EXPECT_FALSE(Visible(i));
    const Ogre::Vector2 c = Pixel(Ogre::Vector3::ZERO);
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, int(c.x) + 3, int(c.y) - 2), 0);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
}

TEST_F(GizmoTest, CurrentEntityIsTheSelectedNameSortingFirst) {
    scene->AddMesh("b", "box", "", Vector3::ZERO);
    scene->AddMesh("a", "box", "", Vector3::ZERO);
    scene->AddMesh("c", "box", "", Vector3::ZERO);
    Select({"b"});
    Select({"b", "a", "c"});
    ASSERT_TRUE(gizmo->HasEntity());
    EXPECT_EQ(gizmo->GetEntity()->GetName(), "a");

    // Deselected: none; removed or scene reset: none.
    Select({});
    EXPECT_FALSE(gizmo->HasEntity());
    Select({"c"});
    gizmo->OnSceneNotify(scene->getSceneEntity("b"), 0, NOTIFY_REMOVED);
    EXPECT_TRUE(gizmo->HasEntity());
    gizmo->OnSceneNotify(scene->getSceneEntity("c"), 0, NOTIFY_REMOVED);
    EXPECT_FALSE(gizmo->HasEntity());
    Select({"a"});
    gizmo->OnSceneNotify(nullptr, 0, NOTIFY_SCENE_RESET);
    EXPECT_FALSE(gizmo->HasEntity());
}

TEST_F(GizmoTest, RedrawFlagRelaysOutViewZeroOutsideSelectMode) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->OnSceneNotify(nullptr, 1, NOTIFY_MOVED);
    EXPECT_EQ(host.redraws, 0); // select mode
    gizmo->SetMode(MODE_MOVE);
    gizmo->HideAll();
    const int redraws = host.redraws;
    gizmo->OnSceneNotify(nullptr, 1, NOTIFY_MOVED);
    EXPECT_EQ(host.redraws, redraws + 1);
    EXPECT_TRUE(Visible(0));
}

TEST_F(GizmoTest, MoveArrowsFollowTheWorldAxesAtConstantScreenSize) {
    // A turned entity: the arrows still follow the world axes.
    SelectNew("box_a", Vector3(2, 1, -3), Vector3(0.3f, 0.5f, 0.2f));
    gizmo->SetMode(MODE_MOVE);
    const float s = Size();
    ASSERT_GT(s, 0.0f);
    const Vector3 centre(2, 1, -3);
    EXPECT_TRUE(Visible(0) && Visible(1) && Visible(2) && Visible(3));
    EXPECT_FALSE(Visible(4) || Visible(7) || Visible(8) || Visible(12));
    const Vector3 axes[3] = {Vector3::UNIT_X, Vector3::UNIT_Y, Vector3::UNIT_Z};
    for (int i = 0; i < 3; ++i) {
        Ogre::SceneNode* node = gizmo->GetNode(i);
        EXPECT_LT(node->getPosition().distance(centre + axes[i] * 6.1f * s), 1e-4f);
        EXPECT_FLOAT_EQ(node->getScale().x, s);
        // The cone is built along +Y; the node turns it onto its axis.
        EXPECT_LT((node->getOrientation() * Vector3::UNIT_Y - axes[i]).length(), 1e-5f);
        EXPECT_EQ(gizmo->GetViewState(0).axisPoints[2 * i], centre);
    }
    // Nine gizmo units span 90 pixels, whatever the distance.
    for (float distance : {30.0f, 300.0f}) {
        view->LookAt(centre + Vector3(0, 0, distance), centre);
        gizmo->UpdateView(view.get(), 0);
        const float pixels = (Pixel(centre + Vector3(9 * Size(), 0, 0)) - Pixel(centre)).length();
        EXPECT_NEAR(pixels, 90.0f, 1.0f) << distance;
    }
}

TEST_F(GizmoTest, ScaleBoxesTurnWithTheEntity) {
    const Vector3 orientation(0.2f, 0.7f, -0.4f);
    SelectNew("box_a", Vector3(0, 2, 0), orientation);
    gizmo->SetMode(MODE_SCALE);
    const float s = Size();
    d3dx::RowMatrix r;
    d3dx::MatrixRotationYawPitchRoll(r, orientation.y, orientation.x, orientation.z);
    for (int e = 0; e < 3; ++e) {
        const Vector3 end = Vector3(0, 2, 0) + Vector3(r[e][0], r[e][1], r[e][2]) * 9.0f * s;
        EXPECT_LT(gizmo->GetNode(4 + e)->getPosition().distance(end), 1e-4f);
        EXPECT_LT(gizmo->GetViewState(0).axisPoints[2 * e + 1].distance(end), 1e-4f);
        EXPECT_TRUE(Visible(4 + e));
    }
    EXPECT_EQ(gizmo->GetNode(7)->getPosition(), Vector3(0, 2, 0));
    // The boxes carry the entity's rotation (and agree with the host's own node).
    const Ogre::Quaternion q = gizmo->GetNode(7)->getOrientation();
    EXPECT_LT((q * Vector3::UNIT_X - Vector3(r[0][0], r[0][1], r[0][2])).length(), 1e-5f);
    EXPECT_TRUE(Visible(3));
    EXPECT_FALSE(Visible(0) || Visible(8));
}

TEST_F(GizmoTest, RingInTheViewerFacingPlaneIsWholeAndEdgeOnRingIsCutInHalf) {
    // Camera on +Z looking down -Z. The Z ring lies in the facing plane; the Y ring (in the XZ
    // plane, turned slightly about Y so that the cut falls between template points) is seen
    // edge-on and keeps its half towards the camera (z >= 0), cut exactly at z = 0.
    CEditorEntity* box = SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    const GizmoViewState& st = gizmo->GetViewState(0);
    const float s = st.sizeFactor;
    EXPECT_LT((st.viewNormal - Vector3::UNIT_Z).length(), 1e-5f);
    EXPECT_TRUE(Visible(11) && Visible(12));
    EXPECT_FALSE(Visible(3));

    EXPECT_EQ(st.ringCount[2], 128);
    EXPECT_EQ(st.ringPoints[2][1], st.ringPoints[2][2]);
    EXPECT_EQ(st.ringPoints[2][127], st.ringPoints[2][0]);

    box->SetOrientation(Vector3(0, 0.05f, 0));
    gizmo->UpdateView(view.get(), 0);

    const int count = st.ringCount[1];
    EXPECT_EQ(count % 2, 0);
    EXPECT_GE(count, 64);
    EXPECT_LE(count, 68);
    int cutEnds = 0;
    for (int k = 0; k < count; ++k) {
        const Vector3& p = st.ringPoints[1][k];
        EXPECT_GE(p.z, -1e-5f * s) << k;
        EXPECT_NEAR(p.y, 0.0f, 1e-5f * s);
        if (std::fabs(p.z) < 1e-4f * s) {
            ++cutEnds;
            // On the chord between two template points, just inside the circle.
            EXPECT_NEAR(std::fabs(p.x), 9.0f * s, 9.0f * s * (1 - std::cos(3.1416f / 64)) + 1e-4f);
        }
    }
    EXPECT_EQ(cutEnds, 2);
    // The view rings face the viewer.
    EXPECT_LT(
        (gizmo->GetNode(12)->getOrientation() * Vector3::UNIT_Z - Vector3::UNIT_Z).length() *
            (gizmo->GetNode(12)->getOrientation() * Vector3::UNIT_Z + Vector3::UNIT_Z).length(),
        1e-4f);
}

TEST_F(GizmoTest, GizmoBehindTheCameraOrDegenerateViewsShowNothing) {
    SelectNew("box_a", Vector3(0, 0, 80)); // behind the camera at z = 50
    gizmo->SetMode(MODE_MOVE);
    EXPECT_FALSE(AnyShown(gizmo->GetViewState(0)));
    for (int i = 0; i < 13; ++i)
        EXPECT_FALSE(Visible(i));
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, 400, 300), 0);

    // A view of zero size.
    scene->GetEntity("box_a")->SetPosition(Vector3::ZERO);
    gizmo->UpdateView(view.get(), 0);
    EXPECT_TRUE(AnyShown(gizmo->GetViewState(0)));
    view->SetPixelSize(0, 0);
    gizmo->UpdateView(view.get(), 0);
    EXPECT_FALSE(AnyShown(gizmo->GetViewState(0)));
    EXPECT_FALSE(Visible(0));

    // The camera exactly at the entity.
    view->SetPixelSize(800, 600);
    view->GetCameraNode()->setPosition(Vector3::ZERO);
    gizmo->SetMode(MODE_ROTATE);
    EXPECT_FALSE(AnyShown(gizmo->GetViewState(0)));
    EXPECT_FALSE(Visible(8));
}

TEST_F(GizmoTest, NonFiniteEntityHidesTheGizmoAndWritesNoVertex) {
    Ogre::SceneManager* sm = engine->GetOgreSceneManager();
    BrokenEntity broken(sm, sm->getRootSceneNode(), "broken", "box", "General", nullptr);
    SingleSelection selection(&broken);
    testEngine->scene = &selection;
    gizmo->OnSceneNotify(nullptr, 0, NOTIFY_SELECTION);
    ASSERT_EQ(gizmo->GetEntity(), &broken);
    for (int mode : {MODE_MOVE, MODE_ROTATE, MODE_SCALE}) {
        gizmo->SetMode(mode);
        EXPECT_FALSE(AnyShown(gizmo->GetViewState(0)));
        for (int i = 0; i < 13; ++i)
            EXPECT_FALSE(Visible(i));
        for (const Vector3& p : gizmo->GetViewState(0).axisPoints)
            EXPECT_TRUE(d3dx::IsFinite(p));
    }
    broken.position = Vector3(0, std::numeric_limits<float>::infinity(), 0);
    gizmo->UpdateView(view.get(), 0);
    EXPECT_FALSE(AnyShown(gizmo->GetViewState(0)));
    EXPECT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, 400, 300), 0);
    testEngine->scene = nullptr;
}

TEST_F(GizmoTest, OrthographicViewCutsRingsBehindTheCentreAndChecksNoDepth) {
    // Beyond the far clip plane (5000): a perspective view shows nothing there.
    CEditorEntity* box = SelectNew("box_a", Vector3(0, 0, -6000), Vector3(0, 0.05f, 0));
    gizmo->SetMode(MODE_ROTATE);
    EXPECT_FALSE(AnyShown(gizmo->GetViewState(0)));

    // An orthographic view has no depth range: the gizmo is laid out wherever it stands.
    view->SetOrthographic(true, 40.0f);
    ASSERT_FALSE(view->checksDepth());
    gizmo->UpdateView(view.get(), 0);
    const GizmoViewState& st = gizmo->GetViewState(0);
    EXPECT_TRUE(AnyShown(st));
    EXPECT_TRUE(Visible(NODE_RING_Y) && Visible(NODE_VIEW_RING_OUTER));

    // Its cutting plane lies 0.1 gizmo units behind the centre (the normal still faces the
    // viewer), so the edge-on Y ring keeps a little more than its near half: both cut ends lie
    // on z = -0.1 units.
    box->SetPosition(Vector3::ZERO);
    gizmo->UpdateView(view.get(), 0);
    const float s = st.sizeFactor;
    EXPECT_LT((st.viewNormal - Vector3::UNIT_Z).length(), 1e-5f);
    int cutEnds = 0;
    for (int k = 0; k < st.ringCount[1]; ++k) {
        const Vector3& p = st.ringPoints[1][k];
        EXPECT_GE(p.z, -0.1f * s - 1e-4f * s) << k;
        if (std::fabs(p.z + 0.1f * s) < 1e-4f * s)
            ++cutEnds;
    }
    EXPECT_EQ(cutEnds, 2);
}

// The move tool's snapping queries: the vertex nearest a pixel (among the selection or among
// the others, within a radius, boxes ruled out first), the surface a ray meets with its normal,
// the cache of mesh geometry behind both, and the pure rules they rest on, with bad numbers.
#include "EngineFixture.h"

#include "CEditorView.h"
#include "CSnapQueries.h"
#include "EditorMeshes.h"
#include "SnapGeometry.h"

#include <OgreMesh.h>
#include <OgreMeshManager.h>

#include <cmath>
#include <limits>

namespace {

using Ogre::Vector3;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class SnapQueriesTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        view = std::make_unique<CEditorView>(engine->GetOgreSceneManager(), "cam");
        view->SetPixelSize(800, 600);
        view->LookAt({0, 0, 20}, {0, 0, 0});
    }
    void TearDown() override {
        view.reset();
        EngineTest::TearDown();
    }
    Ogre::Vector2 PixelOf(const Vector3& p) {
        Vector3 out;
        view->projectPoint(out, p, nullptr);
        return Ogre::Vector2(out.x, out.y);
    }
    // The query at the pixel of `near` (rounded), or hit = null.
    VertexQuery Nearest(const Vector3& near, int set, float radius, int dx = 0) {
        const Ogre::Vector2 at = PixelOf(near);
        VertexQuery q{};
        q.view = view.get();
        q.x = int(std::lround(at.x)) + dx;
        q.y = int(std::lround(at.y));
        q.radius = radius;
        q.set = set;
        scene->vertexQuery(&q);
        return q;
    }
    RayQuery Down(float x, float z) {
        RayQuery q{};
        q.origin = Vector3(x, 100, z);
        q.direction = Vector3(0, -1, 0);
        q.distance = std::numeric_limits<float>::max();
        return q;
    }
    std::unique_ptr<CEditorView> view;
};

TEST_F(SnapQueriesTest, TheNearestVertexOfTheSelectionOrOfTheOthers) {
    CEditorEntity* mover = scene->AddMesh("mover", "box", "", {-5, 0, 0});
    CEditorEntity* child = scene->AddMesh("child", "box", "mover", {0, 4, 0});
    CEditorEntity* target = scene->AddMesh("target", "box", "", {5, 0, 0});
    ASSERT_TRUE(mover && child && target);
    scene->SetSelection({"mover"});

    // Any distance: the corner of the selected box nearest the pointer, in world space.
    VertexQuery q = Nearest({-4.2f, 1.2f, 1}, VERTEX_OF_SELECTED, 0.0f);
    ASSERT_EQ(q.hit, mover);
    EXPECT_EQ(q.vertex, Vector3(-4, 1, 1));

    // The others: the selection and what hangs under it never count, even right under the
    // pointer; the target's corner does, within the radius only.
    q = Nearest({-5, 5, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels);
    EXPECT_EQ(q.hit, nullptr);
    q = Nearest({4, 1, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels, 5);
    ASSERT_EQ(q.hit, target);
    EXPECT_EQ(q.vertex, Vector3(4, 1, 1));
    EXPECT_NEAR(q.pixels, 5.0f, 1.0f);
    EXPECT_EQ(Nearest({4, 1, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels, 30).hit, nullptr);

    // Of two vertices on one pixel (one behind the other in an orthographic view), the nearer
    // the eye.
    view->SetOrthographic(true, 40.0f);
    q = Nearest({4, 1, 0}, VERTEX_OF_OTHERS, kVertexSnapPixels);
    ASSERT_EQ(q.hit, target);
    EXPECT_EQ(q.vertex, Vector3(4, 1, 1));
    view->SetOrthographic(false);

    // A hidden entity is not there to snap to; an entity without a mesh snaps by its position.
    scene->SetEntityHidden("target", true);
    EXPECT_EQ(Nearest({4, 1, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels).hit, nullptr);
    CEditorEntity* empty = scene->AddMesh("empty", "", "", {0, -3, 0});
    ASSERT_TRUE(empty);
    q = Nearest({0, -3, 0}, VERTEX_OF_OTHERS, kVertexSnapPixels, 3);
    ASSERT_EQ(q.hit, empty);
    EXPECT_EQ(q.vertex, Vector3(0, -3, 0));

    // Nothing behind the camera, and no set or view to speak of answers nothing.
    view->LookAt({0, 0, 20}, {0, 0, 40});
    EXPECT_EQ(Nearest({4, 1, 1}, VERTEX_OF_SELECTED, 0.0f).hit, nullptr);
    VertexQuery bad{};
    bad.set = VERTEX_OF_SELECTED;
    EXPECT_EQ(scene->vertexQuery(&bad), 0);
    EXPECT_EQ(scene->vertexQuery(nullptr), 0);
}

TEST_F(SnapQueriesTest, MeshesAreReadOnceAndAgainWhenTheyChange) {
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(scene->AddMesh("far_" + std::to_string(i), "cone", "", {i * 3.0f, 40, 0}));
    ASSERT_TRUE(scene->AddMesh("near", "box", "", {0, 0, 0}));
    const CMeshGeometryCache& cache = scene->SnapQueries().Cache();
    // The boxes far from the pointer are ruled out before any of their vertices is read.
    ASSERT_EQ(Nearest({1, 1, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels).hit,
              scene->GetEntity("near"));
    EXPECT_EQ(cache.Reads(), 1u);
    // A second query reads nothing again.
    Nearest({-1, 1, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels);
    EXPECT_EQ(cache.Reads(), 1u);
    // The mesh changed (here its bounds): read again.
    Ogre::MeshPtr box = Ogre::MeshManager::getSingleton().getByName("box");
    ASSERT_TRUE(box);
    box->_setBounds(Ogre::AxisAlignedBox({-1.5f, -1.5f, -1.5f}, {1.5f, 1.5f, 1.5f}));
    Nearest({1, 1, 1}, VERTEX_OF_OTHERS, kVertexSnapPixels);
    EXPECT_EQ(cache.Reads(), 2u);
}

TEST_F(SnapQueriesTest, TheSurfaceUnderARayWithItsNormal) {
    ASSERT_TRUE(scene->SetGround(40, 40, 0.0f, 8));
    CEditorEntity* box = scene->AddMesh("box", "box", "", {0, 3, 0}, {0, 0, 0}, {2, 1, 2});
    ASSERT_TRUE(box);
    Vector3 normal;
    RayQuery q = Down(0.5f, 0.5f);
    ASSERT_EQ(scene->surfaceQuery(&q, &normal), 1);
    EXPECT_EQ(q.hit, box);
    EXPECT_NEAR(q.distance, 96.0f, 1e-3f); // the top face at y = 4
    ExpectNear(normal, Vector3::UNIT_Y);

    // Turned by 90 degrees about Z, the ray meets a side face: still facing the ray.
    box->SetOrientation(Vector3(0, 0, Ogre::Math::HALF_PI));
    q = Down(0.5f, 0.5f);
    ASSERT_EQ(scene->surfaceQuery(&q, &normal), 1);
    EXPECT_NEAR(q.distance, 95.0f, 1e-3f); // its x extent now upright
    ExpectNear(normal, Vector3::UNIT_Y);

    // Selected, or under a selected entity, the box lets the ray through to the ground.
    scene->SetSelection({"box"});
    q = Down(0.5f, 0.5f);
    ASSERT_EQ(scene->surfaceQuery(&q, &normal), 1);
    EXPECT_EQ(q.hit, nullptr);
    EXPECT_NEAR(q.distance, 100.0f, 1e-3f);
    ExpectNear(normal, Vector3::UNIT_Y);
    // Beyond the ground, the plane y = 0; rays that miss everything and bad rays find nothing.
    q = Down(500, 0);
    ASSERT_EQ(scene->surfaceQuery(&q, &normal), 1);
    EXPECT_NEAR(q.distance, 100.0f, 1e-3f);
    q.direction = Vector3(0, 1, 0);
    EXPECT_EQ(scene->surfaceQuery(&q, &normal), 0);
    q.direction = Vector3(kNaN, -1, 0);
    EXPECT_EQ(scene->surfaceQuery(&q, &normal), 0);
    q.direction = Vector3::ZERO;
    EXPECT_EQ(scene->surfaceQuery(&q, &normal), 0);
    EXPECT_EQ(scene->surfaceQuery(nullptr, &normal), 0);
}

TEST_F(SnapQueriesTest, TheGroundsNormalFollowsItsSlope) {
    // A ground rising along x by one unit a unit: the normal leans back against the slope.
    const int cells = 4;
    std::vector<float> heights;
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i)
            heights.push_back(float(i) * 10.0f - 20.0f);
    ASSERT_TRUE(scene->SetGroundHeights(40, 40, cells, heights));
    RayQuery q = Down(1, 1);
    Vector3 normal;
    ASSERT_EQ(scene->surfaceQuery(&q, &normal), 1);
    EXPECT_NEAR(q.distance, 99.0f, 1e-2f);
    ExpectNear(normal, Vector3(-1, 1, 0).normalisedCopy(), 1e-3f);
}

TEST_F(SnapQueriesTest, AMeshWithoutVerticesSnapsByItsPosition) {
    Ogre::MeshPtr empty = Ogre::MeshManager::getSingleton().createManual("empty_mesh", "General");
    empty->_setBounds(Ogre::AxisAlignedBox({-1, -1, -1}, {1, 1, 1}));
    empty->load();
    CEditorEntity* e = scene->AddMesh("hollow", "empty_mesh", "", {2, 2, 0});
    ASSERT_TRUE(e);
    const VertexQuery q = Nearest({2, 2, 0}, VERTEX_OF_OTHERS, kVertexSnapPixels, 2);
    ASSERT_EQ(q.hit, e);
    EXPECT_EQ(q.vertex, Vector3(2, 2, 0));
    // Its box stands in for its surface.
    RayQuery down = Down(2, 0);
    Vector3 normal;
    ASSERT_EQ(scene->surfaceQuery(&down, &normal), 1);
    EXPECT_EQ(down.hit, e);
    ExpectNear(normal, Vector3::UNIT_Y);
}

// The rules below the queries, with bad numbers.
TEST(SnapGeometryTest, PixelsBoxesAndPointsGuardAgainstBadNumbers) {
    SnapGeometry::PixelProjection view; // at the origin, looking down -Z, 90 degrees
    view.width = view.height = 200;
    view.nearClip = 0.1f;
    Ogre::Vector2 pixel;
    float ahead = 0;
    ASSERT_TRUE(view.ToPixel(Vector3(0, 0, -10), pixel, ahead));
    EXPECT_EQ(pixel, Ogre::Vector2(100, 100));
    EXPECT_FALSE(view.ToPixel(Vector3(0, 0, 10), pixel, ahead)); // behind
    EXPECT_FALSE(view.ToPixel(Vector3(kNaN, 0, -10), pixel, ahead));
    EXPECT_FALSE(view.ToPixel(Vector3(3e38f, 0, -1e-30f), pixel, ahead));

    // A box right of the centre: as far as its left edge; a box around the eye or not finite
    // cannot be ruled out; an empty box is nowhere.
    const Ogre::AxisAlignedBox right({5, -1, -11}, {7, 1, -9});
    const float edge = SnapGeometry::BoxPixelDistance(view, right, Ogre::Vector2(100, 100));
    EXPECT_NEAR(edge, 100.0f * 5.0f / 11.0f, 0.01f);
    EXPECT_EQ(SnapGeometry::BoxPixelDistance(view, Ogre::AxisAlignedBox({-1, -1, -1}, {1, 1, 1}),
                                             Ogre::Vector2(0, 0)),
              0.0f);
    Ogre::AxisAlignedBox infinite;
    infinite.setInfinite();
    EXPECT_EQ(SnapGeometry::BoxPixelDistance(view, infinite, Ogre::Vector2(0, 0)), 0.0f);
    EXPECT_TRUE(std::isinf(
        SnapGeometry::BoxPixelDistance(view, Ogre::AxisAlignedBox(), Ogre::Vector2(0, 0))));

    // Points that are not finite or lie too far out never win; the finite one does.
    const Vector3 points[] = {Vector3(kNaN, 0, -10), Vector3(1e30f, 1e30f, -1e-30f),
                              Vector3(0.1f, 0, -10), Vector3(0, kNaN, 0)};
    SnapGeometry::NearestVertex best;
    SnapGeometry::ConsiderPoints(view, Ogre::Matrix4::IDENTITY, points, 4, Ogre::Vector2(100, 100),
                                 12.0f, nullptr, best);
    ASSERT_TRUE(best.found);
    EXPECT_EQ(best.world, Vector3(0.1f, 0, -10));
    SnapGeometry::NearestVertex none;
    SnapGeometry::ConsiderPoints(view, Ogre::Matrix4::IDENTITY, points, 4, Ogre::Vector2(0, 0),
                                 12.0f, nullptr, none);
    EXPECT_FALSE(none.found);
    SnapGeometry::ConsiderPoints(view, Ogre::Matrix4::IDENTITY, points, 0, Ogre::Vector2(0, 0),
                                 0.0f, nullptr, none);
    EXPECT_FALSE(none.found);
}

TEST(SnapGeometryTest, SpheresFarFromThePixelsConeAreRuledOut) {
    SnapGeometry::PixelProjection view; // 90 degrees, 200 pixels: 1/100 unit a pixel at 1 unit
    view.width = view.height = 200;
    view.nearClip = 0.1f;
    const SnapGeometry::PixelCone cone = SnapGeometry::ConeThrough(view, Ogre::Vector2(100, 100));
    // 12 pixels at 10 units ahead: 1.2 units across the ray.
    EXPECT_TRUE(SnapGeometry::SphereMayReach(cone, {1.0f, 0, -10}, 0.1f, 12.0f));
    EXPECT_FALSE(SnapGeometry::SphereMayReach(cone, {2.0f, 0, -10}, 0.1f, 12.0f));
    EXPECT_TRUE(SnapGeometry::SphereMayReach(cone, {2.0f, 0, -10}, 1.0f, 12.0f));
    EXPECT_FALSE(SnapGeometry::SphereMayReach(cone, {0, 0, 10}, 1.0f, 12.0f)); // behind
    EXPECT_TRUE(SnapGeometry::SphereMayReach(cone, {kNaN, 0, -10}, 1.0f, 12.0f));
    // Whatever the cone lets through lies within the pixels; what it rules out does not.
    for (float x = 0.0f; x < 3.0f; x += 0.05f) {
        Ogre::Vector2 at;
        float ahead = 0;
        ASSERT_TRUE(view.ToPixel({x, 0.3f, -10}, at, ahead));
        if (at.distance(Ogre::Vector2(100, 100)) <= 12.0f) {
            EXPECT_TRUE(SnapGeometry::SphereMayReach(cone, {x, 0.3f, -10}, 0.0f, 12.0f)) << x;
        }
    }
}

TEST(SnapGeometryTest, RaysMeetTrianglesFromEitherSide) {
    const Vector3 a(0, 0, 0), b(1, 0, 0), c(0, 0, 1);
    EXPECT_NEAR(SnapGeometry::RayTriangle({0.2f, 5, 0.2f}, {0, -2, 0}, a, b, c), 2.5f, 1e-6f);
    EXPECT_NEAR(SnapGeometry::RayTriangle({0.2f, -5, 0.2f}, {0, 1, 0}, a, b, c), 5.0f, 1e-6f);
    EXPECT_EQ(SnapGeometry::RayTriangle({0.8f, 5, 0.8f}, {0, -1, 0}, a, b, c), -1.0f);
    EXPECT_EQ(SnapGeometry::RayTriangle({0.2f, 5, 0.2f}, {0, 1, 0}, a, b, c), -1.0f); // behind
    EXPECT_EQ(SnapGeometry::RayTriangle({0.2f, 5, 0.2f}, {1, 0, 0}, a, b, c), -1.0f); // along
    EXPECT_EQ(SnapGeometry::RayTriangle({0.2f, 5, 0.2f}, {0, -1, 0}, a, a, c), -1.0f);
    EXPECT_EQ(SnapGeometry::RayTriangle({kNaN, 5, 0.2f}, {0, -1, 0}, a, b, c), -1.0f);
    EXPECT_EQ(SnapGeometry::FacingNormal(a, b, c, {0, 1, 0}), Vector3(0, 1, 0));
    EXPECT_EQ(SnapGeometry::FacingNormal(a, b, c, {0, -1, 0}), Vector3(0, -1, 0));
    EXPECT_EQ(SnapGeometry::FacingNormal(a, b, b, {0, 1, 0}), Vector3::ZERO);
}

} // namespace

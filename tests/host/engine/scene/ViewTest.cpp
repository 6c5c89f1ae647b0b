// View maths: projection, rays, size factor, pick tests, framing and degenerate input.
#include "EngineFixture.h"

#include "CEditorView.h"

#include <OgreCamera.h>

#include <cmath>
#include <limits>

namespace {

class ViewTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        view = std::make_unique<CEditorView>(engine->GetOgreSceneManager(), "cam");
        view->SetPixelSize(800, 600);
        view->LookAt({0, 0, 10}, {0, 0, 0});
    }
    void TearDown() override {
        view.reset();
        EngineTest::TearDown();
    }
    Ogre::Vector3 Project(const Ogre::Vector3& p, const Ogre::Matrix4* local = nullptr) {
        Ogre::Vector3 out;
        view->projectPoint(out, p, local);
        return out;
    }
    void SetRect(int l, int t, int r, int b, const Ogre::Matrix4* local = nullptr) {
        PixelRect rect{l, t, r, b};
        view->setPickRegion(&rect, local);
    }
    std::unique_ptr<CEditorView> view;
};

// A row-vector translation.
Ogre::Matrix4 RowTranslation(float x, float y, float z) {
    Ogre::Matrix4 m = Ogre::Matrix4::IDENTITY;
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
    return m;
}

} // namespace

TEST_F(ViewTest, ProjectedPointsLieOnTheRayThroughTheirPixel) {
    for (bool ortho : {false, true}) {
        view->SetOrthographic(ortho, 20.0f);
        view->LookAt({3, 4, 12}, {0, 1, 0});
        for (int x : {0, 123, 400, 799})
            for (int y : {0, 300, 577}) {
                Ogre::Vector3 nearPoint, farPoint;
                view->rayThroughPixel(x, y, nearPoint, farPoint);
                const Ogre::Vector3 pn = Project(nearPoint), pf = Project(farPoint);
                EXPECT_NEAR(pn.z, 0.0f, 1e-3f);
                EXPECT_NEAR(pf.z, 1.0f, 1e-3f);
                float last = -1.0f;
                for (float s : {0.0f, 0.001f, 0.3f, 1.0f}) {
                    const Ogre::Vector3 p = Project(nearPoint + (farPoint - nearPoint) * s);
                    EXPECT_NEAR(p.x, float(x), 0.05f) << ortho << " " << s;
                    EXPECT_NEAR(p.y, float(y), 0.05f) << ortho << " " << s;
                    EXPECT_GE(p.z, last); // depth grows away from the camera
                    last = p.z;
                }
            }
    }
    // The pixel y axis points down; the view centre is the centre pixel.
    view->SetOrthographic(false);
    view->LookAt({0, 0, 10}, {0, 0, 0});
    ExpectNear(Project({0, 0, 0}), Ogre::Vector3(400, 300, Project({0, 0, 0}).z), 1e-3f);
    EXPECT_LT(Project({0, 1, 0}).y, 300.0f);
    EXPECT_GT(Project({1, 0, 0}).x, 400.0f);
    // A row-vector local matrix is applied first.
    const Ogre::Matrix4 shift = RowTranslation(1, 0, 0);
    ExpectNear(Project({0, 0, 0}, &shift), Project({1, 0, 0}));
}

TEST_F(ViewTest, SizeFactorSpansTenPixelsAndIsNotPositiveBehind) {
    view->LookAt({2, 3, 15}, {0, 0, 0});
    const Ogre::Vector3 right = view->GetCamera()->getDerivedOrientation() * Ogre::Vector3::UNIT_X;
    for (const Ogre::Vector3& p : {Ogre::Vector3(0, 0, 0), Ogre::Vector3(1, -2, -30)}) {
        const float s = view->sizeFactor(p);
        ASSERT_GT(s, 0.0f);
        EXPECT_NEAR(Project(p).distance(Project(p + right * s)), 10.0f, 0.05f);
    }
    EXPECT_LE(view->sizeFactor(view->GetEye() - view->GetDirection() * 5.0f), 0.0f);
    EXPECT_LE(view->sizeFactor(view->GetEye()), 0.0f);
    view->SetOrthographic(true, 30.0f);
    EXPECT_NEAR(view->sizeFactor({0, 0, 0}), 10.0f * 30.0f / 600.0f, 1e-5f);
    EXPECT_FALSE(view->checksDepth());
}

TEST_F(ViewTest, PickTestsAgainstAKnownCamera) {
    const Ogre::Vector3 c = Project({0, 0, 0});
    const int cx = int(c.x), cy = int(c.y);
    // No pick region: everything misses.
    EXPECT_EQ(view->testBox({-1, -1, -1}, {1, 1, 1}), 2);
    SetRect(cx - 2, cy - 2, cx + 3, cy + 3);
    EXPECT_EQ(view->testBox({-1, -1, -1}, {1, 1, 1}), 1);
    EXPECT_EQ(view->testBox({3, 3, -1}, {4, 4, 1}), 2);
    EXPECT_EQ(view->testBox({-1, -1, 20}, {1, 1, 30}), 2);         // behind the camera
    EXPECT_EQ(view->testBox({-100, -100, -5}, {100, 100, -4}), 1); // covers the whole view
    EXPECT_EQ(view->testSphere({0, 0, 0}, 0.1f), 1);
    EXPECT_EQ(view->testSphere({2, 0, 0}, 0.5f), 2);
    EXPECT_EQ(view->testSphere({0, 0, 20}, 1.0f), 2);
    EXPECT_EQ(view->testSegment({-5, 0, 0}, {5, 0, 0}, nullptr), 1);
    EXPECT_EQ(view->testSegment({-5, 2, 0}, {5, 2, 0}, nullptr), 2);
    // A segment from behind the camera through the picked point: clipped, still hits.
    EXPECT_EQ(view->testSegment({0, 0, 30}, {0, 0, -30}, nullptr), 1);
    EXPECT_EQ(view->testSegment({0, 0, 30}, {0, 0, 20}, nullptr), 2);
    // Through the local matrix of the pick region.
    const Ogre::Matrix4 away = RowTranslation(3, 0, 0);
    SetRect(cx - 2, cy - 2, cx + 3, cy + 3, &away);
    EXPECT_EQ(view->testBox({-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}), 2);
    EXPECT_EQ(view->testBox({-3.5f, -0.5f, -0.5f}, {-2.5f, 0.5f, 0.5f}), 1);
    EXPECT_EQ(view->testSphere({-3, 0, 0}, 0.1f), 1);
    EXPECT_EQ(view->testSegment({-3, -1, 0}, {-3, 1, 0}, &away), 1);
    // A segment without a matrix of its own is in the pick region's space too.
    EXPECT_EQ(view->testSegment({-3, -1, 0}, {-3, 1, 0}, nullptr), 1);
    EXPECT_EQ(view->testSegment({0, -1, 0}, {0, 1, 0}, nullptr), 2);
    view->setPickRegion(nullptr, nullptr);
    EXPECT_EQ(view->testSphere({0, 0, 0}, 5.0f), 2);
}

TEST_F(ViewTest, ViewOrientationTurnsZToTheViewingDirection) {
    for (const Ogre::Vector3& eye :
         {Ogre::Vector3(0, 0, 10), Ogre::Vector3(8, 5, -3), Ogre::Vector3(0.01f, 20, 0)}) {
        view->LookAt(eye, {0, 0, 0});
        const Ogre::Vector3 ypr = view->viewOrientation();
        const Ogre::Quaternion q = CEditorEntity::RotationFromYPR(ypr);
        ExpectNear(q * Ogre::Vector3::UNIT_Z, view->GetDirection(), 1e-3f);
        ExpectNear(q * Ogre::Vector3::UNIT_Y,
                   view->GetCamera()->getDerivedOrientation() * Ogre::Vector3::UNIT_Y, 1e-3f);
    }
}

TEST_F(ViewTest, FrameBoxFitsTheBoxAndSetsTheClipDistances) {
    view->LookAt({5, 5, 5}, {0, 0, 0});
    const Ogre::Vector3 lo(10, -2, 3), hi(16, 4, 5);
    view->frameBox(lo, hi, 0.03f, 30000.0f);
    float n = 0, f = 0;
    view->lineDistances(n, f);
    EXPECT_FLOAT_EQ(n, 0.03f);
    EXPECT_FLOAT_EQ(f, 30000.0f);
    for (int i = 0; i < 8; ++i) {
        const Ogre::Vector3 p =
            Project({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z});
        EXPECT_TRUE(p.x >= 0 && p.x <= 800 && p.y >= 0 && p.y <= 600) << i;
        EXPECT_TRUE(p.z > 0 && p.z < 1) << i;
    }
    // Bad input leaves the camera where it was.
    const Ogre::Vector3 eye = view->GetEye();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    view->frameBox({nan, 0, 0}, {1, 1, 1}, 0.1f, 100.0f);
    ExpectNear(view->GetEye(), eye);
    view->frameBox({1, 1, 1}, {1, 1, 1}, 0.1f, 100.0f); // a point: still a finite camera
    EXPECT_TRUE(std::isfinite(view->GetEye().length()));
}

TEST_F(ViewTest, DegenerateViewsGiveNoNaN) {
    view->SetPixelSize(0, 0);
    view->LookAt({1, 1, 1}, {1, 1, 1}); // eye on the target: orientation kept
    Ogre::Vector3 p, a, b;
    view->projectPoint(p, {1, 1, 1}, nullptr); // the camera position itself
    view->rayThroughPixel(5, 5, a, b);
    const float s = view->sizeFactor({1, 1, 1});
    for (float v : {p.x, p.y, p.z, a.x, a.y, a.z, b.x, b.y, b.z, s})
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(view->pixelRect().right, 0);
    view->Orbit(std::numeric_limits<float>::infinity(), 0);
    view->Zoom(1e9f);
    view->Pan(3, 4);
    EXPECT_TRUE(std::isfinite(view->GetEye().length()));
}

TEST_F(ViewTest, EntityInRectUsesTheProjectedBoundsCentre) {
    CEditorEntity* e = scene->AddMesh("e", "box", "", {0, 0, 0});
    CEditorEntity* behind = scene->AddMesh("behind", "box", "", {0, 0, 20});
    ASSERT_TRUE(e && behind);
    EXPECT_TRUE(view->entityInRect(e, {0.4f, 0.4f}, {0.6f, 0.6f}));
    EXPECT_FALSE(view->entityInRect(e, {0.6f, 0.4f}, {0.9f, 0.6f}));
    EXPECT_FALSE(view->entityInRect(behind, {0, 0}, {1, 1}));
    EXPECT_FALSE(view->entityInRect(nullptr, {0, 0}, {1, 1}));
}

TEST_F(ViewTest, NavigationKeepsThePivotInTheMiddle) {
    view->LookAt({0, 5, 20}, {1, 0, 0});
    view->Orbit(120, -40);
    EXPECT_NEAR(Project({1, 0, 0}).x, 400.0f, 0.05f);
    EXPECT_NEAR(Project({1, 0, 0}).y, 300.0f, 0.05f);
    const float before = view->GetEye().distance(view->GetPivot());
    view->Zoom(2);
    EXPECT_LT(view->GetEye().distance(view->GetPivot()), before);
    const Ogre::Vector3 pivot = view->GetPivot();
    view->Pan(50, 0);
    EXPECT_NEAR(Project(view->GetPivot()).x, 400.0f, 0.05f);
    EXPECT_NEAR(Project(pivot).x, 450.0f, 0.5f); // the scene follows the pointer
}

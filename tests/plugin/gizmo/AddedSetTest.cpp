// A handle set the gizmo does not know, added the way a new handle would be: its part's row and
// a set made from it. Nothing else of the gizmo knows it, yet it is built, laid out, picked,
// highlighted, dragged and removed like the built-in sets.
#include "GizmoFixture.h"

#include <OgreEntity.h>
#include <OgreMaterialManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreSubEntity.h>

#include <cmath>

using Ogre::Vector2;
using Ogre::Vector3;

namespace {

// A box above the centre, dragged up and down: its value is the pixels moved up since the press.
constexpr int kModeLift = 7;
constexpr GizmoPart kLift = static_cast<GizmoPart>(64);
constexpr float kLiftHeight = 12.0f;
constexpr GizmoPartRow kLiftRows[] = {
    {kLift,
     40,
     kModeLift,
     ELEMENT_CENTRE,
     -1,
     NODE_COUNT,
     "TestLiftEn%d",
     0,
     "TestLiftOrange",
     {1, 0.5f, 0, 1},
     kOpaque,
     &GizmoColours::kHighlight},
};

class CLiftHandle : public CGizmoHandleSet {
public:
    explicit CLiftHandle(CGizmoScene& scene, GizmoRows rows = kLiftRows)
        : CGizmoHandleSet(scene, rows) {}

    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override {
        using namespace GizmoGeometry;
        engine->CreateBoxMesh(kBoxMesh, kBoxHalfSize, kMeshColour);
        m_scene.AddPart(sm, Rows()[0], kBoxMesh, kRenderQueue);
    }
    void Layout(IView*, GizmoViewState& state, const GizmoPlacement& placement) override {
        const float s = state.sizeFactor;
        m_scene.PlaceNode(Rows()[0].node, placement.position + Vector3(0, kLiftHeight * s, 0), s,
                          nullptr);
    }
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override {
        const GizmoPartRow& row = Rows()[0];
        if (!state.shown[row.node])
            return GizmoPart::None;
        drag.view->setPickRegion(&rect, nullptr);
        return m_scene.NodeBoxHit(drag.view, row.node) ? row.part : GizmoPart::None;
    }
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int, int, int y,
             const SnapSteps*) override {
        const Vector3 value(0, float(drag.y - y), 0);
        if (value == step.lastValue)
            return RESULT_NOTHING_NEW;
        step.lastValue = step.result = value;
        return 1;
    }
};

} // namespace

class GizmoAddedSetTest : public GizmoTest {
protected:
    void SetUp() override {
        GizmoTest::SetUp();
        ASSERT_EQ(gizmo->AddHandleSet(std::make_unique<CLiftHandle>(gizmo->Scene())), 1);
    }
    Ogre::ColourValue Orange() const { return Ogre::ColourValue(1, 0.5f, 0, 1); }
    Vector2 LiftPixel() const { return Pixel(gizmo->GetNode(NODE_COUNT)->getPosition()); }
};

TEST_F(GizmoAddedSetTest, IsBuiltFromItsRowBesideTheBuiltInParts) {
    Ogre::SceneNode* node = gizmo->GetNode(NODE_COUNT);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->getParentSceneNode(), gizmo->GetGizmoNode());
    EXPECT_EQ(gizmo->GetGizmoNode()->numChildren(), unsigned(NODE_COUNT + 1));
    auto* entity = static_cast<Ogre::Entity*>(node->getAttachedObject(0));
    EXPECT_EQ(entity->getName(), "TestLiftEn0");
    EXPECT_EQ(entity->getSubEntity(0)->getMaterialName(), "TestLiftOrange");
    EXPECT_FALSE(entity->getVisible());
    EXPECT_EQ(MaterialColour("TestLiftOrange"), Orange());
    // The built-in parts kept their nodes and materials.
    EXPECT_EQ(gizmo->GetNode(NODE_ARROW_X)->getAttachedObject(0)->getName(), "CMapSelectMgrEn0");
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));

    // A mode, a part and a node have one set: another of the lift's mode, one for a part or a
    // node the gizmo has, and one for a built-in mode are refused.
    EXPECT_EQ(gizmo->AddHandleSet(std::make_unique<CLiftHandle>(gizmo->Scene())), 0);
    static constexpr GizmoPartRow kOnArrow[] = {{static_cast<GizmoPart>(65), 41, 8, ELEMENT_NONE,
                                                 -1, NODE_ARROW_X, nullptr, 0, nullptr,
                                                 GizmoColours::kRed, kOpaque, nullptr}};
    static constexpr GizmoPartRow kMoveX[] = {{GizmoPart::MoveX, 42, 9, ELEMENT_NONE, -1,
                                               NODE_COUNT + 1, nullptr, 0, nullptr,
                                               GizmoColours::kRed, kOpaque, nullptr}};
    for (GizmoRows rows : {GizmoRows(kOnArrow), GizmoRows(kMoveX), RowsOf(MODE_MOVE)})
        EXPECT_EQ(gizmo->AddHandleSet(std::make_unique<CLiftHandle>(gizmo->Scene(), rows)), 0)
            << rows[0].number;
    EXPECT_EQ(gizmo->AddHandleSet(nullptr), 0);
    EXPECT_EQ(gizmo->GetNode(NODE_ARROW_X)->getAttachedObject(0)->getName(), "CMapSelectMgrEn0");
}

TEST_F(GizmoAddedSetTest, IsLaidOutPickedHighlightedAndDraggedInItsMode) {
    SelectNew("box_a", Vector3::ZERO);
    gizmo->SetMode(kModeLift);
    const float s = Size();
    EXPECT_TRUE(Visible(NODE_COUNT));
    EXPECT_FALSE(Visible(NODE_ARROW_X));
    EXPECT_FALSE(Visible(NODE_AXIS_LINES));
    EXPECT_EQ(gizmo->GetNode(NODE_COUNT)->getPosition(), Vector3(0, kLiftHeight * s, 0));

    // Hovered, then pressed: lit in the highlight colour, its row's element active.
    const Vector2 lift = LiftPixel();
    const int px = int(std::lround(lift.x)) + 3, py = int(std::lround(lift.y)) - 2;
    EXPECT_EQ(gizmo->OnPointerHover(view.get(), 0, px, py), 1);
    EXPECT_EQ(gizmo->GetHoverPart(), kLift);
    EXPECT_EQ(MaterialColour("TestLiftOrange"), GizmoGeometry::kHighlightColour);
    ASSERT_EQ(gizmo->OnPress(view.get(), 0, KEY_LBUTTON, px, py), 1);
    EXPECT_EQ(gizmo->GetDragPart(), kLift);
    EXPECT_EQ(gizmo->GetActiveElement(), ELEMENT_CENTRE);
    EXPECT_EQ(MaterialColour("MapSelectMgrRed"), Ogre::ColourValue(1, 0, 0, 1));

    // The steps give the set's values, under the row's number.
    GizmoDragResult result;
    ASSERT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px, py - 20, &result), 1);
    EXPECT_EQ(result.part, 40);
    EXPECT_EQ(result.value, Vector3(0, 20, 0));
    EXPECT_EQ(gizmo->OnDrag(view.get(), 0, KEY_LBUTTON, px + 5, py - 20, &result),
              RESULT_NOTHING_NEW);
    EXPECT_FALSE(gizmo->TakesTypedAmount());

    // Let go off the box: nothing stays lit.
    EXPECT_EQ(gizmo->OnRelease(view.get(), 0, 0, px, py - 200), 1);
    EXPECT_EQ(gizmo->GetDragPart(), GizmoPart::None);
    EXPECT_EQ(MaterialColour("TestLiftOrange"), Orange());

    // Another mode hides it and grabs nothing there.
    gizmo->SetMode(MODE_MOVE);
    EXPECT_FALSE(Visible(NODE_COUNT));
    EXPECT_TRUE(Visible(NODE_ARROW_X));
    EXPECT_NE(gizmo->PartAt(view.get(), 0, px, py, false), kLift);
}

TEST_F(GizmoAddedSetTest, IsRebuiltByCreateAndRemovedWithTheGizmo) {
    // Released and built again (the module's engine gone and back), the set is built too.
    gizmo->ReleaseMaterials();
    gizmo->Create(testEngine.get(), &host);
    ASSERT_NE(gizmo->GetNode(NODE_COUNT), nullptr);
    EXPECT_EQ(gizmo->GetNode(NODE_COUNT)->getAttachedObject(0)->getName(), "TestLiftEn0");

    Ogre::SceneManager* sm = engine->GetOgreSceneManager();
    gizmo->RemoveFromEngine();
    EXPECT_FALSE(sm->hasEntity("TestLiftEn0"));
    EXPECT_FALSE(Ogre::MaterialManager::getSingleton().getByName("TestLiftOrange"));
}

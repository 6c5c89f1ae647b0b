// The scene: ray queries against entities and the ground, copies and removal, selection walks,
// the editor's meshes and the demo scene.
#include "EngineFixture.h"

#include "CEditorView.h"
#include "CTerrain.h"
#include "EditorMeshes.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreRoot.h>
#include <OgreSubMesh.h>

#include <algorithm>
#include <limits>

namespace {

RayQuery Query(const Ogre::Vector3& origin, const Ogre::Vector3& direction, int flags,
               float length = 1000.0f) {
    RayQuery q{};
    q.origin = origin;
    q.direction = direction.normalisedCopy();
    q.hit = nullptr;
    q.length = length;
    q.distance = std::numeric_limits<float>::max();
    q.flags = flags;
    return q;
}

} // namespace

TEST_F(EngineTest, EntityRayQueryFindsTheNearestSelectableEntity) {
    scene->SetGround(40, 40, 1.0f, 16);
    CEditorEntity* nearBox = scene->AddMesh("near", "box", "", {0, 5, 0});
    CEditorEntity* farBox = scene->AddMesh("far", "box", "", {0, 5, -10});
    ASSERT_TRUE(nearBox && farBox);
    RayQuery q = Query({0, 5, 20}, {0, 0, -1}, RAY_QUERY_ENTITY);
    EXPECT_EQ(scene->rayQuery(&q), 1);
    EXPECT_EQ(q.hit, nearBox);
    EXPECT_NEAR(q.distance, 19.0f, 1e-4f);
    // Hidden or unselectable entities are passed through.
    nearBox->SetVisible(false);
    q = Query({0, 5, 20}, {0, 0, -1}, RAY_QUERY_ENTITY);
    scene->rayQuery(&q);
    EXPECT_EQ(q.hit, farBox);
    farBox->SetSelectable(false);
    EXPECT_FALSE(scene->canSelect(farBox));
    q = Query({0, 5, 20}, {0, 0, -1}, RAY_QUERY_ENTITY);
    EXPECT_EQ(scene->rayQuery(&q), 0);
    EXPECT_EQ(q.hit, nullptr);
    EXPECT_EQ(q.distance, std::numeric_limits<float>::max()); // untouched
    // The ground is never an entity hit; the ray length bounds the search.
    nearBox->SetVisible(true);
    q = Query({0, 20, 0}, {0, -1, 0}, RAY_QUERY_ENTITY);
    scene->rayQuery(&q);
    EXPECT_EQ(q.hit, nearBox);
    q = Query({0, 5, 20}, {0, 0, -1}, RAY_QUERY_ENTITY, 10.0f);
    EXPECT_EQ(scene->rayQuery(&q), 0);
    // Inside the rock's bounding box but past its surface: the triangles decide.
    CEditorEntity* rock = scene->AddMesh("rock", "rock", "", {20, 0, 0});
    const Ogre::Vector3 corner = rock->GetBoundsMax() - Ogre::Vector3(0.05f, 0.05f, 0.0f);
    q = Query(Ogre::Vector3(corner.x, corner.y, 30), {0, 0, -1}, RAY_QUERY_ENTITY);
    EXPECT_EQ(scene->rayQuery(&q), 0);
    q = Query({20, 0, 30}, {0, 0, -1}, RAY_QUERY_ENTITY);
    EXPECT_EQ(scene->rayQuery(&q), 1);
    EXPECT_EQ(q.hit, rock);
    // Bad records are refused.
    q = Query({0, 5, 20}, {0, 0, 0}, RAY_QUERY_ENTITY);
    EXPECT_EQ(scene->rayQuery(&q), 0);
    EXPECT_EQ(scene->rayQuery(nullptr), 0);
}

TEST_F(EngineTest, GroundRayQueryHitsTheTerrainSurface) {
    ASSERT_TRUE(scene->SetGround(60, 50, 2.0f, 32));
    const CTerrain* ground = scene->GetGround();
    // Grid nodes carry the hill function.
    EXPECT_NEAR(scene->TerrainHeightAt(-30, -25), CTerrain::HillHeight(-30, -25, 60, 50, 2), 1e-4f);
    float lo = 1e9f, hi = -1e9f;
    for (float x = -29; x < 30; x += 3.7f)
        for (float z = -24; z < 25; z += 4.1f) {
            const float h = scene->TerrainHeightAt(x, z);
            lo = std::min(lo, h);
            hi = std::max(hi, h);
            // Straight down, as the ground-follow of a drag asks.
            RayQuery q = Query({x, 100000, z}, {0, -1, 0}, RAY_QUERY_GROUND, 200000);
            ASSERT_EQ(scene->rayQuery(&q), 1) << x << "," << z;
            EXPECT_EQ(q.hit, nullptr);
            EXPECT_NEAR(100000.0f - q.distance, h, 0.02f);
        }
    EXPECT_GT(hi - lo, 1.0f); // uneven
    // An oblique ray lands on the surface.
    RayQuery q = Query({-20, 30, 30}, {0.5f, -1.0f, -0.6f}, RAY_QUERY_GROUND);
    ASSERT_EQ(scene->rayQuery(&q), 1);
    const Ogre::Vector3 p = q.origin + q.direction * q.distance;
    EXPECT_NEAR(p.y, ground->HeightAt(p.x, p.z), 1e-3f);
    // Off the ground, or pointing up: no hit, distance kept.
    q = Query({100, 50, 0}, {0, -1, 0}, RAY_QUERY_GROUND);
    EXPECT_EQ(scene->rayQuery(&q), 0);
    q = Query({0, 50, 0}, {0, 1, 0}, RAY_QUERY_GROUND);
    EXPECT_EQ(scene->rayQuery(&q), 0);
    EXPECT_EQ(q.distance, std::numeric_limits<float>::max());
    EXPECT_FALSE(scene->SetGround(0, 10, 1));
    EXPECT_FALSE(scene->SetGround(10, 10, std::numeric_limits<float>::quiet_NaN()));
    // Sizes whose grid coordinates would overflow the mesh's bounds are refused too.
    EXPECT_FALSE(scene->SetGround(1e38f, 10, 1));
    EXPECT_FALSE(scene->SetGround(10, 10, 1e38f));

    // A ground of given heights: a wrong count or an unusable value keeps the old ground.
    const CTerrain* before = scene->GetGround();
    EXPECT_FALSE(scene->SetGroundHeights(10, 10, 2, std::vector<float>(8, 0.0f)));
    std::vector<float> heights(9, 1.0f);
    heights[4] = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(scene->SetGroundHeights(10, 10, 2, heights));
    heights[4] = 3e38f;
    EXPECT_FALSE(scene->SetGroundHeights(10, 10, 2, heights));
    EXPECT_FALSE(scene->SetGroundHeights(1e38f, 10, 2, std::vector<float>(9, 0.0f)));
    EXPECT_EQ(scene->GetGround(), before);
    heights[4] = 5.0f;
    ASSERT_TRUE(scene->SetGroundHeights(10, 10, 2, heights));
    EXPECT_EQ(scene->TerrainHeightAt(0, 0), 5.0f);
    EXPECT_EQ(scene->TerrainHeightAt(-5, 5), 1.0f);
    EXPECT_FLOAT_EQ(scene->TerrainHeightAt(1.25f, 1.25f), 4.0f); // a quarter down the slope
}

TEST_F(EngineTest, EditorMeshesFaceOutwards) {
    const MeshData shapes[] = {MakeBoxData({1, 2, 3}, 0xFFFFFFFF),
                               MakeConeData({-1, 0, -1}, {1, 3, 1}, 12, 0xFFFFFFFF),
                               MakeCylinderData(1, 4, 12, 0xFFFFFFFF), MakeRockData(2, 0xFFFFFFFF)};
    for (const MeshData& d : shapes) {
        Ogre::Vector3 centre = Ogre::Vector3::ZERO;
        for (const auto& p : d.positions)
            centre += p;
        centre /= float(d.positions.size());
        for (size_t i = 0; i < d.indices.size(); i += 3) {
            const Ogre::Vector3 a = d.positions[d.indices[i]], b = d.positions[d.indices[i + 1]],
                                c = d.positions[d.indices[i + 2]];
            const Ogre::Vector3 n = (b - a).crossProduct(c - a);
            EXPECT_GT(n.dotProduct((a + b + c) / 3.0f - centre), 0.0f) << i;
            EXPECT_GT(n.dotProduct(d.normals[d.indices[i]]), 0.0f) << i;
        }
    }
    // Engine entry points: created once, bad sizes refused, the name then stays free.
    engine->CreateBoxMesh("gbox", 0.5f, 0xFF00FF00);
    engine->CreateBoxMesh("gbox", 5.0f, 0xFF00FF00);
    ASSERT_NE(GetMeshTriangles("gbox"), nullptr);
    EXPECT_NEAR((*GetMeshTriangles("gbox"))[0].length(), std::sqrt(0.75f), 1e-5f);
    engine->CreateBoxMesh("nobox", -1.0f, 0);
    EXPECT_EQ(GetMeshTriangles("nobox"), nullptr);
    engine->CreateConeMesh("gcone", {-1, 0, -1}, {1, 9, 1}, 16, 0xFFFF0000);
    EXPECT_NE(GetMeshTriangles("gcone"), nullptr);
}

TEST_F(EngineTest, MeshPositionsAreReadBackAsTheBufferHoldsThem) {
    // An editor mesh: positions interleaved with normals and colours, one sub-mesh of its own.
    engine->CreateConeMesh("rcone", {-0.5f, 0, -0.5f}, {0.5f, 2, 0.5f}, 8, 0xFFFFFFFF);
    Ogre::MeshPtr cone = Ogre::MeshManager::getSingleton().getByName("rcone");
    ASSERT_TRUE(cone);
    const std::vector<Ogre::Vector3> expected =
        MakeConeData({-0.5f, 0, -0.5f}, {0.5f, 2, 0.5f}, 8, 0xFFFFFFFF).positions;
    EXPECT_EQ(ReadMeshPositions(*cone), expected);
    EXPECT_TRUE(ReadMeshPositions(*cone, 1).empty());

    // A line mesh on shared, write-only vertex data of positions alone, rewritten after it was
    // made: the read gives the rewritten points.
    Ogre::MeshPtr lines = Ogre::MeshManager::getSingleton().createManual("rlines", "General");
    Ogre::SubMesh* sub = lines->createSubMesh();
    sub->useSharedVertices = true;
    lines->sharedVertexData = new Ogre::VertexData();
    lines->sharedVertexData->vertexCount = 4;
    lines->sharedVertexData->vertexDeclaration->addElement(0, 0, Ogre::VET_FLOAT3,
                                                           Ogre::VES_POSITION);
    Ogre::HardwareVertexBufferSharedPtr buffer =
        Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
            12, 4, Ogre::HardwareBuffer::HBU_DYNAMIC_WRITE_ONLY, false);
    lines->sharedVertexData->vertexBufferBinding->setBinding(0, buffer);
    // Loaded, as the editor's meshes are, so that its removal frees what it holds.
    lines->load();
    std::vector<Ogre::Vector3> points = {{0, 9, 0}, {9, 0, 0}, {0, -9, 0}, {-9, 0, 0}};
    buffer->writeData(0, 48, points.data(), true);
    points[2] = Ogre::Vector3(1, 2, 3);
    auto* locked = static_cast<Ogre::Vector3*>(buffer->lock(Ogre::HardwareBuffer::HBL_DISCARD));
    std::copy(points.begin(), points.end(), locked);
    buffer->unlock();
    EXPECT_EQ(ReadMeshPositions(*lines), points);
    lines.reset();
    Ogre::MeshManager::getSingleton().remove("rlines", "General");
}

TEST_F(EngineTest, CopyRemoveAndWalks) {
    scene->AddMesh("a", "box", "", {1, 2, 3}, {0.1f, 0.2f, 0.3f}, {1, 2, 1});
    scene->AddMesh("a_child", "box", "a", {1, 0, 0});
    scene->AddLight("lamp", Ogre::Light::LT_SPOTLIGHT, {0, 5, 0}, Ogre::ColourValue::Red);
    EXPECT_EQ(scene->AddMesh("a", "box", "", {0, 0, 0}), nullptr);        // taken
    EXPECT_EQ(scene->AddMesh("b", "nosuchmesh", "", {0, 0, 0}), nullptr); // no mesh
    EXPECT_EQ(scene->AddMesh("b", "box", "nobody", {0, 0, 0}), nullptr);  // no parent
    EXPECT_EQ(scene->CopyEntity("a_child"), "a_child_1");
    EXPECT_EQ(scene->CopyEntity("a_child"), "a_child_2");
    CEditorEntity* copy = scene->GetEntity("a_child_1");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetParentEntity(), scene->GetEntity("a"));
    ExpectNear(copy->GetWorldPosition(), scene->GetEntity("a_child")->GetWorldPosition());
    EXPECT_EQ(scene->CopyEntity("lamp"), "lamp_1");
    EXPECT_EQ(scene->GetEntity("lamp_1")->getMovableObjectName(), "SpotLight");
    EXPECT_EQ(scene->getNumLights(), 2);
    EXPECT_EQ(scene->CopyEntity("ghost"), "");

    scene->SetSelection({"a_child", "a_child_2", "ghost", "lamp"});
    EXPECT_EQ(scene->getSelectedEntities(),
              (std::set<std::string>{"a_child", "a_child_2", "lamp"}));
    std::vector<std::string> walked;
    for (SceneEntity* e = scene->beginSelected(); e; e = scene->nextSelected())
        walked.push_back(e->GetName());
    EXPECT_EQ(walked, (std::vector<std::string>{"a_child", "a_child_2", "lamp"}));
    // Removing a parent removes its children and drops them from the selection.
    EXPECT_TRUE(scene->RemoveEntity("a"));
    EXPECT_FALSE(scene->RemoveEntity("a"));
    EXPECT_EQ(scene->getSelectedEntities(), (std::set<std::string>{"lamp"}));
    int count = 0;
    for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity())
        ++count;
    EXPECT_EQ(count, 2);
    EXPECT_EQ(scene->nextEntity(), nullptr);
    EXPECT_FALSE(scene->SelectNames("toggle", {"lamp_1"}));
    EXPECT_EQ(scene->getSelectedEntities().size(), 1u);
}

TEST_F(EngineTest, DemoSceneIsCompleteAndVisibleFromItsCamera) {
    BuildDemoScene(*scene);
    const char* names[] = {"box_a", "box_b", "cone_a", "pillar", "石块", "lamp_point", "lamp_spot"};
    CEditorView view(engine->GetOgreSceneManager(), "demo");
    view.SetPixelSize(1000, 700);
    view.LookAt(DemoCameraEye(), DemoCameraTarget());
    for (const char* name : names) {
        CEditorEntity* e = scene->GetEntity(name);
        ASSERT_TRUE(e) << name;
        EXPECT_TRUE(scene->canSelect(e));
        Ogre::Vector3 p;
        view.projectPoint(p, e->GetWorldPosition(), nullptr);
        EXPECT_TRUE(p.x > 0 && p.x < 1000 && p.y > 0 && p.y < 700 && p.z > 0 && p.z < 1) << name;
        // Meshes stand on the terrain or above it, not buried.
        EXPECT_GE(e->GetBoundsMin().y,
                  scene->TerrainHeightAt(e->GetWorldPosition().x, e->GetWorldPosition().z) - 0.8f)
            << name;
    }
    EXPECT_EQ(scene->GetEntity("box_b")->GetParentEntity(), scene->GetEntity("box_a"));
    EXPECT_EQ(scene->GetEntity("pillar")->EnabledTrnaform(), 0);
    EXPECT_TRUE(scene->GetEntity("pillar")->GetState() & STATE_LOCK_POSITION);
    EXPECT_EQ(scene->GetEntity("box_a")->EnabledTrnaform(), 1);
    EXPECT_EQ(scene->getNumLights(), 2);
    EXPECT_EQ(scene->GetEntityCount(), 7);
    // Rebuilding replaces the content.
    BuildDemoScene(*scene);
    EXPECT_EQ(scene->GetEntityCount(), 7);
}

// Bounds, picking and walks keep answering for the scene as it is now after changes made between
// two queries: a parent moved, the entity itself turned, an entity removed or added mid-walk.
TEST_F(EngineTest, QueriesFollowChangesMadeBetweenThem) {
    CEditorEntity* parent = scene->AddMesh("p", "box", "", {0, 0, 0});
    CEditorEntity* child = scene->AddMesh("p_child", "box", "p", {10, 0, 0});
    ASSERT_TRUE(parent && child);
    ExpectNear(child->GetBoundsMin(), {9, -1, -1});
    parent->SetPosition(Ogre::Vector3(0, 0, 20));
    ExpectNear(child->GetBoundsMin(), {9, -1, 19});
    RayQuery q = Query({10, 0, 50}, {0, 0, -1}, RAY_QUERY_ENTITY);
    EXPECT_EQ(scene->rayQuery(&q), 1);
    EXPECT_EQ(q.hit, child);
    EXPECT_NEAR(q.distance, 29.0f, 1e-4f);
    parent->SetScale(Ogre::Vector3(2, 2, 2));
    ExpectNear(child->GetBoundsMax(), {22, 2, 22});
    child->SetOrientation(Ogre::Vector3(0, 0.78539816f, 0)); // a quarter of a half turn
    const float r = 2.0f * std::sqrt(2.0f);
    ExpectNear(child->GetBoundsMax(), {20 + r, 2, 20 + r});

    // A walk that removes the entity it stands on goes on with the next one; one added ahead
    // of it is met; canSelect still answers for the entity the walk stands on.
    scene->AddMesh("q", "box", "", {0, 0, 0})->SetSelectable(false);
    std::vector<std::string> walked;
    for (SceneEntity* e = scene->beginEntity(); e; e = scene->nextEntity()) {
        walked.push_back(e->GetName());
        EXPECT_EQ(scene->canSelect(e), e->GetName() != "q") << e->GetName();
        if (e->GetName() == "p_child") {
            scene->RemoveEntity("p_child");
            scene->AddMesh("pz", "box", "", {0, 0, 0});
        }
    }
    EXPECT_EQ(walked, (std::vector<std::string>{"p", "p_child", "pz", "q"}));
    // An entity of another scene under a name of this one is not this scene's to select.
    scene->GetEntity("q")->SetSelectable(true);
    Ogre::SceneManager* elsewhere = Ogre::Root::getSingleton().createSceneManager();
    {
        CEditorEntity stranger(elsewhere, elsewhere->getRootSceneNode(), "q", "", "", nullptr);
        EXPECT_EQ(scene->beginEntity()->GetName(), "p");
        EXPECT_FALSE(scene->canSelect(&stranger));
        EXPECT_TRUE(scene->canSelect(scene->GetEntity("q")));
    }
    Ogre::Root::getSingleton().destroySceneManager(elsewhere);

    // Names in any order, repeated or unknown, select exactly the known ones.
    EXPECT_TRUE(scene->SelectNames("exclude", {"q", "ghost", "p", "q", "pz", "a"}));
    EXPECT_EQ(scene->getSelectedEntities(), (std::set<std::string>{"p", "pz", "q"}));
    EXPECT_TRUE(scene->SelectNames("sub", {"pz", "p"}));
    EXPECT_EQ(scene->getSelectedEntities(), (std::set<std::string>{"q"}));
}

// Lookups by name remember where the last one landed; every change that moves or drops map
// entries must make them look the name up afresh (a remembered position of a removed entity
// would read freed memory, which the sanitizer build reports).
TEST_F(EngineTest, LookupsByNameFollowRemovalsRenamesAndClears) {
    scene->AddMesh("a", "box", "", {0, 0, 0});
    scene->AddMesh("b", "box", "", {1, 0, 0});
    scene->AddMesh("c", "box", "", {2, 0, 0});
    CEditorEntity* b = scene->GetEntity("b");
    ASSERT_TRUE(b);
    EXPECT_EQ(scene->GetEntity("c")->GetName(), "c"); // the next name in order
    EXPECT_EQ(scene->GetEntity("b"), b);              // looked up afresh, backwards

    ASSERT_TRUE(scene->RenameEntity("b", "bb"));
    EXPECT_EQ(scene->GetEntity("b"), nullptr);
    EXPECT_EQ(scene->GetEntity("bb"), b);
    EXPECT_EQ(scene->GetEntity("c")->GetName(), "c");

    EXPECT_EQ(scene->GetEntity("c")->GetName(), "c");
    ASSERT_TRUE(scene->RemoveEntity("c"));
    EXPECT_EQ(scene->GetEntity("c"), nullptr);
    scene->AddMesh("c", "box", "", {5, 0, 0});
    ASSERT_TRUE(scene->GetEntity("c"));
    ExpectNear(scene->GetEntity("c")->GetWorldPosition(), {5, 0, 0});

    EXPECT_TRUE(scene->GetEntity("a"));
    scene->Clear();
    EXPECT_EQ(scene->GetEntity("a"), nullptr);
    EXPECT_EQ(scene->GetEntity("bb"), nullptr);
}

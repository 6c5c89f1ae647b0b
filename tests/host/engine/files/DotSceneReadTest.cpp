// Scene XML: the rotation conversions against the host's composition, and what makes a file
// unreadable (with the line it is on).
#include "DotScene.h"
#include "EngineFixture.h"

#include <cmath>
#include <random>

namespace {

// The published row-vector rotations: roll about Z first, then pitch about X, then yaw about
// Y, written out independently of the code under test.
Ogre::Vector3 RowRotate(const Ogre::Vector3& pyr, Ogre::Vector3 p) {
    const double cr = std::cos(pyr.z), sr = std::sin(pyr.z);
    const double cp = std::cos(pyr.x), sp = std::sin(pyr.x);
    const double cy = std::cos(pyr.y), sy = std::sin(pyr.y);
    // Row vector times Rz: (x cr - y sr, x sr + y cr, z) ...
    double x = p.x * cr - p.y * sr, y = p.x * sr + p.y * cr, z = p.z;
    // ... times Rx: (x, y cp - z sp, y sp + z cp) ...
    const double y2 = y * cp - z * sp, z2 = y * sp + z * cp;
    y = y2;
    z = z2;
    // ... times Ry: (x cy + z sy, y, -x sy + z cy).
    const double x3 = x * cy + z * sy, z3 = -x * sy + z * cy;
    return Ogre::Vector3(float(x3), float(y), float(z3));
}

void ExpectSameRotation(const Ogre::Quaternion& a, const Ogre::Quaternion& b, float tol) {
    // q and -q are the same rotation.
    const float dot = std::fabs(a.Dot(b));
    EXPECT_NEAR(dot, 1.0f, tol) << a << " vs " << b;
}

} // namespace

TEST(DotSceneRotation, MatchesTheHostCompositionAndRoundTripsOverRandomOrientations) {
    std::mt19937 random(12);
    std::uniform_real_distribution<float> angle(-Ogre::Math::PI, Ogre::Math::PI);
    std::normal_distribution<float> gauss;
    const Ogre::Vector3 probes[] = {{1, 0, 0}, {0, 1, 0}, {0.3f, -0.5f, 0.8f}};
    for (int i = 0; i < 2000; ++i) {
        const Ogre::Vector3 pyr(angle(random) * 0.5f, angle(random), angle(random));
        const Ogre::Quaternion q = PitchYawRollToQuaternion(pyr);
        // The same rotation as the published composition and as the entity's own.
        for (const Ogre::Vector3& p : probes)
            ExpectNear(q * p, RowRotate(pyr, p), 2e-6f);
        ExpectSameRotation(q, CEditorEntity::RotationFromYPR(pyr), 2e-6f);
        // Angles in the canonical ranges come back as they were.
        ExpectNear(QuaternionToPitchYawRoll(q), pyr, 2e-5f);

        // Any unit quaternion goes to angles and back to the same rotation.
        Ogre::Quaternion any(gauss(random), gauss(random), gauss(random), gauss(random));
        any.normalise();
        const Ogre::Vector3 back = QuaternionToPitchYawRoll(any);
        EXPECT_LE(std::fabs(back.x), Ogre::Math::HALF_PI + 1e-6f);
        ExpectSameRotation(PitchYawRollToQuaternion(back), any, 1e-6f);
    }
}

TEST(DotSceneRotation, GimbalLockAndNearItKeepTheRotation) {
    const float half = Ogre::Math::HALF_PI;
    const float pitches[] = {half, -half, half - 1e-3f, -half + 1e-4f, half - 3e-7f};
    for (float pitch : pitches)
        for (float yaw : {0.0f, 0.7f, -2.9f, 3.14159f})
            for (float roll : {0.0f, 0.4f, -1.3f, 2.5f}) {
                const Ogre::Vector3 pyr(pitch, yaw, roll);
                const Ogre::Quaternion q = PitchYawRollToQuaternion(pyr);
                const Ogre::Vector3 back = QuaternionToPitchYawRoll(q);
                ExpectSameRotation(PitchYawRollToQuaternion(back), q, 1e-6f);
                for (const Ogre::Vector3& p : {Ogre::Vector3(1, 2, 3), Ogre::Vector3(-1, 0, 1)})
                    ExpectNear(RowRotate(back, p), RowRotate(pyr, p), 1e-5f);
            }
    // At the lock the whole turn is yaw.
    const Ogre::Vector3 locked =
        QuaternionToPitchYawRoll(PitchYawRollToQuaternion(Ogre::Vector3(half, 0.5f, 0.2f)));
    EXPECT_NEAR(locked.x, half, 1e-6f);
    EXPECT_NEAR(locked.z, 0.0f, 1e-6f);
    EXPECT_NEAR(locked.y, 0.3f, 1e-5f); // yaw - roll at pitch +90 degrees
    // Degenerate input gives no rotation rather than NaN.
    ExpectNear(QuaternionToPitchYawRoll(Ogre::Quaternion(0, 0, 0, 0)), Ogre::Vector3::ZERO);
}

TEST(DotSceneRead, UnreadableFilesNameTheirLine) {
    const std::string head = "<scene>\n<nodes>\n";
    const std::string tail = "</nodes>\n</scene>\n";
    struct Case {
        std::string text;
        const char* start; // expected start of the message
        const char* part;  // and a part of it
    };
    const Case cases[] = {
        {"<scene>\n<nodes>\n<node name='a'>\n</nodes>\n</scene>\n", "f:4: ", "mismatch"},
        {"", "f:1: ", "document element"},
        {"<level/>", "f:1: ", "root element is <level>"},
        {head + "<node name='a'>\n<postion x='1' y='2' z='3'/>\n</node>\n" + tail,
         "f:4: ", "unknown element <postion>"},
        {head + "<node name='a'>\n<position x='1' y='2'/>\n</node>\n" + tail,
         "f:4: ", "no attribute 'z'"},
        {head + "<node name='a'><position x='1' y='nan' z='0'/></node>\n" + tail,
         "f:3: ", "'y' is not a finite number: 'nan'"},
        {head + "<node name='a'><scale x='1e999' y='1' z='1'/></node>\n" + tail,
         "f:3: ", "not a finite number"},
        {head + "<node name='a'><scale x='2' y='1,5' z='1'/></node>\n" + tail,
         "f:3: ", "not a finite number"},
        {head + "<node name='a'><scale x='2' y='0' z='1'/></node>\n" + tail, "f:3: ", "zero scale"},
        {head + "<node name='a'><rotation qw='0' qx='0' qy='0' qz='0'/></node>\n" + tail,
         "f:3: ", "not a rotation"},
        {head + "<node name='a'><rotation qw='1' qx='0' qy='0'/></node>\n" + tail,
         "f:3: ", "no attribute 'qz'"},
        {head + "<node name='a'/>\n<node name='b'>\n<node name='a'/>\n</node>\n" + tail,
         "f:5: ", "duplicate name 'a' (first at line 3)"},
        {head + "<node name='a'><entity name='e'/></node>\n" + tail,
         "f:3: ", "no attribute 'meshFile'"},
        {head + "<node name='a'><light type='laser'/></node>\n" + tail,
         "f:3: ", "unknown light type 'laser'"},
        {head + "<node name='a'><light type='spot'>\n<lightRange inner='0.1'/></light></node>\n" +
             tail,
         "f:4: ", "no attribute 'outer'"},
        {head +
             "<node name='a'><light><lightAttenuation range='inf' constant='1' linear='0' "
             "quadratic='0'/></light></node>\n" +
             tail,
         "f:3: ", "'range' is not a finite number"},
        {head + "<node name='a'><userData><property name='state' data='lots'/></userData>" +
             "</node>\n" + tail,
         "f:3: ", "'state' is not a 32-bit number"},
    };
    for (const Case& c : cases) {
        DotSceneDocument doc;
        std::string error;
        EXPECT_FALSE(ParseDotScene(c.text, "f", doc, error)) << c.text;
        EXPECT_EQ(error.rfind(c.start, 0), 0u) << error;
        EXPECT_NE(error.find(c.part), std::string::npos) << error;
        EXPECT_TRUE(doc.nodes.empty());
    }
}

TEST(DotSceneRead, DocumentsBuiltByHandAreCheckedForCyclesAndBadParents) {
    DotSceneDocument doc;
    doc.nodes.resize(3);
    const char* names[] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
        doc.nodes[size_t(i)].name = names[i];
        doc.nodes[size_t(i)].line = 10 + i;
    }
    std::string error;
    EXPECT_TRUE(ValidateDotScene(doc, "f", error)) << error;
    doc.nodes[0].parent = 2;
    doc.nodes[2].parent = 1;
    doc.nodes[1].parent = 0;
    EXPECT_FALSE(ValidateDotScene(doc, "f", error));
    EXPECT_EQ(error, "f:10: node 'a' is its own ancestor (parent cycle)");
    doc.nodes[1].parent = 7;
    EXPECT_FALSE(ValidateDotScene(doc, "f", error));
    EXPECT_EQ(error, "f:11: node 'b' has no valid parent");
    doc.nodes[1].parent = -1;
    doc.nodes[2].name.clear();
    EXPECT_FALSE(ValidateDotScene(doc, "f", error));
    EXPECT_EQ(error, "f:12: a node has no name");
}

TEST(DotSceneRead, FormsOfTheFormat) {
    // Unnamed nodes get free names; a transform on <nodes> is folded into the root nodes; a
    // second object of a node becomes its child; rotations as axis and angle; skipped
    // elements warn with their line.
    const std::string text = "<?xml version='1.0'?>\n"
                             "<scene formatVersion='1.1'>\n"
                             "<environment><colourAmbient r='1' g='1' b='1'/></environment>\n"
                             "<nodes>\n"
                             "<position x='10' y='0' z='0'/>\n"
                             "<scale x='2' y='2' z='2'/>\n"
                             "<node name='node_1'/>\n"
                             "<node>\n"
                             "  <position x='1' y='2' z='3'/>\n"
                             "  <rotation axisX='0' axisY='1' axisZ='0' angle='1.5707964'/>\n"
                             "  <entity name='e1' meshFile='a.mesh'/>\n"
                             "  <light name='l2' type='directional'/>\n"
                             "  <camera name='cam'/>\n"
                             "</node>\n"
                             "</nodes>\n"
                             "</scene>\n";
    DotSceneDocument doc;
    std::string error;
    ASSERT_TRUE(ParseDotScene(text, "f", doc, error)) << error;
    ASSERT_EQ(doc.nodes.size(), 3u);
    EXPECT_EQ(doc.nodes[1].name, "node_2");
    EXPECT_EQ(doc.nodes[1].kind, DotSceneNode::MESH);
    EXPECT_EQ(doc.nodes[1].meshFile, "a.mesh");
    ExpectNear(doc.nodes[1].position, {12, 4, 6});
    ExpectNear(doc.nodes[1].scale, {2, 2, 2});
    ExpectNear(QuaternionToPitchYawRoll(doc.nodes[1].rotation), {0, Ogre::Math::HALF_PI, 0});
    EXPECT_EQ(doc.nodes[2].name, "l2");
    EXPECT_EQ(doc.nodes[2].parent, 1);
    EXPECT_EQ(doc.nodes[2].kind, DotSceneNode::LIGHT);
    EXPECT_EQ(doc.nodes[2].light.type, Ogre::Light::LT_DIRECTIONAL);
    ExpectNear(doc.nodes[2].position, Ogre::Vector3::ZERO); // not moved by <nodes>
    ASSERT_EQ(doc.warnings.size(), 2u);
    EXPECT_EQ(doc.warnings[0].rfind("f:3: <environment>", 0), 0u) << doc.warnings[0];
    EXPECT_EQ(doc.warnings[1].rfind("f:13: <camera>", 0), 0u) << doc.warnings[1];
}

TEST(DotSceneRead, TheGroundNodeBecomesTheDocumentsGround) {
    auto ground = [](const std::string& name, const std::string& grid, const std::string& heights,
                     const std::string& inside = "") {
        return "<node name='" + name + "'><entity name='" + name +
               "' meshFile='g.ground.mesh'/><userData><property type='str' name='ground' data='" +
               grid + "'/><property type='str' name='groundHeights' data='" + heights +
               "'/></userData>" + inside + "</node>\n";
    };
    const std::string head = "<scene>\n<nodes>\n";
    const std::string tail = "</nodes>\n</scene>\n";
    DotSceneDocument doc;
    std::string error;
    // Before the entities, so their parent indices move down when it leaves the list.
    ASSERT_TRUE(ParseDotScene(head + ground("ground", "4 6 1", "0 1.5 -2 0.25") +
                                  "<node name='a'><node name='b'/></node>\n" + tail,
                              "f", doc, error))
        << error;
    ASSERT_TRUE(doc.ground.present);
    EXPECT_EQ(doc.ground.width, 4.0f);
    EXPECT_EQ(doc.ground.depth, 6.0f);
    EXPECT_EQ(doc.ground.cells, 1);
    EXPECT_EQ(doc.ground.heights, (std::vector<float>{0, 1.5f, -2, 0.25f}));
    EXPECT_EQ(doc.ground.meshFile, "g.ground.mesh");
    ASSERT_EQ(doc.nodes.size(), 2u);
    EXPECT_EQ(doc.nodes[0].name, "a");
    EXPECT_EQ(doc.nodes[1].parent, 0);
    EXPECT_TRUE(doc.warnings.empty());

    const std::string good = ground("g", "4 6 1", "0 1 2 3");
    const struct {
        std::string text;
        const char* part;
    } cases[] = {
        {head + ground("g", "4 6 1", "0 1 2") + tail, "3 heights, not 4"},
        {head + ground("g", "4 6 1", "0 1 2 x") + tail, "'x' is not a finite number"},
        {head + ground("g", "4 0 1", "0 1 2 3") + tail, "bad ground size"},
        {head + ground("g", "4 6 1.5", "0 1 2 3") + tail, "bad ground size"},
        {head + ground("g", "4 6", "0 1 2 3") + tail, "not 'WIDTH DEPTH CELLS'"},
        {head + good.substr(0, good.size() - 1) + ground("h", "4 6 1", "0 1 2 3") + tail,
         "a second ground"},
        {head + ground("g", "4 6 1", "0 1 2 3", "<node name='c'/>") + tail, "has children"},
        {head + "<node name='p'>" + good + "</node>" + tail, "not a root node"},
        {head + "<node name='g'><userData><property name='groundHeights' data='1'/>" +
             "</userData></node>" + tail,
         "without 'ground'"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ParseDotScene(c.text, "f", doc, error)) << c.text;
        EXPECT_EQ(error.rfind("f:3: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.part), std::string::npos) << error;
    }
    // A document built by hand with a grid that does not fit is refused too.
    DotSceneDocument made;
    made.ground.present = true;
    made.ground.width = made.ground.depth = 10;
    made.ground.cells = 2;
    made.ground.heights.assign(8, 0.0f);
    EXPECT_FALSE(ValidateDotScene(made, "f", error));
    made.ground.heights.push_back(0.0f);
    EXPECT_TRUE(ValidateDotScene(made, "f", error)) << error;
}

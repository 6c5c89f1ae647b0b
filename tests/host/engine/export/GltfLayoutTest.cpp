// The pure parts of the glTF writer: JSON strings of hostile names, numbers, the writer's
// commas, node transforms, the buffer's alignment, the binary container and buffer file names.
#include "GltfJson.h"
#include "GltfLayout.h"

#include "DotScene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

std::uint32_t U32At(const std::string& bytes, size_t at) {
    std::uint32_t v;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

TEST(GltfJsonTest, HostileNamesBecomeValidJsonOfValidUtf8) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString(std::string("n\nt\tr\rb\bf\f", 10)), "\"n\\nt\\tr\\rb\\bf\\f\"");
    // Other control characters, NUL among them, and DEL as \u escapes.
    EXPECT_EQ(JsonString(std::string("a\0b\x1F\x7F", 5)), "\"a\\u0000b\\u001F\\u007F\"");
    // Valid sequences of every length stay as they are.
    EXPECT_EQ(JsonString("石块 é 😀"), "\"石块 é 😀\"");
    // A stray continuation byte, a cut sequence, an overlong form, a surrogate, a code point
    // past U+10FFFF and a byte that never starts one: each invalid byte becomes one U+FFFD.
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(JsonString("a\x80z"), "\"a" + r + "z\"");
    EXPECT_EQ(JsonString("a\xE7\x9F"), "\"a" + r + r + "\"");
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"" + r + r + "\"");
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"" + r + r + r + "\"");
    EXPECT_EQ(JsonString("\xF4\x90\x80\x80"), "\"" + r + r + r + r + "\"");
    EXPECT_EQ(JsonString("\xFF\""), "\"" + r + "\\\"\"");
}

TEST(GltfJsonTest, NumbersReadBackExactlyAndNonFiniteOnesAreNeverWritten) {
    for (float v : {0.1f, -1234.5678f, 1e-7f, 3.4e38f, 1.0f / 3.0f, 0.70710677f})
        EXPECT_EQ(std::strtof(JsonNumber(v).c_str(), nullptr), v) << JsonNumber(v);
    EXPECT_EQ(JsonNumber(2.0f), "2");
    EXPECT_EQ(JsonNumber(-0.0f), "0");
    EXPECT_EQ(JsonNumber(std::numeric_limits<float>::infinity()), "0");
    EXPECT_EQ(JsonNumber(std::numeric_limits<float>::quiet_NaN()), "0");
}

TEST(GltfJsonTest, WriterPutsCommasBetweenElementsOnly) {
    CJsonWriter w;
    w.BeginObject();
    w.Field("a", "x");
    w.Key("b");
    w.BeginArray();
    w.Integer(1);
    w.BeginObject();
    w.EndObject();
    w.BeginArray();
    w.EndArray();
    w.Bool(false);
    w.EndArray();
    const float v[2] = {0.5f, 2};
    w.Numbers("c", v, 2);
    w.EndObject();
    EXPECT_TRUE(w.Complete());
    EXPECT_EQ(w.Text(), "{\"a\":\"x\",\"b\":[1,{},[],false],\"c\":[0.5,2]}");
}

TEST(GltfTransformTest, EditorTransformsCarryOverWithTheQuaternionReordered) {
    // A turn of the editor's (pitch, yaw, roll) becomes the same turn in glTF's (x, y, z, w).
    const Ogre::Vector3 pyr(0.3f, -1.2f, 2.5f);
    const Ogre::Quaternion q = PitchYawRollToQuaternion(pyr);
    const GltfTransform t = ToGltfTransform({1, 2, 3}, q, {2, 3, 4});
    const Ogre::Quaternion back(t.rotation[3], t.rotation[0], t.rotation[1], t.rotation[2]);
    const Ogre::Vector3 probe(0.3f, -0.7f, 0.9f);
    const Ogre::Vector3 a = q * probe, b = back * probe;
    EXPECT_NEAR(a.x, b.x, 1e-6f);
    EXPECT_NEAR(a.y, b.y, 1e-6f);
    EXPECT_NEAR(a.z, b.z, 1e-6f);
    EXPECT_GE(t.rotation[3], 0.0f);
    EXPECT_EQ(t.translation[2], 3.0f);
    EXPECT_EQ(t.scale[1], 3.0f);
    // Identity parts are left out: -1 is the unturned quaternion as well.
    const GltfTransform identity =
        ToGltfTransform(Ogre::Vector3::ZERO, Ogre::Quaternion(-1, 0, 0, 0), Ogre::Vector3(1));
    EXPECT_FALSE(identity.HasTranslation());
    EXPECT_FALSE(identity.HasRotation());
    EXPECT_FALSE(identity.HasScale());
    // A quaternion off unit length is normalised (readers refuse others); a zero one is none.
    const GltfTransform scaled =
        ToGltfTransform(Ogre::Vector3::ZERO, Ogre::Quaternion(0, 0, 2, 0), Ogre::Vector3(1));
    EXPECT_FLOAT_EQ(scaled.rotation[1], 1.0f);
    EXPECT_FALSE(
        ToGltfTransform(Ogre::Vector3::ZERO, Ogre::Quaternion(0, 0, 0, 0), Ogre::Vector3(1))
            .HasRotation());
}

TEST(GltfBufferTest, ViewsStartOnFourByteBoundariesAndTheContainerIsPadded) {
    CGltfBuffer buffer;
    const char three[3] = {1, 2, 3};
    const std::uint16_t indices[3] = {0, 1, 2};
    const float floats[2] = {1, 2};
    EXPECT_EQ(buffer.AddView(three, 3, 0), 0);
    EXPECT_EQ(buffer.AddView(indices, 6, kGltfElementArrayBuffer), 1);
    EXPECT_EQ(buffer.AddView(floats, 8, kGltfArrayBuffer), 2);
    ASSERT_EQ(buffer.Views().size(), 3u);
    EXPECT_EQ(buffer.Views()[1].offset, 4u);
    EXPECT_EQ(buffer.Views()[1].length, 6u);
    EXPECT_EQ(buffer.Views()[2].offset, 12u);
    EXPECT_EQ(buffer.Bytes().size(), 20u);
    EXPECT_EQ(buffer.Bytes()[3], '\0');
    float second;
    std::memcpy(&second, buffer.Bytes().data() + 16, 4);
    EXPECT_EQ(second, 2.0f);

    const std::string glb = GlbContainer("{\"a\":1}", std::string("\x01\x02\x03\x04\x05", 5));
    ASSERT_EQ(glb.size(), 12u + 8 + 8 + 8 + 8);
    EXPECT_EQ(glb.substr(0, 4), "glTF");
    EXPECT_EQ(U32At(glb, 4), 2u);
    EXPECT_EQ(U32At(glb, 8), glb.size());
    EXPECT_EQ(U32At(glb, 12), 8u); // JSON chunk, padded with a space
    EXPECT_EQ(U32At(glb, 16), 0x4E4F534Au);
    EXPECT_EQ(glb.substr(20, 8), "{\"a\":1} ");
    EXPECT_EQ(U32At(glb, 28), 8u); // BIN chunk, padded with zeros
    EXPECT_EQ(U32At(glb, 32), 0x004E4942u);
    EXPECT_EQ(glb.substr(41, 3), std::string(3, '\0'));
    // No buffer, no binary chunk.
    EXPECT_EQ(GlbContainer("{}", "").size(), 12u + 8 + 4);
}

TEST(GltfBufferTest, BufferFileNamesNeedNoEncodingAndStayDistinct) {
    EXPECT_EQ(GltfBufferFileName("scene-1.a~"), "scene-1.a~.bin");
    EXPECT_EQ(GltfBufferFileName("my scene#2?"), "my_20scene_232_3F.bin");
    // '_' is escaped too: "a b" and "a_20b" do not share one buffer file.
    EXPECT_EQ(GltfBufferFileName("a_20b"), "a_5F20b.bin");
    EXPECT_EQ(GltfBufferFileName("石%"), "_E7_9F_B3_25.bin");
}

} // namespace

// The mesh file check against converted meshes, every cut and random edits of them, and the
// hostile values that made the engine's own reader abort or allocate gigabytes: whatever the
// check lets through must load in the engine's reader without an assertion.
#include "EngineFixture.h"
#include "MeshBytes.h"
#include "MeshFileCheck.h"

#include <OgreSubMesh.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <new>
#include <random>

// Bytes allocated while g_countAllocations is set: the check must not allocate by a count it
// reads from the file.
namespace {
std::atomic<bool> g_countAllocations{false};
std::atomic<std::size_t> g_allocated{0};
} // namespace

// The sanitizers keep their own allocator and see a replaced operator new as mismatched with
// the library's deletes; there an allocation by the huge count ends the test instead (it is past
// the sanitizer's largest allocation), so the count below is only kept in ordinary builds.
#if defined(__SANITIZE_ADDRESS__)
#define GIZMARK_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIZMARK_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef GIZMARK_COUNT_ALLOCATIONS
#define GIZMARK_COUNT_ALLOCATIONS 1
#endif

#if GIZMARK_COUNT_ALLOCATIONS
// GCC takes the malloc and free below for a mismatched pair; they are the replacement pair.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    if (g_countAllocations)
        g_allocated += size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#endif

namespace {

// Converted by OgreXMLConverter from the .mesh.xml files beside them (parts-big.mesh with
// -E big), and parts-edges.mesh written by the engine with edge lists and extremes.
const char* const kMeshFiles[] = {"crate.mesh", "parts.mesh", "parts-big.mesh", "parts-edges.mesh"};

MeshCheckResult Check(const std::string& bytes) {
    return CheckMeshFile(bytes.data(), bytes.size());
}

// Offsets in crate.mesh (little-endian, one submesh "Crate/Wood" with its own 24 vertices).
struct Crate {
    std::string bytes = ReadMeshData("crate.mesh");
    std::size_t meshLength = 0x1C;    // length of the mesh chunk
    std::size_t subMeshLength = 0x23; // length of the submesh chunk
    std::size_t name = bytes.find("Crate/Wood\n");
    std::size_t indexCount = name + 12;                  // after the name line and the shared flag
    std::size_t firstIndex = indexCount + 5;             // after the count and the 32-bit flag
    std::size_t vertices = FindChunk(bytes, 0x5210) + 6; // 24 x (position, normal)
    std::size_t bounds = FindChunk(bytes, 0x9000) + 6;
};

class MeshFileTest : public EngineTest {};

TEST_F(MeshFileTest, ConvertedMeshesPassAndLoadInTheEngine) {
    for (const char* name : kMeshFiles) {
        const std::string bytes = ReadMeshData(name);
        ASSERT_GT(bytes.size(), 600u) << name;
        const MeshCheckResult result = Check(bytes);
        EXPECT_TRUE(result.ok) << name << ": " << DescribeMeshCheck(result);
        std::string why;
        bool finite = false;
        EXPECT_TRUE(LoadWithEngine(bytes, why, finite)) << name << ": " << why;
        EXPECT_TRUE(finite) << name;
    }
}

// Edge lists and extremes, which the converter does not write: the engine's own writer.
TEST_F(MeshFileTest, MeshesWithEdgeListsAndExtremesPass) {
    Ogre::MeshManager& meshes = Ogre::MeshManager::getSingleton();
    for (const char* name : {"crate.mesh", "parts.mesh"}) {
        const std::string bytes = ReadMeshData(name);
        Ogre::MeshPtr mesh = meshes.createManual(std::string("edges_") + name, Ogre::RGN_DEFAULT);
        Ogre::DataStreamPtr in(OGRE_NEW Ogre::MemoryDataStream(const_cast<char*>(bytes.data()),
                                                               bytes.size(), false, true));
        Ogre::MeshSerializer().importMesh(in, mesh.get());
        mesh->buildEdgeList();
        mesh->getSubMesh(0)->extremityPoints = {{0.5f, 0, 0}, {-0.5f, 0.25f, 0}};
        const std::string path = testing::TempDir() + "/edges_" + name;
        Ogre::MeshSerializer().exportMesh(mesh.get(), path);
        FreeImportedMesh(*mesh);
        meshes.remove(mesh);
        std::ifstream file(path, std::ios::binary);
        const std::string written((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
        std::remove(path.c_str());
        ASSERT_NE(FindChunk(written, 0xB000), std::string::npos) << name;
        ASSERT_NE(FindChunk(written, 0xE000), std::string::npos) << name;
        const MeshCheckResult result = Check(written);
        EXPECT_TRUE(result.ok) << name << ": " << DescribeMeshCheck(result);
        std::string why;
        bool finite = false;
        EXPECT_TRUE(LoadWithEngine(written, why, finite)) << name << ": " << why;
        for (std::size_t cut = 0; cut < written.size(); ++cut)
            EXPECT_FALSE(Check(written.substr(0, cut)).ok) << name << " cut at " << cut;
    }
}

TEST(MeshFileCheck, EveryCutOfAMeshIsRefused) {
    for (const char* name : kMeshFiles) {
        const std::string bytes = ReadMeshData(name);
        for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
            const MeshCheckResult result = Check(bytes.substr(0, cut));
            EXPECT_FALSE(result.ok) << name << " cut at " << cut;
            EXPECT_LE(result.offset, cut) << name << " cut at " << cut;
        }
    }
}

// Whatever survives the check loads in the engine's reader without aborting (an assertion
// ends this test binary) and with finite bounds.
TEST_F(MeshFileTest, RandomEditsAreRefusedOrLoadSafely) {
    std::mt19937 random(20261208u);
    std::size_t accepted = 0, loaded = 0, tried = 0;
    for (const char* name : kMeshFiles) {
        const std::string original = ReadMeshData(name);
        for (int round = 0; round < 1500; ++round, ++tried) {
            std::string bytes = original;
            const int edits = 1 + int(random() % 4);
            for (int e = 0; e < edits; ++e) {
                const std::size_t at = random() % bytes.size();
                switch (random() % 4) {
                case 0:
                    bytes[at] = char(random());
                    break;
                case 1:
                    bytes[at] = char(bytes[at] ^ (1 << (random() % 8)));
                    break;
                case 2:
                    bytes[at] = char(0xFF);
                    break;
                default:
                    bytes[at] = 0;
                    break;
                }
            }
            if (!Check(bytes).ok)
                continue;
            ++accepted;
            std::string why;
            bool finite = false;
            if (LoadWithEngine(bytes, why, finite)) {
                ++loaded;
                EXPECT_TRUE(finite) << name << " round " << round;
            }
        }
    }
    // Edits of vertex values and names pass; most edits of the structure do not.
    EXPECT_GT(accepted, 0u);
    EXPECT_LT(accepted, tried);
    EXPECT_EQ(loaded, accepted) << "the check let through files the engine refuses";
    std::printf("mesh edits: %zu tried, %zu accepted, %zu loaded\n", tried, accepted, loaded);
}

TEST(MeshFileCheck, HostileValuesAreRefusedAtTheirOffset) {
    const Crate c;
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t offset;
        const char* message;
    };
    std::vector<Case> cases;
    auto edit = [&](const char* what, std::size_t at, auto change, std::size_t offset,
                    const char* message) {
        std::string bytes = c.bytes;
        change(bytes, at);
        cases.push_back({what, bytes, offset, message});
    };
    const std::size_t y = c.vertices + 5 * 24 + 4; // y of the sixth vertex
    edit(
        "x at +3e38", c.vertices, [](std::string& b, std::size_t at) { PutF32(b, at, 3e38f); },
        c.vertices, "vertex position is outside");
    edit(
        "y at -3e38", y, [](std::string& b, std::size_t at) { PutF32(b, at, -3e38f); }, y,
        "vertex position is outside");
    edit(
        "y just past the world", y, [](std::string& b, std::size_t at) { PutF32(b, at, 1.01e6f); },
        y, "vertex position is outside");
    edit(
        "NaN position", y, [](std::string& b, std::size_t at) { PutF32(b, at, std::nanf("")); }, y,
        "vertex position is not a finite number");
    edit(
        "infinite normal", c.vertices + 12,
        [](std::string& b, std::size_t at) { PutF32(b, at, INFINITY); }, c.vertices + 12,
        "vertex value is not a finite number");
    edit(
        "NaN bound", c.bounds + 8,
        [](std::string& b, std::size_t at) { PutF32(b, at, std::nanf("")); }, c.bounds + 8,
        "bound is not a finite number");
    edit(
        "bounds upside down", c.bounds,
        [](std::string& b, std::size_t at) { PutF32(b, at, 0.75f); }, c.bounds,
        "minimum is above the maximum");
    edit(
        "negative radius", c.bounds + 24,
        [](std::string& b, std::size_t at) { PutF32(b, at, -1.0f); }, c.bounds + 24,
        "radius is negative");
    edit(
        "index count 0x7FC00000", c.indexCount,
        [](std::string& b, std::size_t at) { PutU32(b, at, 0x7FC00000u); }, c.indexCount,
        "index count 2143289344 is more than the submesh holds");
    edit(
        "index past the vertices", c.firstIndex + 10,
        [](std::string& b, std::size_t at) { b[at] = 24; }, c.firstIndex + 10,
        "index 24 is not below the vertex count 24");
    edit(
        "submesh longer than the mesh", c.subMeshLength,
        [](std::string& b, std::size_t at) { PutU32(b, at, GetU32(b, at) + 0x100); },
        c.subMeshLength, "runs past the end of its parent");
    edit(
        "mesh longer than the file", c.meshLength,
        [](std::string& b, std::size_t at) { PutU32(b, at, 0xFFFFFFF0u); }, c.meshLength,
        "runs past the end of its parent");
    edit(
        "unknown chunk", c.bounds - 6, [](std::string& b, std::size_t at) { b[at + 1] = 0x77; },
        c.bounds - 6, "unknown chunk id 30464 in the mesh");
    edit(
        "level of detail", c.bounds - 6,
        [](std::string& b, std::size_t at) { b[at + 1] = char(0x80); }, c.bounds - 6,
        "levels of detail are not supported");
    edit(
        "older version", 2 + 19, [](std::string& b, std::size_t at) { b.replace(at, 4, "41]"); }, 2,
        "mesh version '[MeshSerializer_v1.41]' is not supported");
    for (const Case& k : cases) {
        const MeshCheckResult result = Check(k.bytes);
        EXPECT_FALSE(result.ok) << k.what;
        EXPECT_EQ(result.offset, k.offset) << k.what << ": " << result.message;
        EXPECT_NE(result.message.find(k.message), std::string::npos)
            << k.what << ": " << result.message;
    }
}

// A 10 MB material name: refused after reading at most the name limit.
TEST(MeshFileCheck, HugeNamesAreRefused) {
    Crate c;
    const std::uint32_t extra = 10u * 1000 * 1000;
    c.bytes.insert(c.name, std::string(extra, 'n'));
    PutU32(c.bytes, c.meshLength, GetU32(c.bytes, c.meshLength) + extra);
    PutU32(c.bytes, c.subMeshLength, GetU32(c.bytes, c.subMeshLength) + extra);
    const MeshCheckResult result = Check(c.bytes);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.offset, c.name);
    EXPECT_NE(result.message.find("material name is longer than 1024 bytes"), std::string::npos)
        << result.message;
    // The limit itself is a name that passes.
    Crate d;
    d.bytes.insert(d.name, std::string(kMaxMeshStringBytes - 10, 'n'));
    PutU32(d.bytes, d.meshLength, GetU32(d.bytes, d.meshLength) + kMaxMeshStringBytes - 10);
    PutU32(d.bytes, d.subMeshLength, GetU32(d.bytes, d.subMeshLength) + kMaxMeshStringBytes - 10);
    EXPECT_TRUE(Check(d.bytes).ok) << DescribeMeshCheck(Check(d.bytes));
}

// The engine's reader allocates by the count in the file; the check must not.
TEST(MeshFileCheck, AHugeIndexCountIsRefusedWithoutAllocatingByIt) {
    Crate c;
    PutU32(c.bytes, c.indexCount, 0x7FC00000u);
    g_allocated = 0;
    g_countAllocations = true;
    const MeshCheckResult result = Check(c.bytes);
    g_countAllocations = false;
    EXPECT_FALSE(result.ok);
    if (GIZMARK_COUNT_ALLOCATIONS) {
        EXPECT_LT(g_allocated.load(), 64u * 1024) << "bytes allocated by the check";
    }
}

} // namespace

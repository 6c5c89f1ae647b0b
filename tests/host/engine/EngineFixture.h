// A headless editor engine per test.
#pragma once

#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DemoScene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        engine = std::make_unique<CEditorEngine>(false);
        scene = engine->GetScene();
        CreateDemoMeshes(*engine);
    }
    void TearDown() override { engine.reset(); }

    std::unique_ptr<CEditorEngine> engine;
    CEditorScene* scene = nullptr;
};

// A headless engine and a folder of the test's own, made empty before and removed after: ctest
// runs the cases of a fixture side by side, so each names its folder after its suite and case.
class FolderEngineTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::path(testing::TempDir()) /
                 (std::string(test->test_suite_name()) + "_" + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        EngineTest::TearDown();
        std::filesystem::remove_all(folder);
    }
    // Writes `bytes` to `path` (relative paths are taken in the test's folder; missing folders
    // are made) and returns the path written.
    std::string Write(const std::filesystem::path& path, const std::string& bytes) {
        const std::filesystem::path full = path.is_absolute() ? path : folder / path;
        std::filesystem::create_directories(full.parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
        return full.string();
    }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path folder;
};

inline void ExpectNear(const Ogre::Vector3& a, const Ogre::Vector3& b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

// A headless editor engine per test.
#pragma once

#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DemoScene.h"

#include <gtest/gtest.h>

#include <memory>

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

inline void ExpectNear(const Ogre::Vector3& a, const Ogre::Vector3& b, float tol = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

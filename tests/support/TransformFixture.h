// The host as the module sees it, over the editor's real headless engine, scene and undo
// manager, with two boxes "a" and "b": what the transform step and the transform commit are
// tested against. The process's host (GetInterfaceHinstance) is this one, for the step's
// constructor without arguments; the commit is handed it.
#pragma once

#include "CTransformCommit.h"
#include "HostFakes.h"

#include "CEditorUndoManager.h"
#include "HostInstance.h"
#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "DemoScene.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Every notification, as (code, entity name).
class RecordingTools : public CQuietTools {
public:
    void notify(int code, int arg, void* data) override {
        EXPECT_EQ(arg, 1);
        sent.emplace_back(code, static_cast<SceneEntity*>(data)->GetName());
    }
    std::vector<std::pair<int, std::string>> sent;
};

class TestHost : public CPartsHost {
public:
    TestHost() : engine(false) {
        m_engine = &engine;
        m_tools = &tools;
        m_undo = &undo;
    }

    CEditorEngine engine;
    RecordingTools tools;
    CEditorUndoManager undo;
};

inline void ExpectNear(const Ogre::Vector3& actual, const Ogre::Vector3& expected,
                       float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class TransformFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<TestHost>();
        SetInterfaceHinstance(host.get());
        CreateDemoMeshes(host->engine);
        scene = host->engine.GetScene();
        a = scene->AddMesh("a", "box", "", Ogre::Vector3(1, 2, 3));
        b = scene->AddMesh("b", "box", "", Ogre::Vector3(-4, 5, 6));
        ASSERT_TRUE(a && b);
    }
    void TearDown() override {
        drag.reset();
        SetInterfaceHinstance(nullptr);
        host.reset();
    }
    void Select(std::set<std::string> names) { scene->SetSelection(names); }
    CSceneManager* Scene() { return scene; }

    // The commit of the drags, as the plug-in keeps one.
    CTransformCommit& Drag() {
        if (!drag)
            drag = std::make_unique<CTransformCommit>(host.get());
        return *drag;
    }
    // A side-panel edit, a transform-bar group and snap to ground, each one commit as the
    // plug-in runs it; 1 when a step was recorded.
    int ApplyValues(const Ogre::Vector3& value, int axis, int kind) {
        CTransformCommit commit(host.get());
        commit.Begin(kind, static_cast<COORDINATE_AXIS>(axis));
        return commit.SetValues(value) ? commit.Push() : 0;
    }
    int ApplyWorld(const Ogre::Vector3& value, unsigned mask, int kind) {
        CTransformCommit commit(host.get());
        commit.Begin(kind);
        return commit.SetWorldValues(value, mask) ? commit.Push() : 0;
    }
    int Snap() {
        CTransformCommit commit(host.get());
        commit.Begin(KIND_POSITION);
        return commit.DropToGround() ? commit.Push() : 0;
    }

    std::unique_ptr<TestHost> host;
    std::unique_ptr<CTransformCommit> drag;
    CEditorScene* scene = nullptr;
    CEditorEntity* a = nullptr;
    CEditorEntity* b = nullptr;
};

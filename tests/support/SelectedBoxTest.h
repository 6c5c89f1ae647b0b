// Tests that run in the binary's one editor session with the module loaded, each starting with
// the demo's box_a selected and the move tool engaged; the box's position and the undo history
// are put back after each test.
#pragma once

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "SceneEntity.h"

#include <gtest/gtest.h>

#include <string>

// The binary's session: set by RunTestsInEditorSession while the tests run.
inline CEditorSession* g_session = nullptr;

class SelectedBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_session);
        Run("select box_a");
        Run("tool move");
        g_session->RenderFrames(2);
        Undo().clear();
        box = g_session->Scene().getSceneEntity("box_a");
        ASSERT_TRUE(box);
        start = box->GetPosition();
    }
    void TearDown() override {
        if (box)
            box->SetPosition(start);
        Undo().clear();
    }
    void Run(const std::string& line) { ASSERT_TRUE(g_session->RunScriptLine(line)) << line; }
    CEditorHost& host() { return g_session->Host(); }
    CEditorUndoManager& Undo() { return g_session->Host().Undo(); }

    SceneEntity* box = nullptr;
    Ogre::Vector3 start;
};

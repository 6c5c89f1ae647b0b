// A headless engine, the host's own views and scene, and a gizmo built on them.
#pragma once

#include "CGameEngine.h"
#include "CSceneManager.h"
#include "Interface.h"
#include "CMapSelectMgr.h"
#include "CEditorEngine.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CEditorView.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Ogre {
class Entity;
class Mesh;
} // namespace Ogre

// The view host of the tests: up to four views and a count of redraws.
class TestViewHost : public IViewHost {
public:
    void removeMenu(IPluginBase*, wxMenu*, int) override {}
    void removeToolStrip(IPluginBase*, wxToolBar*) override {}
    IView* view(int n) override { return n >= 0 && n < 4 ? views[n] : nullptr; }
    void redraw() override { ++redraws; }
    void setCursor(const wxCursor*) override {}
    void setSidePanel(CSizeControlChild*) override {}

    IView* views[4] = {};
    int redraws = 0;
};

// A selection that names one entity the test supplies (for entities the host would refuse).
class SingleSelection : public CSceneManager {
public:
    explicit SingleSelection(SceneEntity* entity) : m_entity(entity), m_names{entity->GetName()} {}
    const std::set<std::string>& getSelectedEntities() const override { return m_names; }
    SceneEntity* getSceneEntity(const std::string& name) const override {
        return name == m_entity->GetName() ? m_entity : nullptr;
    }
    bool isEntitySelected(const std::string& name) const override {
        return m_names.count(name) != 0;
    }
    int rayQuery(RayQuery*) override { return 0; }
    SceneEntity* beginSelected() override { return m_entity; }
    SceneEntity* nextSelected() override { return nullptr; }
    SceneEntity* beginEntity() override { return m_entity; }
    SceneEntity* nextEntity() override { return nullptr; }
    bool canSelect(SceneEntity*) const override { return true; }
    int getNumLights() const override { return 0; }

private:
    SceneEntity* m_entity;
    std::set<std::string> m_names;
};

// The real engine, except that the scene can be replaced by a test selection.
class TestEngine : public CGameEngine {
public:
    explicit TestEngine(CEditorEngine& engine) : m_engine(engine) {}
    void CreateConeMesh(const std::string& name, const Ogre::Vector3& minCorner,
                        const Ogre::Vector3& maxCorner, int segments,
                        std::uint32_t colour) override {
        m_engine.CreateConeMesh(name, minCorner, maxCorner, segments, colour);
    }
    void CreateBoxMesh(const std::string& name, float halfSize, std::uint32_t colour) override {
        m_engine.CreateBoxMesh(name, halfSize, colour);
    }
    Ogre::SceneManager* GetOgreSceneManager() override { return m_engine.GetOgreSceneManager(); }
    CSceneManager* GetSceneManager() override { return scene ? scene : m_engine.GetSceneManager(); }
    Ogre::Root* GetRoot() override { return m_engine.GetRoot(); }

    CSceneManager* scene = nullptr;

private:
    CEditorEngine& m_engine;
};

// The host view, with hooks: it records the pick regions the gizmo sets, can force the hit
// tests' answers, and can make its rays degenerate.
class ForwardingView : public IView {
public:
    // What the hit tests answer instead of asking the view.
    enum Forced { ASK_VIEW, HIT, MISS };

    explicit ForwardingView(IView& inner) : m_inner(inner) {}
    void setPickRegion(const PixelRect* r, const Ogre::Matrix4* l) override {
        if (r)
            pickRects.push_back(*r);
        m_inner.setPickRegion(r, l);
    }
    int testSphere(const Ogre::Vector3& c, float r) override {
        return Answer(sphere, m_inner.testSphere(c, r));
    }
    int testBox(const Ogre::Vector3& a, const Ogre::Vector3& b) override {
        return Answer(box, m_inner.testBox(a, b));
    }
    PixelRect pixelRect() const override { return m_inner.pixelRect(); }
    bool checksDepth() const override { return m_inner.checksDepth(); }
    void lineDistances(float& a, float& b) const override { m_inner.lineDistances(a, b); }
    Ogre::Vector3 viewOrientation() const override { return m_inner.viewOrientation(); }
    void rayThroughPixel(int x, int y, Ogre::Vector3& n, Ogre::Vector3& f) const override;
    void projectPoint(Ogre::Vector3& o, const Ogre::Vector3& p,
                      const Ogre::Matrix4* l) const override {
        m_inner.projectPoint(o, p, l);
    }
    float sizeFactor(const Ogre::Vector3& p) const override { return m_inner.sizeFactor(p); }
    int testSegment(const Ogre::Vector3& a, const Ogre::Vector3& b,
                    const Ogre::Matrix4* l) override {
        return Answer(l ? localSegment : segment, m_inner.testSegment(a, b, l));
    }
    bool entityInRect(SceneEntity* e, const Ogre::Vector2& a,
                      const Ogre::Vector2& b) const override {
        return m_inner.entityInRect(e, a, b);
    }
    void frameBox(const Ogre::Vector3& a, const Ogre::Vector3& b, float n, float f) override {
        m_inner.frameBox(a, b, n, f);
    }

    std::vector<PixelRect> pickRects;
    Forced sphere = ASK_VIEW, box = ASK_VIEW;
    Forced segment = ASK_VIEW;      // segments in world space (arrows' lines, axis rings)
    Forced localSegment = ASK_VIEW; // segments through a local matrix (the outer ring)
    bool poisoned = false;          // rays with not-a-number points

private:
    static int Answer(Forced forced, int asked) {
        return forced == HIT ? 0 : forced == MISS ? 2 : asked;
    }
    IView& m_inner;
};

class GizmoTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a box entity and makes it the only selected one (the gizmo follows on notify 50).
    CEditorEntity* SelectNew(const std::string& name, const Ogre::Vector3& position,
                             const Ogre::Vector3& orientation = Ogre::Vector3::ZERO);
    void Select(const std::set<std::string>& names);
    // Pixel of a world point in view 0.
    Ogre::Vector2 Pixel(const Ogre::Vector3& world) const;
    bool Visible(int node) const;
    Ogre::ColourValue MaterialColour(const char* name) const;
    // Size factor of view 0's last layout.
    float Size() const { return gizmo->GetViewState(0).sizeFactor; }

    std::unique_ptr<CEditorEngine> engine;
    std::unique_ptr<TestEngine> testEngine;
    CEditorScene* scene = nullptr;
    std::unique_ptr<CEditorView> view;
    TestViewHost host;
    std::unique_ptr<CMapSelectMgr> gizmo;
};

// Reads the positions of a mesh's shared vertex buffer (the software buffers keep them).
void ReadPositions(Ogre::Mesh* mesh, Ogre::Vector3* out, int count, std::uint32_t* colours);

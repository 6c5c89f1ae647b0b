// Ogre's own scene loader set beside the editor (OgreLoaderCheck.h).
#include "OgreLoaderCheck.h"

#include "EngineFixture.h"

#include <OgreDataStream.h>
#include <OgreDotSceneLoader.h>
#include <OgreEntity.h>
#include <OgreMesh.h>
#include <OgreRoot.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

// Loads a scene file with Ogre's loader into a scene manager of its own and compares every
// entity's world transform (and every light) with the editor's scene.
void ExpectOgreLoaderAgrees(CEditorEngine& engine, CEditorScene& scene, const std::string& path) {
    SCOPED_TRACE(path);
    Ogre::SceneManager* other = engine.GetRoot()->createSceneManager();
    std::string text = Read(path);
    Ogre::DataStreamPtr stream(new Ogre::MemoryDataStream(&text[0], text.size(), false, true));
    Ogre::DotSceneLoader().load(stream, scene.GetMeshGroup(), other->getRootSceneNode());
    other->getRootSceneNode()->_update(true, false);
    for (SceneEntity* s = scene.beginEntity(); s; s = scene.nextEntity()) {
        SCOPED_TRACE(s->GetName());
        CEditorEntity* e = scene.GetEntity(s->GetName());
        ASSERT_TRUE(other->hasSceneNode(e->GetName()));
        Ogre::SceneNode* node = other->getSceneNode(e->GetName());
        ExpectNear(node->_getDerivedPosition(), e->GetWorldPosition(), 1e-5f);
        ExpectNear(node->_getDerivedScale(), e->GetWorldScale(), 1e-5f);
        EXPECT_NEAR(std::fabs(node->_getDerivedOrientation().Dot(e->GetWorldRotation())), 1.0f,
                    1e-5f);
        if (Ogre::Light* mine = e->GetOgreLight()) {
            ASSERT_TRUE(other->hasLight(e->GetName()));
            Ogre::Light* theirs = other->getLight(e->GetName());
            EXPECT_EQ(theirs->getDiffuseColour(), mine->getDiffuseColour());
            EXPECT_EQ(theirs->getSpecularColour(), mine->getSpecularColour());
            EXPECT_FLOAT_EQ(theirs->getPowerScale(), mine->getPowerScale());
            EXPECT_FLOAT_EQ(theirs->getAttenuationRange(), mine->getAttenuationRange());
            EXPECT_FLOAT_EQ(theirs->getAttenuationLinear(), mine->getAttenuationLinear());
            EXPECT_FLOAT_EQ(theirs->getAttenuationQuadric(), mine->getAttenuationQuadric());
        } else if (!e->GetMeshName().empty()) {
            ASSERT_TRUE(other->hasEntity(e->GetName()));
            EXPECT_EQ(other->getEntity(e->GetName())->getMesh()->getName(), e->GetMeshName());
        }
    }
    engine.GetRoot()->destroySceneManager(other);
}

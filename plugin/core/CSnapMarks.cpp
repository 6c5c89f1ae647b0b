#include "CSnapMarks.h"

#include "AutomationContract.h"
#include "CGameEngine.h"
#include "EditorTypes.h"
#include "Interface.h"

#include <OgreManualObject.h>
#include <OgreMaterialManager.h>
#include <OgrePass.h>
#include <OgreSceneManager.h>
#include <OgreTechnique.h>

namespace {

const char* const kGroup = "General";
constexpr float kFaintAlpha = 0.6f;

// Each mark: its object, its two materials (the faint one drawn over everything, the full one
// where the vertex is in sight), its square's side in pixels, colour and render queue: after
// the scene and the gizmo (the marks show what a drag snaps to), the landing square first, so
// that the square of the vertex moved shows inside it.
struct MarkStyle {
    const char* object;
    const char* faint;
    const char* shown;
    float pixels;
    Ogre::ColourValue colour;
    Ogre::uint8 queue;
};
const MarkStyle kStyles[2] = {
    {automation::kVertexFromMarkObject, "GizmarkVertexFromFaint", "GizmarkVertexFromShown", 10.0f,
     Ogre::ColourValue(1.0f, 0.55f, 0.05f), 96},
    {automation::kVertexToMarkObject, "GizmarkVertexToFaint", "GizmarkVertexToShown", 18.0f,
     Ogre::ColourValue(0.1f, 0.95f, 0.35f), 95},
};

void MakeMaterial(const char* name, float pixels, bool throughGeometry) {
    Ogre::MaterialManager& materials = Ogre::MaterialManager::getSingleton();
    if (materials.getByName(name, kGroup))
        return;
    Ogre::MaterialPtr material = materials.create(name, kGroup);
    Ogre::Pass* pass = material->getTechnique(0)->getPass(0);
    pass->setLightingEnabled(false);
    pass->setVertexColourTracking(Ogre::TVC_DIFFUSE);
    pass->setPointSize(pixels);
    pass->setPointAttenuation(false);
    pass->setDepthWriteEnabled(false);
    pass->setDepthCheckEnabled(!throughGeometry);
    if (throughGeometry)
        pass->setSceneBlending(Ogre::SBT_TRANSPARENT_ALPHA);
}

} // namespace

Ogre::SceneManager* CSnapMarks::SceneManager() const {
    IEngineAccess* access = m_host ? m_host->engineAccess() : nullptr;
    CGameEngine* engine = access ? access->gameEngine() : nullptr;
    return engine ? engine->GetOgreSceneManager() : nullptr;
}

Ogre::ManualObject* CSnapMarks::Object(int mark) {
    if (m_objects[mark])
        return m_objects[mark];
    Ogre::SceneManager* sm = m_sceneManager ? m_sceneManager : SceneManager();
    if (!sm || !Ogre::MaterialManager::getSingletonPtr())
        return nullptr;
    const MarkStyle& style = kStyles[mark];
    MakeMaterial(style.faint, style.pixels, true);
    MakeMaterial(style.shown, style.pixels, false);
    Ogre::ManualObject* object = sm->hasManualObject(style.object)
                                     ? sm->getManualObject(style.object)
                                     : sm->createManualObject(style.object);
    object->setDynamic(true);
    object->setQueryFlags(0);
    object->setCastShadows(false);
    object->setRenderQueueGroup(style.queue);
    object->setBoundingBox(Ogre::AxisAlignedBox::BOX_INFINITE);
    if (!object->getParentSceneNode())
        sm->getRootSceneNode()->attachObject(object);
    m_sceneManager = sm;
    m_objects[mark] = object;
    return object;
}

void CSnapMarks::Show(const Ogre::Vector3* from, const Ogre::Vector3* to) {
    const Ogre::Vector3* points[kMarks] = {from, to};
    m_count = 0;
    for (int mark = 0; mark < kMarks; ++mark) {
        const Ogre::Vector3* point = points[mark];
        if (!point || !IsFinite(*point)) {
            if (m_objects[mark])
                m_objects[mark]->setVisible(false);
            continue;
        }
        Ogre::ManualObject* object = Object(mark);
        if (!object)
            continue;
        const MarkStyle& style = kStyles[mark];
        object->clear();
        for (const char* material : {style.shown, style.faint}) {
            Ogre::ColourValue colour = style.colour;
            colour.a = material == style.faint ? kFaintAlpha : 1.0f;
            object->begin(material, Ogre::RenderOperation::OT_POINT_LIST, kGroup);
            object->position(*point);
            object->colour(colour);
            object->end();
        }
        object->setVisible(true);
        ++m_count;
    }
}

void CSnapMarks::Remove() {
    for (Ogre::ManualObject*& object : m_objects) {
        if (object && m_sceneManager) {
            if (object->getParentSceneNode())
                object->detachFromParent();
            m_sceneManager->destroyManualObject(object);
        }
        object = nullptr;
    }
    m_sceneManager = nullptr;
    m_count = 0;
    if (Ogre::MaterialManager* materials = Ogre::MaterialManager::getSingletonPtr())
        for (const MarkStyle& style : kStyles)
            for (const char* name : {style.faint, style.shown})
                if (materials->getByName(name, kGroup))
                    materials->remove(name, kGroup);
}

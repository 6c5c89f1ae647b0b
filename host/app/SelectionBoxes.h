// The selection as a person sees it in every view: each selected entity inside a wire box (its
// world bounding box; a light or an entity without a mesh gets a small box around its
// position), all in one colour, the current entity's box in a brighter one.
//
// The current entity is the selected entity whose name sorts first, the one the plug-ins' gizmo,
// side panel and transform bar act on (the selection set is ordered by name).
//
// All boxes are one dynamic line list rebuilt only when the selection or an entity's world
// transform or visibility changed since the last build (the scene's and the entities' change
// counters), checked before each view renders: a drag, an undo or a selection change shows in the
// frame that follows it. The boxes are no scene entity: ray queries and rectangle selection never
// meet them, and scene files never hold them.
#pragma once

#include <OgreColourValue.h>
#include <OgreSceneManager.h>

#include <cstdint>
#include <string>

namespace Ogre {
class ManualObject;
}
class CEditorScene;

class CSelectionBoxes : public Ogre::SceneManager::Listener {
public:
    static const Ogre::ColourValue kSelectedColour;
    static const Ogre::ColourValue kCurrentColour;
    // Half the edge of the box drawn around a light or an entity without a mesh.
    static constexpr float kMarkerHalfSize = 0.6f;

    // Draws the selection of `scene` with engine objects of `sceneManager` (which must outlive
    // this object) and listens to it, to check for changes before each view renders.
    CSelectionBoxes(Ogre::SceneManager* sceneManager, CEditorScene& scene);
    ~CSelectionBoxes() override;
    CSelectionBoxes(const CSelectionBoxes&) = delete;
    CSelectionBoxes& operator=(const CSelectionBoxes&) = delete;

    // Rebuilds the boxes when the selection or a world transform changed. Answers whether it
    // rebuilt them.
    bool Update();

    // What the last build drew: the number of boxes and the current entity ("" for none).
    int BoxCount() const { return m_boxCount; }
    const std::string& CurrentName() const { return m_current; }
    // How many times the boxes were built (tests and benchmarks see that a quiet frame builds
    // nothing).
    std::uint64_t Builds() const { return m_builds; }
    Ogre::ManualObject* Object() const { return m_object; }

    // Ogre::SceneManager::Listener
    void preUpdateSceneGraph(Ogre::SceneManager* source, Ogre::Camera* camera) override;

private:
    void Build();

    Ogre::SceneManager* m_sceneManager;
    CEditorScene& m_scene;
    Ogre::ManualObject* m_object = nullptr;
    bool m_built = false;
    std::uint64_t m_selectionSeen = 0;
    std::uint64_t m_worldSeen = 0;
    int m_boxCount = 0;
    std::string m_current;
    std::uint64_t m_builds = 0;
};

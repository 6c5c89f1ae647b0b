// The marks of the move tool's vertex snapping: a small square on the vertex a drag moves from
// and a larger one around the vertex it lands on, drawn in every view at a fixed size on screen.
// A mark behind other geometry still shows, fainter, so that a person sees what they snap to.
// Each mark is an engine object (automation::kVertexFromMarkObject, kVertexToMarkObject) made
// when first shown and taken out of the engine, with the materials, when the module unloads.
#pragma once

#include <OgreVector.h>

namespace Ogre {
class ManualObject;
class SceneManager;
} // namespace Ogre
class Interface;

class CSnapMarks {
public:
    explicit CSnapMarks(Interface* host) : m_host(host) {}
    CSnapMarks(const CSnapMarks&) = delete;
    CSnapMarks& operator=(const CSnapMarks&) = delete;

    // Shows the marks given (null for none) and hides the others.
    void Show(const Ogre::Vector3* from, const Ogre::Vector3* to);
    void Hide() { Show(nullptr, nullptr); }
    // The number of marks shown.
    int Count() const { return m_count; }
    // Takes the objects and their materials out of the engine.
    void Remove();

private:
    enum { kFrom, kTo, kMarks };
    Ogre::SceneManager* SceneManager() const;
    // The mark's object, made (or taken over from a module loaded before) when missing.
    Ogre::ManualObject* Object(int mark);

    Interface* m_host;
    Ogre::SceneManager* m_sceneManager = nullptr;
    Ogre::ManualObject* m_objects[kMarks] = {nullptr, nullptr};
    int m_count = 0;
};

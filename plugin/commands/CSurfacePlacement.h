// What a surface drag keeps from its press, and each step's placing. At the press every entity
// the drag may move is recorded, parents before children, with its world position, the offset
// from there to the bottom centre of its world box, and its up and side axes. Each step then
// puts that bottom centre on the point of the surface under the pointer; with the turn to the
// normal, each entity also turns (from how the press found it) so that its up axis follows the
// surface's normal, and its bottom turns with it. Every step works from the press, so that no
// step adds rounding to the last.
#pragma once

#include <OgreVector.h>

#include <string>
#include <vector>

class CSceneManager;
class IToolManager;
class SceneEntity;

class CSurfacePlacement {
public:
    // Records `entities` as the press finds them.
    void Capture(const std::vector<SceneEntity*>& entities);
    void Clear() { m_starts.clear(); }
    bool IsActive() const { return !m_starts.empty(); }

    // Places every recorded entity that `scene` still has on `hit`, turned to `normal` when
    // `turn`; each is notified as moved (and rotated when turning). A hit or normal that is not
    // finite changes nothing. Returns the number of entities placed.
    int Place(CSceneManager* scene, IToolManager* notifier, const Ogre::Vector3& hit,
              const Ogre::Vector3& normal, bool turn) const;

private:
    struct Start {
        std::string name;
        int depth = 0;
        Ogre::Vector3 position, offset, up, side;
    };
    std::vector<Start> m_starts;
};

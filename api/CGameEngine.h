// The host's engine facade over Ogre.
#pragma once

#include "EditorTypes.h"

#include <cstdint>
#include <string>

namespace Ogre {
class SceneManager;
class Root;
} // namespace Ogre

class CSceneManager;

class CGameEngine {
public:
    // A cone along +Y inside the box (minCorner, maxCorner), `segments` around, one colour (ARGB),
    // in resource group "General". Does nothing if a mesh of that name exists.
    virtual void CreateConeMesh(const std::string& name, const Ogre::Vector3& minCorner,
                                const Ogre::Vector3& maxCorner, int segments,
                                std::uint32_t colour) = 0;
    // A cube of the given half-size centred at the origin, one colour (ARGB).
    virtual void CreateBoxMesh(const std::string& name, float halfSize, std::uint32_t colour) = 0;
    virtual Ogre::SceneManager* GetOgreSceneManager() = 0;
    virtual CSceneManager* GetSceneManager() = 0;
    virtual Ogre::Root* GetRoot() = 0;
    virtual ~CGameEngine() = default;
};

// The ground: a heightfield mesh over a regular grid, with exact height and ray queries on
// the same triangles that are drawn.
#pragma once

#include <OgreRay.h>
#include <OgreVector.h>

#include <string>
#include <vector>

namespace Ogre {
class Entity;
class SceneManager;
class SceneNode;
} // namespace Ogre

class CTerrain {
public:
    // The largest width, depth and height magnitude a ground may have: beyond it the grid's
    // coordinates and the mesh's bounds would lose their precision or overflow.
    static constexpr float kMaxExtent = 1e7f;

    // Grid of cells x cells over width x depth centred at the origin; heights from a smooth
    // hill function scaled by amplitude. Call IsValid after construction.
    CTerrain(Ogre::SceneManager* sceneManager, const std::string& name, float width, float depth,
             float amplitude, int cells);
    // The same grid with given heights, row by row along x, rows along z ((cells + 1)^2 of
    // them, as Heights gives them). Call IsValid after construction: false when the count or
    // a value is wrong.
    CTerrain(Ogre::SceneManager* sceneManager, const std::string& name, float width, float depth,
             int cells, const std::vector<float>& heights);
    ~CTerrain();
    CTerrain(const CTerrain&) = delete;
    CTerrain& operator=(const CTerrain&) = delete;

    // Height of the surface at (x, z); 0 outside the grid.
    float HeightAt(float x, float z) const;
    // Distance along the ray (direction need not be unit; distance is in its units) to the
    // nearest surface point within maxDistance, or -1.
    float Intersect(const Ogre::Ray& ray, float maxDistance) const;
    const std::string& GetName() const { return m_name; }
    bool IsValid() const { return m_entity != nullptr; }
    float GetWidth() const { return m_width; }
    float GetDepth() const { return m_depth; }
    int GetCells() const { return m_cells; }
    const std::vector<float>& GetHeights() const { return m_heights; }
    Ogre::Entity* GetOgreEntity() const { return m_entity; }

    // The hill function the grid samples, for a grid spanning width x depth.
    static float HillHeight(float x, float z, float width, float depth, float amplitude);

private:
    // Makes the mesh and the scene node from m_heights.
    void Build();
    float GridHeight(int i, int j) const { return m_heights[j * (m_cells + 1) + i]; }
    Ogre::Vector3 GridPoint(int i, int j) const;

    Ogre::SceneManager* m_sceneManager;
    std::string m_name;
    float m_width, m_depth;
    int m_cells;
    float m_minHeight = 0, m_maxHeight = 0;
    std::vector<float> m_heights;
    Ogre::Entity* m_entity = nullptr;
    Ogre::SceneNode* m_node = nullptr;
};

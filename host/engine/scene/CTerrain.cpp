// The ground heightfield: a smooth hill function sampled on a grid, drawn and queried as the
// same triangles.
#include "CTerrain.h"

#include "EditorMeshes.h"

#include <OgreEntity.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>

namespace {

// Colour of the ground by relative height (0 low .. 1 high), ARGB.
std::uint32_t GroundColour(float t) {
    t = std::min(1.0f, std::max(0.0f, t));
    const float r = 0.30f + 0.30f * t, g = 0.55f - 0.10f * t, b = 0.22f + 0.10f * t;
    return 0xFF000000u | (std::uint32_t(r * 255) << 16) | (std::uint32_t(g * 255) << 8) |
           std::uint32_t(b * 255);
}

// Möller-Trumbore; distance along dir (in its units) or -1.
float RayTriangle(const Ogre::Vector3& o, const Ogre::Vector3& dir, const Ogre::Vector3& a,
                  const Ogre::Vector3& b, const Ogre::Vector3& c) {
    const Ogre::Vector3 e1 = b - a, e2 = c - a;
    const Ogre::Vector3 p = dir.crossProduct(e2);
    const float det = e1.dotProduct(p);
    if (std::fabs(det) < 1e-12f)
        return -1.0f;
    const float inv = 1.0f / det;
    const Ogre::Vector3 s = o - a;
    const float u = s.dotProduct(p) * inv;
    if (u < -1e-6f || u > 1.0f + 1e-6f)
        return -1.0f;
    const Ogre::Vector3 q = s.crossProduct(e1);
    const float v = dir.dotProduct(q) * inv;
    if (v < -1e-6f || u + v > 1.0f + 1e-6f)
        return -1.0f;
    const float t = e2.dotProduct(q) * inv;
    return t >= 0.0f ? t : -1.0f;
}

int g_terrainCounter = 0;

} // namespace

float CTerrain::HillHeight(float x, float z, float width, float depth, float amplitude) {
    const float u = x / width, v = z / depth;
    const float waves = 0.35f * std::sin(u * 9.0f + 0.4f) * std::cos(v * 7.0f - 0.3f);
    const float dx = u - 0.22f, dz = v + 0.18f;
    const float hill = std::exp(-(dx * dx + dz * dz) / 0.02f);
    return amplitude * (waves + hill);
}

CTerrain::CTerrain(Ogre::SceneManager* sceneManager, const std::string& name, float width,
                   float depth, float amplitude, int cells)
    : m_sceneManager(sceneManager), m_name(name), m_width(width), m_depth(depth), m_cells(cells) {
    const int n = cells + 1;
    m_heights.resize(size_t(n) * n);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const Ogre::Vector3 p(-width * 0.5f + width * i / cells, 0,
                                  -depth * 0.5f + depth * j / cells);
            m_heights[j * n + i] = HillHeight(p.x, p.z, width, depth, amplitude);
        }
    Build();
}

CTerrain::CTerrain(Ogre::SceneManager* sceneManager, const std::string& name, float width,
                   float depth, int cells, const std::vector<float>& heights)
    : m_sceneManager(sceneManager), m_name(name), m_width(width), m_depth(depth), m_cells(cells) {
    if (!(width > 0 && width <= kMaxExtent) || !(depth > 0 && depth <= kMaxExtent) || cells < 1 ||
        cells > 1024 || heights.size() != size_t(cells + 1) * size_t(cells + 1))
        return;
    for (float h : heights)
        if (!(std::fabs(h) <= kMaxExtent))
            return;
    m_heights = heights;
    Build();
}

void CTerrain::Build() {
    const int cells = m_cells, n = cells + 1;
    const auto mm = std::minmax_element(m_heights.begin(), m_heights.end());
    m_minHeight = *mm.first;
    m_maxHeight = *mm.second;

    MeshData d;
    const float span = std::max(1e-6f, m_maxHeight - m_minHeight);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            d.positions.push_back(GridPoint(i, j));
            // Normal from central differences of the grid.
            const int i0 = std::max(0, i - 1), i1 = std::min(cells, i + 1);
            const int j0 = std::max(0, j - 1), j1 = std::min(cells, j + 1);
            const Ogre::Vector3 tx = GridPoint(i1, j) - GridPoint(i0, j);
            const Ogre::Vector3 tz = GridPoint(i, j1) - GridPoint(i, j0);
            d.normals.push_back(tz.crossProduct(tx).normalisedCopy());
            d.colours.push_back(GroundColour((GridHeight(i, j) - m_minHeight) / span));
        }
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            const std::uint32_t p00 = j * n + i, p10 = p00 + 1, p01 = p00 + n, p11 = p01 + 1;
            d.indices.insert(d.indices.end(), {p00, p01, p11, p00, p11, p10});
        }
    const std::string meshName = "EditorTerrain/" + std::to_string(++g_terrainCounter);
    if (!BuildManualMesh(meshName, d, "Editor/Terrain"))
        return;
    m_entity = m_sceneManager->createEntity("EditorGround/" + meshName, meshName);
    m_entity->setQueryFlags(0);
    m_node = m_sceneManager->getRootSceneNode()->createChildSceneNode();
    m_node->attachObject(m_entity);
}

CTerrain::~CTerrain() {
    if (!m_entity)
        return;
    const std::string meshName = m_entity->getMesh()->getName();
    m_node->detachAllObjects();
    m_sceneManager->destroyEntity(m_entity);
    m_sceneManager->getRootSceneNode()->removeAndDestroyChild(m_node);
    Ogre::MeshManager::getSingleton().remove(meshName, Ogre::RGN_DEFAULT);
}

Ogre::Vector3 CTerrain::GridPoint(int i, int j) const {
    return Ogre::Vector3(-m_width * 0.5f + m_width * i / m_cells, GridHeight(i, j),
                         -m_depth * 0.5f + m_depth * j / m_cells);
}

float CTerrain::HeightAt(float x, float z) const {
    if (!std::isfinite(x) || !std::isfinite(z))
        return 0.0f;
    const float fx = (x + m_width * 0.5f) / m_width * m_cells;
    const float fz = (z + m_depth * 0.5f) / m_depth * m_cells;
    if (fx < 0 || fz < 0 || fx > m_cells || fz > m_cells)
        return 0.0f;
    const int i = std::min(m_cells - 1, int(fx)), j = std::min(m_cells - 1, int(fz));
    const float u = fx - i, v = fz - j;
    const float h00 = GridHeight(i, j), h10 = GridHeight(i + 1, j);
    const float h01 = GridHeight(i, j + 1), h11 = GridHeight(i + 1, j + 1);
    // The cell is split along its (i, j)-(i+1, j+1) diagonal, as the mesh is.
    if (v >= u)
        return h00 + u * (h11 - h01) + v * (h01 - h00);
    return h00 + u * (h10 - h00) + v * (h11 - h10);
}

float CTerrain::Intersect(const Ogre::Ray& ray, float maxDistance) const {
    const Ogre::Vector3 o = ray.getOrigin(), dir = ray.getDirection();
    if (!std::isfinite(o.x + o.y + o.z + dir.x + dir.y + dir.z) || dir.squaredLength() < 1e-20f ||
        !(maxDistance > 0))
        return -1.0f;
    // Only the cells under the part of the ray between the ground's lowest and highest
    // points can be hit: clip the ray to that slab, then to the grid's rectangle.
    float t0 = 0.0f, t1 = maxDistance;
    auto clip = [&](float origin, float d, float lo, float hi) {
        if (std::fabs(d) < 1e-12f)
            return origin >= lo && origin <= hi;
        float a = (lo - origin) / d, b = (hi - origin) / d;
        if (a > b)
            std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        return t0 <= t1;
    };
    if (!clip(o.y, dir.y, m_minHeight - 1e-3f, m_maxHeight + 1e-3f) ||
        !clip(o.x, dir.x, -m_width * 0.5f, m_width * 0.5f) ||
        !clip(o.z, dir.z, -m_depth * 0.5f, m_depth * 0.5f))
        return -1.0f;
    const Ogre::Vector3 p0 = o + dir * t0, p1 = o + dir * t1;
    // Intersect from the slab entry: a ray starting far away (the ground-follow query starts
    // 100000 units up) would otherwise lose the height's precision in the triangle test.
    const Ogre::Vector3 start = p0;
    auto cellOf = [&](float v, float size) {
        return std::min(m_cells - 1, std::max(0, int((v + size * 0.5f) / size * m_cells)));
    };
    const int i0 = cellOf(std::min(p0.x, p1.x), m_width),
              i1 = cellOf(std::max(p0.x, p1.x), m_width);
    const int j0 = cellOf(std::min(p0.z, p1.z), m_depth),
              j1 = cellOf(std::max(p0.z, p1.z), m_depth);
    float best = -1.0f;
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) {
            const Ogre::Vector3 a = GridPoint(i, j), b = GridPoint(i + 1, j);
            const Ogre::Vector3 c = GridPoint(i, j + 1), e = GridPoint(i + 1, j + 1);
            for (float t : {RayTriangle(start, dir, a, c, e), RayTriangle(start, dir, a, e, b)})
                if (t >= 0.0f && t0 + t <= maxDistance && (best < 0.0f || t0 + t < best))
                    best = t0 + t;
        }
    return best;
}

// The host's scene: entities, the selection set and ray queries.
#pragma once

#include "EditorTypes.h"

#include <set>
#include <string>

class IView;

// Which vertices a vertex query looks among: those of the selected entities' meshes, or those
// of the visible entities that neither are selected nor hang under a selected one (what a
// moving selection may land on). An entity without a mesh counts as one vertex at its
// position.
enum VertexQuerySet { VERTEX_OF_SELECTED = 1, VERTEX_OF_OTHERS = 2 };

// How near the pointer a vertex must lie on screen for the move tool to snap to it.
constexpr float kVertexSnapPixels = 12.0f;

// Vertex query record handed to CSceneManager::vertexQuery. Zero it before filling.
struct VertexQuery {
    IView* view;          // the view the pixel is in
    int x, y;             // the pixel
    float radius;         // in pixels; 0 or less: any distance
    int set;              // VertexQuerySet
    Ogre::Vector3 vertex; // filled by the host: the nearest vertex, in world space
    SceneEntity* hit;     // filled by the host: its entity
    float pixels;         // filled by the host: its distance from the pixel on screen
};

class CSceneManager {
public:
    // Selected names in byte-wise order.
    virtual const std::set<std::string>& getSelectedEntities() const = 0;
    virtual SceneEntity* getSceneEntity(const std::string& name) const = 0;
    virtual bool isEntitySelected(const std::string& name) const = 0;
    // Fills query->hit and query->distance: flags 1 the nearest selectable entity on the ray,
    // flags 6 the nearest ground. No hit leaves hit null and distance as it was. Returns 1 on hit.
    virtual int rayQuery(RayQuery* query) = 0;
    // Walks of the selection (in set order) and of every entity; null at the end.
    virtual SceneEntity* beginSelected() = 0;
    virtual SceneEntity* nextSelected() = 0;
    virtual SceneEntity* beginEntity() = 0;
    virtual SceneEntity* nextEntity() = 0;
    virtual bool canSelect(SceneEntity* entity) const = 0;
    virtual int getNumLights() const = 0;
    // The snapping queries were added last, so that the slots above keep their places; a host
    // without them finds nothing (0).
    //
    // The vertex (world space) nearest the query's pixel on screen, among the query's set,
    // within its radius: fills query->vertex, hit and pixels and answers 1; 0 when none is
    // there. Vertices behind the camera do not count; nearer the eye wins between equals.
    virtual int vertexQuery(VertexQuery* /*query*/) { return 0; }
    // The nearest visible mesh surface or ground the ray meets, the selected entities and what
    // hangs under them left out: fills query->hit (null for the ground) and query->distance,
    // and `normal` (unit, world space, turned towards the ray's start); answers 1 on a hit.
    virtual int surfaceQuery(RayQuery* /*query*/, Ogre::Vector3* /*normal*/) { return 0; }
    virtual ~CSceneManager() = default;
};

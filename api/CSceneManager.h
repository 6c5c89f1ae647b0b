// The host's scene: entities, the selection set and ray queries.
#pragma once

#include "EditorTypes.h"

#include <set>
#include <string>

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
    virtual ~CSceneManager() = default;
};

#include "CSelectionController.h"

#include "CSceneManager.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <wx/utils.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <string>

namespace {

// The most lights a scene holds; a copy of a light would go past it.
constexpr int kMaxLights = 8;

void Redraw(Interface* host) {
    if (host && host->viewHost())
        host->viewHost()->redraw();
}

bool DoCommand(Interface* host, const char* name, CommandParams& params) {
    CUndoRedoManager* undo = host ? host->undoManager() : nullptr;
    return undo && undo->doCommand(name, &params);
}

} // namespace

int CSelectionController::ClickSelect(SelectMode mode, IView* view, int x, int y) {
    if (!view || !m_scene)
        return 0;
    const std::set<std::string> names = m_scene->getSelectedEntities();
    const std::size_t count = names.size();

    Ogre::Vector3 nearPoint, farPoint;
    view->rayThroughPixel(x, y, nearPoint, farPoint);

    RayQuery query;
    std::memset(static_cast<void*>(&query), 0, sizeof query);
    query.origin = nearPoint;
    query.length = (farPoint - nearPoint).length();
    query.distance = std::numeric_limits<float>::max();
    query.direction = (farPoint - nearPoint).normalisedCopy();
    query.flags = RAY_QUERY_ENTITY;
    query.hit = nullptr;
    // A degenerate ray (no length, or non-finite) hits nothing.
    const bool usable = std::isfinite(query.length) && query.length > 0.0f &&
                        std::isfinite(query.origin.x) && std::isfinite(query.origin.y) &&
                        std::isfinite(query.origin.z);
    IEngineAccess* engine = m_host ? m_host->engineAccess() : nullptr;
    CSceneManager* scene = engine ? engine->sceneManager() : nullptr;
    if (usable && scene)
        scene->rayQuery(&query);

    SceneEntity* hit = query.hit;
    if (!hit && count == 0)
        return 0;
    // Clicking the one selected entity again changes nothing. A selected name without an entity
    // counts the same way when the click hits nothing: both sides are "no entity".
    if (count == 1 && m_scene->getSceneEntity(*names.begin()) == hit)
        return 1;

    CommandParams params;
    params["entity"] = hit ? hit->GetName() : std::string();
    params["mode"] = SelectModeName(mode);
    DoCommand(m_host, "SelectEntity", params);
    Redraw(m_host);
    return 1;
}

int CSelectionController::SelectRect(IView* view, const PixelRect& rect) {
    // The rectangle as the host gives it (the host's rubber band always comes with left <= right
    // and top <= bottom); one that is not larger than a pixel either way selects nothing.
    const PixelRect& r = rect;
    if (r.bottom - r.top <= 1 && r.right - r.left <= 1)
        return 0;
    if (!view || !m_scene)
        return 0;

    // The keyboard as it is now, not as it was when the rectangle started.
    const SelectMode mode = SelectModeOf(wxGetKeyState(WXK_CONTROL), wxGetKeyState(WXK_SHIFT));

    const PixelRect v = view->pixelRect();
    const int w = v.right - v.left;
    const int h = v.bottom - v.top;
    if (w <= 0 || h <= 0)
        return 0;
    const Ogre::Vector2 min(static_cast<float>(r.left - v.left) / w,
                            static_cast<float>(r.top - v.top) / h);
    const Ogre::Vector2 max(static_cast<float>(r.right - v.left) / w,
                            static_cast<float>(r.bottom - v.top) / h);

    std::string list;
    for (SceneEntity* entity = m_scene->beginEntity(); entity; entity = m_scene->nextEntity()) {
        if (entity->IsVisible() && view->entityInRect(entity, min, max) &&
            m_scene->canSelect(entity)) {
            list += entity->GetName();
            list += ' ';
        }
    }
    if (!list.empty()) {
        CommandParams params;
        params["entity"] = list;
        params["mode"] = SelectModeName(mode);
        DoCommand(m_host, "SelectEntity", params);
    }
    return 0;
}

int CSelectionController::SelectParents() {
    if (!m_scene)
        return 0;
    std::string list;
    int count = 0;
    // Listed once per child: a parent shared by two selected children appears twice.
    for (SceneEntity* entity = m_scene->beginSelected(); entity; entity = m_scene->nextSelected()) {
        if (SceneEntity* parent = entity->getParent()) {
            list += parent->GetName();
            list += ' ';
            ++count;
        }
    }
    if (!list.empty()) {
        CommandParams params;
        params["mode"] = SelectModeName(SelectMode::Replace);
        params["entity"] = list;
        DoCommand(m_host, "SelectEntity", params);
        Redraw(m_host);
    }
    return count;
}

bool CSelectionController::CopySelection() {
    if (!m_scene)
        return false;
    // The light count of the scene before any copy exists.
    const bool lightsFull = m_scene->getNumLights() >= kMaxLights;
    std::string list;
    for (SceneEntity* entity = m_scene->beginSelected(); entity; entity = m_scene->nextSelected()) {
        if (entity->GetState() & STATE_NO_COPY)
            break;
        if (lightsFull && entity->GetOgreLight())
            break;
        list += entity->GetName();
        list += ' ';
    }
    if (list.empty())
        return false;
    CommandParams params;
    params["entity"] = list;
    return DoCommand(m_host, "CopyEntity", params);
}

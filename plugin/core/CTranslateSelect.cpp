// Selection by click, by rectangle and by parents, and the copy of the selection. The plug-in
// never changes the selection itself: it issues the host's undoable commands "SelectEntity" and
// "CopyEntity".
#include "CTranslate.h"

#include "CSceneManager.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

void Redraw(Interface* host) {
    if (host && host->viewHost())
        host->viewHost()->redraw();
}

bool DoCommand(Interface* host, const char* name, CommandParams& params) {
    CUndoRedoManager* undo = host ? host->undoManager() : nullptr;
    return undo && undo->doCommand(name, &params);
}

} // namespace

int CTranslate::ClickSelect(const char* mode, IView* view, int x, int y) {
    if (!view || !m_sceneManager)
        return 0;
    const std::set<std::string> names = m_sceneManager->getSelectedEntities();
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
    if (count == 1 && m_sceneManager->getSceneEntity(*names.begin()) == hit)
        return 1;

    CommandParams params;
    params["entity"] = hit ? hit->GetName() : std::string();
    params["mode"] = mode;
    DoCommand(m_host, "SelectEntity", params);
    Redraw(m_host);
    return 1;
}

int CTranslate::OnSelectRect(IView* view, int /*unused*/, const PixelRect& rect) {
    // The rectangle as the host gives it (the host's rubber band always comes with left <= right
    // and top <= bottom); one that is not larger than a pixel either way selects nothing.
    const PixelRect& r = rect;
    if (r.bottom - r.top <= 1 && r.right - r.left <= 1)
        return 0;
    if (!m_toolEngaged || !view || !m_sceneManager)
        return 0;

    // The keyboard as it is now, not as it was when the rectangle started.
    const char* mode = "exclude";
    if (wxGetKeyState(WXK_CONTROL))
        mode = "add";
    else if (wxGetKeyState(WXK_SHIFT))
        mode = "sub";

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
    for (SceneEntity* entity = m_sceneManager->beginEntity(); entity;
         entity = m_sceneManager->nextEntity()) {
        if (entity->IsVisible() && view->entityInRect(entity, min, max) &&
            m_sceneManager->canSelect(entity)) {
            list += entity->GetName();
            list += ' ';
        }
    }
    if (!list.empty()) {
        CommandParams params;
        params["entity"] = list;
        params["mode"] = mode;
        DoCommand(m_host, "SelectEntity", params);
    }
    return 0;
}

int CTranslate::SelectParents() {
    if (!m_sceneManager)
        return 0;
    std::string list;
    int count = 0;
    // Listed once per child: a parent shared by two selected children appears twice.
    for (SceneEntity* entity = m_sceneManager->beginSelected(); entity;
         entity = m_sceneManager->nextSelected()) {
        if (SceneEntity* parent = entity->getParent()) {
            list += parent->GetName();
            list += ' ';
            ++count;
        }
    }
    if (!list.empty()) {
        CommandParams params;
        params["mode"] = "exclude";
        params["entity"] = list;
        DoCommand(m_host, "SelectEntity", params);
        Redraw(m_host);
    }
    return count;
}

void CTranslate::CopySelection() {
    if (!m_toolEngaged || !m_sceneManager)
        return;
    // The light count of the scene before any copy exists.
    const bool lightsFull = m_sceneManager->getNumLights() >= 8;
    std::string list;
    for (SceneEntity* entity = m_sceneManager->beginSelected(); entity;
         entity = m_sceneManager->nextSelected()) {
        if (entity->GetState() & STATE_NO_COPY)
            break;
        if (lightsFull && entity->GetOgreLight())
            break;
        list += entity->GetName();
        list += ' ';
    }
    if (list.empty())
        return;
    CommandParams params;
    params["entity"] = list;
    DoCommand(m_host, "CopyEntity", params);
}

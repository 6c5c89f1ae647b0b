// Drag handling: a press on the gizmo starts an undoable transform of the selection, each
// pointer move applies the gizmo's value to every selected entity at once, and the release hands
// the whole drag to the undo manager as one step. Also ApplyTransform, the one-step change used
// by the side panel and the transform bar.
#include "core/CTranslate.h"

#include "commands/CTransformCommand.h"
#include "core/host/CGameEngine.h"
#include "core/host/CSceneManager.h"
#include "core/host/Interface.h"
#include "core/host/SceneEntity.h"

#include <OgrePlane.h>
#include <OgreRay.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// A move step whose |y| is above this counts as vertical: ground follow does not apply to it.
// Compared in double precision, so the float nearest to 0.0005 already counts as vertical.
constexpr double kVerticalMoveThreshold = 0.0005;

bool IsFinite(const Ogre::Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The selected entities in the order of the selection set; names without an entity are skipped.
template <typename Visit> void ForEachSelected(CSceneManager* scene, Visit visit) {
    if (!scene)
        return;
    // A copy: a notification handler may change the selection while we walk it.
    const std::set<std::string> names = scene->getSelectedEntities();
    for (const std::string& name : names) {
        if (SceneEntity* entity = scene->getSceneEntity(name))
            visit(entity);
    }
}

} // namespace

int CTranslate::OnPointerDown(IView* view, int viewNumber, int keyFlags, int x, int y) {
    if (!m_toolEngaged)
        return 0;
    if (m_gizmo.OnPress(view, viewNumber, keyFlags, x, y) != 1)
        return 0;
    const int mode = m_gizmo.GetMode();
    // A press while a step is pending replaces it; the old one never reaches the undo stack.
    delete m_pending;
    m_pending = nullptr;

    auto* command = new CTransformCommand();
    m_pending = command;
    std::set<std::string> names;
    if (m_sceneManager)
        names = m_sceneManager->getSelectedEntities();
    command->Capture(names, mode, AXIS_ALL);

    Ogre::Vector3 parts(0, 0, 1);
    if (mode == MODE_MOVE)
        parts = Ogre::Vector3(1, 0, 0);
    else if (mode == MODE_ROTATE)
        parts = Ogre::Vector3(0, 1, 0);
    ForEachSelected(m_sceneManager, [&](SceneEntity* entity) { entity->PreTransform(parts); });
    return 1;
}

int CTranslate::OnPointerMove(IView* view, int viewNumber, int keyFlags, int x, int y) {
    if (!m_toolEngaged)
        return 0;
    if (m_gizmo.OnDrag(view, viewNumber, keyFlags, x, y) != 1)
        return 1;
    IToolManager* tools = m_host ? m_host->toolManager() : nullptr;
    auto notify = [tools](int code, SceneEntity* entity) {
        if (tools)
            tools->notify(code, 1, entity);
    };

    const int part = m_gizmo.GetDragPart();
    if (part >= PART_ROTATE_FREE && part <= PART_ROTATE_Z) {
        Ogre::Vector3 axis(0, 1, 0);
        float angle = 0.0f;
        m_gizmo.GetRotation(axis, angle);
        // Nothing non-finite, and no zero axis, may reach an entity: such a step is nothing new.
        if (!IsFinite(axis) || !std::isfinite(angle) || axis.squaredLength() == 0.0f)
            return 1;
        ForEachSelected(m_sceneManager, [&](SceneEntity* entity) {
            entity->RotateDelta(axis, angle, true);
            notify(NOTIFY_ROTATED, entity);
        });
        return 1;
    }

    const Ogre::Vector3 delta = m_gizmo.GetDragResult();
    if (!IsFinite(delta))
        return 1;
    const int mode = m_gizmo.GetMode();
    if (mode == MODE_MOVE) {
        const bool vertical = std::fabs(static_cast<double>(delta.y)) > kVerticalMoveThreshold;
        const bool follow = m_groundFollow && !vertical;
        ForEachSelected(m_sceneManager, [&](SceneEntity* entity) {
            float offset = 0.0f;
            if (follow) {
                const Ogre::Vector3 position = entity->GetPosition();
                offset = position.y - GroundHeight(position);
            }
            entity->MoveDelta(delta, 0, 1);
            if (follow) {
                const Ogre::Vector3 p = entity->GetPosition();
                const float height = GroundHeight(p) + offset;
                if (std::isfinite(height))
                    entity->SetPosition(p.x, height, p.z);
            }
            notify(NOTIFY_MOVED, entity);
        });
    } else if (mode == MODE_ROTATE) {
        ForEachSelected(m_sceneManager, [&](SceneEntity* entity) {
            entity->RotateDelta(delta);
            notify(NOTIFY_ROTATED, entity);
        });
    } else if (mode == MODE_SCALE) {
        ForEachSelected(m_sceneManager, [&](SceneEntity* entity) {
            entity->ScaleDelta(delta);
            notify(NOTIFY_SCALED, entity);
        });
    }
    return 1;
}

int CTranslate::OnPointerUp(IView* view, int viewNumber, int keyFlags, int x, int y) {
    // Without the left button this is no release of ours: the pending step stays as it is.
    if (!(keyFlags & KEY_LBUTTON))
        return 0;
    if (!m_toolEngaged)
        return 0;
    const char* mode = "exclude";
    if (keyFlags & KEY_CTRL)
        mode = "add";
    else if (keyFlags & KEY_SHIFT)
        mode = "sub";

    if (m_gizmo.OnRelease(view, viewNumber, keyFlags, x, y) == 1) {
        if (m_pending) {
            CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
            if (undo)
                undo->addUndo(m_pending);
            else
                delete m_pending;
            m_pending = nullptr;
        }
        return 1;
    }
    return ClickSelect(mode, view, x, y);
}

float CTranslate::GroundHeight(Ogre::Vector3 point) {
    const Ogre::Vector3 top = point + Ogre::Vector3(0, 100000, 0);
    const Ogre::Vector3 bottom = top + Ogre::Vector3(0, -200000, 0);

    RayQuery query;
    std::memset(static_cast<void*>(&query), 0, sizeof query);
    query.origin = top;
    query.direction = (bottom - top).normalisedCopy();
    query.length = (bottom - top).length();
    query.distance = std::numeric_limits<float>::max();
    query.flags = 6;
    query.hit = nullptr;

    CSceneManager* scene = nullptr;
    if (m_host && m_host->engineAccess()) {
        if (CGameEngine* engine = m_host->engineAccess()->gameEngine())
            scene = engine->GetSceneManager();
    }
    if (scene)
        scene->rayQuery(&query);

    Ogre::Vector3 ground;
    if (query.distance >= 0.0f && query.distance != std::numeric_limits<float>::max()) {
        ground = query.origin + query.direction * query.distance;
    } else {
        // No ground under the point: fall back to the plane y = 0.
        const Ogre::Ray ray(query.origin, query.direction);
        const std::pair<bool, Ogre::Real> hit =
            ray.intersects(Ogre::Plane(Ogre::Vector3::UNIT_Y, 0.0f));
        ground = hit.first ? ray.getPoint(hit.second) : Ogre::Vector3::ZERO;
    }
    return ground.y;
}

int CTranslate::ApplyTransform(Ogre::Vector3 value, COORDINATE_AXIS axis, int kind) {
    // A non-finite component that the call would set is refused: nothing changes, no step.
    if (axis < AXIS_X || axis > AXIS_ALL)
        return 0;
    if (axis == AXIS_ALL ? !IsFinite(value) : !std::isfinite(value[axis]))
        return 0;

    std::set<std::string> names;
    if (m_sceneManager)
        names = m_sceneManager->getSelectedEntities();
    auto* command = new CTransformCommand();
    command->Capture(names, kind, axis);

    IToolManager* tools = m_host ? m_host->toolManager() : nullptr;
    for (const std::string& name : names) {
        SceneEntity* entity = m_sceneManager->getSceneEntity(name);
        if (!entity)
            continue;
        int code;
        if (kind == KIND_POSITION) {
            entity->SetPosition(value, axis);
            code = NOTIFY_MOVED;
        } else if (kind == KIND_ORIENTATION) {
            entity->SetOrientation(value, axis);
            code = NOTIFY_ROTATED;
        } else {
            entity->SetScale(value, axis);
            code = NOTIFY_SCALED;
        }
        if (tools)
            tools->notify(code, 1, entity);
    }
    CUndoRedoManager* undo = m_host ? m_host->undoManager() : nullptr;
    if (undo)
        undo->addUndo(command);
    else
        delete command;
    return 1;
}

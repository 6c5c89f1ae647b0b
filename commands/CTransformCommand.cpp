#include "CTransformCommand.h"

#include "CSceneManager.h"
#include "GizmoConstants.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <OgrePlane.h>
#include <OgreRay.h>

#include <cmath>
#include <cstring>
#include <limits>

CTransformCommand::CTransformCommand() {
    Interface* host = GetInterfaceHinstance(nullptr);
    if (host) {
        if (IEngineAccess* engine = host->engineAccess())
            m_sceneManager = engine->sceneManager();
        m_notifier = host->toolManager();
    }
}

CTransformCommand::~CTransformCommand() {
    // The saved values go first, then the names.
    m_saved.reset();
    m_names.clear();
}

int CTransformCommand::Capture(const std::set<std::string>& names, int kind, COORDINATE_AXIS axis) {
    m_names = names;
    m_kind = kind;
    m_axis = axis;
    m_saved.reset(new Ogre::Vector3[m_names.size()]);
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        m_saved[i] = Ogre::Vector3::ZERO;
        SceneEntity* entity = m_sceneManager ? m_sceneManager->getSceneEntity(name) : nullptr;
        if (entity) {
            if (m_kind == KIND_POSITION)
                m_saved[i] = entity->GetPosition();
            else if (m_kind == KIND_ORIENTATION)
                m_saved[i] = entity->GetOrientation();
            else
                m_saved[i] = entity->GetScale();
        }
        ++i;
    }
    return 1;
}

Ogre::Vector3 CTransformCommand::GetSaved(std::size_t index) const {
    if (!m_saved || index >= m_names.size())
        return Ogre::Vector3::ZERO;
    return m_saved[index];
}

int CTransformCommand::execute(CommandParams* /*params*/) {
    Swap();
    return 1;
}

int CTransformCommand::undo() {
    Swap();
    return 1;
}

void CTransformCommand::Swap() {
    if (!m_saved || !m_sceneManager)
        return;
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        const std::size_t slot = i++;
        SceneEntity* entity = m_sceneManager->getSceneEntity(name);
        if (!entity)
            continue;
        Ogre::Vector3 current;
        int code;
        if (m_kind == KIND_POSITION) {
            current = entity->GetPosition();
            entity->SetPosition(m_saved[slot], m_axis);
            code = NOTIFY_MOVED;
        } else if (m_kind == KIND_ORIENTATION) {
            current = entity->GetOrientation();
            entity->SetOrientation(m_saved[slot], m_axis);
            code = NOTIFY_ROTATED;
        } else {
            current = entity->GetScale();
            entity->SetScale(m_saved[slot], m_axis);
            code = NOTIFY_SCALED;
        }
        m_saved[slot] = current;
        if (m_notifier)
            m_notifier->notify(code, 1, entity);
    }
}

namespace {

// A move step whose |y| is above this counts as vertical: ground follow does not apply to it.
// Compared in double precision, so the float nearest to 0.0005 already counts as vertical.
constexpr double kVerticalMoveThreshold = 0.0005;

// The selected entities in the order of the selection set; names without an entity are skipped.
template <typename Visit> int ForEachSelected(CSceneManager* scene, Visit visit) {
    if (!scene)
        return 0;
    // A copy: a notification handler may change the selection while we walk it.
    const std::set<std::string> names = scene->getSelectedEntities();
    int count = 0;
    for (const std::string& name : names) {
        if (SceneEntity* entity = scene->getSceneEntity(name)) {
            visit(entity);
            ++count;
        }
    }
    return count;
}

void Notify(IToolManager* notifier, int code, SceneEntity* entity) {
    if (notifier)
        notifier->notify(code, 1, entity);
}

} // namespace

namespace TransformSteps {

bool IsVerticalMove(const Ogre::Vector3& delta) {
    return std::fabs(static_cast<double>(delta.y)) > kVerticalMoveThreshold;
}

float GroundHeight(CSceneManager* ground, const Ogre::Vector3& point) {
    const Ogre::Vector3 top = point + Ogre::Vector3(0, 100000, 0);
    const Ogre::Vector3 bottom = top + Ogre::Vector3(0, -200000, 0);

    RayQuery query;
    std::memset(static_cast<void*>(&query), 0, sizeof query);
    query.origin = top;
    query.direction = (bottom - top).normalisedCopy();
    query.length = (bottom - top).length();
    query.distance = std::numeric_limits<float>::max();
    query.flags = RAY_QUERY_GROUND;
    query.hit = nullptr;
    if (ground)
        ground->rayQuery(&query);

    Ogre::Vector3 hit;
    if (query.distance >= 0.0f && query.distance != std::numeric_limits<float>::max()) {
        hit = query.origin + query.direction * query.distance;
    } else {
        // No ground under the point: the plane y = 0 through the origin of the world.
        const Ogre::Ray ray(query.origin, query.direction);
        const std::pair<bool, Ogre::Real> t =
            ray.intersects(Ogre::Plane(Ogre::Vector3::UNIT_Y, 0.0f));
        hit = t.first ? ray.getPoint(t.second) : Ogre::Vector3::ZERO;
    }
    return hit.y;
}

void PrepareDrag(CSceneManager* scene, int mode) {
    Ogre::Vector3 parts(0, 0, 1);
    if (mode == MODE_MOVE)
        parts = Ogre::Vector3(1, 0, 0);
    else if (mode == MODE_ROTATE)
        parts = Ogre::Vector3(0, 1, 0);
    ForEachSelected(scene, [&](SceneEntity* entity) { entity->PreTransform(parts); });
}

int ApplyDragResult(CSceneManager* scene, CSceneManager* ground, IToolManager* notifier, int mode,
                    const Ogre::Vector3& delta, bool groundFollow) {
    if (!IsFinite(delta))
        return 0;
    if (mode == MODE_MOVE) {
        const bool follow = groundFollow && !IsVerticalMove(delta);
        return ForEachSelected(scene, [&](SceneEntity* entity) {
            float offset = 0.0f;
            if (follow) {
                const Ogre::Vector3 position = entity->GetPosition();
                offset = position.y - GroundHeight(ground, position);
            }
            entity->MoveDelta(delta, 0, 1);
            if (follow) {
                const Ogre::Vector3 p = entity->GetPosition();
                const float height = GroundHeight(ground, p) + offset;
                if (std::isfinite(height))
                    entity->SetPosition(p.x, height, p.z);
            }
            Notify(notifier, NOTIFY_MOVED, entity);
        });
    }
    if (mode == MODE_ROTATE) {
        return ForEachSelected(scene, [&](SceneEntity* entity) {
            entity->RotateDelta(delta);
            Notify(notifier, NOTIFY_ROTATED, entity);
        });
    }
    if (mode == MODE_SCALE) {
        return ForEachSelected(scene, [&](SceneEntity* entity) {
            entity->ScaleDelta(delta);
            Notify(notifier, NOTIFY_SCALED, entity);
        });
    }
    return 0;
}

int ApplyAxisRotation(CSceneManager* scene, IToolManager* notifier, const Ogre::Vector3& axis,
                      float angle) {
    if (!IsFinite(axis) || !std::isfinite(angle) || axis.squaredLength() == 0.0f)
        return 0;
    return ForEachSelected(scene, [&](SceneEntity* entity) {
        entity->RotateDelta(axis, angle, true);
        Notify(notifier, NOTIFY_ROTATED, entity);
    });
}

int ApplyTransform(CSceneManager* scene, IToolManager* notifier, CUndoRedoManager* undo,
                   const Ogre::Vector3& value, COORDINATE_AXIS axis, int kind) {
    if (axis < AXIS_X || axis > AXIS_ALL)
        return 0;
    if (axis == AXIS_ALL ? !IsFinite(value) : !std::isfinite(value[axis]))
        return 0;

    std::set<std::string> names;
    if (scene)
        names = scene->getSelectedEntities();
    auto* command = new CTransformCommand();
    command->Capture(names, kind, axis);
    for (const std::string& name : names) {
        SceneEntity* entity = scene->getSceneEntity(name);
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
        Notify(notifier, code, entity);
    }
    if (undo)
        undo->addUndo(command);
    else
        delete command;
    return 1;
}

} // namespace TransformSteps

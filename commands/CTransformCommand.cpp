#include "CTransformCommand.h"

#include "CSceneManager.h"
#include "GizmoConstants.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <OgrePlane.h>
#include <OgreRay.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

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
    // The host refuses a value that would take an entity or one of its children out of the
    // world range. Each saved value was valid together with the others, but one set before
    // another (a child grown back before its parent shrinks) may be refused on the way: such
    // slots are tried again after the rest, for as long as a round gets further.
    std::vector<std::size_t> pending(m_names.size());
    std::vector<SceneEntity*> entities(m_names.size(), nullptr);
    std::size_t i = 0;
    for (const std::string& name : m_names) {
        pending[i] = i;
        entities[i] = m_sceneManager->getSceneEntity(name);
        ++i;
    }
    std::vector<Ogre::Vector3> before(m_names.size());
    for (std::size_t slot = 0; slot < entities.size(); ++slot)
        if (entities[slot])
            before[slot] = Current(entities[slot]);
    while (!pending.empty()) {
        std::vector<std::size_t> refused;
        for (const std::size_t slot : pending) {
            SceneEntity* entity = entities[slot];
            if (!entity)
                continue;
            if (m_kind == KIND_POSITION)
                entity->SetPosition(m_saved[slot], m_axis);
            else if (m_kind == KIND_ORIENTATION)
                entity->SetOrientation(m_saved[slot], m_axis);
            else
                entity->SetScale(m_saved[slot], m_axis);
            if (!Took(Current(entity), m_saved[slot]))
                refused.push_back(slot);
        }
        if (refused.size() == pending.size())
            break;
        pending.swap(refused);
    }
    const int code = m_kind == KIND_POSITION      ? NOTIFY_MOVED
                     : m_kind == KIND_ORIENTATION ? NOTIFY_ROTATED
                                                  : NOTIFY_SCALED;
    for (std::size_t slot = 0; slot < entities.size(); ++slot) {
        SceneEntity* entity = entities[slot];
        if (!entity)
            continue;
        // The next swap restores what the entity held (a slot refused for good then sets the
        // value it kept).
        m_saved[slot] = before[slot];
        if (m_notifier)
            m_notifier->notify(code, 1, entity);
    }
}

Ogre::Vector3 CTransformCommand::Current(const SceneEntity* entity) const {
    return m_kind == KIND_POSITION      ? entity->GetPosition()
           : m_kind == KIND_ORIENTATION ? entity->GetOrientation()
                                        : entity->GetScale();
}

bool CTransformCommand::Took(const Ogre::Vector3& now, const Ogre::Vector3& saved) const {
    if (m_axis >= AXIS_X && m_axis <= AXIS_Z)
        return now[m_axis] == saved[m_axis];
    return now == saved;
}

namespace {

// A move step whose |y| is above this counts as vertical: ground follow does not apply to it.
// Compared in double precision, so the float nearest to 0.0005 already counts as vertical.
constexpr double kVerticalMoveThreshold = 0.0005;

// Whether a transform path may change the entity: a locked one keeps its transform.
bool MayTransform(const SceneEntity* entity) {
    return entity->EnabledTrnaform() != 0;
}

// The selected entities that may be transformed, in the order of the selection set; names
// without an entity are skipped.
template <typename Visit> int ForEachSelected(CSceneManager* scene, Visit visit) {
    if (!scene)
        return 0;
    // A copy: a notification handler may change the selection while we walk it.
    const std::set<std::string> names = scene->getSelectedEntities();
    int count = 0;
    for (const std::string& name : names) {
        SceneEntity* entity = scene->getSceneEntity(name);
        if (entity && MayTransform(entity)) {
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

std::set<std::string> TransformableSelection(CSceneManager* scene) {
    std::set<std::string> names;
    if (!scene)
        return names;
    // A name without an entity stays: the step keeps its slot and its swap skips it.
    for (const std::string& name : scene->getSelectedEntities()) {
        const SceneEntity* entity = scene->getSceneEntity(name);
        if (!entity || MayTransform(entity))
            names.insert(names.end(), name);
    }
    return names;
}

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
        // A float 100000 long resolves only 1/128: the hit found from so high up can be off the
        // surface by that much. A short ray through the same spot, from just above it, finds
        // the surface to the precision of a float near the ground.
        RayQuery close = query;
        close.origin = hit + Ogre::Vector3(0, 1, 0);
        close.length = 2.0f;
        close.distance = std::numeric_limits<float>::max();
        close.hit = nullptr;
        ground->rayQuery(&close);
        if (close.distance >= 0.0f && close.distance <= close.length)
            hit = close.origin + close.direction * close.distance;
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

    // The step's own copy of the selection is the list walked: one copy of the names, and a
    // notification handler that changes the selection does not change the walk.
    auto* command = new CTransformCommand();
    command->Capture(TransformableSelection(scene), kind, axis);
    for (const std::string& name : command->GetNames()) {
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

namespace {

// base with the components that mask names taken from value.
Ogre::Vector3 MergeMasked(Ogre::Vector3 base, const Ogre::Vector3& value, unsigned mask) {
    for (int i = 0; i < 3; ++i)
        if (mask & (1u << i))
            base[i] = value[i];
    return base;
}

// Where one entity goes: its world value with the named components replaced, worked out
// before anything moves.
struct WorldTarget {
    SceneEntity* entity = nullptr;
    int depth = 0; // parents above it
    Ogre::Vector3 value;
    bool local = false; // value is the local component: set directly
};

// An entity without a parent has its world values as local ones: they are set directly, so
// the components not named keep their exact value (the world setters go through a rotation or
// a division and may move them by a last bit). A parentless orientation is set that way only
// while its local angles are the ones its world angles are read as; otherwise the world angles
// are set as a whole.
WorldTarget TargetOf(SceneEntity* entity, const Ogre::Vector3& value, unsigned mask, int kind) {
    WorldTarget target;
    target.entity = entity;
    for (SceneEntity* up = entity->getParent(); up; up = up->getParent())
        ++target.depth;
    const bool root = target.depth == 0;
    if (kind == KIND_POSITION) {
        target.value = MergeMasked(entity->GetWorldPosition(), value, mask);
        target.local = root;
    } else if (kind == KIND_ORIENTATION) {
        const Ogre::Vector3 world = entity->GetWorldOrientation();
        const Ogre::Vector3 local = entity->GetOrientation();
        target.local = root && (world - local).squaredLength() < 1e-8f;
        target.value = MergeMasked(target.local ? local : world, value, mask);
    } else {
        target.value = MergeMasked(entity->GetWorldScale(), value, mask);
        target.local = root;
    }
    return target;
}

void SetTarget(const WorldTarget& target, int kind) {
    SceneEntity* entity = target.entity;
    const Ogre::Vector3& v = target.value;
    if (kind == KIND_POSITION) {
        if (target.local)
            entity->SetPosition(v, AXIS_ALL);
        else
            entity->SetWorldPosition(v.x, v.y, v.z);
    } else if (kind == KIND_ORIENTATION) {
        if (target.local)
            entity->SetOrientation(v, AXIS_ALL);
        else
            entity->SetWorldOrientation(v.x, v.y, v.z);
    } else {
        if (target.local)
            entity->SetScale(v, AXIS_ALL);
        else
            entity->SetWorldScale(v.x, v.y, v.z);
    }
}

} // namespace

int ApplyWorldTransform(CSceneManager* scene, IToolManager* notifier, CUndoRedoManager* undo,
                        const Ogre::Vector3& value, unsigned mask, int kind) {
    mask &= 7u;
    if (!mask)
        return 0;
    for (int i = 0; i < 3; ++i)
        if ((mask & (1u << i)) && !std::isfinite(value[i]))
            return 0;

    // Every entity is captured before the first one changes: the step restores them all.
    auto* command = new CTransformCommand();
    command->Capture(TransformableSelection(scene), kind, AXIS_ALL);
    const std::set<std::string>& names = command->GetNames();
    // Every target is read before anything moves, and parents are set before their children:
    // a selected parent that moves afterwards would carry its child away from its target.
    std::vector<WorldTarget> targets;
    targets.reserve(names.size());
    for (const std::string& name : names)
        if (SceneEntity* entity = scene->getSceneEntity(name))
            targets.push_back(TargetOf(entity, value, mask, kind));
    std::stable_sort(targets.begin(), targets.end(),
                     [](const WorldTarget& a, const WorldTarget& b) { return a.depth < b.depth; });
    const int code = kind == KIND_POSITION      ? NOTIFY_MOVED
                     : kind == KIND_ORIENTATION ? NOTIFY_ROTATED
                                                : NOTIFY_SCALED;
    for (const WorldTarget& target : targets) {
        SetTarget(target, kind);
        Notify(notifier, code, target.entity);
    }
    if (undo)
        undo->addUndo(command);
    else
        delete command;
    return 1;
}

int SnapToGround(CSceneManager* scene, CSceneManager* ground, IToolManager* notifier,
                 CUndoRedoManager* undo) {
    if (!scene || !undo)
        return 0;
    auto step = std::make_unique<CTransformCommand>();
    step->Capture(TransformableSelection(scene), KIND_POSITION, AXIS_ALL);
    // The step's names are the walk: the notifications below may reach code that changes the
    // selection.
    for (const std::string& name : step->GetNames()) {
        SceneEntity* entity = scene->getSceneEntity(name);
        if (!entity)
            continue;
        // The ground lies in the world: a child's local position is not a world point.
        const Ogre::Vector3 world = entity->GetWorldPosition();
        entity->SetWorldPosition(world.x, GroundHeight(ground, world), world.z);
        Notify(notifier, NOTIFY_MOVED, entity);
    }
    undo->addUndo(step.release());
    return 1;
}

} // namespace TransformSteps

#include "CTransformCommit.h"

#include "CGameEngine.h"
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
    // The entities are gathered first: a notification handler may change the selection while
    // they are visited. Gathered as entities rather than as a copy of the names, which would
    // cost an allocation per entity on every drag step.
    const std::set<std::string>& names = scene->getSelectedEntities();
    std::vector<SceneEntity*> entities;
    entities.reserve(names.size());
    for (const std::string& name : names) {
        SceneEntity* entity = scene->getSceneEntity(name);
        if (entity && MayTransform(entity))
            entities.push_back(entity);
    }
    for (SceneEntity* entity : entities)
        visit(entity);
    return int(entities.size());
}

void Notify(IToolManager* notifier, int code, SceneEntity* entity) {
    if (notifier)
        notifier->notify(code, 1, entity);
}

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
    bool local = false; // value is the local value: set directly
};

// An entity without a parent has its world values as local ones: they are set directly, so
// the components not named keep their exact value (the world setters go through a rotation or
// a division and may move them by a last bit). A parentless orientation is set that way only
// while its local angles are the ones its world angles are read as; otherwise the world angles
// are set as a whole.
WorldTarget TargetOf(SceneEntity* entity, const TransformChannel& channel,
                     const Ogre::Vector3& value, unsigned mask) {
    WorldTarget target;
    target.entity = entity;
    for (SceneEntity* up = entity->getParent(); up; up = up->getParent())
        ++target.depth;
    const bool root = target.depth == 0;
    Ogre::Vector3 base = channel.GetWorld(*entity);
    target.local = root;
    if (root && !channel.rootWorldIsLocal) {
        const Ogre::Vector3 local = channel.Get(*entity);
        target.local = (base - local).squaredLength() < 1e-8f;
        if (target.local)
            base = local;
    }
    target.value = MergeMasked(base, value, mask);
    return target;
}

} // namespace

CTransformCommit::CTransformCommit(Interface* host) : m_host(host) {}

CTransformCommit::~CTransformCommit() = default;

CSceneManager* CTransformCommit::Scene() const {
    return TransformSteps::HostScene(m_host);
}

IToolManager* CTransformCommit::Notifier() const {
    return m_host ? m_host->toolManager() : nullptr;
}

CUndoRedoManager* CTransformCommit::Undo() const {
    return m_host ? m_host->undoManager() : nullptr;
}

const CTransformCommand* CTransformCommit::Captured() const {
    return m_step && m_step.get() == m_captured ? m_captured : nullptr;
}

bool CTransformCommit::CanRecord() const {
    return Scene() && Undo();
}

void CTransformCommit::Begin(int kind, COORDINATE_AXIS axis) {
    m_mark.clear();
    m_surface.Clear();
    CSceneManager* scene = Scene();
    auto step = std::make_unique<CTransformCommand>(scene, Notifier());
    step->Capture(TransformSteps::TransformableSelection(scene), kind, axis);
    m_captured = step.get();
    m_step = std::move(step);
}

void CTransformCommit::BeginDrag(int mode, bool aboutCentre) {
    Begin(mode, AXIS_ALL);
    m_pivot.Clear();
    if (aboutCentre && (mode == MODE_ROTATE || mode == MODE_SCALE)) {
        std::vector<SceneEntity*> entities;
        ForEachSelected(Scene(), [&](SceneEntity* entity) { entities.push_back(entity); });
        m_pivot.Capture(entities);
    }
    if (m_pivot.IsActive()) {
        // The positions change with the turn or scale: one step records both channels.
        CSceneManager* scene = Scene();
        auto positions = std::make_unique<CTransformCommand>(scene, Notifier());
        positions->Capture(TransformSteps::TransformableSelection(scene), KIND_POSITION, AXIS_ALL);
        auto both = std::make_unique<CCompositeCommand>();
        both->Add(std::move(m_step));
        both->Add(std::move(positions));
        m_step = std::move(both);
        m_captured = nullptr;
    }
    const Ogre::Vector3 marker = ChannelOf(mode).PressMarker();
    ForEachSelected(Scene(), [&](SceneEntity* entity) { entity->PreTransform(marker); });
}

void CTransformCommit::BeginSurface(bool turn) {
    Begin(KIND_POSITION, AXIS_ALL);
    m_pivot.Clear();
    m_surfaceTurn = turn;
    if (turn) {
        CSceneManager* scene = Scene();
        auto orientations = std::make_unique<CTransformCommand>(scene, Notifier());
        orientations->Capture(TransformSteps::TransformableSelection(scene), KIND_ORIENTATION,
                              AXIS_ALL);
        auto both = std::make_unique<CCompositeCommand>();
        both->Add(std::move(m_step));
        both->Add(std::move(orientations));
        m_step = std::move(both);
        m_captured = nullptr;
    }
    std::vector<SceneEntity*> entities;
    ForEachSelected(Scene(), [&](SceneEntity* entity) {
        entity->PreTransform(Ogre::Vector3(1, turn ? 1 : 0, 0));
        entities.push_back(entity);
    });
    m_surface.Capture(entities);
}

int CTransformCommit::PlaceOnSurface(const Ogre::Vector3& hit, const Ogre::Vector3& normal) {
    if (!m_step)
        return 0;
    return m_surface.Place(Scene(), Notifier(), hit, normal, m_surfaceTurn);
}

int CTransformCommit::ApplyDrag(int mode, const Ogre::Vector3& delta, bool groundFollow) {
    if (!IsFinite(delta))
        return 0;
    CSceneManager* scene = Scene();
    IToolManager* notifier = Notifier();
    const int code = ChannelOf(mode).notifyCode;
    if (mode == MODE_MOVE) {
        CSceneManager* ground = TransformSteps::GroundScene(m_host);
        const bool follow = groundFollow && !TransformSteps::IsVerticalMove(delta);
        return ForEachSelected(scene, [&](SceneEntity* entity) {
            float offset = 0.0f;
            if (follow) {
                const Ogre::Vector3 position = entity->GetPosition();
                offset = position.y - TransformSteps::GroundHeight(ground, position);
            }
            entity->MoveDelta(delta, 0, 1);
            if (follow) {
                const Ogre::Vector3 p = entity->GetPosition();
                const float height = TransformSteps::GroundHeight(ground, p) + offset;
                if (std::isfinite(height))
                    entity->SetPosition(p.x, height, p.z);
            }
            Notify(notifier, code, entity);
        });
    }
    if (mode == MODE_ROTATE && m_pivot.IsActive()) {
        const Ogre::Quaternion turn = PivotRules::TurnOfPitchYawRoll(delta);
        return ApplyAboutCentre(
            code, [&](SceneEntity* entity) { entity->RotateDelta(delta); },
            [&](const Ogre::Vector3& start) {
                return PivotRules::Orbit(start, m_pivot.Centre(), turn);
            });
    }
    if (mode == MODE_ROTATE) {
        return ForEachSelected(scene, [&](SceneEntity* entity) {
            entity->RotateDelta(delta);
            Notify(notifier, code, entity);
        });
    }
    if (mode == MODE_SCALE) {
        return ForEachSelected(scene, [&](SceneEntity* entity) {
            entity->ScaleDelta(delta);
            Notify(notifier, code, entity);
        });
    }
    return 0;
}

int CTransformCommit::ApplyTurn(const Ogre::Vector3& axis, float angle) {
    if (!IsFinite(axis) || !std::isfinite(angle) || axis.squaredLength() == 0.0f)
        return 0;
    const int code = ChannelOf(KIND_ORIENTATION).notifyCode;
    if (m_pivot.IsActive()) {
        const Ogre::Quaternion turn(Ogre::Radian(angle), axis.normalisedCopy());
        return ApplyAboutCentre(
            code, [&](SceneEntity* entity) { entity->RotateDelta(axis, angle, true); },
            [&](const Ogre::Vector3& start) {
                return PivotRules::Orbit(start, m_pivot.Centre(), turn);
            });
    }
    IToolManager* notifier = Notifier();
    return ForEachSelected(Scene(), [&](SceneEntity* entity) {
        entity->RotateDelta(axis, angle, true);
        Notify(notifier, code, entity);
    });
}

int CTransformCommit::ApplyScale(const Ogre::Vector3& factors, float total,
                                 const Ogre::Vector3& axis) {
    if (!m_pivot.IsActive())
        return ApplyDrag(MODE_SCALE, factors, false);
    if (!IsFinite(factors) || !std::isfinite(total) || !IsFinite(axis))
        return 0;
    return ApplyAboutCentre(
        ChannelOf(KIND_SCALE).notifyCode, [&](SceneEntity* entity) { entity->ScaleDelta(factors); },
        [&](const Ogre::Vector3& start) {
            return PivotRules::Spread(start, m_pivot.Centre(), total, axis);
        });
}

template <typename Change, typename Place>
int CTransformCommit::ApplyAboutCentre(int code, Change change, Place place) {
    IToolManager* notifier = Notifier();
    const int moved = ChannelOf(KIND_POSITION).notifyCode;
    // Parents first: each entity is put at a world place of its own, which a parent set after
    // it would carry away.
    std::vector<std::pair<int, SceneEntity*>> entities;
    ForEachSelected(Scene(), [&](SceneEntity* entity) {
        int depth = 0;
        for (SceneEntity* up = entity->getParent(); up; up = up->getParent())
            ++depth;
        entities.emplace_back(depth, entity);
    });
    std::stable_sort(entities.begin(), entities.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [depth, entity] : entities) {
        change(entity);
        Notify(notifier, code, entity);
        Ogre::Vector3 start;
        if (!m_pivot.StartOf(entity->GetName(), start))
            continue;
        const Ogre::Vector3 to = place(start);
        if (!IsFinite(to))
            continue;
        entity->SetWorldPosition(to.x, to.y, to.z);
        Notify(notifier, moved, entity);
    }
    return int(entities.size());
}

int CTransformCommit::SetValues(const Ogre::Vector3& value) {
    const CTransformCommand* step = Captured();
    if (!step)
        return 0;
    const COORDINATE_AXIS axis = step->GetAxis();
    if (axis < AXIS_X || axis > AXIS_ALL)
        return 0;
    if (axis == AXIS_ALL ? !IsFinite(value) : !std::isfinite(value[axis]))
        return 0;
    CSceneManager* scene = Scene();
    IToolManager* notifier = Notifier();
    const TransformChannel& channel = ChannelOf(step->GetKind());
    // The step's own copy of the selection is the list walked: a notification handler that
    // changes the selection does not change the walk.
    for (const std::string& name : step->GetNames()) {
        SceneEntity* entity = scene ? scene->getSceneEntity(name) : nullptr;
        if (!entity)
            continue;
        channel.Set(*entity, value, axis);
        Notify(notifier, channel.notifyCode, entity);
    }
    return 1;
}

int CTransformCommit::SetWorldValues(const Ogre::Vector3& value, unsigned mask) {
    const CTransformCommand* step = Captured();
    // A step of one component could not restore the others a world value moves.
    if (!step || step->GetAxis() != AXIS_ALL)
        return 0;
    mask &= 7u;
    if (!mask)
        return 0;
    for (int i = 0; i < 3; ++i)
        if ((mask & (1u << i)) && !std::isfinite(value[i]))
            return 0;
    CSceneManager* scene = Scene();
    IToolManager* notifier = Notifier();
    const TransformChannel& channel = ChannelOf(step->GetKind());
    // Every target is read before anything moves, and parents are set before their children:
    // a selected parent that moves afterwards would carry its child away from its target.
    std::vector<WorldTarget> targets;
    targets.reserve(step->GetNames().size());
    for (const std::string& name : step->GetNames())
        if (SceneEntity* entity = scene ? scene->getSceneEntity(name) : nullptr)
            targets.push_back(TargetOf(entity, channel, value, mask));
    std::stable_sort(targets.begin(), targets.end(),
                     [](const WorldTarget& a, const WorldTarget& b) { return a.depth < b.depth; });
    for (const WorldTarget& target : targets) {
        if (target.local)
            channel.Set(*target.entity, target.value, AXIS_ALL);
        else
            channel.SetWorld(*target.entity, target.value);
        Notify(notifier, channel.notifyCode, target.entity);
    }
    return 1;
}

int CTransformCommit::DropToGround() {
    const CTransformCommand* step = Captured();
    const TransformChannel& position = ChannelOf(KIND_POSITION);
    if (!step || &ChannelOf(step->GetKind()) != &position || step->GetAxis() != AXIS_ALL)
        return 0;
    CSceneManager* scene = Scene();
    IToolManager* notifier = Notifier();
    CSceneManager* ground = TransformSteps::GroundScene(m_host);
    for (const std::string& name : step->GetNames()) {
        SceneEntity* entity = scene ? scene->getSceneEntity(name) : nullptr;
        if (!entity)
            continue;
        // The ground lies in the world: a child's local position is not a world point.
        const Ogre::Vector3 world = position.GetWorld(*entity);
        position.SetWorld(
            *entity, Ogre::Vector3(world.x, TransformSteps::GroundHeight(ground, world), world.z));
        Notify(notifier, position.notifyCode, entity);
    }
    return 1;
}

void CTransformCommit::MarkPlace() {
    m_mark.clear();
    ForEachSelected(Scene(), [&](SceneEntity* entity) {
        m_mark.push_back({entity->GetName(), entity->GetPosition(), entity->GetOrientation(),
                          entity->GetScale()});
    });
}

bool CTransformCommit::BackToMark() {
    if (m_mark.empty())
        return false;
    CSceneManager* scene = Scene();
    IToolManager* notifier = Notifier();
    for (const MarkedPlace& place : m_mark) {
        SceneEntity* entity = scene ? scene->getSceneEntity(place.name) : nullptr;
        if (!entity)
            continue;
        // Local values: a parent set back before or after its child leaves the child where it
        // was marked either way.
        entity->SetScale(place.scale);
        entity->SetOrientation(place.orientation);
        entity->SetPosition(place.position);
        Notify(notifier, NOTIFY_SCALED, entity);
        Notify(notifier, NOTIFY_ROTATED, entity);
        Notify(notifier, NOTIFY_MOVED, entity);
    }
    return true;
}

std::string CTransformCommit::FirstOutOfRange(DragChange change) const {
    std::vector<SceneEntity*> entities;
    ForEachSelected(Scene(), [&](SceneEntity* entity) { entities.push_back(entity); });
    change.aboutCentre = m_pivot.IsActive() && change.kind != DragChange::Move;
    change.centre = m_pivot.Centre();
    return WorldRangeCheck::FirstOutOfRange(Scene(), entities, change);
}

int CTransformCommit::Push() {
    m_mark.clear();
    m_pivot.Clear();
    CUndoRedoManager* undo = Undo();
    const bool recorded = m_step && undo;
    // The undo manager owns the step from here on.
    if (recorded)
        undo->addUndo(m_step.release());
    m_step.reset();
    m_captured = nullptr;
    return recorded ? 1 : 0;
}

int CTransformCommit::Cancel() {
    if (!m_step)
        return 0;
    // The step holds every recorded entity's value from the capture: swapping it back
    // restores each exactly and notifies; the step itself is then dropped.
    m_step->undo();
    m_step.reset();
    m_mark.clear();
    m_pivot.Clear();
    m_captured = nullptr;
    return 1;
}

namespace TransformSteps {

std::set<std::string> TransformableSelection(CSceneManager* scene) {
    std::set<std::string> names;
    if (!scene)
        return names;
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

CSceneManager* HostScene(Interface* host) {
    IEngineAccess* engine = host ? host->engineAccess() : nullptr;
    return engine ? engine->sceneManager() : nullptr;
}

CSceneManager* GroundScene(Interface* host) {
    IEngineAccess* access = host ? host->engineAccess() : nullptr;
    CGameEngine* engine = access ? access->gameEngine() : nullptr;
    return engine ? engine->GetSceneManager() : nullptr;
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

} // namespace TransformSteps

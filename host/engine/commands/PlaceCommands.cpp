// The undoable "AlignEntity" and "DistributeEntity": the members and their boxes read from the
// scene, the shifts from PlacementRules, one step of local positions.
#include "PlaceCommands.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CommandContext.h"
#include "Interface.h"
#include "PlacementRules.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using placement::Span;

// Relative to the coordinate: shifts this small are the boxes' rounding.
constexpr float kNoShift = 1e-6f;

int AxisOf(const std::string& name) {
    if (name == "x")
        return 0;
    if (name == "y")
        return 1;
    return name == "z" ? 2 : -1;
}

bool Locked(const CEditorEntity& e) {
    return !e.EnabledTrnaform() || (e.GetState() & STATE_LOCK_POSITION) != 0;
}

Span SpanOf(const CEditorEntity& e, int axis) {
    const Ogre::AxisAlignedBox box = e.GetWorldBounds();
    Span span;
    span.min = box.getMinimum()[axis];
    span.max = box.getMaximum()[axis];
    span.locked = Locked(e);
    return span;
}

std::function<std::string(const std::string&)> ParentsIn(const CEditorScene& scene) {
    return [&scene](const std::string& name) {
        const CEditorEntity* e = scene.GetEntity(name);
        const CEditorEntity* parent = e ? e->GetParentEntity() : nullptr;
        return parent ? parent->GetName() : std::string();
    };
}

// What both commands share: the entities moved with their local positions before and after,
// applied again on redo and set back on undo.
class CPlaceCommand : public CSceneCommand {
public:
    using CSceneCommand::CSceneCommand;

protected:
    // The members that may move and their shifts along `axis`; false when the parameters are
    // none the command knows.
    virtual bool Plan(CEditorScene& scene, const CommandParams* params, int axis,
                      std::vector<std::string>& members, std::vector<float>& shifts) = 0;

    bool Prepare(CEditorScene& scene, CommandParams* params) final {
        const int axis = AxisOf(CommandParam(params, "axis", ""));
        std::vector<std::string> members;
        std::vector<float> shifts;
        return axis >= 0 && Plan(scene, params, axis, members, shifts) &&
               Move(scene, members, shifts, axis, params);
    }

    // The shifts along `axis` of `members`; returns whether any entity moved.
    bool Move(CEditorScene& scene, const std::vector<std::string>& members,
              const std::vector<float>& shifts, int axis, CommandParams* params) {
        for (std::size_t i = 0; i < members.size(); ++i) {
            CEditorEntity* e = scene.GetEntity(members[i]);
            if (!e)
                continue;
            Ogre::Vector3 world = e->GetWorldPosition();
            // A shift within the rounding of the boxes is no move: an align done twice moves
            // nothing the second time.
            if (std::abs(shifts[i]) <= kNoShift * std::max(1.0f, std::abs(world[axis])))
                continue;
            const Ogre::Vector3 before = e->GetPosition();
            world[axis] += shifts[i];
            // Refused (out of the world range): the entity keeps its place.
            e->SetWorldPosition(world.x, world.y, world.z);
            if (e->GetPosition() != before)
                m_moves.push_back({members[i], before, e->GetPosition()});
        }
        if (params)
            (*params)["moved"] = std::to_string(m_moves.size());
        return !m_moves.empty();
    }

    int Apply(CEditorScene& scene, bool again) override {
        for (const Moved& m : m_moves)
            if (CEditorEntity* e = scene.GetEntity(m.name)) {
                if (again)
                    e->SetPosition(m.after);
                m_context.Broadcast(NOTIFY_MOVED, 1, static_cast<SceneEntity*>(e));
            }
        return 1;
    }

    int Revert(CEditorScene& scene) override {
        for (auto it = m_moves.rbegin(); it != m_moves.rend(); ++it)
            if (CEditorEntity* e = scene.GetEntity(it->name)) {
                e->SetPosition(it->before);
                m_context.Broadcast(NOTIFY_MOVED, 1, static_cast<SceneEntity*>(e));
            }
        return 1;
    }

private:
    struct Moved {
        std::string name;
        Ogre::Vector3 before;
        Ogre::Vector3 after;
    };
    std::vector<Moved> m_moves;
};

class CAlignEntityCommand : public CPlaceCommand {
    using CPlaceCommand::CPlaceCommand;

    bool Plan(CEditorScene& scene, const CommandParams* params, int axis,
              std::vector<std::string>& members, std::vector<float>& shifts) override {
        const std::string to = CommandParam(params, "to", "");
        if (to != "min" && to != "center" && to != "max")
            return false;
        const placement::AlignTo how = to == "min"   ? placement::AlignTo::Min
                                       : to == "max" ? placement::AlignTo::Max
                                                     : placement::AlignTo::Centre;
        const std::set<std::string>& selected = scene.getSelectedEntities();
        const CEditorEntity* target =
            selected.size() < 2 ? nullptr : scene.GetEntity(*selected.begin());
        if (!target)
            return false;
        const std::string& current = *selected.begin();
        const Span targetSpan = SpanOf(*target, axis);
        const auto parentOf = ParentsIn(scene);
        for (const std::string& name :
             placement::TopMost({selected.begin(), selected.end()}, parentOf)) {
            const CEditorEntity* e = scene.GetEntity(name);
            if (!e || placement::IsSelfOrAncestor(name, current, parentOf))
                continue;
            members.push_back(name);
            shifts.push_back(placement::AlignShift(SpanOf(*e, axis), targetSpan, how));
        }
        return true;
    }
};

class CDistributeEntityCommand : public CPlaceCommand {
    using CPlaceCommand::CPlaceCommand;

    bool Plan(CEditorScene& scene, const CommandParams*, int axis,
              std::vector<std::string>& members, std::vector<float>& shifts) override {
        const std::set<std::string>& selected = scene.getSelectedEntities();
        std::vector<Span> spans;
        for (const std::string& name :
             placement::TopMost({selected.begin(), selected.end()}, ParentsIn(scene)))
            if (const CEditorEntity* e = scene.GetEntity(name)) {
                members.push_back(name);
                spans.push_back(SpanOf(*e, axis));
            }
        shifts = placement::DistributeShifts(spans);
        return true;
    }
};

CCommandContext& Context() {
    static CCommandContext context(
        {{"AlignEntity", &MakeCommand<CAlignEntityCommand, &Context>},
         {"DistributeEntity", &MakeCommand<CDistributeEntityCommand, &Context>}});
    return context;
}

} // namespace

bool RegisterPlaceCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier) {
    return Context().Register(undo, scene, notifier);
}

void UnregisterPlaceCommands(CUndoRedoManager& undo) {
    Context().Unregister(undo);
}

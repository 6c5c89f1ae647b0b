// The model's expectations of the placing operations: a duplicate is the copy of the selection;
// an Alt drag is that copy with the copies dragged, one step; an align or a distribute moves
// only the top-most selected entities that may move, only along its axis, to the place the
// boxes (read from the editor before the operation) give them.
#include "ModelRun.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CEditorSession.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr double kTolerance = 1e-4;
// The position lock of an entity's state bits: align and distribute leave it too.
constexpr std::uint32_t kPositionLock = 0x80;

bool Stays(const ModelEntity& e) {
    return e.locked || (e.state & kPositionLock) != 0;
}

// Whether `ancestor` is `name` or above it.
bool Above(const ModelScene& scene, const std::string& ancestor, std::string name) {
    for (std::size_t guard = 0; !name.empty() && guard <= scene.entities.size(); ++guard) {
        if (name == ancestor)
            return true;
        const auto it = scene.entities.find(name);
        name = it == scene.entities.end() ? "" : it->second.parent;
    }
    return false;
}

// The selected entities without a selected ancestor, in name order.
std::vector<std::string> TopMost(const ModelScene& scene) {
    std::vector<std::string> top;
    for (const std::string& name : scene.selection) {
        bool covered = false;
        for (const std::string& other : scene.selection)
            covered |= other != name && Above(scene, other, name);
        if (!covered)
            top.push_back(name);
    }
    return top;
}

// Whether moving `name` by `shift` along the world axis keeps it and its descendants in the
// world range (the editor refuses the move otherwise).
bool ShiftFits(const ModelScene& scene, const std::string& name, int axis, double shift) {
    double world[3] = {0, 0, 0};
    world[axis] = shift;
    double local[3] = {world[0], world[1], world[2]};
    const std::string& parent = scene.entities.at(name).parent;
    WorldTransform p{};
    if (!parent.empty() && ModelMath::WorldOf(scene, parent, p))
        for (int i = 0; i < 3; ++i) // the inverse rotation, then the parent's scale
            local[i] = (p.rotation[0][i] * world[0] + p.rotation[1][i] * world[1] +
                        p.rotation[2][i] * world[2]) /
                       p.scale[i];
    ModelScene moved = scene;
    for (int i = 0; i < 3; ++i)
        moved.entities.at(name).position[i] += float(local[i]);
    return ModelMath::InWorldRange(moved, {name});
}

bool Near(double expected, double actual) {
    return std::fabs(expected - actual) <= kTolerance * std::max(1.0, std::fabs(expected));
}

} // namespace

std::map<std::string, std::array<float, 2>> CModelRun::ReadBoxes(int axis) const {
    std::map<std::string, std::array<float, 2>> boxes;
    for (const auto& kv : m_model.Current().entities)
        if (const CEditorEntity* e = m_session.Scene().GetEntity(kv.first)) {
            const Ogre::AxisAlignedBox box = e->GetWorldBounds();
            boxes[kv.first] = {box.getMinimum()[axis], box.getMaximum()[axis]};
        }
    return boxes;
}

bool CModelRun::CheckPlacement(const ModelOp& op, const ModelScene& before) {
    const char* what = KindName(op.kind);
    if (op.kind == OpKind::Duplicate) {
        const ModelScene next = CopiedScene(before);
        const std::size_t made = next.entities.size() - before.entities.size();
        if (m_output != "duplicated " + std::to_string(made) + "\n")
            return Fail("after duplicate: the editor printed '" + m_output + "', the model made " +
                        std::to_string(made));
        if (made == 0)
            return Expect(before, 0.0, what);
        m_model.Push(next);
        return Expect(next, 0.0, what);
    }
    if (op.kind == OpKind::AltDrag) {
        const ModelScene copied = CopiedScene(before);
        const ModelScene after = ReadEditor();
        // The originals and all else as the copy left them; the copies that may be transformed
        // moved, and only in position.
        ModelScene same = after;
        for (auto& kv : same.entities) {
            const auto it = copied.entities.find(kv.first);
            if (it == copied.entities.end())
                return Fail("after alt drag: entity " + kv.first + " appeared");
            if (copied.selection.count(kv.first) && !it->second.locked)
                kv.second.position = it->second.position;
        }
        std::string why;
        if (!SameScene(copied, same, 0.0, why))
            return Fail("after alt drag: " + why);
        m_model.Push(after); // the copy and its drag: one step
        return CheckDepths(what);
    }
    return CheckPlaced(op, before, ReadEditor());
}

bool CModelRun::CheckPlaced(const ModelOp& op, const ModelScene& before, const ModelScene& after) {
    const int axis = op.word == "x" ? 0 : op.word == "y" ? 1 : 2;
    const bool align = op.kind == OpKind::Align;
    const auto& boxes = m_boxesBefore;
    auto centre = [&](const std::string& n) { return 0.5f * (boxes.at(n)[0] + boxes.at(n)[1]); };
    // Where each member that may move should end along the axis (a box side or centre), and
    // how to read that from a box.
    std::map<std::string, double> goal;
    std::vector<std::string> members = TopMost(before);
    const int side = op.text == "min" ? 0 : op.text == "max" ? 1 : 2;
    auto measure = [&](const std::array<float, 2>& b) {
        return side == 2 || !align ? 0.5 * (double(b[0]) + double(b[1])) : double(b[side]);
    };
    if (align && before.selection.size() >= 2) {
        const std::string& current = *before.selection.begin();
        for (const std::string& n : members)
            if (!Above(before, n, current) && !Stays(before.entities.at(n)))
                goal[n] = measure(boxes.at(current));
    } else if (!align && members.size() >= 3) {
        std::vector<std::size_t> order(members.size());
        std::iota(order.begin(), order.end(), std::size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return centre(members[a]) < centre(members[b]);
        });
        const double low = centre(members[order.front()]);
        const double high = centre(members[order.back()]);
        for (std::size_t k = 1; k + 1 < order.size(); ++k)
            if (!Stays(before.entities.at(members[order[k]])))
                goal[members[order[k]]] = low + (high - low) * double(k) / double(order.size() - 1);
    }
    // Everything but the goals' positions is exactly as it was.
    ModelScene same = after;
    for (const auto& g : goal)
        same.entities.at(g.first).position = before.entities.at(g.first).position;
    std::string why;
    if (!SameScene(before, same, 0.0, why))
        return Fail(std::string("after ") + KindName(op.kind) + ": " + why);
    int moved = 0;
    for (const auto& g : goal) {
        const std::string& n = g.first;
        const bool changed = after.entities.at(n).position != before.entities.at(n).position;
        moved += changed ? 1 : 0;
        const double from = measure(boxes.at(n));
        WorldTransform wb{}, wa{};
        ModelMath::WorldOf(before, n, wb);
        ModelMath::WorldOf(after, n, wa);
        const double to = from + (wa.position[axis] - wb.position[axis]);
        for (int i = 0; i < 3; ++i)
            if (i != axis && !Near(wb.position[i], wa.position[i]))
                return Fail(std::string("after ") + KindName(op.kind) + ": " + n +
                            " moved off the axis");
        // At its goal; or left where it was when already there or when the move would leave
        // the world range.
        const bool kept =
            !changed && (Near(g.second, from) || !ShiftFits(before, n, axis, g.second - from));
        if (!kept && !Near(g.second, to))
            return Fail(std::string("after ") + KindName(op.kind) + ": " + n + " stands at " +
                        std::to_string(to) + " along the axis, the model has " +
                        std::to_string(g.second));
    }
    const std::string word = align ? "aligned " : "distributed ";
    if (m_output != word + std::to_string(moved) + "\n")
        return Fail("after " + std::string(KindName(op.kind)) + ": the editor printed '" +
                    m_output + "', the model moved " + std::to_string(moved));
    if (moved == 0)
        return Expect(before, 0.0, KindName(op.kind));
    m_model.Push(after);
    return CheckDepths(KindName(op.kind));
}

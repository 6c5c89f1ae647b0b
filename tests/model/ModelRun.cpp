#include "ModelRun.h"

#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "SceneEntity.h"
#include "ScriptRunner.h"

#include <OgreLight.h>
#include <OgreRay.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <cstdlib>

namespace {

constexpr double kTolerance = 1e-4;

Vec3 ToVec(const Ogre::Vector3& v) {
    return {v.x, v.y, v.z};
}

const char* KindOf(OpKind kind) {
    static const char* const kNames[] = {
        "tool",       "drag",        "panel edit",  "bar apply", "snap",     "follow",
        "select",     "click",       "rect",        "parents",   "copy",     "light edit",
        "undo",       "redo",        "save",        "duplicate", "alt drag", "align",
        "distribute", "vertex snap", "surface drag"};
    static_assert(sizeof kNames / sizeof kNames[0] == kOpKindCount, "a name for each kind");
    return kNames[static_cast<int>(kind)];
}

} // namespace

const char* CModelRun::KindName(OpKind kind) {
    return KindOf(kind);
}

const std::vector<std::string>& CModelRun::Prelude() {
    static const std::vector<std::string> lines = {"frames 2", "tool move"};
    return lines;
}

CModelRun::CModelRun(CEditorSession& session) : m_session(session), m_model(kUndoDepth) {}

bool CModelRun::Start() {
    if (!RunLines(Prelude()))
        return false;
    m_mode = 1;
    m_model.Reset(ReadEditor());
    for (const auto& kv : m_model.Current().entities)
        if (Ogre::Light* light = m_session.Scene().getSceneEntity(kv.first)->GetOgreLight())
            m_lights[kv.first] = {light->getAttenuationRange(), light->getPowerScale()};
    // The editor starts unmodified: this is the saved state.
    m_savedVersion = m_model.Current().version;
    m_savedLights = LightPrint();
    return CheckDepths("the prelude");
}

ModelScene CModelRun::ReadEditor() const {
    CEditorScene& scene = m_session.Scene();
    ModelScene out;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
        ModelEntity m;
        m.parent = e->getParent() ? e->getParent()->GetName() : "";
        m.position = ToVec(e->GetPosition());
        m.orientation = ToVec(e->GetOrientation());
        m.scale = ToVec(e->GetScale());
        m.state = e->GetState();
        m.light = e->GetOgreLight() != nullptr;
        m.locked = e->EnabledTrnaform() == 0;
        out.entities[e->GetName()] = m;
    }
    out.selection = scene.getSelectedEntities();
    return out;
}

bool CModelRun::RunLines(const std::vector<std::string>& lines) {
    m_session.Script().SetOutput(&m_sink);
    m_session.Script().SetErrorOutput(&m_sink);
    bool ok = true;
    for (const std::string& line : lines) {
        if (!m_session.RunScriptLine(line)) {
            m_scriptError = true;
            m_why = "the editor refused '" + line + "': " + m_session.Script().LastError();
            ok = false;
            break;
        }
    }
    m_session.Script().SetOutput(nullptr);
    m_session.Script().SetErrorOutput(nullptr);
    m_output = m_sink.str();
    m_sink.str("");
    return ok;
}

bool CModelRun::Fail(const std::string& why) {
    m_why = why;
    return false;
}

bool CModelRun::CheckDepths(const char* after) {
    CEditorUndoManager& undo = m_session.Host().Undo();
    if (undo.undoCount() == m_model.UndoDepth() && undo.redoCount() == m_model.RedoDepth())
        return true;
    return Fail(std::string("after ") + after + ": undo depth " + std::to_string(undo.undoCount()) +
                " redo " + std::to_string(undo.redoCount()) + ", the model has " +
                std::to_string(m_model.UndoDepth()) + " and " +
                std::to_string(m_model.RedoDepth()));
}

bool CModelRun::Expect(const ModelScene& expected, double tolerance, const char* after) {
    std::string why;
    if (!SameScene(expected, ReadEditor(), tolerance, why))
        return Fail(std::string("after ") + after + ": " + why);
    return CheckDepths(after);
}

ModelScene CModelRun::Selected(const ModelScene& scene, const std::set<std::string>& names) const {
    ModelScene next = scene;
    next.selection.clear();
    for (const std::string& n : names)
        if (scene.entities.count(n))
            next.selection.insert(n);
    return next;
}

std::string CModelRun::ClickHit(int x, int y) const {
    CEditorView* view = m_session.Host().GetView(0);
    if (!view)
        return "";
    Ogre::Vector3 nearPoint, farPoint;
    view->rayThroughPixel(x, y, nearPoint, farPoint);
    const float length = (farPoint - nearPoint).length();
    if (!std::isfinite(length) || length <= 0.0f)
        return "";
    // The scene's own query for what lies under the pointer (it brings the nodes up to date
    // first: overlapping copies are told apart by their current bounds).
    RayQuery query{};
    query.origin = nearPoint;
    query.direction = (farPoint - nearPoint).normalisedCopy();
    query.length = length;
    query.distance = std::numeric_limits<float>::max();
    query.flags = RAY_QUERY_ENTITY;
    query.hit = nullptr;
    m_session.Scene().rayQuery(&query);
    return query.hit ? query.hit->GetName() : std::string();
}

std::vector<std::string> CModelRun::RectHits(const ModelOp& op) const {
    std::vector<std::string> hits;
    CEditorView* view = m_session.Host().GetView(0);
    if (!view)
        return hits;
    // The rectangle in the view's unit square, as the view's own test takes it.
    const PixelRect v = view->pixelRect();
    const float w = float(v.right - v.left), h = float(v.bottom - v.top);
    // The host hands the band over with left <= right and top <= bottom; one no larger than a
    // pixel either way selects nothing.
    if (w <= 0 || h <= 0 || (std::abs(op.x1 - op.x0) <= 1 && std::abs(op.y1 - op.y0) <= 1))
        return hits;
    const Ogre::Vector2 min(std::min(op.x0, op.x1) / w, std::min(op.y0, op.y1) / h);
    const Ogre::Vector2 max(std::max(op.x0, op.x1) / w, std::max(op.y0, op.y1) / h);
    CEditorScene& scene = m_session.Scene();
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity())
        if (e->IsVisible() && view->entityInRect(e, min, max) && scene.canSelect(e))
            hits.push_back(e->GetName());
    return hits;
}

// A world component against the model's, to kTolerance of the larger of 1 and the farthest
// coordinate: a child's world value is worked out through its parents in single precision, so
// far from the origin every component carries that coordinate's rounding.
bool WorldClose(double expected, double actual, const double (&near)[3]) {
    const double far = std::max({std::fabs(near[0]), std::fabs(near[1]), std::fabs(near[2])});
    return std::fabs(expected - actual) <= kTolerance * std::max(1.0, far);
}

bool CModelRun::CheckDrag(const ModelScene& before, const ModelScene& after) {
    std::string why;
    ModelScene same = after;
    for (auto& kv : same.entities) {
        auto it = before.entities.find(kv.first);
        if (it == before.entities.end())
            return Fail("after drag: entity " + kv.first + " appeared");
        const ModelEntity& b = it->second;
        ModelEntity& a = kv.second;
        // A locked entity is passed by as if it were not selected.
        const bool selected = before.selection.count(kv.first) > 0 && !b.locked;
        // What the mode may change of a selected entity is taken from the editor; everything
        // else must be as it was.
        if (selected && m_mode == 1)
            a.position = b.position;
        if (selected && m_mode == 2)
            a.orientation = b.orientation;
        if (selected && m_mode == 3)
            a.scale = b.scale;
    }
    if (!SameScene(before, same, 0.0, why))
        return Fail("after drag in mode " + std::to_string(m_mode) + ": " + why);
    m_model.Push(after);
    return CheckDepths("drag");
}

bool CModelRun::CheckBar(const ModelOp& op, const ModelScene& before, const ModelScene& after) {
    const int group = op.id >= 1030 ? 0 : op.id <= 1006 ? 1 : 2;
    const int axis = op.id >= 1030 ? op.id - 1030 : (op.id - 1004) % 3;
    static const std::uint32_t kLocks[3] = {0x80, 0x20, 0x40};
    float value = static_cast<float>(std::strtod(op.text.c_str(), nullptr));
    if (group == 1)
        value *= 0.017453292f; // degrees, in single precision as the bar reads them
    if (before.selection.empty() || !std::isfinite(value) ||
        (before.entities.at(*before.selection.begin()).state & kLocks[group]))
        return Expect(before, 0.0, "bar apply that changes nothing");

    // Every kind but the group's is as it was; the group's gives the typed world component.
    ModelScene same = after;
    for (auto& kv : same.entities) {
        auto it = before.entities.find(kv.first);
        if (it == before.entities.end())
            return Fail("after bar apply: entity " + kv.first + " appeared");
        if (!before.selection.count(kv.first) || it->second.locked)
            continue;
        if (group == 0)
            kv.second.position = it->second.position;
        else if (group == 1)
            kv.second.orientation = it->second.orientation;
        else
            kv.second.scale = it->second.scale;
    }
    std::string why;
    if (!SameScene(before, same, 0.0, why))
        return Fail("after bar apply: " + why);
    for (const std::string& name : before.selection) {
        if (before.entities.at(name).locked)
            continue; // kept as it was, checked above
        WorldTransform wb{}, wa{};
        ModelMath::WorldOf(before, name, wb);
        ModelMath::WorldOf(after, name, wa);
        // The editor refuses a scale with a component of 1e-6 or less (it could never be
        // undone through a child's world scale): that entity keeps its value, and the apply
        // still records its step.
        bool scaleRefused = false;
        for (int i = 0; group == 2 && i < 3; ++i)
            scaleRefused |= std::fabs(i == axis ? value : wb.scale[i]) <= 1e-6;
        if (scaleRefused) {
            for (int i = 0; i < 3; ++i)
                if (!Close(wb.scale[i], wa.scale[i], kTolerance))
                    return Fail("after bar apply: " + name + " took an unusable world scale");
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            if (group == 0 &&
                !WorldClose(i == axis ? value : wb.position[i], wa.position[i], wb.position))
                return Fail("after bar apply: " + name + " world position " + std::to_string(i) +
                            " is " + std::to_string(wa.position[i]));
            if (group == 2 && !Close(i == axis ? value : wb.scale[i], wa.scale[i], kTolerance))
                return Fail("after bar apply: " + name + " world scale " + std::to_string(i) +
                            " is " + std::to_string(wa.scale[i]));
        }
        if (group != 1)
            continue;
        double angles[3];
        ModelMath::AnglesOf(wb.rotation, angles);
        if (std::fabs(std::cos(angles[0])) < 1e-3)
            continue; // at the pole yaw and roll are one turn: no component to keep
        angles[axis] = value;
        double expected[3][3];
        ModelMath::RotationOf({float(angles[0]), float(angles[1]), float(angles[2])}, expected);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                if (!Close(expected[r][c], wa.rotation[r][c], 1e-3))
                    return Fail("after bar apply: " + name + " world rotation differs");
    }
    m_model.Push(after);
    return CheckDepths("bar apply");
}

bool CModelRun::CheckSnap(const ModelScene& before, const ModelScene& after) {
    if (before.selection.empty())
        return Expect(before, 0.0, "snap with nothing selected");
    ModelScene same = after;
    // A locked entity stays where it is; with only locked ones selected the step is empty.
    for (auto& kv : same.entities)
        if (before.selection.count(kv.first) && before.entities.count(kv.first) &&
            !before.entities.at(kv.first).locked)
            kv.second.position = before.entities.at(kv.first).position;
    std::string why;
    if (!SameScene(before, same, 0.0, why))
        return Fail("after snap: " + why);
    for (const std::string& name : before.selection) {
        if (before.entities.at(name).locked)
            continue;
        WorldTransform wb{}, wa{};
        ModelMath::WorldOf(before, name, wb);
        ModelMath::WorldOf(after, name, wa);
        const double ground =
            m_session.Scene().TerrainHeightAt(float(wb.position[0]), float(wb.position[2]));
        if (!WorldClose(wb.position[0], wa.position[0], wb.position) ||
            !WorldClose(wb.position[2], wa.position[2], wb.position) ||
            !WorldClose(ground, wa.position[1], wb.position))
            return Fail("after snap: " + name + " stands at world (" +
                        std::to_string(wa.position[0]) + ", " + std::to_string(wa.position[1]) +
                        ", " + std::to_string(wa.position[2]) + "), the ground there is at " +
                        std::to_string(ground));
    }
    m_model.Push(after);
    return CheckDepths("snap");
}

bool CModelRun::CheckLight(const ModelOp& op) {
    const std::set<std::string>& selected = m_model.Current().selection;
    SceneEntity* e =
        selected.empty() ? nullptr : m_session.Scene().getSceneEntity(*selected.begin());
    Ogre::Light* light = e ? e->GetOgreLight() : nullptr;
    if (!light)
        return Fail("light edit without a light");
    const double typed = std::strtod(op.text.c_str(), nullptr);
    const double got =
        op.word == "PowerScale" ? light->getPowerScale() : light->getAttenuationRange();
    if (!Close(typed, got, kTolerance))
        return Fail("after light edit: " + op.word + " is " + std::to_string(got) + ", typed " +
                    op.text);
    return true;
}

bool CModelRun::Execute(const ModelOp& op) {
    const ModelScene before = m_model.Current();
    if (!ExecuteOp(op))
        return false;
    FollowLights(op, before);
    if (op.kind == OpKind::Save) {
        m_savedVersion = m_model.Current().version;
        m_savedLights = LightPrint();
    }
    return CheckTitle(op);
}

std::map<std::string, std::array<float, 2>> CModelRun::LightPrint() const {
    std::map<std::string, std::array<float, 2>> print;
    for (const auto& kv : m_model.Current().entities)
        if (kv.second.light && m_lights.count(kv.first))
            print[kv.first] = m_lights.at(kv.first);
    return print;
}

void CModelRun::FollowLights(const ModelOp& op, const ModelScene& before) {
    const ModelScene& now = m_model.Current();
    if (op.kind == OpKind::Light && !now.selection.empty()) {
        const float typed = std::strtof(op.text.c_str(), nullptr);
        m_lights[*now.selection.begin()][op.word == "PowerScale" ? 1 : 0] = typed;
    }
    // A light that a copy or its redo brings takes its source's values as they are now
    // ("lamp_2" is a copy of "lamp").
    for (const auto& kv : now.entities) {
        const std::size_t cut = kv.first.rfind('_');
        if (!kv.second.light || before.entities.count(kv.first) || cut == std::string::npos)
            continue;
        auto source = m_lights.find(kv.first.substr(0, cut));
        if (source != m_lights.end())
            m_lights[kv.first] = source->second;
    }
}

bool CModelRun::CheckTitle(const ModelOp& op) {
    if (!RunLines({"title"}))
        return false;
    const bool modified =
        m_model.Current().version != m_savedVersion || LightPrint() != m_savedLights;
    const std::size_t end = m_output.find(" - ");
    const bool starred = end != std::string::npos && end > 0 && m_output[end - 1] == '*';
    if (starred == modified)
        return true;
    return Fail(std::string("after ") + KindOf(op.kind) + ": the title is '" +
                m_output.substr(0, m_output.find('\n')) + "', the model has the document " +
                (modified ? "modified" : "as saved"));
}

bool CModelRun::ExecuteOp(const ModelOp& op) {
    m_scriptError = false;
    m_why.clear();
    const ModelScene before = m_model.Current();
    const char* what = KindOf(op.kind);
    const std::string hit = op.kind == OpKind::Click ? ClickHit(op.x0, op.y0) : "";
    const std::vector<std::string> inRect =
        op.kind == OpKind::Rect ? RectHits(op) : std::vector<std::string>();
    if (op.kind == OpKind::Align || op.kind == OpKind::Distribute)
        m_boxesBefore = ReadBoxes(op.word == "x" ? 0 : op.word == "y" ? 1 : 2);
    const auto started = std::chrono::steady_clock::now();
    const bool ran = RunLines(op.lines);
    m_seconds[int(op.kind)] +=
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ++m_counts[int(op.kind)];
    if (!ran) {
        // The Alt held for a drag of copies is let go whatever became of the drag.
        if (op.kind == OpKind::AltDrag)
            m_session.SetHeldKeys(0);
        return false;
    }

    auto select = [&](std::set<std::string> names, int modifiers) {
        std::set<std::string> next;
        if (modifiers & 8) {
            next = before.selection;
            next.insert(names.begin(), names.end());
        } else if (modifiers & 4) {
            next = before.selection;
            for (const std::string& n : names)
                next.erase(n);
        } else {
            next = names;
        }
        m_model.Push(Selected(before, next), false);
        return Expect(m_model.Current(), 0.0, what);
    };

    switch (op.kind) {
    case OpKind::Tool: {
        static const char* const kModes[] = {"select", "move", "rotate", "scale"};
        for (int i = 0; i < 4; ++i)
            if (op.word == kModes[i])
                m_mode = i;
        return Expect(before, 0.0, what);
    }
    case OpKind::Follow:
    case OpKind::Save:
        return Expect(before, 0.0, what);
    case OpKind::Light:
        return Expect(before, 0.0, what) && CheckLight(op);
    case OpKind::Undo:
        m_model.Undo();
        return Expect(m_model.Current(), kTolerance, what);
    case OpKind::Redo:
        m_model.Redo();
        return Expect(m_model.Current(), kTolerance, what);
    case OpKind::Select:
        return select(std::set<std::string>(op.names.begin(), op.names.end()), 0);
    case OpKind::Click: {
        m_mode = 0;
        const std::size_t count = before.selection.size();
        // Nothing under the pointer and nothing selected, or the one selected entity again:
        // no step.
        if ((hit.empty() && count == 0) || (count == 1 && *before.selection.begin() == hit))
            return Expect(before, 0.0, what);
        std::set<std::string> names;
        if (!hit.empty())
            names.insert(hit);
        return select(names, op.modifiers & 8 ? 8 : op.modifiers & 4);
    }
    case OpKind::Rect:
        m_mode = 0;
        if (inRect.empty())
            return Expect(before, 0.0, what);
        return select(std::set<std::string>(inRect.begin(), inRect.end()), op.modifiers);
    case OpKind::Parents: {
        std::set<std::string> parents;
        for (const std::string& n : before.selection)
            if (!before.entities.at(n).parent.empty())
                parents.insert(before.entities.at(n).parent);
        if (parents.empty())
            return Expect(before, 0.0, what);
        return select(parents, 0);
    }
    case OpKind::Copy: {
        const ModelScene next = CopiedScene(before);
        if (next.entities.size() == before.entities.size())
            return Expect(before, 0.0, what);
        m_model.Push(next);
        return Expect(next, 0.0, what);
    }
    case OpKind::Duplicate:
    case OpKind::AltDrag:
    case OpKind::Align:
    case OpKind::Distribute:
        return CheckPlacement(op, before);
    case OpKind::Panel: {
        if (before.selection.empty() || op.id < 1001 || op.id > 1009)
            return Expect(before, 0.0, what);
        const int kind = (op.id - 1001) / 3 + 1;
        const int axis = (op.id - 1001) % 3;
        const double typed = std::strtod(op.text.c_str(), nullptr);
        const float value = kind == 2 ? static_cast<float>(typed * double(0.017453292f))
                                      : static_cast<float>(typed);
        const ModelEntity& current = before.entities.at(*before.selection.begin());
        auto component = [&](ModelEntity& e) -> float& {
            return kind == 1 ? e.position[axis] : kind == 2 ? e.orientation[axis] : e.scale[axis];
        };
        ModelEntity copy = current;
        const float now = component(copy);
        // Typed text is applied even when it is the text the panel showed; an unusable number or
        // the same value: no step.
        if (!std::isfinite(static_cast<float>(typed)) || !std::isfinite(value) ||
            (kind == 3 && value == 0.0f) || value == now)
            return Expect(before, 0.0, what);
        // Each entity in name order (the editor's order too): a locked one keeps its value, and
        // so does one the value would take, with its children, out of the world range. The
        // step is recorded even when every entity kept its value.
        ModelScene next = before;
        for (const std::string& n : before.selection) {
            if (before.entities.at(n).locked)
                continue;
            float& slot = component(next.entities.at(n));
            const float kept = slot;
            slot = value;
            if (!ModelMath::InWorldRange(next, {n}))
                slot = kept;
        }
        m_model.Push(next);
        return Expect(next, 0.0, what);
    }
    case OpKind::Bar:
        return CheckBar(op, before, ReadEditor());
    case OpKind::Snap:
        return CheckSnap(before, ReadEditor());
    case OpKind::VertexSnap:
    case OpKind::SurfaceDrag:
    case OpKind::Drag: {
        const ModelScene after = ReadEditor();
        // A placing drag that began is one step of positions alone, as a move drag is; a press
        // that began none (nothing it could move under it) was a click.
        // (With the stack full a drag leaves the depths as they were but moves things.)
        const bool placing = op.kind != OpKind::Drag;
        const bool pushed = m_session.Host().Undo().undoCount() != m_model.UndoDepth() ||
                            m_session.Host().Undo().redoCount() != m_model.RedoDepth();
        std::string moved;
        const bool noPlacing = placing && (after.selection != before.selection ||
                                           (!pushed && SameScene(before, after, 0.0, moved)));
        if (noPlacing || (!placing && !before.selection.empty() &&
                          before.entities.at(*before.selection.begin()).locked)) {
            // The gizmo of a locked entity grabs nothing: the release is a click there.
            ModelScene same = after;
            same.selection = before.selection;
            std::string why;
            if (!SameScene(before, same, 0.0, why))
                return Fail("after a press on a locked entity's gizmo: " + why);
            if (m_session.Host().Undo().undoCount() != m_model.UndoDepth() ||
                m_session.Host().Undo().redoCount() != m_model.RedoDepth())
                m_model.Push(after, false);
            else
                m_model.Replace(after);
            return Expect(m_model.Current(), 0.0, what);
        }
        if (after.selection != before.selection)
            return Fail("after drag: the selection changed (the press grabbed nothing?)");
        return CheckDrag(before, after);
    }
    }
    return Fail("unknown operation");
}

bool CModelRun::Unwind() {
    m_undone = 0;
    while (m_session.Host().Undo().undoCount() > 0) {
        if (!RunLines({"undo"}))
            return false;
        m_model.Undo();
        ++m_undone;
        if (!Expect(m_model.Current(), 0.0, "final undo"))
            return Fail(m_why + " (final undo " + std::to_string(m_undone) + ")");
    }
    return CheckDepths("the final undo");
}

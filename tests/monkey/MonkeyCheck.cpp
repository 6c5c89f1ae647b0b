#include "MonkeyCheck.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorSession.h"
#include "CEditorUndoManager.h"
#include "EditorTypes.h"
#include "SceneEntity.h"

#include <cmath>
#include <cstring>

namespace {

void Put(float* out, const Ogre::Vector3& v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

std::string Text(const Ogre::Vector3& v) {
    return std::to_string(v.x) + " " + std::to_string(v.y) + " " + std::to_string(v.z);
}

} // namespace

MonkeySnapshot TakeSnapshot(CEditorScene& scene) {
    MonkeySnapshot out;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
        MonkeyEntity m;
        m.parent = e->getParent() ? e->getParent()->GetName() : "";
        Put(m.values, e->GetPosition());
        Put(m.values + 3, e->GetOrientation());
        Put(m.values + 6, e->GetScale());
        // The plan-map flag (the side panel's check box) is no undo step by design: it only
        // changes how the plan map draws, like a light's values.
        m.state = e->GetState() & ~std::uint32_t(STATE_PLAN_MAP);
        out.entities[e->GetName()] = m;
    }
    const auto& selected = scene.getSelectedEntities();
    out.selection.insert(selected.begin(), selected.end());
    return out;
}

std::uint64_t Digest(const MonkeySnapshot& scene) {
    std::uint64_t h = 1469598103934665603ull;
    auto add = [&h](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i)
            h = (h ^ bytes[i]) * 1099511628211ull;
    };
    for (const auto& kv : scene.entities) {
        add(kv.first.data(), kv.first.size() + 1);
        add(kv.second.parent.data(), kv.second.parent.size() + 1);
        add(kv.second.values, sizeof kv.second.values);
        add(&kv.second.state, sizeof kv.second.state);
    }
    for (const std::string& n : scene.selection)
        add(n.data(), n.size() + 1);
    return h;
}

bool SameBits(const MonkeySnapshot& expected, const MonkeySnapshot& actual, std::string& why) {
    for (const auto& kv : expected.entities) {
        const auto it = actual.entities.find(kv.first);
        if (it == actual.entities.end()) {
            why = "entity '" + kv.first + "' is missing";
            return false;
        }
        const MonkeyEntity& a = it->second;
        const MonkeyEntity& e = kv.second;
        if (a.parent != e.parent) {
            why = "'" + kv.first + "' has the parent '" + a.parent + "', was '" + e.parent + "'";
            return false;
        }
        if (std::memcmp(a.values, e.values, sizeof a.values) != 0) {
            static const char* const kWhat[3] = {"position", "orientation", "scale"};
            for (int i = 0; i < 9; ++i)
                if (std::memcmp(&a.values[i], &e.values[i], sizeof(float)) != 0) {
                    why = "'" + kv.first + "' " + kWhat[i / 3] + " " + std::to_string(i % 3) +
                          " is " + std::to_string(a.values[i]) + ", was " +
                          std::to_string(e.values[i]);
                    break;
                }
            return false;
        }
        if (a.state != e.state) {
            why = "'" + kv.first + "' has the state bits " + std::to_string(a.state) + ", was " +
                  std::to_string(e.state);
            return false;
        }
    }
    for (const auto& kv : actual.entities)
        if (!expected.entities.count(kv.first)) {
            why = "entity '" + kv.first + "' is there, was not";
            return false;
        }
    if (expected.selection != actual.selection) {
        why = "the selection differs:";
        for (const std::string& n : actual.selection)
            why += " " + n;
        why += " (was:";
        for (const std::string& n : expected.selection)
            why += " " + n;
        why += ")";
        return false;
    }
    return true;
}

bool CheckWorldRange(CEditorScene& scene, std::string& why) {
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
        const Ogre::Vector3 local[3] = {e->GetPosition(), e->GetOrientation(), e->GetScale()};
        const Ogre::Vector3 world[3] = {e->GetWorldPosition(), e->GetWorldOrientation(),
                                        e->GetWorldScale()};
        for (int i = 0; i < 3; ++i)
            if (!IsFinite(local[i]) || !IsFinite(world[i])) {
                why = "'" + e->GetName() + "' holds a value that is not finite (world position " +
                      Text(world[0]) + ", scale " + Text(world[2]) + ")";
                return false;
            }
        if (!IsWorldPositionInRange(world[0]) || !IsWorldScaleInRange(world[2])) {
            why = "'" + e->GetName() + "' lies out of the world range (world position " +
                  Text(world[0]) + ", scale " + Text(world[2]) + ")";
            return false;
        }
    }
    return true;
}

void CUndoTrail::Start(const MonkeySnapshot& scene, int undo, int redo, unsigned long pushes) {
    m_depths.assign(static_cast<std::size_t>(undo + redo + 1), std::nullopt);
    m_depths[static_cast<std::size_t>(undo)] = scene;
    m_seenAt.assign(m_depths.size(), 0);
    m_undo = undo;
    m_redo = redo;
    m_pushes = pushes;
}

bool CUndoTrail::Compare(const MonkeySnapshot& scene, int depth, const char* after) {
    if (depth < 0 || depth >= int(m_depths.size()) || !m_depths[std::size_t(depth)])
        return true;
    std::string why;
    if (SameBits(*m_depths[std::size_t(depth)], scene, why))
        return true;
    const int seen = depth < int(m_seenAt.size()) ? m_seenAt[std::size_t(depth)] : 0;
    m_why = std::string("after ") + after + " to undo depth " + std::to_string(depth) +
            " the scene is not the one seen there after event " + std::to_string(seen) + ": " + why;
    return false;
}

bool CUndoTrail::After(const MonkeySnapshot& scene, int undo, int redo, unsigned long pushes) {
    const long added = long(pushes - m_pushes);
    if (added > 0) {
        // New steps cleared the redo stack; a full stack dropped as many old ones as it must.
        const long dropped = long(m_undo) + added - undo;
        m_pushed += static_cast<unsigned long>(added);
        m_depths.resize(std::size_t(m_undo + 1));
        if (dropped < 0 || redo != 0 || dropped > long(m_depths.size())) {
            // Undone and pushed in one gesture: only the depth it ends at is known.
            m_depths.assign(std::size_t(undo + 1), std::nullopt);
        } else {
            m_dropped += static_cast<unsigned long>(dropped);
            m_depths.erase(m_depths.begin(), m_depths.begin() + dropped);
            m_depths.resize(std::size_t(undo + 1));
        }
        m_depths[std::size_t(undo)] = scene;
        if (dropped > 0 && dropped <= long(m_seenAt.size()))
            m_seenAt.erase(m_seenAt.begin(), m_seenAt.begin() + dropped);
        m_seenAt.resize(std::size_t(undo + 1));
        m_seenAt[std::size_t(undo)] = m_gesture;
    } else if (undo != m_undo || redo != m_redo) {
        // Undo and redo keep the stack's steps: the scene must be the one seen at that depth.
        const char* what = undo < m_undo ? "undo" : "redo";
        if (undo + redo != m_undo + m_redo) {
            m_why = std::string("an ") + what + " changed the number of steps from " +
                    std::to_string(m_undo + m_redo) + " to " + std::to_string(undo + redo);
            return false;
        }
        if (!Compare(scene, undo, what))
            return false;
    } else if (!Compare(scene, undo, "a gesture without a step")) {
        m_why += " (the scene changed without an undo step)";
        return false;
    }
    m_undo = undo;
    m_redo = redo;
    m_pushes = pushes;
    return true;
}

bool CUndoTrail::Unwind(CEditorSession& session) {
    CEditorUndoManager& undo = session.Host().Undo();
    m_compared = 0;
    m_unknown = 0;
    while (undo.undoCount() > 0) {
        const int before = undo.undoCount();
        undo.undo();
        session.Host().redraw();
        session.RenderFrames(1);
        if (undo.undoCount() != before - 1) {
            m_why = "the final undo at depth " + std::to_string(before) + " did not undo a step";
            return false;
        }
        const int depth = undo.undoCount();
        if (depth < int(m_depths.size()) && m_depths[std::size_t(depth)])
            ++m_compared;
        else
            ++m_unknown;
        if (!Compare(TakeSnapshot(session.Scene()), depth, "the final undo"))
            return false;
    }
    return true;
}

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

void CUndoTrail::Start(const MonkeySnapshot& scene, unsigned long top) {
    m_seen.clear();
    m_seen[top] = Seen{scene, 0};
    m_top = top;
}

bool CUndoTrail::Compare(const MonkeySnapshot& scene, unsigned long top, const std::string& after,
                         bool& known) {
    const auto it = m_seen.find(top);
    known = it != m_seen.end();
    if (!known)
        return true;
    std::string why;
    if (SameBits(it->second.scene, scene, why))
        return true;
    m_why = after + " the scene is not the one seen at that step after event " +
            std::to_string(it->second.gesture) + ": " + why;
    return false;
}

bool CUndoTrail::After(const MonkeySnapshot& scene, unsigned long top, unsigned long base) {
    bool known = false;
    if (top == m_top) {
        if (!Compare(scene, top, "after a gesture that left the undo stacks as they were", known)) {
            m_why += " (the scene changed without an undo step)";
            return false;
        }
    } else if (!Compare(scene, top,
                        std::string("after ") + (top < m_top ? "an undo" : "a redo or a cancel") +
                            " back to step " + std::to_string(top),
                        known)) {
        return false;
    }
    if (!known) {
        m_seen[top] = Seen{scene, m_gesture};
        ++m_recorded;
    }
    m_top = top;
    // Steps below the oldest the stack keeps can never be reached again.
    m_seen.erase(m_seen.begin(), m_seen.lower_bound(base));
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
        bool known = false;
        if (!Compare(TakeSnapshot(session.Scene()), undo.TopStep(),
                     "after the final undo to depth " + std::to_string(undo.undoCount()), known))
            return false;
        ++(known ? m_compared : m_unknown);
    }
    return true;
}

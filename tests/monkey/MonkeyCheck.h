// What the monkey checks after each gesture and at the end: every entity finite and within the
// world range, and the undo history. The scene is kept bit for bit at each depth of the undo
// stack as it was seen there (CUndoTrail); every undo and redo, during the run and at the end,
// must give back exactly the scene seen at the depth it reaches.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class CEditorScene;
class CEditorSession;

// An entity as the undo history keeps it: parent, local transform and state bits (but the
// plan-map flag, which is no undo step).
struct MonkeyEntity {
    std::string parent;
    float values[9] = {}; // position, orientation, scale
    std::uint32_t state = 0;
};

struct MonkeySnapshot {
    std::map<std::string, MonkeyEntity> entities;
    std::set<std::string> selection;
};

MonkeySnapshot TakeSnapshot(CEditorScene& scene);
// A short fingerprint of a snapshot (FNV-1a over its names, bits and selection): the replay
// script keeps one per gesture, so a replay tells where it first went another way.
std::uint64_t Digest(const MonkeySnapshot& scene);
// Bit for bit; false with the first difference in `why`.
bool SameBits(const MonkeySnapshot& expected, const MonkeySnapshot& actual, std::string& why);
// Every entity's local and world values finite, its world position and scale within the
// world range; false with the first entity that is not.
bool CheckWorldRange(CEditorScene& scene, std::string& why);

// The scenes the monkey saw, keyed by the undo step the editor stood at (the undo manager's
// TopStep: each step's own number, kept through undo and redo, so a full stack dropping its
// oldest step, an Alt drag folding its copy into one step or a cancelled one dropping it are
// followed without counting depths). A step first seen records the scene; coming back to a
// step seen before (by undo, redo, a cancel, or a gesture that pushed nothing) must give
// exactly the scene seen there. A step passed inside one gesture, never the top after one,
// is not known and not compared.
class CUndoTrail {
public:
    void Start(const MonkeySnapshot& scene, unsigned long top);
    // After a gesture: `top` the step the editor stands at, `base` the oldest it can still
    // reach (the undo manager's TopStep and BaseStep). False with Why() when the scene is not
    // the one seen at that step.
    bool After(const MonkeySnapshot& scene, unsigned long top, unsigned long base);
    // Undoes as far as the stack reaches (one step at a time), comparing each step reached
    // that was seen; false with Why() at the first that differs.
    bool Unwind(CEditorSession& session);

    const std::string& Why() const { return m_why; }
    // The number of the gesture the next After follows (named when a scene is found wrong).
    void SetGesture(int number) { m_gesture = number; }
    // Steps recorded when first seen, and the steps Unwind compared and did not know.
    unsigned long Recorded() const { return m_recorded; }
    int Compared() const { return m_compared; }
    int Unknown() const { return m_unknown; }

private:
    struct Seen {
        MonkeySnapshot scene;
        int gesture = 0;
    };
    // False with m_why when `top` was seen with another scene; `known` says whether it was.
    bool Compare(const MonkeySnapshot& scene, unsigned long top, const std::string& after,
                 bool& known);

    std::map<unsigned long, Seen> m_seen;
    unsigned long m_top = 0;
    unsigned long m_recorded = 0;
    int m_gesture = 0;
    int m_compared = 0;
    int m_unknown = 0;
    std::string m_why;
};

// What the monkey checks after each gesture and at the end: every entity finite and within the
// world range, and the undo history. The scene is kept bit for bit at each depth of the undo
// stack as it was seen there (CUndoTrail); every undo and redo, during the run and at the end,
// must give back exactly the scene seen at the depth it reaches.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
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

// The undo stack's depths as the monkey saw them. A step pushed records the scene after it at
// the new depth (the one before stays where it was recorded); a full stack drops its oldest
// step and so the trail its oldest depth. Depths reached by several steps in one gesture are
// not known and not compared.
class CUndoTrail {
public:
    void Start(const MonkeySnapshot& scene, int undo, int redo, unsigned long pushes);
    // After a gesture: follows the stack and compares the scene with the depth it stands at.
    // False with Why() when an undo or redo gave another scene than the one seen at that depth,
    // or the scene changed without a step.
    bool After(const MonkeySnapshot& scene, int undo, int redo, unsigned long pushes);
    // Undoes as far as the stack reaches (through `undo`, called once per step), comparing
    // each depth; false with Why() at the first that differs.
    bool Unwind(CEditorSession& session);

    const std::string& Why() const { return m_why; }
    // The number of the gesture the next After follows (named when a depth is found wrong).
    void SetGesture(int number) { m_gesture = number; }
    // Steps pushed since the start, steps dropped off the bottom of the full stack, and depths
    // compared by Unwind.
    unsigned long Pushed() const { return m_pushed; }
    unsigned long Dropped() const { return m_dropped; }
    int Compared() const { return m_compared; }
    int Unknown() const { return m_unknown; }

private:
    bool Compare(const MonkeySnapshot& scene, int depth, const char* after);

    std::vector<std::optional<MonkeySnapshot>> m_depths; // index: undo depth
    std::vector<int> m_seenAt; // the gesture after which each depth was recorded
    int m_undo = 0;
    int m_redo = 0;
    unsigned long m_pushes = 0;
    unsigned long m_pushed = 0;
    unsigned long m_dropped = 0;
    int m_gesture = 0;
    int m_compared = 0;
    int m_unknown = 0;
    std::string m_why;
};

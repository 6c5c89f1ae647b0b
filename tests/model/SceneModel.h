// A small model of the editor's scene and undo history, independent of the editor's code: the
// entities' names, parents and local transforms, the selection and the two undo stacks. The
// model check drives the real editor and compares it with this after every operation.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

using Vec3 = std::array<float, 3>;

struct ModelEntity {
    std::string parent; // "" for none
    Vec3 position{};
    Vec3 orientation{}; // (pitch, yaw, roll) radians
    Vec3 scale{1, 1, 1};
    std::uint32_t state = 0;
    bool light = false;
    bool locked = false; // no transform path changes it: drag, panel, bar, snap
};

struct ModelScene {
    std::map<std::string, ModelEntity> entities;
    std::set<std::string> selection;
    // Which content this is: a step that changes entities gets a new version, a selection
    // step keeps the one before it. Not compared with the editor (it has no such number).
    unsigned long version = 0;
};

// A world transform worked out in double precision: rotation as a column-form 3x3 matrix
// (a column vector is multiplied on the right), scale component-wise as the editor composes it.
struct WorldTransform {
    double rotation[3][3];
    double scale[3];
    double position[3];
};

namespace ModelMath {

// Column-form rotation of (pitch, yaw, roll): roll about Z first, then pitch about X, then yaw
// about Y, i.e. Ry(yaw) * Rx(pitch) * Rz(roll).
void RotationOf(const Vec3& pitchYawRoll, double out[3][3]);
// The (pitch, yaw, roll) of a rotation, pitch in [-pi/2, pi/2].
void AnglesOf(const double m[3][3], double out[3]);
// The world transform of an entity through its parent chain; false for an unknown name or a
// chain that does not end.
bool WorldOf(const ModelScene& scene, const std::string& name, WorldTransform& out);
// Whether every entity in `changed` or below one of them stays in the editor's world range:
// each world position component within +-1e6, each world scale component of a magnitude
// within [1e-6, 1e6] (a NaN is out of range). The editor refuses a change that breaks it.
bool InWorldRange(const ModelScene& scene, const std::set<std::string>& changed);

} // namespace ModelMath

// Tolerant or exact (bit-equal) comparison of two scenes; false with the first difference.
bool SameScene(const ModelScene& expected, const ModelScene& actual, double tolerance,
               std::string& why);
// Whether two floats are equal within tolerance (relative above 1), or bit-equal for 0.
bool Close(double expected, double actual, double tolerance);

// The model's undo history: the scene before each step and after each undone step.
class CSceneModel {
public:
    explicit CSceneModel(int maxDepth) : m_maxDepth(maxDepth) {}

    void Reset(const ModelScene& scene);
    const ModelScene& Current() const { return m_current; }
    // A new step: the current scene goes on the undo stack (the oldest is dropped beyond the
    // depth), the redo stack is cleared, `after` becomes current.
    // `changesContent` false for a selection step: `after` keeps the current version.
    void Push(ModelScene after, bool changesContent = true);
    // Replaces the current scene without a step (changes that are not undoable).
    void Replace(const ModelScene& scene) {
        const unsigned long version = m_current.version;
        m_current = scene;
        m_current.version = version;
    }
    bool Undo();
    bool Redo();
    int UndoDepth() const { return static_cast<int>(m_undo.size()); }
    int RedoDepth() const { return static_cast<int>(m_redo.size()); }

    // The first of base_1, base_2, ... that no entity of `scene` has.
    static std::string UniqueName(const ModelScene& scene, const std::string& base);

private:
    int m_maxDepth;
    unsigned long m_lastVersion = 0;
    ModelScene m_current;
    std::deque<ModelScene> m_undo;
    std::vector<ModelScene> m_redo;
};

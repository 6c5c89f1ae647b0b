// Plain types shared by the host editor and its plug-ins.
#pragma once

#include <OgreVector.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>

class SceneEntity;

// True when every component is a finite number: the one guard both sides use before a vector
// reaches an entity, a node or a matrix.
inline bool IsFinite(const Ogre::Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Degrees to radians and back: the one single-precision pair the host and its plug-ins convert
// angles with (an angle shown or typed in degrees, a snap step in degrees, each turned into the
// radians an entity keeps, and back).
constexpr float kDegreesToRadians = 0.017453292f; // 0x3C8EFA35
constexpr float kRadiansToDegrees = 57.295776f;   // 0x42652EE0

// The world range of every entity: each component of a world position within
// +-kMaxWorldCoordinate (the bound mesh files are held to as well), each component of a world
// scale of a magnitude within [kMinWorldScale, kMaxWorldScale]. A mesh within its bound, so
// placed, has a world box far inside the floats: the host refuses any change that would take
// an entity, or one of its children, out of this range.
constexpr float kMaxWorldCoordinate = 1e6f;
constexpr float kMinWorldScale = 1e-6f;
constexpr float kMaxWorldScale = 1e6f;

// Written so that a NaN is out of range too.
inline bool IsWorldPositionInRange(const Ogre::Vector3& v) {
    return std::fabs(v.x) <= kMaxWorldCoordinate && std::fabs(v.y) <= kMaxWorldCoordinate &&
           std::fabs(v.z) <= kMaxWorldCoordinate;
}

inline bool IsWorldScaleInRange(const Ogre::Vector3& v) {
    for (int i = 0; i < 3; ++i) {
        const float m = std::fabs(v[i]);
        if (!(m >= kMinWorldScale && m <= kMaxWorldScale))
            return false;
    }
    return true;
}

// Parameters of every host command and the result of IBaseCommand::getResult.
// A list of entity names travels as one string, each name followed by one space.
using CommandParams = std::map<std::string, std::string>;

// Which component(s) a Set call touches; transform kinds are 1 position, 2 orientation, 3 scale.
// A fixed underlying type: a value outside 0..3 that reaches a Set call is defined (and refused).
enum COORDINATE_AXIS : int { AXIS_X = 0, AXIS_Y = 1, AXIS_Z = 2, AXIS_ALL = 3 };

enum TransformKind { KIND_POSITION = 1, KIND_ORIENTATION = 2, KIND_SCALE = 3 };

// Pointer-event key flags.
enum KeyFlags {
    KEY_LBUTTON = 1 << 0,
    KEY_RBUTTON = 1 << 1,
    KEY_SHIFT = 1 << 2,
    KEY_CTRL = 1 << 3,
    // Alt at a press of the move gizmo drags copies of the selection.
    KEY_ALT = 1 << 4,
};

// The first argument of IPluginBase::OnInputOther: which input arrived. Escape pressed while a
// view has the keyboard focus.
constexpr int INPUT_KEY_ESCAPE = 27;
// Keys typed into a view, handed to OnInputOther in the same way so that a held gizmo part can
// take an exact amount: Backspace, Return (or the keypad's Enter), and the characters '0' to
// '9', '-' and '.' as their own codes. A plug-in answers 0 for a key it does not use, and the
// view then handles the key as usual.
constexpr int INPUT_KEY_BACKSPACE = 8;
constexpr int INPUT_KEY_RETURN = 13;
// The vertex-snap key (V) went down or up while a view had the keyboard focus (a key held
// down repeats its down code). Outside the character codes, so no typed key is taken for them.
constexpr int INPUT_KEY_VERTEX_DOWN = 0x10000 + 'V';
constexpr int INPUT_KEY_VERTEX_UP = 0x20000 + 'V';

// How the gizmo lays out and applies a drag (the editor's settings, read by the plug-in):
// the move handles along the world axes or along the current entity's own axes, and whether
// rotate and scale work on each selected entity about its own position or about the mean of
// the selected entities' world positions (which then orbit or spread as well).
enum GizmoSpace { SPACE_WORLD = 0, SPACE_LOCAL = 1 };
enum GizmoPivot { PIVOT_OWN = 0, PIVOT_MEDIAN = 1 };
struct GizmoOptions {
    int space = SPACE_WORLD;
    int pivot = PIVOT_OWN;
    // Non-zero: a surface drag also turns each entity so that its up axis follows the normal
    // of the surface under the pointer (对齐法线).
    int alignNormal = 0;
};

// The round steps a drag snaps to while Ctrl is held: a move to multiples of `move` units along
// the dragged axis, a turn to multiples of `degrees`, a scale to multiples of `scale` in its
// total factor since the press. The host keeps them; a step is usable when above 0 and at most
// kMaxSnapStep (so that no snapped scale can leave the floats).
struct SnapSteps {
    float move = 1.0f;
    float degrees = 15.0f;
    float scale = 0.1f;
};

constexpr float kMaxSnapStep = 10000.0f;

inline bool IsUsableSnapStep(float step) {
    return std::isfinite(step) && step > 0.0f && step <= kMaxSnapStep;
}

// Notification codes carried by IPluginBase::OnNotify and IToolManager::notify.
enum NotifyCode {
    NOTIFY_LOAD = 2,
    NOTIFY_UNLOAD = 3,
    NOTIFY_PAGE = 10,
    NOTIFY_SCENE_RESET = 22,
    NOTIFY_SELECTION = 50,
    NOTIFY_MOVED = 51,
    NOTIFY_SCALED = 52,
    NOTIFY_ROTATED = 53,
    NOTIFY_RENAMED = 54,
    NOTIFY_REMOVED = 55,
    NOTIFY_CHANGED = 56,
    NOTIFY_FRAME = 60,
    NOTIFY_TOOL_ENGAGED = 71,
    NOTIFY_TOOL_RELEASED = 72,
};

// Entity state bits.
enum EntityState : std::uint32_t {
    STATE_LOCK_ORIENTATION = 1u << 5,
    STATE_LOCK_SCALE = 1u << 6,
    STATE_LOCK_POSITION = 1u << 7,
    STATE_NO_COPY = 1u << 19,
    STATE_PLAN_MAP = 1u << 21,
};

// The toolkit's command message and its standard Copy command id. The message carries the
// command id in the low word of its first parameter.
constexpr unsigned WM_COMMAND_MESSAGE = 273;
constexpr std::uintptr_t COMMAND_ID_MASK = (std::uintptr_t(1) << 16) - 1;
constexpr unsigned ID_EDIT_COPY_COMMAND = 0xE122;

// Command ids that plug-ins give their tool-strip buttons and menu items lie in this range; the
// host keeps its own command ids outside it. Select parents is a host menu command inside the
// range that the host sends to every plug-in (OnToolCommand, then the command message).
constexpr int TOOL_COMMAND_FIRST = 40000;
constexpr int TOOL_COMMAND_LAST = 49999;
constexpr int ID_SELECT_PARENTS_COMMAND = 40006;

// The generic failure code of a drag step that yields nothing new.
constexpr int RESULT_NOTHING_NEW = static_cast<int>(0x80004005u);

// A rectangle in view pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What a ray query looks for (RayQuery::flags): the nearest selectable entity on the ray, or
// the nearest ground.
enum RayQueryFlags { RAY_QUERY_ENTITY = 1, RAY_QUERY_GROUND = 6 };

// Ray query record handed to CSceneManager::rayQuery. Zero it before filling.
struct RayQuery {
    Ogre::Vector3 origin;    // start of the ray
    Ogre::Vector3 direction; // unit direction
    SceneEntity* hit;        // filled by the host: nearest entity hit, or null
    float length;            // distance from the start to the far end of the ray
    float distance;          // in: the largest float; out: distance to the nearest hit
    int flags;               // RayQueryFlags
};

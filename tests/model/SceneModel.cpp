#include "SceneModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

namespace ModelMath {

namespace {

void Multiply(const double a[3][3], const double b[3][3], double out[3][3]) {
    double r[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    std::memcpy(out, r, sizeof r);
}

} // namespace

void RotationOf(const Vec3& pitchYawRoll, double out[3][3]) {
    const double p = pitchYawRoll[0], y = pitchYawRoll[1], r = pitchYawRoll[2];
    const double ry[3][3] = {
        {std::cos(y), 0, std::sin(y)}, {0, 1, 0}, {-std::sin(y), 0, std::cos(y)}};
    const double rx[3][3] = {
        {1, 0, 0}, {0, std::cos(p), -std::sin(p)}, {0, std::sin(p), std::cos(p)}};
    const double rz[3][3] = {
        {std::cos(r), -std::sin(r), 0}, {std::sin(r), std::cos(r), 0}, {0, 0, 1}};
    double t[3][3];
    Multiply(ry, rx, t);
    Multiply(t, rz, out);
}

void AnglesOf(const double m[3][3], double out[3]) {
    // Ry Rx Rz: m[1][2] = -sin(pitch), m[0][2] = sin(yaw)cos(pitch), m[2][2] = cos(yaw)cos(pitch),
    // m[1][0] = cos(pitch)sin(roll), m[1][1] = cos(pitch)cos(roll).
    const double s = std::max(-1.0, std::min(1.0, -m[1][2]));
    out[0] = std::asin(s);
    if (std::fabs(s) < 0.9999999) {
        out[1] = std::atan2(m[0][2], m[2][2]);
        out[2] = std::atan2(m[1][0], m[1][1]);
    } else {
        // Gimbal lock: all of the turn about the vertical goes to yaw.
        out[1] = std::atan2(-m[2][0], m[0][0]);
        out[2] = 0.0;
    }
}

bool WorldOf(const ModelScene& scene, const std::string& name, WorldTransform& out) {
    std::vector<const ModelEntity*> chain;
    std::string at = name;
    while (!at.empty()) {
        auto it = scene.entities.find(at);
        if (it == scene.entities.end() || chain.size() > scene.entities.size())
            return false;
        chain.push_back(&it->second);
        at = it->second.parent;
    }
    WorldTransform w{};
    for (int i = 0; i < 3; ++i) {
        w.rotation[i][i] = 1.0;
        w.scale[i] = 1.0;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const ModelEntity& e = **it;
        double scaled[3], turned[3];
        for (int i = 0; i < 3; ++i)
            scaled[i] = w.scale[i] * e.position[i];
        for (int i = 0; i < 3; ++i)
            turned[i] = w.rotation[i][0] * scaled[0] + w.rotation[i][1] * scaled[1] +
                        w.rotation[i][2] * scaled[2];
        for (int i = 0; i < 3; ++i) {
            w.position[i] += turned[i];
            w.scale[i] *= e.scale[i];
        }
        double local[3][3];
        RotationOf(e.orientation, local);
        Multiply(w.rotation, local, w.rotation);
    }
    out = w;
    return true;
}

bool InWorldRange(const ModelScene& scene, const std::set<std::string>& changed) {
    for (const auto& kv : scene.entities) {
        bool below = false;
        std::size_t steps = 0;
        for (std::string at = kv.first; !at.empty() && !below && steps <= scene.entities.size();
             ++steps) {
            below = changed.count(at) != 0;
            auto it = scene.entities.find(at);
            at = it == scene.entities.end() ? std::string() : it->second.parent;
        }
        if (!below)
            continue;
        WorldTransform w{};
        if (!WorldOf(scene, kv.first, w))
            return false;
        for (int i = 0; i < 3; ++i) {
            const double m = std::fabs(w.scale[i]);
            if (!(std::fabs(w.position[i]) <= 1e6) || !(m >= 1e-6 && m <= 1e6))
                return false;
        }
    }
    return true;
}

} // namespace ModelMath

bool Close(double expected, double actual, double tolerance) {
    if (tolerance == 0.0) {
        const float a = static_cast<float>(expected), b = static_cast<float>(actual);
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
    const double scale = std::max(1.0, std::fabs(expected));
    return std::fabs(expected - actual) <= tolerance * scale;
}

namespace {

std::string Triple(const Vec3& v) {
    std::ostringstream s;
    s.precision(9);
    s << "(" << v[0] << ", " << v[1] << ", " << v[2] << ")";
    return s.str();
}

bool SameVec(const char* what, const std::string& name, const Vec3& expected, const Vec3& actual,
             double tolerance, std::string& why) {
    for (int i = 0; i < 3; ++i) {
        if (!Close(expected[i], actual[i], tolerance)) {
            why =
                name + " " + what + " is " + Triple(actual) + ", the model has " + Triple(expected);
            return false;
        }
    }
    return true;
}

std::string Names(const std::set<std::string>& names) {
    std::string s = "{";
    for (const std::string& n : names)
        s += (s.size() > 1 ? " " : "") + n;
    return s + "}";
}

} // namespace

bool SameScene(const ModelScene& expected, const ModelScene& actual, double tolerance,
               std::string& why) {
    for (const auto& kv : expected.entities)
        if (!actual.entities.count(kv.first)) {
            why = "entity " + kv.first + " is missing";
            return false;
        }
    for (const auto& kv : actual.entities)
        if (!expected.entities.count(kv.first)) {
            why = "entity " + kv.first + " should not exist";
            return false;
        }
    for (const auto& kv : expected.entities) {
        const ModelEntity& e = kv.second;
        const ModelEntity& a = actual.entities.at(kv.first);
        if (e.parent != a.parent) {
            why = kv.first + " has parent '" + a.parent + "', the model '" + e.parent + "'";
            return false;
        }
        if (!SameVec("position", kv.first, e.position, a.position, tolerance, why) ||
            !SameVec("orientation", kv.first, e.orientation, a.orientation, tolerance, why) ||
            !SameVec("scale", kv.first, e.scale, a.scale, tolerance, why))
            return false;
    }
    if (expected.selection != actual.selection) {
        why = "selection is " + Names(actual.selection) + ", the model has " +
              Names(expected.selection);
        return false;
    }
    return true;
}

void CSceneModel::Reset(const ModelScene& scene) {
    m_current = scene;
    m_current.version = ++m_lastVersion;
    m_undo.clear();
    m_redo.clear();
}

void CSceneModel::Push(ModelScene after, bool changesContent) {
    after.version = changesContent ? ++m_lastVersion : m_current.version;
    m_undo.push_back(m_current);
    while (static_cast<int>(m_undo.size()) > m_maxDepth)
        m_undo.pop_front();
    m_redo.clear();
    m_current = after;
}

bool CSceneModel::Undo() {
    if (m_undo.empty())
        return false;
    m_redo.push_back(m_current);
    m_current = m_undo.back();
    m_undo.pop_back();
    return true;
}

bool CSceneModel::Redo() {
    if (m_redo.empty())
        return false;
    m_undo.push_back(m_current);
    m_current = m_redo.back();
    m_redo.pop_back();
    return true;
}

std::string CSceneModel::UniqueName(const ModelScene& scene, const std::string& base) {
    for (int i = 1;; ++i) {
        const std::string name = base + "_" + std::to_string(i);
        if (!scene.entities.count(name))
            return name;
    }
}

#include "StatusText.h"

#include "CSceneManager.h"
#include "EditorTypes.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <cmath>
#include <cstdio>

namespace StatusText {

const char* const kSnapped = "（吸附）";
const char* const kCancelled = "已取消拖动";
const char* const kNotANumber = "已拒绝：输入的数值无效";
const char* const kNegativeScale = "缩放倍数不能为负";
const char* const kNothingCopied = "所选物体不能复制";

namespace {

constexpr double kRadiansToDegreesExact = 57.29577951308232;

// -0.000 reads as a change where there is none.
double Shown(double value, double unit) {
    return std::fabs(value) < unit / 2 ? 0.0 : value;
}

std::string WithSnap(const char* text, bool snapped) {
    std::string s(text);
    if (snapped)
        s += kSnapped;
    return s;
}

} // namespace

std::string Move(const Ogre::Vector3& delta, bool snapped) {
    char text[160];
    std::snprintf(text, sizeof text, "移动 Δ %.3f, %.3f, %.3f", Shown(delta.x, 0.001),
                  Shown(delta.y, 0.001), Shown(delta.z, 0.001));
    return WithSnap(text, snapped);
}

std::string Rotate(float radians, bool snapped) {
    char text[96];
    std::snprintf(text, sizeof text, "旋转 %.1f°", Shown(radians * kRadiansToDegreesExact, 0.1));
    return WithSnap(text, snapped);
}

std::string Scale(float factor, bool snapped) {
    char text[96];
    std::snprintf(text, sizeof text, "缩放 ×%.2f", double(factor));
    return WithSnap(text, snapped);
}

std::string Typed(const std::string& text) {
    return "  输入 " + text;
}

std::string Locked(const std::string& name) {
    return "已拒绝：" + name + " 已锁定，变换未改变";
}

std::string TypedRefused(const std::string& text, const std::string& why) {
    return "已拒绝输入 " + text + "：" + why;
}

std::string OutOfRange(const std::string& name) {
    char range[96];
    std::snprintf(range, sizeof range, "位置 ±%g，缩放 %g 至 %g", double(kMaxWorldCoordinate),
                  double(kMinWorldScale), double(kMaxWorldScale));
    return name + " 的变换会超出世界范围（" + range + "）";
}

std::string FirstLockedSelected(CSceneManager* scene) {
    if (!scene)
        return std::string();
    for (const std::string& name : scene->getSelectedEntities()) {
        SceneEntity* entity = scene->getSceneEntity(name);
        if (entity && !entity->EnabledTrnaform())
            return name;
    }
    return std::string();
}

void Show(Interface* host, const std::string& text) {
    if (IViewHost* viewHost = host ? host->viewHost() : nullptr)
        viewHost->setStatusText(text.c_str());
}

bool ShowLockedSelected(Interface* host, CSceneManager* scene) {
    const std::string name = FirstLockedSelected(scene);
    if (name.empty())
        return false;
    Show(host, Locked(name));
    return true;
}

} // namespace StatusText

#include "ModelOps.h"

#include "CEditorHost.h"
#include "CEditorSession.h"
#include "CEditorView.h"
#include "ScriptRunner.h"
#include "SceneEntity.h"
#include "CEditorScene.h"
#include "SceneModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

bool Int(const std::string& text, int& value) {
    return CScriptRunner::ParseInt(text, value);
}

int Modifiers(const std::vector<std::string>& w, std::size_t from) {
    int mods = 0;
    for (std::size_t i = from; i < w.size(); ++i)
        mods |= w[i] == "shift" ? 4 : w[i] == "ctrl" ? 8 : 0;
    return mods;
}

// The rest of a line after `count` words, as the script's type command reads it.
std::string Rest(const std::vector<std::string>& w, std::size_t count) {
    std::string s;
    for (std::size_t i = count; i < w.size(); ++i)
        s += (s.empty() ? "" : " ") + w[i];
    return s;
}

// The entities that may not be transformed (the demo's pillar and its copies).
std::vector<std::string> LockedNames(const ModelScene& scene) {
    std::vector<std::string> names;
    for (const auto& kv : scene.entities)
        if (kv.second.locked)
            names.push_back(kv.first);
    return names;
}

} // namespace

bool ParseOp(const std::vector<std::string>& lines, ModelOp& op) {
    if (lines.empty())
        return false;
    op = ModelOp();
    op.lines = lines;
    const std::vector<std::string> w = Words(lines[0]);
    if (w.empty())
        return false;
    const std::string& c = w[0];
    const std::size_t n = lines.size();
    if (c == "keys" && w.size() == 2 && w[1] == "alt" && n == 3) {
        const std::vector<std::string> drag = Words(lines[1]);
        op.kind = OpKind::AltDrag;
        return drag.size() == 5 && drag[0] == "drag" && (op.word = drag[1], true) &&
               Int(drag[2], op.x0) && Int(drag[3], op.y0) && Int(drag[4], op.x1);
    }
    if (c == "align" && w.size() == 3 && n == 1) {
        op.kind = OpKind::Align;
        op.word = w[1];
        op.text = w[2];
        return true;
    }
    if (c == "distribute" && w.size() == 2 && n == 1) {
        op.kind = OpKind::Distribute;
        op.word = w[1];
        return true;
    }
    if (c == "tool" && w.size() == 2 && n == 1) {
        op.kind = OpKind::Tool;
        op.word = w[1];
        return true;
    }
    if (c == "tool" && n >= 2) {
        const std::vector<std::string> second = Words(lines[1]);
        if (!second.empty() && second[0] == "press" && n == 3 && second.size() >= 3) {
            op.kind = OpKind::Click;
            const std::vector<std::string> release = Words(lines[2]);
            op.modifiers = Modifiers(release, 3);
            return Int(second[1], op.x0) && Int(second[2], op.y0);
        }
        op.kind = OpKind::Rect;
        std::size_t at = 1;
        if (!second.empty() && second[0] == "keys") {
            op.modifiers = second.size() == 2 && second[1] == "ctrl"    ? 8
                           : second.size() == 2 && second[1] == "shift" ? 4
                                                                        : 0;
            at = 2;
        }
        if (at >= n)
            return false;
        const std::vector<std::string> r = Words(lines[at]);
        return r.size() == 5 && r[0] == "rect" && Int(r[1], op.x0) && Int(r[2], op.y0) &&
               Int(r[3], op.x1) && Int(r[4], op.y1);
    }
    if ((c == "vertexsnap" || c == "surfacedrag") && w.size() == 5) {
        op.kind = c == "vertexsnap" ? OpKind::VertexSnap : OpKind::SurfaceDrag;
        return Int(w[1], op.x0) && Int(w[2], op.y0) && Int(w[3], op.x1) && Int(w[4], op.y1);
    }
    if (c == "drag" && w.size() == 5) {
        op.kind = OpKind::Drag;
        op.word = w[1];
        return Int(w[2], op.x0) && Int(w[3], op.y0) && Int(w[4], op.x1);
    }
    if (c == "type" && w.size() >= 3 && (w[1] == "panel" || w[1] == "bar")) {
        op.kind = w[1] == "panel" ? OpKind::Panel : OpKind::Bar;
        op.text = Rest(w, 3);
        return Int(w[2], op.id);
    }
    if (c == "click" && w.size() == 2 && w[1] == "1023") {
        op.kind = OpKind::Snap;
        return true;
    }
    if (c == "groundfollow" && w.size() == 2) {
        op.kind = OpKind::Follow;
        op.word = w[1];
        return true;
    }
    if (c == "select") {
        op.kind = OpKind::Select;
        op.names.assign(w.begin() + 1, w.end());
        return true;
    }
    if (c == "save" && w.size() == 2 && n == 1) {
        op.kind = OpKind::Save;
        op.text = w[1];
        std::error_code ec; // a replay elsewhere: the folder the run saved in
        std::filesystem::create_directories(std::filesystem::path(w[1]).parent_path(), ec);
        return true;
    }
    if (c == "prop" && w.size() == 3) {
        op.kind = OpKind::Light;
        op.word = w[1];
        op.text = w[2];
        return true;
    }
    if (w.size() != 1)
        return false;
    if (c == "parents")
        op.kind = OpKind::Parents;
    else if (c == "copy")
        op.kind = OpKind::Copy;
    else if (c == "duplicate")
        op.kind = OpKind::Duplicate;
    else if (c == "undo")
        op.kind = OpKind::Undo;
    else if (c == "redo")
        op.kind = OpKind::Redo;
    else
        return false;
    return true;
}

std::string COpGenerator::Number(double lo, double hi, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, Real(lo, hi));
    return text;
}

std::string COpGenerator::PickName(const ModelScene& scene) {
    // Mostly the demo's own entities (names without a copy suffix), so the scene stays small.
    std::vector<const std::string*> names, originals;
    for (const auto& kv : scene.entities) {
        names.push_back(&kv.first);
        if (kv.first.find('_', kv.first.find('_') + 1) == std::string::npos &&
            kv.first.rfind("_1") != kv.first.size() - 2)
            originals.push_back(&kv.first);
    }
    if (names.empty())
        return "";
    if (!originals.empty() && Below(4) != 0)
        return *originals[Below(static_cast<std::uint32_t>(originals.size()))];
    return *names[Below(static_cast<std::uint32_t>(names.size()))];
}

bool COpGenerator::EntityPixel(CEditorSession& session, const std::string& name, int& x, int& y) {
    CEditorView* view = session.Host().GetView(0);
    SceneEntity* entity = session.Scene().getSceneEntity(name);
    if (!view || !entity)
        return false;
    Ogre::Vector3 out;
    view->projectPoint(out, entity->GetWorldPosition(), nullptr);
    if (!std::isfinite(out.x) || !std::isfinite(out.y) || out.z <= 0.0f || out.z >= 1.0f)
        return false;
    const int px = static_cast<int>(std::lround(out.x));
    const int py = static_cast<int>(std::lround(out.y));
    if (px < 0 || py < 0 || px >= view->GetWidth() || py >= view->GetHeight())
        return false; // outside the view: the caller keeps its own pixel
    x = px;
    y = py;
    return true;
}

ModelOp COpGenerator::Make(OpKind kind, std::vector<std::string> lines) {
    ModelOp op;
    ParseOp(lines, op);
    op.kind = kind;
    return op;
}

ModelOp COpGenerator::Next(const ModelScene& scene, int mode, CEditorSession& session) {
    static const char* const kModes[] = {"select", "move", "rotate", "scale"};
    const std::set<std::string>& selected = scene.selection;
    const ModelEntity* current = selected.empty() ? nullptr : &scene.entities.at(*selected.begin());
    const std::uint32_t roll = Below(1000);

    if (roll < 12 && !m_savePath.empty())
        return Make(OpKind::Save, {"save " + m_savePath});
    if (roll < 200)
        return Make(OpKind::Undo, {"undo"});
    if (roll < 330)
        return Make(OpKind::Redo, {"redo"});
    if (roll >= 600 && roll < 630)
        return Placement(scene, mode, session);
    if (roll < 630) {
        // A drag of a part of the current mode; another mode or a selection first when needed.
        if (current && current->locked)
            return Make(OpKind::Select, {"select " + PickName(scene)});
        // In move mode, now and then a vertex snap from the current entity onto another's
        // pixel, or a surface drag from its gizmo's centre to another's.
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (roll >= 590 && mode == 1 && current &&
            EntityPixel(session, *selected.begin(), x0, y0) &&
            EntityPixel(session, PickName(scene), x1, y1)) {
            const std::string points = std::to_string(x0) + " " + std::to_string(y0) + " " +
                                       std::to_string(x1 + Between(-8, 8)) + " " +
                                       std::to_string(y1 + Between(-8, 8));
            return roll < 610 ? Make(OpKind::VertexSnap, {"vertexsnap " + points})
                              : Make(OpKind::SurfaceDrag, {"surfacedrag " + points});
        }
        if (mode == 0 || selected.empty())
            return selected.empty()
                       ? Make(OpKind::Select, {"select " + PickName(scene)})
                       : Make(OpKind::Tool, {std::string("tool ") + kModes[Between(1, 3)]});
        static const char* const kParts[4][5] = {{},
                                                 {"x", "y", "z", "centre", "x"},
                                                 {"x", "y", "z", "ring", "centre"},
                                                 {"x", "y", "z", "centre", "y"}};
        // A part the view does not show makes the editor refuse the line before any input;
        // the run drops such a drag from its log.
        const std::string part = kParts[mode][Below(5)];
        int dx = Between(-60, 60), dy = Between(-60, 60);
        if (std::abs(dx) + std::abs(dy) < 8)
            dx += dx < 0 ? -8 : 8;
        return Make(OpKind::Drag, {"drag " + part + " " + std::to_string(dx) + " " +
                                   std::to_string(dy) + " " + std::to_string(Between(1, 5))});
    }
    if (roll < 690)
        return Make(OpKind::Tool, {std::string("tool ") + kModes[Below(4)]});
    if (roll < 790) {
        std::string line = "select";
        const int count = Between(1, 3);
        for (int i = 0; i < count; ++i)
            line += " " + PickName(scene);
        // Often a locked entity among them: the transforms that follow must pass it by.
        const std::vector<std::string> locked = LockedNames(scene);
        if (!locked.empty() && Below(3) == 0)
            line += " " + locked[Below(static_cast<std::uint32_t>(locked.size()))];
        return Make(OpKind::Select, {line});
    }
    if (roll < 860) {
        int x = 12, y = 12; // the sky: no entity
        if (Below(6) != 0 && EntityPixel(session, PickName(scene), x, y)) {
            x += Between(-2, 2);
            y += Between(-2, 2);
        }
        const std::uint32_t m = Below(6);
        const std::string mods = m == 0 ? " ctrl" : m == 1 ? " shift" : "";
        const std::string at = std::to_string(x) + " " + std::to_string(y);
        return Make(OpKind::Click, {"tool select", "press " + at + mods, "release " + at + mods});
    }
    if (roll < 900) {
        int x = 400, y = 300;
        EntityPixel(session, PickName(scene), x, y);
        const int r = Between(10, 140);
        const std::string rect = "rect " + std::to_string(std::max(0, x - r)) + " " +
                                 std::to_string(std::max(0, y - Between(10, 140))) + " " +
                                 std::to_string(x + r) + " " + std::to_string(y + r);
        const std::uint32_t m = Below(8);
        if (m >= 2)
            return Make(OpKind::Rect, {"tool select", rect});
        const std::string keys = m == 0 ? "ctrl" : "shift";
        return Make(OpKind::Rect, {"tool select", "keys " + keys, rect, "keys none"});
    }
    if (roll < 932)
        return Make(OpKind::Parents, {"parents"});
    if (roll < 962 && scene.entities.size() < 120)
        return Make(OpKind::Copy, {"copy"});
    if (roll < 969 && current && !current->light) {
        const int id = Between(1001, 1009);
        // Two decimals (few keys to type); for one draw in ten, the three-decimal text the panel
        // shows, typed as it is, which is applied like any other text.
        std::string value = id <= 1003   ? Number(-15, 15, 2)
                            : id <= 1006 ? Number(-180, 180, 2)
                                         : Number(0.2, 3, 2);
        if (value.back() == '0') {
            const int axis = (id - 1001) % 3;
            const float now = id <= 1003   ? current->position[axis]
                              : id <= 1006 ? current->orientation[axis] * 57.295776f
                                           : current->scale[axis];
            char shown[64];
            std::snprintf(shown, sizeof shown, "%.3f", static_cast<double>(now));
            value = shown;
        }
        return Make(OpKind::Panel, {"type panel " + std::to_string(id) + " " + value, "leave"});
    }
    if (roll < 974 && current) {
        static const int kIds[9] = {1030, 1031, 1032, 1004, 1005, 1006, 1007, 1008, 1009};
        const int at = Between(0, 8);
        // One decimal: never the two-decimal text the bar shows.
        const std::string value = at < 3   ? Number(-15, 15, 1)
                                  : at < 6 ? Number(-180, 180, 1)
                                           : Number(0.2, 3, 1);
        return Make(OpKind::Bar,
                    {"type bar " + std::to_string(kIds[at]) + " " + value, "key return"});
    }
    if (roll < 977 && current && current->light)
        return Make(OpKind::Light, {Below(2) ? "prop 范围 " + Number(1, 100, 1)
                                             : "prop PowerScale " + Number(0.1, 5, 1)});
    if (roll < 983 && current && !current->light)
        return Make(OpKind::Follow, {Below(2) ? "groundfollow on" : "groundfollow off"});
    // The check box and the button stand beside a mesh's values, not on the light page.
    if (current && !current->light)
        return Make(OpKind::Snap, {"click 1023"});
    return Make(OpKind::Undo, {"undo"});
}

ModelOp COpGenerator::Placement(const ModelScene& scene, int mode, CEditorSession& session) {
    static const char* const kAxes[] = {"x", "y", "z"};
    static const char* const kSides[] = {"min", "center", "max"};
    const std::uint32_t kind = Below(30);
    if (kind >= 22)
        return Make(OpKind::Distribute, {std::string("distribute ") + kAxes[Below(3)]});
    if (kind >= 12)
        return Make(OpKind::Align,
                    {std::string("align ") + kAxes[Below(3)] + " " + kSides[Below(3)]});
    if (scene.entities.size() >= 120)
        return Make(OpKind::Undo, {"undo"});
    // An Alt drag grabs the centre of the current copy's gizmo, where its source's stood: the
    // current entity's copy must come first among the copies and may be transformed.
    std::vector<std::pair<std::string, std::string>> copies;
    const ModelScene copied = CopiedScene(scene, &copies);
    const bool dragCopies = kind < 8 && mode == 1 && !copies.empty() &&
                            copies.front().second == *scene.selection.begin() &&
                            *copied.selection.begin() == copies.front().first &&
                            !copied.entities.at(copies.front().first).locked;
    // The centre is grabbed where the current entity stands in view 0: off the view it is
    // hidden, and the editor refuses the line.
    int x = 0, y = 0;
    if (!dragCopies || !EntityPixel(session, *scene.selection.begin(), x, y))
        return Make(OpKind::Duplicate, {"duplicate"});
    int dx = Between(-60, 60), dy = Between(-60, 60);
    if (std::abs(dx) + std::abs(dy) < 8)
        dx += dx < 0 ? -8 : 8;
    return Make(OpKind::AltDrag, {"keys alt",
                                  "drag centre " + std::to_string(dx) + " " + std::to_string(dy) +
                                      " " + std::to_string(Between(1, 4)),
                                  "keys none"});
}

ModelScene CopiedScene(const ModelScene& before,
                       std::vector<std::pair<std::string, std::string>>* copies) {
    int lights = 0;
    for (const auto& kv : before.entities)
        lights += kv.second.light ? 1 : 0;
    ModelScene next = before;
    next.selection.clear();
    for (const std::string& source : before.selection) {
        const ModelEntity& e = before.entities.at(source);
        if ((e.state & 0x80000) || (lights >= 8 && e.light))
            break;
        const std::string name = CSceneModel::UniqueName(next, source);
        next.entities[name] = next.entities.at(source);
        next.selection.insert(name);
        if (copies)
            copies->emplace_back(name, source);
    }
    if (next.selection.empty())
        next.selection = before.selection;
    return next;
}

std::string ModelSavePath() {
    std::error_code ec;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path(ec) / "gizmark-undo-model";
    std::filesystem::create_directories(folder, ec);
    return (folder / "model.scene").string();
}

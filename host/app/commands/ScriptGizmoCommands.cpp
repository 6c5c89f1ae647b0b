// Script commands that grab the transform gizmo without knowing the camera:
//
//   handle PART            prints "handle PART px X Y", a pixel of the target view on the grabbable
//                          part of the current mode, or "handle PART hidden".
//                          PART: x | y | z (the arrow's cone, a visible point of that axis ring, or
//                          that axis box), xy | xz | yz (the move mode's square in that plane,
//                          at its node, hidden while the plane is seen edge-on), ring (the outer
//                          view ring), centre (the gizmo centre, the centre box in scale mode).
//   drag PART DX DY [STEPS] presses on that pixel, moves by (DX, DY) in STEPS equal steps
//                          (default 8) and releases, through the editor's pointer path; the
//                          steps carry the keys held with "keys" (Ctrl snaps).
//
// The module keeps its gizmo to itself, so the pixel is worked out here from what the engine
// holds: the gizmo's entities by name and whether they are shown, their nodes' transforms, the
// vertices of their meshes (a ring's radius and how finely it is drawn, where a cone stands),
// the current entity's world orientation and the view's camera. No measure of the gizmo is
// written here, so the commands follow the gizmo when its geometry changes. The target view is
// laid out first (a frame is rendered, and the plug-ins are told the view was drawn), so the
// nodes stand where that view shows them.
#include "AutomationContract.h"
#include "CEditorHost.h"
#include "CEditorSession.h"
#include "EditorScriptCommands.h"
#include "ScriptCommandArgs.h"
#include "CEditorEngine.h"
#include "CEditorScene.h"
#include "EditorMeshes.h"
#include "SceneEntity.h"
#include "CEditorView.h"

#include <OgreAxisAlignedBox.h>
#include <OgreEntity.h>
#include <OgreMatrix3.h>
#include <OgreMesh.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Args = CScriptRunner::Args;

// The gizmo's entities as the plug-in publishes their engine names.
using namespace automation;
const char* const kPartEntity = kGizmoPartEntity;
const char* const kRingEntity = kGizmoRingEntity;
const char* const kAxisLinesEntity = kGizmoAxisEntity; // the axis lines, each from the centre
constexpr int kArrow = kGizmoFirstArrow, kAxisBox = kGizmoFirstAxisBox,
              kCentreBox = kGizmoCentreBox;
constexpr int kAxisRing = kGizmoFirstAxisRing, kInnerRing = kGizmoInnerRing,
              kOuterRing = kGizmoOuterRing;
// The move mode's plane squares from kGizmoFirstPlane on, in the order of their normals (X, Y,
// Z): the YZ, XZ and XY planes.
const char* const kPlaneParts[3] = {"yz", "xz", "xy"};

struct Handle {
    bool shown = false;
    int x = 0;
    int y = 0;
};

// A gizmo entity when it exists, hangs on a node and is shown.
Ogre::Entity* ShownEntity(Ogre::SceneManager* sm, const char* format, int number) {
    char name[64];
    std::snprintf(name, sizeof name, format, number);
    if (!sm->hasEntity(name))
        return nullptr;
    Ogre::Entity* entity = sm->getEntity(name);
    return entity->getParentSceneNode() && entity->getVisible() ? entity : nullptr;
}

Ogre::SceneNode* ShownNode(Ogre::SceneManager* sm, const char* format, int number) {
    Ogre::Entity* entity = ShownEntity(sm, format, number);
    return entity ? entity->getParentSceneNode() : nullptr;
}

// The vertices of an entity's mesh, in world space.
std::vector<Ogre::Vector3> WorldVertices(const Ogre::Entity& entity) {
    std::vector<Ogre::Vector3> vertices = ReadMeshPositions(*entity.getMesh());
    const Ogre::Affine3& toWorld = entity.getParentSceneNode()->_getFullTransform();
    for (Ogre::Vector3& v : vertices)
        v = toWorld * v;
    return vertices;
}

// A ring mesh as drawn: its radius in mesh space (half its widest extent) and its vertex count,
// the number of points a ring is sampled with here.
struct RingShape {
    float radius = 0.0f;
    int samples = 0;
};

RingShape ShapeOf(const Ogre::Entity& ring) {
    const std::vector<Ogre::Vector3> vertices = ReadMeshPositions(*ring.getMesh());
    RingShape shape;
    if (vertices.empty())
        return shape;
    Ogre::AxisAlignedBox box;
    for (const Ogre::Vector3& v : vertices)
        box.merge(v);
    const Ogre::Vector3 size = box.getSize();
    shape.radius = 0.5f * std::max(size.x, std::max(size.y, size.z));
    shape.samples = int(vertices.size());
    return shape;
}

// Where an arrow is grabbed, in world space: on its cone's axis (the longest extent of the
// mesh's vertices), one base width out from the node's origin, on which the cone stands. That is
// well inside the cone for any length, and clear of its base, where the axis line ends.
bool ConeGrip(const Ogre::Entity& cone, Ogre::Vector3& world) {
    const std::vector<Ogre::Vector3> vertices = ReadMeshPositions(*cone.getMesh());
    if (vertices.empty())
        return false;
    Ogre::AxisAlignedBox box;
    for (const Ogre::Vector3& v : vertices)
        box.merge(v);
    const Ogre::Vector3 low = box.getMinimum(), high = box.getMaximum(), size = box.getSize();
    const int along = size.x >= size.y && size.x >= size.z ? 0 : (size.y >= size.z ? 1 : 2);
    const float width = std::max(size[(along + 1) % 3], size[(along + 2) % 3]);
    Ogre::Vector3 local = Ogre::Vector3::ZERO;
    local[along] = std::fabs(high[along]) >= std::fabs(low[along]) ? width : -width;
    world = cone.getParentSceneNode()->_getFullTransform() * local;
    return true;
}

// Pixel of a world point when it lies in front of the camera and inside the view.
bool PixelOf(const CEditorView& view, const Ogre::Vector3& world, float& x, float& y) {
    Ogre::Vector3 out;
    view.projectPoint(out, world, nullptr);
    if (!std::isfinite(out.x) || !std::isfinite(out.y) || out.z <= 0.0f || out.z >= 1.0f)
        return false;
    x = out.x;
    y = out.y;
    return x >= 0.0f && y >= 0.0f && x < float(view.GetWidth()) && y < float(view.GetHeight());
}

Handle At(const CEditorView& view, const Ogre::Vector3& world) {
    Handle h;
    float x = 0, y = 0;
    if (PixelOf(view, world, x, y)) {
        h.shown = true;
        h.x = int(std::lround(x));
        h.y = int(std::lround(y));
    }
    return h;
}

// Unit world axes of the current entity (columns of its rotation), as the gizmo turns its rings.
bool EntityAxes(CEditorSession& session, Ogre::Vector3 axes[3]) {
    const auto& selected = session.Scene().getSelectedEntities();
    SceneEntity* entity =
        selected.empty() ? nullptr : session.Scene().getSceneEntity(*selected.begin());
    if (!entity)
        return false;
    const Ogre::Vector3 o = entity->GetWorldOrientation();
    Ogre::Matrix3 m;
    m.FromEulerAnglesYXZ(Ogre::Radian(o.y), Ogre::Radian(o.x), Ogre::Radian(o.z));
    for (int i = 0; i < 3; ++i)
        axes[i] = m.GetColumn(i);
    return true;
}

// A point of axis ring `ring` on the half the viewer sees, chosen well inside that half and as
// far on screen from the other two rings as possible (the rings are tested X, Y, Z in turn).
// The axis rings have the inner view ring's shape (it is drawn whole, they only their near
// half), scaled by s.
Handle RingHandle(CEditorSession& session, const CEditorView& view, const Ogre::Vector3& c, float s,
                  const RingShape& shape, int ring) {
    Ogre::Vector3 axes[3];
    if (!EntityAxes(session, axes) || shape.samples <= 0)
        return Handle();
    const int samples = shape.samples;
    const Ogre::Vector3 towardViewer = -view.GetDirection();
    const float r = shape.radius * s;
    auto point = [&](int which, int k) {
        const float t = float(k) * Ogre::Math::TWO_PI / samples;
        const Ogre::Vector3& a = axes[(which + 1) % 3];
        const Ogre::Vector3& b = axes[(which + 2) % 3];
        return c + (a * std::cos(t) + b * std::sin(t)) * r;
    };
    auto nearHalf = [&](const Ogre::Vector3& p) {
        return (p - c).dotProduct(towardViewer) >= 0.0f;
    };

    Handle best;
    float bestScore = -1.0f;
    for (int k = 0; k < samples; ++k) {
        const Ogre::Vector3 p = point(ring, k);
        // Keep clear of the cut, where rounding decides which side a point is on.
        if ((p - c).dotProduct(towardViewer) < 0.15f * r)
            continue;
        float px = 0, py = 0;
        if (!PixelOf(view, p, px, py))
            continue;
        float clearance = 40.0f;
        for (int other = 0; other < 3; ++other) {
            if (other == ring)
                continue;
            for (int j = 0; j < samples; ++j) {
                const Ogre::Vector3 q = point(other, j);
                float qx = 0, qy = 0;
                if (nearHalf(q) && PixelOf(view, q, qx, qy))
                    clearance = std::fmin(clearance, std::hypot(qx - px, qy - py));
            }
        }
        float cx = 0, cy = 0;
        const float fromCentre = PixelOf(view, c, cx, cy) ? std::hypot(px - cx, py - cy) : 0.0f;
        const float score = clearance + 0.05f * fromCentre;
        if (score > bestScore) {
            bestScore = score;
            best.shown = true;
            best.x = int(std::lround(px));
            best.y = int(std::lround(py));
        }
    }
    // A press picks within a few pixels of the pointer; a chosen pixel closer than 2 pixels to
    // another ring could be taken by it, so such a ring is reported hidden.
    if (best.shown && bestScore < 2.0f)
        best.shown = false;
    return best;
}

// The outer view ring of world radius r: a point up and to the right of the centre (or another
// direction that stays inside the view).
Handle OuterRingHandle(const CEditorView& view, const Ogre::Vector3& c, float r) {
    const Ogre::Quaternion q = view.GetCameraNode()->_getDerivedOrientation();
    const Ogre::Vector3 right = q * Ogre::Vector3::UNIT_X;
    const Ogre::Vector3 up = q * Ogre::Vector3::UNIT_Y;
    for (int k = 0; k < 8; ++k) {
        const float t = Ogre::Math::PI / 4.0f + float(k) * Ogre::Math::PI / 4.0f;
        const Handle h = At(view, c + (right * std::cos(t) + up * std::sin(t)) * r);
        if (h.shown)
            return h;
    }
    return Handle();
}

// Lays out the target view and finds the pixel of PART; false with `error` for an unknown part.
bool FindHandle(CScriptRunner& runner, const std::string& part, Handle& handle,
                std::string& error) {
    int axis = -1;
    int plane = -1;
    if (part == "x")
        axis = 0;
    else if (part == "y")
        axis = 1;
    else if (part == "z")
        axis = 2;
    for (int p = 0; p < 3; ++p)
        if (part == kPlaneParts[p])
            plane = p;
    if (axis < 0 && plane < 0 && part != "ring" && part != "centre") {
        error = "handle takes x, y, z, xy, xz, yz, ring or centre";
        return false;
    }
    CEditorSession& session = EditorSession(runner);
    const int n = runner.TargetView();
    CEditorView* view = session.Host().GetView(n);
    if (!view) {
        error = "no view " + std::to_string(n);
        return false;
    }
    // A rendered frame ends with view 0's layout; another view is laid out again after it.
    session.RenderFrames(1);
    if (n != 0)
        session.Host().ViewDrawn(n);

    Ogre::SceneManager* sm = session.Engine().GetOgreSceneManager();
    handle = Handle();
    if (ShownNode(sm, kPartEntity, kArrow)) {
        // Move: the axis lines start at the centre; an arrow is grabbed in the middle of its cone.
        if (part == "centre") {
            if (Ogre::Entity* lines = ShownEntity(sm, kAxisLinesEntity, 0)) {
                const std::vector<Ogre::Vector3> points = WorldVertices(*lines);
                if (!points.empty())
                    handle = At(*view, points.front());
            }
        } else if (axis >= 0) {
            Ogre::Vector3 grip;
            if (Ogre::Entity* cone = ShownEntity(sm, kPartEntity, kArrow + axis))
                if (ConeGrip(*cone, grip))
                    handle = At(*view, grip);
        } else if (plane >= 0) {
            // A square's node stands at the square's centre.
            if (Ogre::SceneNode* square = ShownNode(sm, kPartEntity, kGizmoFirstPlane + plane))
                handle = At(*view, square->_getDerivedPosition());
        }
    } else if (Ogre::Entity* inner = ShownEntity(sm, kRingEntity, kInnerRing)) {
        // Rotate: the view rings stand at the centre with the gizmo's scale.
        const Ogre::SceneNode* node = inner->getParentSceneNode();
        const float s = node->getScale().x;
        const Ogre::Vector3 centre = node->getPosition();
        if (part == "centre") {
            handle = At(*view, centre);
        } else if (part == "ring") {
            if (Ogre::Entity* outer = ShownEntity(sm, kRingEntity, kOuterRing)) {
                const Ogre::SceneNode* at = outer->getParentSceneNode();
                const float radius = ShapeOf(*outer).radius * at->getScale().x;
                handle = OuterRingHandle(*view, at->getPosition(), radius);
            }
        } else if (ShownNode(sm, kRingEntity, kAxisRing + axis)) {
            handle = RingHandle(session, *view, centre, s, ShapeOf(*inner), axis);
        }
    } else if (Ogre::SceneNode* centreBox = ShownNode(sm, kPartEntity, kCentreBox)) {
        // Scale: the axis boxes stand at the axis ends, the centre box at the centre.
        if (part == "centre")
            handle = At(*view, centreBox->getPosition());
        else if (axis >= 0)
            if (Ogre::SceneNode* box = ShownNode(sm, kPartEntity, kAxisBox + axis))
                handle = At(*view, box->getPosition());
    }
    return true;
}

bool HandleCommand(CScriptRunner& runner, const Args& args, std::string& error) {
    if (args.size() != 1) {
        error = "usage: handle PART";
        return false;
    }
    Handle h;
    if (!FindHandle(runner, args[0], h, error))
        return false;
    if (h.shown)
        runner.Out() << "handle " << args[0] << " px " << h.x << " " << h.y << "\n";
    else
        runner.Out() << "handle " << args[0] << " hidden\n";
    return true;
}

bool DragCommand(CScriptRunner& runner, const Args& args, std::string& error) {
    int dx = 0, dy = 0, steps = 8;
    if (args.size() < 3 || args.size() > 4 || !CScriptRunner::ParseInt(args[1], dx) ||
        !CScriptRunner::ParseInt(args[2], dy) ||
        (args.size() == 4 && !CScriptRunner::ParseInt(args[3], steps))) {
        error = "usage: drag PART DX DY [STEPS]";
        return false;
    }
    if (steps < 1 || steps > 10000) {
        error = "drag takes from 1 to 10000 steps";
        return false;
    }
    if (std::abs(dx) > 100000 || std::abs(dy) > 100000) {
        error = "drag distance out of range";
        return false;
    }
    Handle h;
    if (!FindHandle(runner, args[0], h, error))
        return false;
    if (!h.shown) {
        error = "handle " + args[0] + " is hidden";
        return false;
    }
    CEditorHost& host = EditorSession(runner).Host();
    const int view = runner.TargetView();
    // The steps carry the keys held with "keys" (Ctrl snaps); the press only Alt (a move drag
    // of copies), as there Ctrl would mean adding to the selection.
    host.PointerDown(view, KEY_LBUTTON | (EditorSession(runner).HeldKeys() & KEY_ALT), h.x, h.y);
    const int moveFlags = KEY_LBUTTON | EditorSession(runner).HeldKeys();
    for (int k = 1; k <= steps; ++k) {
        const int x = h.x + int(std::lround(double(dx) * k / steps));
        const int y = h.y + int(std::lround(double(dy) * k / steps));
        host.PointerMove(view, moveFlags, x, y);
    }
    host.PointerUp(view, KEY_LBUTTON, h.x + dx, h.y + dy);
    host.redraw();
    return true;
}

} // namespace

void RegisterGizmoScriptCommands(CScriptRunner& runner) {
    AddScriptCommands(runner, {{"handle", HandleCommand}, {"drag", DragCommand}});
}

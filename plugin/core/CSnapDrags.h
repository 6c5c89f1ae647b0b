// The move tool's placing drags, which move the selection by where the pointer points rather
// than along a gizmo part:
//
//   vertex snap   V held: the vertex of the selected meshes nearest the pointer is marked; a
//                 press there drags the selection so that this vertex lands exactly on the
//                 vertex of another visible mesh nearest the pointer (within kVertexSnapPixels,
//                 marked too), or follows the pointer in the plane facing the view through it
//                 when none is near. V may be let go once the drag has begun.
//   surface snap  a press with Ctrl and Shift on the gizmo's centre: each step puts the
//                 selection on the mesh or ground under the pointer (the selection itself left
//                 out), the bottom of each entity's box on the point hit; with the 对齐法线
//                 option, each entity turned so that its up axis follows the surface's normal.
//                 Steps without both keys, or with nothing under the pointer, leave the
//                 selection where the last one put it.
//
// The drag controller asks at each press whether it starts one of these (they come before the
// gizmo's parts), and runs it through the same drag session, so that it is one undo step, taken
// back by Escape or the right button, and held to the locks and the world range as every drag.
// The host answers the vertex and surface queries (CSceneManager).
#pragma once

#include "CSnapMarks.h"
#include "PluginCalls.h"

#include <OgreVector.h>

class Interface;
class SceneEntity;

class CSnapDrags {
public:
    enum class Kind { None, Vertex, Surface };
    // How near the gizmo's centre, in pixels, a press counts as on it.
    static constexpr float kCentrePixels = 10.0f;

    explicit CSnapDrags(Interface* host) : m_host(host), m_marks(host) {}

    // V went down (or repeats) or up. Answers 1: the key is the move tool's.
    int VertexKey(bool held, bool moveMode);
    bool IsVertexKeyHeld() const { return m_vertexKey; }
    // The pointer over a view without a button: remembered; with V held in move mode the
    // nearest vertex of the selection is marked.
    void Hover(const PointerEvent& event, bool moveMode);

    // The drag a left press starts: Vertex with V held in move mode over a selection with a
    // vertex, Surface with Ctrl and Shift within kCentrePixels of `centre` (the gizmo's
    // entity, null without one) in move mode; None otherwise, when the gizmo's own rules hold.
    Kind PressKind(const PointerEvent& event, bool moveMode, const SceneEntity* centre);
    // Starts a drag of that kind at the press.
    void Begin(Kind kind, const PointerEvent& press);
    Kind Active() const { return m_active; }

    // One step of a vertex drag: the move since the press that the pointer at `event` asks
    // for. False when it gives none (the ray runs along the plane).
    bool VertexStep(const PointerEvent& event, Ogre::Vector3& move);
    // One step of a surface drag: the point under the pointer and the surface's normal there.
    // False when the step leaves things as they are.
    bool SurfaceStep(const PointerEvent& event, Ogre::Vector3& hit, Ogre::Vector3& normal);

    // The drag's end: its marks go (while V is still held, the selection's vertex under the
    // pointer is marked again at the next hover).
    void End();
    // The marks out of the engine (the module unloads).
    void RemoveMarks() { m_marks.Remove(); }
    const CSnapMarks& Marks() const { return m_marks; }

private:
    // The nearest vertex of `set` to the pointer, within `radius` pixels (0: any distance).
    bool FindVertex(const PointerEvent& at, int set, float radius, Ogre::Vector3& vertex) const;

    Interface* m_host;
    CSnapMarks m_marks;
    bool m_vertexKey = false;
    PointerEvent m_hover;
    bool m_hovered = false;
    Kind m_active = Kind::None;
    // A vertex drag: the vertex it moves from, as the press found it.
    Ogre::Vector3 m_from = Ogre::Vector3::ZERO;
};

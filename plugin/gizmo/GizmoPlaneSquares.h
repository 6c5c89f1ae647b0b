// The move handles' plane squares: a see-through square between each pair of arrows, dragged in
// its plane through the press point. The move set lays them out after its arrows and asks them
// for a part only where no arrow was hit.
#pragma once

#include "GizmoHandleSet.h"

#include <OgreMesh.h>

class CPlaneSquares {
public:
    // `rows` are the move set's; the squares are its parts MovePlaneYZ, MovePlaneXZ, MovePlaneXY.
    CPlaneSquares(CGizmoScene& scene, const GizmoRows& rows);

    static bool IsPlanePart(GizmoPart part) {
        return part >= GizmoPart::MovePlaneYZ && part <= GizmoPart::MovePlaneXY;
    }

    void Build(Ogre::SceneManager* sm);
    void Release() { m_mesh.reset(); }
    void RemoveMesh();
    // Places the squares along the axes the arrows were laid out along (state.moveAxes); a
    // square seen too nearly edge-on is hidden and not shown in the view's state.
    void Layout(GizmoViewState& state, const GizmoPlacement& placement);
    // The square under the press pixel nearest the viewer, with the press point on its plane in
    // drag.start and its plane recorded (kept for the drag by Grabbed); None for no square.
    GizmoPart Pick(const GizmoViewState& state, GizmoDragState& drag);
    void Grabbed() { m_held = m_picked; }
    // One pointer step of a drag of the held square: the move since the press, in its plane.
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int x, int y,
             const SnapSteps* snap) const;

private:
    // The plane a drag moves in: its unit normal and two unit axes, and how far from the press
    // point the pointer's point on the plane may go (the view's depth) before a step gives
    // nothing.
    struct Plane {
        Ogre::Vector3 normal = Ogre::Vector3::UNIT_Y;
        Ogre::Vector3 axes[2] = {Ogre::Vector3::UNIT_Z, Ogre::Vector3::UNIT_X};
        float reach = 0.0f;
    };

    CGizmoScene& m_scene;
    // The squares' rows, by their normal axis.
    const GizmoPartRow* m_rows[GizmoGeometry::kAxisCount] = {};
    Ogre::MeshPtr m_mesh;
    // Each square's turn and the axes (u, v, normal) it was made from.
    Ogre::Vector3 m_squareAxes[GizmoGeometry::kAxisCount][3];
    Ogre::Quaternion m_squareTurns[GizmoGeometry::kAxisCount];
    bool m_squareTurnValid[GizmoGeometry::kAxisCount] = {};
    // The plane of the last pick, and of the press that grabbed a square.
    Plane m_picked;
    Plane m_held;
};

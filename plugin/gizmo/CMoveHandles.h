// The move handles: an arrow (cone and axis line) along each axis, dragged along it, and a
// square between each pair of arrows, dragged in its plane. The axes are the world's, or the
// current entity's own when the placement asks for local axes.
#pragma once

#include "GizmoHandleSet.h"

#include <OgreMesh.h>

class CMoveHandles : public CGizmoHandleSet {
public:
    using CGizmoHandleSet::CGizmoHandleSet;

    int Mode() const override { return MODE_MOVE; }
    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override;
    void Release() override { m_planeMesh.reset(); }
    void RemoveMeshes() override;
    void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) override;
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override;
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
             const SnapSteps* snap) override;
    int Typed(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber,
              float amount) override;
    bool TakesTypedAmount(GizmoPart part) const override { return !IsPlanePart(part); }

    static bool IsPlanePart(GizmoPart part) {
        return part >= GizmoPart::MovePlaneYZ && part <= GizmoPart::MovePlaneXY;
    }

private:
    // The plane square under the press pixel, nearest the viewer; fills the plane of `drag`.
    GizmoPart PickPlane(const GizmoViewState& state, GizmoDragState& drag) const;
    int DragInPlane(const GizmoDragState& drag, GizmoDragStep& step, int x, int y,
                    const SnapSteps* snap) const;

    Ogre::MeshPtr m_planeMesh;
    // Each square's turn and the axes (u, v, normal) it was made from.
    Ogre::Vector3 m_squareAxes[GizmoGeometry::kAxisCount][3];
    Ogre::Quaternion m_squareTurns[GizmoGeometry::kAxisCount];
    bool m_squareTurnValid[GizmoGeometry::kAxisCount] = {};
};

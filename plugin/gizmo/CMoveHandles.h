// The move handles: an arrow (cone and axis line) along each axis, dragged along it, and a
// square between each pair of arrows, dragged in its plane. The axes are the world's, or the
// current entity's own when the placement asks for local axes.
#pragma once

#include "GizmoHandleSet.h"
#include "GizmoPlaneSquares.h"

class CMoveHandles : public CGizmoHandleSet {
public:
    explicit CMoveHandles(CGizmoScene& scene)
        : CGizmoHandleSet(scene, RowsOf(MODE_MOVE)), m_squares(scene, Rows()) {}

    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override;
    void Release() override { m_squares.Release(); }
    void RemoveMeshes() override;
    void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) override;
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override;
    void Grabbed() override { m_squares.Grabbed(); }
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
             const SnapSteps* snap) override;
    int Typed(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber,
              float amount) override;
    bool TakesTypedAmount(GizmoPart part) const override {
        return Row(part) && !CPlaneSquares::IsPlanePart(part);
    }

private:
    CPlaneSquares m_squares;
};

// The scale handles: a box at the end of each of the entity's axes and one at the centre.
#pragma once

#include "GizmoHandleSet.h"

class CScaleHandles : public CGizmoHandleSet {
public:
    explicit CScaleHandles(CGizmoScene& scene) : CGizmoHandleSet(scene, RowsOf(MODE_SCALE)) {}

    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override;
    void RemoveMeshes() override { GizmoMeshes::RemoveMesh(GizmoGeometry::kBoxMesh); }
    void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) override;
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override;
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
             const SnapSteps* snap) override;
    // A factor since the press along the grabbed axis (all three for the centre box); below
    // the floor of a drag it is held there, and a negative one is refused.
    int Typed(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber,
              float amount) override;
    bool TakesTypedAmount(GizmoPart part) const override { return Row(part) != nullptr; }
    // The gizmo stretched to the step's total since the press.
    void ShowStep(const GizmoDragState& drag, const GizmoDragStep& step) override {
        Stretch(drag, drag.viewIndex, step.previousScale);
    }
    // Puts the stretched gizmo back as it was at the press.
    void EndDrag(const GizmoDragState& drag, int highlightedAxis) override;
    // The boxes stay where the drag stretched them to until the release.
    bool KeepsLayoutWhileDragging() const override { return true; }

private:
    // Applies a total factor since the press: the step's ratio to the previous total, and the
    // gizmo stretched to the total.
    int ApplyTotal(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, float total);
    // The grabbed box (every box for the centre box) at `total` times its distance at the press.
    void Stretch(const GizmoDragState& drag, int viewNumber, float total);
};

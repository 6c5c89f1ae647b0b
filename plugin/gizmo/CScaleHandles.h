// The scale handles: a box at the end of each of the entity's axes and one at the centre.
#pragma once

#include "GizmoHandleSet.h"

class CScaleHandles : public CGizmoHandleSet {
public:
    using CGizmoHandleSet::CGizmoHandleSet;

    int Mode() const override { return MODE_SCALE; }
    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override;
    void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) override;
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override;
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
             const SnapSteps* snap) override;
    // Puts the stretched gizmo back as it was at the press.
    void EndDrag(const GizmoDragState& drag, int highlightedAxis) override;
    // The boxes stay where the drag stretched them to until the release.
    bool KeepsLayoutWhileDragging() const override { return true; }
};

// The move handles: an arrow (cone and axis line) along each world axis, dragged along it.
#pragma once

#include "GizmoHandleSet.h"

class CMoveHandles : public CGizmoHandleSet {
public:
    using CGizmoHandleSet::CGizmoHandleSet;

    int Mode() const override { return MODE_MOVE; }
    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override;
    void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) override;
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override;
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
             const SnapSteps* snap) override;
};

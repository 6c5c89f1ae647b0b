// The rotate handles: a ring about each of the entity's axes, the view-axis ring around them and
// the sphere inside (a free turn).
#pragma once

#include "GizmoHandleSet.h"

#include <OgreMesh.h>

// Circle meshes of the rotate handles: one per ring, in the order of the set's rows (the axis
// rings, then the inner and the outer view ring).
enum GizmoCircle { CIRCLE_VIEW_INNER = 3, CIRCLE_VIEW_OUTER = 4, CIRCLE_COUNT = 5 };

class CRotateHandles : public CGizmoHandleSet {
public:
    explicit CRotateHandles(CGizmoScene& scene);

    void Build(CGameEngine* engine, Ogre::SceneManager* sm) override;
    void Release() override;
    void RemoveMeshes() override;
    void Layout(IView* view, GizmoViewState& state, const GizmoPlacement& placement) override;
    GizmoPart Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) override;
    int Drag(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber, int x, int y,
             const SnapSteps* snap) override;
    // Degrees about the grabbed ring's axis (the view normal for the view-axis ring); the free
    // turn has no axis to type an amount about.
    int Typed(const GizmoDragState& drag, GizmoDragStep& step, int viewNumber,
              float amount) override;
    bool TakesTypedAmount(GizmoPart part) const override {
        return part != GizmoPart::RotateFree && Row(part);
    }

private:
    void UpdateCircleMesh(const Ogre::Vector3* points, int index, int count);
    // Works out the view's ring points, the rings' element matrices and the view normal, and
    // records what they were made from (GizmoViewState::ringKey) under a new version.
    void LayOutRings(GizmoViewState& state, const GizmoPlacement& placement, float depth);
    void ForgetMeshLayouts();
    // The grabbed part's direction at a pixel of the press view (view-ring rule for the
    // view-axis ring, sphere rule otherwise); zero when there is none. The rules measure
    // against what the press fixed (drag.frame), never against a later layout.
    Ogre::Vector3 Direction(const GizmoDragState& drag, int x, int y) const;
    Ogre::Vector3 Direction(const GizmoDragState& drag, const DragRay& ray) const;

    Ogre::Vector3 m_innerRing[GizmoGeometry::kRingTemplatePoints];
    Ogre::Vector3 m_outerRing[GizmoGeometry::kRingTemplatePoints];
    Ogre::Vector3 m_ringScratch[GizmoGeometry::kRingTemplatePoints];
    Ogre::MeshPtr m_circleMeshes[CIRCLE_COUNT];
    // The node of each circle mesh's ring.
    int m_circleNodes[CIRCLE_COUNT] = {};
    // The view state and version of the ring points each axis ring's mesh holds.
    const GizmoViewState* m_meshFrom[GizmoGeometry::kAxisCount] = {};
    unsigned m_meshVersion[GizmoGeometry::kAxisCount] = {};
    unsigned m_nextVersion = 0;
};

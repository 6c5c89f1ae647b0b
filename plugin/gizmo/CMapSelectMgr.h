// The transform gizmo: arrows (move), rings (rotate) and boxes (scale) drawn with engine meshes
// over the current entity in up to four views, at a constant size on screen.
#pragma once

#include "EditorTypes.h"
#include "GizmoConstants.h"
#include "GizmoDragRules.h"

#include <OgreColourValue.h>
#include <OgreMaterial.h>
#include <OgreMatrix4.h>
#include <OgreVector.h>

namespace Ogre {
class SceneNode;
}
class CGameEngine;
class IView;
class IViewHost;
class SceneEntity;

// Per-view layout, recorded for picking and dragging.
struct GizmoViewState {
    // 1 when laid out in this view, 0 when hidden there.
    int shown[GizmoGeometry::kShownFlags];
    // Points in each axis ring's visible list, and the visible part of the X, Y, Z rings as a
    // line list.
    int ringCount[GizmoGeometry::kAxisCount];
    Ogre::Vector3 ringPoints[GizmoGeometry::kAxisCount][GizmoGeometry::kRingListPoints];
    Ogre::Matrix4 entityRotation; // from the entity orientation (rotate mode)
    // World placement of the three axis elements and the centre.
    Ogre::Matrix4 elements[GizmoGeometry::kElementCount];
    // Start and end of the three axis lines, world space.
    Ogre::Vector3 axisPoints[GizmoGeometry::kAxisLinePoints];
    Ogre::Matrix4 viewFacing; // view rotation scaled by the size factor, at the entity
    float sizeFactor;         // world length of one gizmo unit in this view
    Ogre::Vector3 viewNormal; // unit normal of the viewer-facing plane through the centre
    Ogre::Vector3 ringAxis;   // unit world axis of the ring grabbed at press
};

class CMapSelectMgr {
public:
    CMapSelectMgr();
    virtual ~CMapSelectMgr();

    // Builds meshes, materials, entities and nodes once; everything starts hidden.
    int Create(CGameEngine* engine, IViewHost* viewHost);
    // Forgets the five materials and the engine (on unload).
    int ReleaseMaterials();

    // Stores the mode as given (a value outside GizmoMode shows and grabs nothing) and lays
    // out every view.
    int SetMode(int mode);
    int GetMode() const { return m_mode; }
    int HasEntity() const { return m_entity != nullptr; }
    // The pieces of the last drag step one by one; the plug-in takes them together from
    // OnDrag's result.
    int GetDragPart() const { return m_dragPart; }
    Ogre::Vector3 GetDragResult() const { return m_dragResult; }
    void GetRotation(Ogre::Vector3& axis, float& angle) const;

    int OnSceneNotify(void* object, int redraw, int code);
    int UpdateView(IView* view, int viewNumber);
    void HideAll();

    int OnPress(IView* view, int viewNumber, int keyFlags, int x, int y);
    // A step that answers 1 also fills `result` (when given) with what the plug-in applies.
    int OnDrag(IView* view, int viewNumber, int keyFlags, int x, int y,
               GizmoDragResult* result = nullptr);
    int OnRelease(IView* view, int viewNumber, int keyFlags, int x, int y);
    // Takes a drag back before the release: ends it as a release would (a stretched scale gizmo
    // snaps back) and drops the highlight of the grabbed part. 0 when no part is held.
    int CancelDrag();
    // The steps a drag step with Ctrl in its key flags snaps to (see SnapSteps); a step that is
    // not usable leaves that kind of drag unsnapped.
    void SetSnapSteps(const SnapSteps& steps) { m_snap = steps; }
    const SnapSteps& GetSnapSteps() const { return m_snap; }
    int OnHover(int, int) { return 0; }

    // Read access for tests.
    SceneEntity* GetEntity() const { return m_entity; }
    const GizmoViewState& GetViewState(int viewNumber) const { return m_views[viewNumber]; }
    int GetActiveElement() const { return m_activeElement; }
    Ogre::SceneNode* GetNode(int index) const { return m_nodes[index]; }
    // The one node all of the above hang under (a child of the scene's root, never moved).
    Ogre::SceneNode* GetGizmoNode() const { return m_gizmoNode; }

private:
    // Building (CMapSelectMgrBuild.cpp).
    void CreateMaterials();
    void SetNormalColours();
    void SetMaterialColour(int index, const Ogre::ColourValue& colour);
    void CreateAxisMesh();
    void UpdateAxisMesh(const Ogre::Vector3* points, int highlighted);
    void CreateCircleMesh(int index);
    void UpdateCircleMesh(const Ogre::Vector3* points, int index, int count);

    // Layout (CMapSelectMgrLayout.cpp).
    // Call before changing the transform of one of the gizmo's nodes (see there).
    void BeforeNodeChange();
    void PlaceNode(Ogre::SceneNode* node, const Ogre::Vector3& position, float scale,
                   const Ogre::Quaternion* orientation);
    void LayoutMove(IView* view, GizmoViewState& state, const Ogre::Matrix4& scaleTranslate);
    void LayoutRotate(IView* view, GizmoViewState& state);
    void LayoutScale(GizmoViewState& state);

    // Picking and dragging (CMapSelectMgrPick.cpp, CMapSelectMgrDrag.cpp).
    void SetupAxisLine(int viewNumber, int element);
    int DragMove(int x, int y, bool snap);
    int DragRotate(int x, int y, bool snap);
    int DragScale(int viewNumber, int x, int y, bool snap);
    // Puts the stretched scale gizmo back as it was at the press and ends the drag.
    void EndDrag();
    // What the rotate rules measure against: the press view's layout and the gizmo centre.
    DragFrame PressFrame() const;
    // The grabbed rotate part's direction at a pixel of the press view (view-ring rule for
    // part 5, sphere rule otherwise); zero when there is none.
    Ogre::Vector3 RotateDirection(int x, int y) const;
    // The press view's ray through a pixel; false when it is degenerate (not finite, or of
    // zero length), in which case nothing can be measured along it.
    bool PressRay(int x, int y, Ogre::Vector3& nearPoint, Ogre::Vector3& farPoint) const;

    float m_prevScale = 1.0f;
    int m_mode = MODE_SELECT;
    GizmoViewState m_views[GizmoGeometry::kViewCount];
    GizmoViewState m_savedViews[GizmoGeometry::kViewCount];
    Ogre::Vector3 m_innerRing[GizmoGeometry::kRingTemplatePoints];
    Ogre::Vector3 m_outerRing[GizmoGeometry::kRingTemplatePoints];
    Ogre::Vector3 m_ringScratch[GizmoGeometry::kRingTemplatePoints];
    SceneEntity* m_entity = nullptr;
    Ogre::Vector3 m_entityPosition = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_entityOrientation = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_axisTemplate[GizmoGeometry::kAxisLinePoints];
    float m_referenceLength = 0.0f;
    CGameEngine* m_engine = nullptr;
    IViewHost* m_viewHost = nullptr;
    IView* m_pressView = nullptr;
    int m_pressViewIndex = 0;
    int m_pressX = 0;
    int m_pressY = 0;
    Ogre::Vector3 m_dragStart = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_dragValue = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_axisLine[2];
    Ogre::Vector3 m_axisDirection = Ogre::Vector3::ZERO;
    int m_activeElement = ELEMENT_NONE;
    int m_dragPart = PART_NONE;
    Ogre::Vector3 m_dragResult = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_rotationAxis = Ogre::Vector3::UNIT_Y;
    float m_rotationAngle = 0.0f;
    SnapSteps m_snap;
    PixelRect m_pickOffsets = GizmoGeometry::kPickOffsets;
    Ogre::SceneNode* m_nodes[NODE_COUNT] = {};
    Ogre::SceneNode* m_gizmoNode = nullptr;
    Ogre::MaterialPtr m_materials[MATERIAL_COUNT];

    // Held from Create so that the per-frame updates look nothing up by name.
    Ogre::MeshPtr m_axisMesh;
    Ogre::MeshPtr m_circleMeshes[CIRCLE_COUNT];
    // Colour last set on each material, so an unchanged colour is not set again every frame.
    Ogre::ColourValue m_materialColours[MATERIAL_COUNT];
    bool m_materialColourSet[MATERIAL_COUNT] = {};
    // Positions last written into the axis mesh (its buffer is write-only).
    Ogre::Vector3 m_axisPositions[GizmoGeometry::kAxisLinePoints];
};

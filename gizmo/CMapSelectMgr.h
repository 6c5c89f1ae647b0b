// The transform gizmo: arrows (move), rings (rotate) and boxes (scale) drawn with engine meshes
// over the current entity in up to four views, at a constant size on screen.
#pragma once

#include "EditorTypes.h"

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
    int shown[8];                     // 1 when laid out in this view, 0 when hidden there
    int ringCount[3];                 // points in each axis ring's visible list
    Ogre::Vector3 ringPoints[3][128]; // visible part of the X, Y, Z rings, as pairs
    Ogre::Matrix4 entityRotation;     // from the entity orientation (rotate mode)
    Ogre::Matrix4 elements[4];        // world placement of the three axis elements and the centre
    Ogre::Vector3 axisPoints[6];      // start and end of the three axis lines, world space
    Ogre::Matrix4 viewFacing;         // view rotation scaled by the size factor, at the entity
    float sizeFactor;                 // world length of one gizmo unit in this view
    Ogre::Vector3 viewNormal;         // unit normal of the viewer-facing plane through the centre
    Ogre::Vector3 ringAxis;           // unit world axis of the ring grabbed at press
};

// Codes of the grabbable parts (the drag part).
enum GizmoPart {
    PART_NONE = 0,
    PART_MOVE_X = 2,
    PART_MOVE_Y = 3,
    PART_MOVE_Z = 4,
    PART_ROTATE_VIEW = 5,
    PART_ROTATE_FREE = 6,
    PART_ROTATE_X = 7,
    PART_ROTATE_Y = 8,
    PART_ROTATE_Z = 9,
    PART_SCALE_ALL = 10,
    PART_SCALE_X = 11,
    PART_SCALE_Y = 12,
    PART_SCALE_Z = 13,
};

enum GizmoMode { MODE_SELECT = 0, MODE_MOVE = 1, MODE_ROTATE = 2, MODE_SCALE = 3 };

// Active element values besides the axes 0, 1, 2.
enum GizmoElement { ELEMENT_OUTER_RING = 3, ELEMENT_CENTRE = 4, ELEMENT_NONE = 8 };

class CMapSelectMgr {
public:
    CMapSelectMgr();
    virtual ~CMapSelectMgr();

    // Builds meshes, materials, entities and nodes once; everything starts hidden.
    int Create(CGameEngine* engine, IViewHost* viewHost);
    // Forgets the five materials and the engine (on unload).
    int ReleaseMaterials();

    int SetMode(int mode);
    int GetMode() const { return m_mode; }
    int GetDragPart() const { return m_dragPart; }
    int HasEntity() const { return m_entity != nullptr; }
    Ogre::Vector3 GetDragResult() const { return m_dragResult; }
    void GetRotation(Ogre::Vector3& axis, float& angle) const;

    int OnSceneNotify(void* object, int redraw, int code);
    int UpdateView(IView* view, int viewNumber);
    void HideAll();

    int OnPress(IView* view, int viewNumber, int keyFlags, int x, int y);
    int OnDrag(IView* view, int viewNumber, int keyFlags, int x, int y);
    int OnRelease(IView* view, int viewNumber, int keyFlags, int x, int y);
    int OnHover(int, int) { return 0; }

    // Read access for the host's scripts and for tests.
    SceneEntity* GetEntity() const { return m_entity; }
    const GizmoViewState& GetViewState(int viewNumber) const { return m_views[viewNumber]; }
    int GetActiveElement() const { return m_activeElement; }
    Ogre::SceneNode* GetNode(int index) const { return m_nodes[index]; }

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
    void LayoutMove(IView* view, GizmoViewState& state, const Ogre::Matrix4& scaleTranslate);
    void LayoutRotate(IView* view, GizmoViewState& state);
    void LayoutScale(GizmoViewState& state);

    // Picking and dragging (CMapSelectMgrPick.cpp, CMapSelectMgrDrag.cpp).
    void SetupAxisLine(int viewNumber, int element);
    Ogre::Vector3 SphereRule(int x, int y) const;
    Ogre::Vector3 ViewRingRule(int x, int y) const;
    // The press view's ray through a pixel; false when it is degenerate (not finite, or of
    // zero length), in which case nothing can be measured along it.
    bool PressRay(int x, int y, Ogre::Vector3& nearPoint, Ogre::Vector3& farPoint) const;

    float m_prevScale = 1.0f;
    int m_mode = MODE_SELECT;
    GizmoViewState m_views[4];
    GizmoViewState m_savedViews[4];
    Ogre::Vector3 m_innerRing[65];
    Ogre::Vector3 m_outerRing[65];
    Ogre::Vector3 m_ringScratch[65];
    SceneEntity* m_entity = nullptr;
    Ogre::Vector3 m_entityPosition = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_entityOrientation = Ogre::Vector3::ZERO;
    Ogre::Vector3 m_axisTemplate[6];
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
    PixelRect m_pickOffsets{-7, -2, 1, 6};
    Ogre::SceneNode* m_nodes[13] = {};
    Ogre::MaterialPtr m_materials[5];

    // Held from Create so that the per-frame updates look nothing up by name.
    Ogre::MeshPtr m_axisMesh;
    Ogre::MeshPtr m_circleMeshes[5];
    // Colour last set on each material, so an unchanged colour is not set again every frame.
    Ogre::ColourValue m_materialColours[5];
    bool m_materialColourSet[5] = {};
    // Positions last written into the axis mesh (its buffer is write-only).
    Ogre::Vector3 m_axisPositions[6];
};

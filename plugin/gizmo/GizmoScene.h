// What every handle set of the gizmo shares: the scene nodes and their entities, the materials
// the sets register from their parts' rows and the highlight colour on them, the axis lines
// (move and scale both draw them), the per-view layout and where the current entity stands. The
// handle sets build their parts into it, place them through it and read the views from it; the
// manager owns it.
#pragma once

#include "D3dxMath.h"
#include "EditorTypes.h"
#include "GizmoConstants.h"

#include <OgreColourValue.h>
#include <OgreMaterial.h>
#include <OgreMesh.h>
#include <OgreVector.h>

#include <string>

namespace Ogre {
class HardwareVertexBuffer;
class SceneManager;
class SceneNode;
} // namespace Ogre
class IView;

// Per-view layout, recorded for picking and dragging.
struct GizmoViewState {
    GizmoViewState();

    // By node slot (a part's shown flag is its node's, GizmoPartRow::node): 1 when laid out in
    // this view, 0 when hidden there.
    int shown[kNodeCapacity];
    // Points in each axis ring's visible list, and the visible part of the X, Y, Z rings as a
    // line list.
    int ringCount[GizmoGeometry::kAxisCount];
    Ogre::Vector3 ringPoints[GizmoGeometry::kAxisCount][GizmoGeometry::kRingListPoints];
    d3dx::RowMatrix entityRotation; // from the entity orientation (rotate mode)
    // World placement of the three axis elements and the centre.
    d3dx::RowMatrix elements[GizmoGeometry::kElementCount];
    // Start and end of the three axis lines, world space.
    Ogre::Vector3 axisPoints[GizmoGeometry::kAxisLinePoints];
    d3dx::RowMatrix viewFacing; // view rotation scaled by the size factor, at the entity
    float sizeFactor;           // world length of one gizmo unit in this view
    Ogre::Vector3 viewNormal;   // unit normal of the viewer-facing plane through the centre
    // The unit world axes the move handles were laid out along (the world's, or the entity's
    // own in local mode); a plane square's normal is one of them.
    Ogre::Vector3 moveAxes[GizmoGeometry::kAxisCount];
    // What the rotate layout's ring points were made from (the entity's turn, the view's facing
    // and the cut offset), with the rings' element matrices and the view rings' turn; version
    // 0 while none was made.
    struct RingKey {
        d3dx::RowMatrix rotation{d3dx::kUnset};
        d3dx::RowMatrix facing{d3dx::kUnset};
        float depth = 0.0f;
        d3dx::RowMatrix elements[GizmoGeometry::kAxisCount];
        Ogre::Quaternion facingTurn = Ogre::Quaternion::IDENTITY;
    } ringKey;
    unsigned ringVersion = 0;
};

// The shared engine objects: line meshes are manual meshes of one line-list sub-mesh over shared
// vertices and a static index buffer holding 0..count-1.
namespace GizmoMeshes {
Ogre::MeshPtr MakeLineMesh(const std::string& name, int count, bool withColour);
// The mesh's shared vertex buffer, or null when it has none.
Ogre::HardwareVertexBuffer* VertexBufferOf(const Ogre::MeshPtr& mesh);
// Bounds (box and sphere) around the first `count` points.
void SetBoundsFromPoints(const Ogre::MeshPtr& mesh, const Ogre::Vector3* points, int count);
// Removes the mesh of that name from the engine's meshes, if there is one (on unload).
void RemoveMesh(const std::string& name);
} // namespace GizmoMeshes

class CGizmoScene {
public:
    CGizmoScene();

    // The gizmo's own node under the scene's root.
    void CreateRoot(Ogre::SceneManager* sm);
    // The material a part's row names, in its normal colour: made the first time a set
    // registers it (taken over when an earlier load of the module left it), found by name after.
    // Its index, or -1 when there is no room for another.
    int RegisterMaterial(const GizmoPartRow& row);
    // The index of the registered material of that name, -1 for none.
    int MaterialIndex(const char* name) const;
    // The entity `entityName` of `mesh` in `material` and render queue `queue`, on a node of its
    // own under the gizmo node, recorded as node `slot`.
    void AddPart(Ogre::SceneManager* sm, int slot, const std::string& entityName,
                 const std::string& mesh, const Ogre::MaterialPtr& material, int queue);
    // The entity of a part's row (its published name, in its registered material) of `mesh`,
    // on the row's node.
    void AddPart(Ogre::SceneManager* sm, const GizmoPartRow& row, const std::string& mesh,
                 int queue);
    // The axis lines with their vertex-coloured material, and the template of the three axes.
    void CreateAxisLines(Ogre::SceneManager* sm);
    // Forgets the materials, meshes and nodes, leaving them to the engine (a later Create takes
    // them over).
    void Release();
    // Removes from the engine everything the gizmo made (on unload): the part entities, their
    // nodes and the gizmo node from `sm` (when it is still the one they were made in), the
    // materials and the axis mesh; then forgets them as Release does. Nothing of the module is
    // left drawn over the scene or looked up by a later load.
    void Destroy(Ogre::SceneManager* sm);

    // Shown and hidden nodes. Inside a layout (BeginLayout .. EndLayout) they only record what
    // the layout wants; EndLayout then shows or hides each node whose state differs, so a
    // layout that changes nothing touches no node. Outside a layout they act at once.
    void HideAll();
    void Show(int slot);
    void BeginLayout();
    void EndLayout();
    Ogre::SceneNode* Node(int slot) const {
        return slot >= 0 && slot < kNodeCapacity ? m_nodes[slot] : nullptr;
    }
    Ogre::SceneNode* GizmoNode() const { return m_gizmoNode; }

    // Call before changing the transform of one of the gizmo's nodes (see there).
    void BeforeNodeChange();
    // Puts node `slot` at a position and uniform scale (and turn, when given) and shows or
    // hides it; a placement that changes nothing leaves the node's transform alone.
    void PlaceNode(int slot, const Ogre::Vector3& position, float scale,
                   const Ogre::Quaternion* orientation, bool visible = true);
    // Moves node `slot` to a position.
    void MoveNode(int slot, const Ogre::Vector3& position);
    // Whether the world box of node `slot`'s entity touches the view's pick region.
    bool NodeBoxHit(IView* view, int slot) const;

    void SetNormalColours();
    void SetMaterialColour(int index, const Ogre::ColourValue& colour);
    // Normal colours, then the highlight of the part's material and axis line.
    void Highlight(const GizmoPartRow& row);
    // Writes the axis lines, the line of axis `highlighted` in the highlight colour (none for a
    // value that is no axis); without points, the last points again.
    void UpdateAxisMesh(const Ogre::Vector3* points, int highlighted);

    // Per-view layout, and its copy taken at a press.
    GizmoViewState views[GizmoGeometry::kViewCount];
    GizmoViewState savedViews[GizmoGeometry::kViewCount];
    // Where the entity stood at the last layout.
    Ogre::Vector3 entityPosition = Ogre::Vector3::ZERO;
    Ogre::Vector3 entityOrientation = Ogre::Vector3::ZERO;
    // One segment per axis from the centre, kAxisLength long.
    Ogre::Vector3 axisTemplate[GizmoGeometry::kAxisLinePoints];

private:
    Ogre::SceneNode* m_nodes[kNodeCapacity] = {};
    // One past the highest node slot made.
    int m_nodeEnd = 0;
    Ogre::SceneNode* m_gizmoNode = nullptr;
    // The scene manager the nodes and entities were made in.
    Ogre::SceneManager* m_sceneManager = nullptr;
    // The registered materials, in the order they were made.
    struct PartMaterial {
        Ogre::MaterialPtr material;
        const char* name = nullptr;
        Ogre::ColourValue normal;
        float opacity = kOpaque;
        // Colour last set, so an unchanged colour is not set again every frame.
        Ogre::ColourValue colour;
        bool colourSet = false;
    };
    PartMaterial m_materials[kMaterialCapacity];
    int m_materialCount = 0;
    // Every material holds its normal colour (as SetNormalColours last left them).
    bool m_allNormal = false;
    // Inside a layout: what each node is to be when it ends.
    bool m_inLayout = false;
    bool m_wanted[kNodeCapacity] = {};
    // Held from the build so that the per-frame updates look nothing up by name.
    Ogre::MeshPtr m_axisMesh;
    // Positions last written into the axis mesh (its buffer is write-only), and the highlighted
    // axis written with them; an update that would write the same again writes nothing.
    Ogre::Vector3 m_axisPositions[GizmoGeometry::kAxisLinePoints];
    int m_axisHighlight = -1;
    bool m_axisWritten = false;
};

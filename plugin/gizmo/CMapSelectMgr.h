// The transform gizmo: arrows (move), rings (rotate) and boxes (scale) drawn with engine meshes
// over the current entity in up to four views, at a constant size on screen.
//
// The manager keeps what every mode shares (the scene part with nodes, materials and per-view
// layout, the mode, the current entity, the highlight of the grabbed part and the drag state)
// and hands building, layout, picking and dragging to the handle set of the mode: the move,
// rotate and scale handles, and any set added to it. From the press to the release the held
// part's set owns the drag, and each step's result carries all of it.
#pragma once

#include "CMoveHandles.h"
#include "CRotateHandles.h"
#include "CScaleHandles.h"
#include "EditorTypes.h"
#include "GizmoConstants.h"
#include "GizmoDragRules.h"
#include "GizmoHandleSet.h"
#include "GizmoScene.h"

#include <OgreVector.h>

#include <memory>
#include <vector>

namespace Ogre {
class SceneNode;
}
class CGameEngine;
class IView;
class IViewHost;
class SceneEntity;

class CMapSelectMgr {
public:
    CMapSelectMgr();
    virtual ~CMapSelectMgr();

    // Builds meshes, materials, entities and nodes once; everything starts hidden.
    int Create(CGameEngine* engine, IViewHost* viewHost);
    // Adds a handle set, made on Scene(), for a mode no other set shows; it is built at once
    // when the gizmo is (and by every later Create), after the built-in sets. 0 (and the set
    // dropped) when its mode, one of its parts or one of its nodes is another set's, a node is
    // not below kNodeCapacity, or there is no room for another set.
    int AddHandleSet(std::unique_ptr<CGizmoHandleSet> set);
    // What the handle sets share, for a set made outside.
    CGizmoScene& Scene() { return m_scene; }
    // Forgets the materials, meshes, nodes and the engine, leaving them to the engine (a later
    // Create takes them over).
    int ReleaseMaterials();
    // On unload: removes every node, entity, mesh and material the gizmo made from the engine,
    // then forgets them and the engine as ReleaseMaterials does.
    int RemoveFromEngine();
    // Takes the host's current selection as the gizmo's entity, as a selection notice would,
    // and lays out the views when the gizmo shows something. For a gizmo that was built while
    // entities were selected already (the module loaded after the selection was made).
    void FollowSelection();

    // Stores the mode as given (a value outside GizmoMode shows and grabs nothing) and lays
    // out every view.
    int SetMode(int mode);
    int GetMode() const { return m_mode; }
    int HasEntity() const { return m_entity != nullptr; }
    // The pieces of the last drag step one by one (read access for tests); the plug-in takes
    // them together from the result of OnPress, OnDrag and OnTyped.
    GizmoPart GetDragPart() const { return m_drag.part; }
    Ogre::Vector3 GetDragResult() const { return m_step.result; }
    void GetRotation(Ogre::Vector3& axis, float& angle) const;

    int OnSceneNotify(void* object, int redraw, int code);
    int UpdateView(IView* view, int viewNumber);
    void HideAll() { m_scene.HideAll(); }

    // A press that grabs a part (1) fills `result`, when given, with the drag as it starts:
    // nothing changed yet.
    int OnPress(IView* view, int viewNumber, int keyFlags, int x, int y,
                GizmoDragResult* result = nullptr);
    // A step while a part is held (1, or RESULT_NOTHING_NEW when it gives nothing new) fills
    // `result`, when given, with the whole drag as it stands after it: on 1 what the plug-in
    // applies, on RESULT_NOTHING_NEW what it applied last (for the status line).
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
    // The editor's axes and pivot settings. The axes take effect at the next layout; while a
    // part is held the drag keeps the settings of its press.
    void SetOptions(const GizmoOptions& options);
    const GizmoOptions& GetOptions() const { return m_options; }
    // Whether the held part takes an exact typed amount (see CGizmoHandleSet::Typed); false
    // while nothing is held.
    bool TakesTypedAmount() const;
    // The held part's drag set to a typed total since the press, as a drag step would set it:
    // 1, RESULT_NOTHING_NEW, or 0 when the part takes no typed amount (or no such amount).
    // While a part that takes amounts is held, `result` (when given) is filled as OnDrag
    // fills it.
    int OnTyped(int viewNumber, float amount, GizmoDragResult* result = nullptr);
    int OnHover(int, int) { return 0; }
    // The pointer over view n without a button: the part a press there would grab (same pick
    // rules and priorities, nothing started) is drawn highlighted, the one before goes back to
    // its colour. A point outside the view's pixels hovers nothing. Answers 1 when the hovered
    // part changed (the views were asked to redraw), 0 when it did not or a part is held.
    int OnPointerHover(IView* view, int viewNumber, int x, int y);
    // The part under the pointer since the last hover, press or release; None when nothing.
    GizmoPart GetHoverPart() const { return m_hover; }
    // The part a press at (x, y) in view n would grab, without grabbing it; with `ignoreLock`
    // also on an entity that may not be transformed (to tell the user why a press did nothing).
    GizmoPart PartAt(IView* view, int viewNumber, int x, int y, bool ignoreLock);
    // The part drawn highlighted: the held one during a drag, else the hovered one.
    GizmoPart GetHighlightPart() const { return m_highlight; }
    // What the last drag step gave as a total since the press: the scale factor (scale mode;
    // read access for tests, the plug-in takes it from the step's result).
    float GetScaleTotal() const { return m_step.previousScale; }
    // The held part's step state, and putting an earlier one back (an amount the plug-in
    // refused after the gizmo worked it out): a stretched scale gizmo goes back to its total.
    const GizmoDragStep& GetStep() const { return m_step; }
    void RestoreStep(const GizmoDragStep& step);

    // Read access for tests.
    SceneEntity* GetEntity() const { return m_entity; }
    const GizmoViewState& GetViewState(int viewNumber) const { return m_scene.views[viewNumber]; }
    // The element of the highlighted part (GizmoElement, or an axis).
    int GetActiveElement() const { return PartInfo(m_highlight).element; }
    const GizmoDragState& GetDragState() const { return m_drag; }
    Ogre::SceneNode* GetNode(int index) const { return m_scene.Node(index); }
    // The one node all of the above hang under (a child of the scene's root, never moved).
    Ogre::SceneNode* GetGizmoNode() const { return m_scene.GizmoNode(); }

private:
    // The handle set a mode shows, or null (select mode, or no mode at all).
    CGizmoHandleSet* HandlesOf(int mode) const;
    // The row of a part of any of the sets (an added set's too), no part's row for none. The
    // manager reads every part's row and number through these, never the table's directly.
    const GizmoPartRow& PartInfo(GizmoPart part) const;
    int PartNumber(GizmoPart part) const { return PartInfo(part).number; }
    // The set that owns the drag under way: the held part's, from the press to the release or
    // cancel, whatever the mode is meanwhile; null while nothing is held.
    CGizmoHandleSet* DragSet() const;
    // Normal colours, then the highlight of the part's material and axis line.
    void Highlight(GizmoPart part);
    // Fills `drag` from a pick at (x, y) in view n (laid out for it first) and answers the part
    // found; the caller checked the entity, mode and view.
    GizmoPart Pick(IView* view, int viewNumber, int x, int y, GizmoDragState& drag);
    // Highlights `part` as the hovered one and asks for a redraw when that changes anything.
    int SetHover(GizmoPart part);
    // A turn matrix kept with the (pitch, yaw, roll) it was made from.
    struct RotationCache {
        Ogre::Vector3 key = Ogre::Vector3::ZERO;
        d3dx::RowMatrix matrix;
        bool valid = false;
    };
    // The layout of UpdateView, between the scene's BeginLayout and EndLayout.
    int LayOut(IView* view, int viewNumber);
    // The row matrix of a (pitch, yaw, roll), made again only when it changed.
    static void RotationOf(const Ogre::Vector3& ypr, RotationCache& cache);
    // Puts a stretched gizmo back as it was at the press and ends the drag.
    void EndDrag();
    // The drag as it stands after a step: what the plug-in applies and shows. `previousScale`
    // is the scale total since the press before that step.
    void FillResult(GizmoDragResult& result, float previousScale) const;

    CGizmoScene m_scene;
    CMoveHandles m_move{m_scene};
    CRotateHandles m_rotate{m_scene};
    CScaleHandles m_scale{m_scene};
    // Every set, in the order they are built: arrows, then boxes, then rings (the nodes and
    // entities a drag step of the scale handles touches then lie next to those of the arrows,
    // not beyond the rings': with the rings built between them, a scale drag step measured
    // about a fifth slower), then the added sets.
    static constexpr int kSetCapacity = 8;
    CGizmoHandleSet* m_sets[kSetCapacity] = {&m_move, &m_scale, &m_rotate};
    int m_setCount = 3;
    std::vector<std::unique_ptr<CGizmoHandleSet>> m_addedSets;

    int m_mode = MODE_SELECT;
    SceneEntity* m_entity = nullptr;
    CGameEngine* m_engine = nullptr;
    IViewHost* m_viewHost = nullptr;
    // Fixed at the press; part None while nothing is held.
    GizmoDragState m_drag;
    GizmoDragStep m_step;
    // The part drawn highlighted: the held part during a drag, else the hovered one.
    GizmoPart m_highlight = GizmoPart::None;
    // The part under the pointer when it last moved without a button (None off the gizmo).
    GizmoPart m_hover = GizmoPart::None;
    SnapSteps m_snap;
    GizmoOptions m_options;
    PixelRect m_pickOffsets = GizmoGeometry::kPickOffsets;
    // The entity's turn and each view's turn as the last layout made them.
    RotationCache m_entityRotation;
    RotationCache m_viewRotations[GizmoGeometry::kViewCount];
};

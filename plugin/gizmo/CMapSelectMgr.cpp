// The gizmo manager: construction, mode, following the host selection, the layout common to
// every mode, and the press, drag and release handed to the handle set of the mode. From the
// press to the release the drag belongs to the set of the held part (DragSet), whatever the
// mode does meanwhile; each step hands the plug-in the whole drag as it stands (FillResult).
#include "CMapSelectMgr.h"

#include "CGameEngine.h"
#include "CSceneManager.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"

#include <OgreSceneManager.h>

#include <cmath>
#include <cstring>

using namespace GizmoGeometry;

CMapSelectMgr::CMapSelectMgr() = default;

CMapSelectMgr::~CMapSelectMgr() = default;

CGizmoHandleSet* CMapSelectMgr::HandlesOf(int mode) const {
    for (int i = 0; i < m_setCount; ++i)
        if (m_sets[i]->Mode() == mode)
            return m_sets[i];
    return nullptr;
}

const GizmoPartRow& CMapSelectMgr::PartInfo(GizmoPart part) const {
    // Asked every layout for the highlight, which is mostly none.
    if (part == GizmoPart::None)
        return kPartTable[0];
    for (int i = 0; i < m_setCount; ++i)
        if (const GizmoPartRow* row = m_sets[i]->Row(part))
            return *row;
    return kPartTable[0];
}

int CMapSelectMgr::AddHandleSet(std::unique_ptr<CGizmoHandleSet> set) {
    if (!set || m_setCount == kSetCapacity || set->Mode() == MODE_SELECT || HandlesOf(set->Mode()))
        return 0;
    // Its parts and nodes must be its own: a part or node of two sets would be drawn, picked or
    // highlighted by the wrong one.
    for (const GizmoPartRow& row : set->Rows()) {
        if (row.part == GizmoPart::None || PartInfo(row.part).part != GizmoPart::None ||
            row.node >= kNodeCapacity || row.node == NODE_AXIS_LINES)
            return 0;
        for (int i = 0; i < m_setCount; ++i)
            for (const GizmoPartRow& other : m_sets[i]->Rows())
                if (row.node >= 0 && other.node == row.node)
                    return 0;
    }
    m_sets[m_setCount++] = set.get();
    m_addedSets.push_back(std::move(set));
    if (Ogre::SceneManager* sm = m_engine ? m_engine->GetOgreSceneManager() : nullptr) {
        m_sets[m_setCount - 1]->RegisterMaterials();
        m_sets[m_setCount - 1]->Build(m_engine, sm);
        HideAll();
    }
    return 1;
}

CGizmoHandleSet* CMapSelectMgr::DragSet() const {
    return m_drag.part == GizmoPart::None ? nullptr : HandlesOf(PartInfo(m_drag.part).mode);
}

int CMapSelectMgr::Create(CGameEngine* engine, IViewHost* viewHost) {
    if (!engine)
        return 0;
    Ogre::SceneManager* sm = engine->GetOgreSceneManager();
    if (!sm)
        return 0;
    m_engine = engine;
    m_viewHost = viewHost;
    m_scene.CreateRoot(sm);
    for (int i = 0; i < m_setCount; ++i) {
        m_sets[i]->RegisterMaterials();
        m_sets[i]->Build(engine, sm);
    }
    m_scene.CreateAxisLines(sm);
    m_entity = nullptr;
    m_drag.part = GizmoPart::None;
    HideAll();
    // Loaded while entities are selected: the gizmo stands on them from the first frame.
    FollowSelection();
    return 0;
}

int CMapSelectMgr::ReleaseMaterials() {
    // Without the engine the gizmo cannot draw; letting go of the meshes and nodes here also
    // means nothing of ours outlives the engine's root when the host shuts down.
    m_scene.Release();
    for (int i = 0; i < m_setCount; ++i)
        m_sets[i]->Release();
    m_engine = nullptr;
    m_entity = nullptr;
    m_drag.part = GizmoPart::None;
    return 0;
}

int CMapSelectMgr::RemoveFromEngine() {
    Ogre::SceneManager* sm = m_engine ? m_engine->GetOgreSceneManager() : nullptr;
    for (int i = 0; i < m_setCount; ++i)
        m_sets[i]->RemoveMeshes();
    m_scene.Destroy(sm);
    return ReleaseMaterials();
}

void CMapSelectMgr::FollowSelection() {
    if (!m_engine || m_drag.part != GizmoPart::None)
        return;
    OnSceneNotify(nullptr, 0, NOTIFY_SELECTION);
}

void CMapSelectMgr::GetRotation(Ogre::Vector3& axis, float& angle) const {
    axis = m_step.rotationAxis;
    angle = m_step.rotationAngle;
}

int CMapSelectMgr::SetMode(int mode) {
    // Stored as given: a value outside the four modes lays out, grabs and drags nothing.
    m_mode = mode;
    // A part hovered in the old mode is not under the pointer in the new one (a held part
    // stays: its drag ends at the release).
    if (m_drag.part == GizmoPart::None && m_highlight != GizmoPart::None) {
        m_highlight = m_hover = GizmoPart::None;
        Highlight(GizmoPart::None);
    }
    if (!m_viewHost)
        return 0;
    for (int n = 0; n < kViewCount; ++n)
        if (IView* view = m_viewHost->view(n))
            UpdateView(view, n);
    m_viewHost->redraw();
    return 0;
}

int CMapSelectMgr::OnSceneNotify(void* object, int redraw, int code) {
    CSceneManager* scene = m_engine ? m_engine->GetSceneManager() : nullptr;
    switch (code) {
    case NOTIFY_SCENE_RESET:
        m_entity = nullptr;
        break;
    case NOTIFY_SELECTION:
        if (m_entity && (!scene || !scene->isEntitySelected(m_entity->GetName()))) {
            m_entity = nullptr;
            m_highlight = GizmoPart::None;
            m_hover = GizmoPart::None;
        }
        if (scene) {
            const std::set<std::string>& selected = scene->getSelectedEntities();
            if (!selected.empty())
                m_entity = scene->getSceneEntity(*selected.begin());
        }
        break;
    case NOTIFY_REMOVED:
        if (object && object == static_cast<void*>(m_entity))
            m_entity = nullptr;
        break;
    default:
        break;
    }
    // A move, turn or scale of an entity the gizmo's entity does not depend on would give the
    // same layout again: only the views are redrawn. A drag of n entities so lays the gizmo out
    // once per step instead of n times.
    const bool oneEntityChanged =
        code == NOTIFY_MOVED || code == NOTIFY_SCALED || code == NOTIFY_ROTATED;
    const bool sameLayout = oneEntityChanged && object && !WorldDependsOn(m_entity, object);
    if (redraw && m_mode != MODE_SELECT && m_viewHost) {
        IView* view0 = sameLayout ? nullptr : m_viewHost->view(0);
        const CGizmoHandleSet* set = HandlesOf(m_mode);
        const bool keep = set && set->KeepsLayoutWhileDragging() && m_drag.part != GizmoPart::None;
        if (view0 && !keep)
            UpdateView(view0, 0);
        m_viewHost->redraw();
    }
    return 0;
}

int CMapSelectMgr::UpdateView(IView* view, int viewNumber) {
    // The nodes are shown or hidden once, at the end, as the layout leaves them.
    m_scene.BeginLayout();
    const int answer = LayOut(view, viewNumber);
    m_scene.EndLayout();
    return answer;
}

void CMapSelectMgr::RotationOf(const Ogre::Vector3& ypr, RotationCache& cache) {
    // Bits compared: a NaN never matches, so it is worked out (and refused later) every time.
    if (cache.valid && std::memcmp(&cache.key, &ypr, sizeof ypr) == 0)
        return;
    d3dx::MatrixRotationYawPitchRoll(cache.matrix, ypr.y, ypr.x, ypr.z);
    cache.key = ypr;
    cache.valid = true;
}

int CMapSelectMgr::LayOut(IView* view, int viewNumber) {
    m_scene.HideAll();
    if (!m_entity || !view || !m_engine || viewNumber < 0 || viewNumber >= kViewCount)
        return 0;
    if (GetActiveElement() == ELEMENT_NONE)
        m_scene.SetNormalColours();
    GizmoViewState& state = m_scene.views[viewNumber];
    for (int& f : state.shown)
        f = 1;

    const Ogre::Vector3 position = m_entity->GetWorldPosition();
    const Ogre::Vector3 orientation = m_entity->GetWorldOrientation();
    const PixelRect rect = view->pixelRect();
    Ogre::Vector3 projected(0, 0, 0);
    float s = 0.0f;
    Ogre::Vector3 viewOrientation(0, 0, 0);
    bool visible = d3dx::IsFinite(position) && d3dx::IsFinite(orientation) &&
                   rect.right > rect.left && rect.bottom > rect.top;
    if (visible) {
        view->projectPoint(projected, position, nullptr);
        s = view->sizeFactor(position);
        viewOrientation = view->viewOrientation();
        // The largest extent of the gizmo is the outer ring; everything laid out must stay
        // finite.
        const float reach = kLayoutReach * s;
        visible =
            s > 0.0f && std::isfinite(reach) && d3dx::IsFinite(position + Ogre::Vector3(reach)) &&
            d3dx::IsFinite(position - Ogre::Vector3(reach)) && d3dx::IsFinite(viewOrientation);
        if (visible && view->checksDepth())
            visible = projected.z > 0.0f && projected.z < 1.0f;
    }
    if (!visible) {
        for (int& f : state.shown)
            f = 0;
        view->setPickRegion(nullptr, nullptr);
        return 1;
    }
    m_scene.entityPosition = position;
    m_scene.entityOrientation = orientation;

    GizmoPlacement placement;
    placement.position = position;
    placement.orientation = orientation;
    // The turns are worked out again only when the entity or the view turned.
    RotationOf(orientation, m_entityRotation);
    RotationOf(viewOrientation, m_viewRotations[viewNumber]);
    placement.rotation = m_entityRotation.matrix;
    d3dx::RowMatrix translation(d3dx::kUnset), scaling(d3dx::kUnset);
    d3dx::MatrixTranslation(translation, position.x, position.y, position.z);
    d3dx::MatrixScaling(scaling, s, s, s);
    d3dx::MatrixMultiply(placement.scaleTranslate, scaling, translation);
    d3dx::MatrixMultiply(state.viewFacing, m_viewRotations[viewNumber].matrix, scaling);
    state.viewFacing.SetTranslation(position);
    state.sizeFactor = s;
    placement.heldAxis = PartInfo(m_highlight).axis;
    placement.localAxes = m_options.space == SPACE_LOCAL;

    if (CGizmoHandleSet* set = HandlesOf(m_mode))
        set->Layout(view, state, placement);
    view->setPickRegion(nullptr, nullptr);
    return 1;
}

GizmoPart CMapSelectMgr::Pick(IView* view, int viewNumber, int x, int y, GizmoDragState& drag) {
    // The nodes are shared by all views and stand where the last laid-out view put them (view 0
    // after every frame); lay out the pointer's view so the tested parts are the ones seen there.
    UpdateView(view, viewNumber);
    const PixelRect rect{x + m_pickOffsets.left, y + m_pickOffsets.top, x + m_pickOffsets.right,
                         y + m_pickOffsets.bottom};
    drag = GizmoDragState();
    drag.view = view;
    drag.viewIndex = viewNumber;
    drag.x = x;
    drag.y = y;
    GizmoPart part = GizmoPart::None;
    if (CGizmoHandleSet* set = HandlesOf(m_mode))
        part = set->Pick(m_scene.views[viewNumber], rect, drag);
    drag.part = part;
    view->setPickRegion(nullptr, nullptr);
    return part;
}

GizmoPart CMapSelectMgr::PartAt(IView* view, int viewNumber, int x, int y, bool ignoreLock) {
    if (!m_entity || m_mode == MODE_SELECT || (!ignoreLock && !m_entity->EnabledTrnaform()))
        return GizmoPart::None;
    if (!view || viewNumber < 0 || viewNumber >= kViewCount || !m_engine)
        return GizmoPart::None;
    // Off the view's pixels the pointer is over nothing of it.
    const PixelRect pixels = view->pixelRect();
    if (x < pixels.left || y < pixels.top || x >= pixels.right || y >= pixels.bottom)
        return GizmoPart::None;
    GizmoDragState probe;
    return Pick(view, viewNumber, x, y, probe);
}

int CMapSelectMgr::SetHover(GizmoPart part) {
    if (part == m_hover && part == m_highlight)
        return 0;
    m_hover = part;
    m_highlight = part;
    Highlight(part);
    if (m_viewHost)
        m_viewHost->redraw();
    return 1;
}

int CMapSelectMgr::OnPointerHover(IView* view, int viewNumber, int x, int y) {
    if (m_drag.part != GizmoPart::None)
        return 0;
    return SetHover(PartAt(view, viewNumber, x, y, false));
}

int CMapSelectMgr::OnPress(IView* view, int viewNumber, int keyFlags, int x, int y,
                           GizmoDragResult* result) {
    if (!m_entity || m_mode == MODE_SELECT || (keyFlags & KEY_RBUTTON) ||
        !m_entity->EnabledTrnaform())
        return 0;
    if (!view || viewNumber < 0 || viewNumber >= kViewCount || !m_engine)
        return 0;

    // While a part is held, the highlight of what was hovered before must not be kept.
    m_highlight = GizmoPart::None;
    m_step = GizmoDragStep(); // nothing since this press yet
    const GizmoPart part = Pick(view, viewNumber, x, y, m_drag);
    if (part == GizmoPart::None) {
        m_hover = GizmoPart::None;
        Highlight(GizmoPart::None);
        return 0;
    }

    // What the pick recorded for the drag is the press's.
    if (CGizmoHandleSet* set = HandlesOf(m_mode))
        set->Grabbed();
    m_hover = part;
    m_highlight = part;
    Highlight(part);
    for (int n = 0; n < kViewCount; ++n)
        m_scene.savedViews[n] = m_scene.views[n];
    if (m_viewHost)
        m_viewHost->redraw();
    if (result)
        FillResult(*result, m_step.previousScale);
    return 1;
}

void CMapSelectMgr::Highlight(GizmoPart part) {
    m_scene.Highlight(PartInfo(part));
}

int CMapSelectMgr::OnDrag(IView*, int viewNumber, int keyFlags, int x, int y,
                          GizmoDragResult* result) {
    if (m_drag.part == GizmoPart::None)
        return 0;
    CGizmoHandleSet* set = DragSet();
    const float previousScale = m_step.previousScale;
    int answer = RESULT_NOTHING_NEW;
    if (m_drag.view && set) {
        // Ctrl held during a step rounds the drag's total since the press; each step decides
        // afresh, so letting go of Ctrl continues from the pointer.
        const bool snap = (keyFlags & KEY_CTRL) != 0;
        m_step.axisTurn = false;
        answer = set->Drag(m_drag, m_step, viewNumber, x, y, snap ? &m_snap : nullptr);
    }
    if (result)
        FillResult(*result, previousScale);
    return answer;
}

void CMapSelectMgr::FillResult(GizmoDragResult& result, float previousScale) const {
    // Turns about an axis are applied as such; every other result is applied as the held
    // part's set says.
    const CGizmoHandleSet* set = DragSet();
    result.part = PartNumber(m_drag.part);
    result.kind = m_step.axisTurn ? DRAG_KIND_AXIS_TURN : set ? set->Mode() : DRAG_KIND_NONE;
    result.value = m_step.result;
    result.axis = m_step.rotationAxis;
    result.angle = m_step.rotationAngle;
    result.scaleTotal = m_step.previousScale;
    result.previousScaleTotal = previousScale;
    // The centre box scales alike on every axis: no axis to spread the positions along.
    result.scaleAxis =
        m_drag.part == GizmoPart::ScaleAll ? Ogre::Vector3::ZERO : m_drag.axisDirection;
    result.pivot = m_options.pivot;
}

void CMapSelectMgr::SetOptions(const GizmoOptions& options) {
    if (m_drag.part == GizmoPart::None)
        m_options = options;
}

bool CMapSelectMgr::TakesTypedAmount() const {
    const CGizmoHandleSet* set = DragSet();
    return m_drag.view && set && set->TakesTypedAmount(m_drag.part);
}

int CMapSelectMgr::OnTyped(int viewNumber, float amount, GizmoDragResult* result) {
    if (!TakesTypedAmount())
        return 0;
    const float previousScale = m_step.previousScale;
    m_step.axisTurn = false;
    const int answer = DragSet()->Typed(m_drag, m_step, viewNumber, amount);
    if (result)
        FillResult(*result, previousScale);
    return answer;
}

void CMapSelectMgr::RestoreStep(const GizmoDragStep& step) {
    if (m_drag.part == GizmoPart::None)
        return;
    m_step = step;
    if (CGizmoHandleSet* set = DragSet())
        set->ShowStep(m_drag, m_step);
    if (m_viewHost)
        m_viewHost->redraw();
}

int CMapSelectMgr::OnRelease(IView* view, int viewNumber, int, int x, int y) {
    if (m_drag.part == GizmoPart::None)
        return 0;
    EndDrag();
    // Nothing stays highlighted for having been held: the highlight goes back to what is under
    // the pointer where it was let go.
    m_highlight = GizmoPart::None;
    m_hover = GizmoPart::None;
    SetHover(PartAt(view, viewNumber, x, y, false));
    Highlight(m_highlight);
    return 1;
}

int CMapSelectMgr::CancelDrag() {
    if (m_drag.part == GizmoPart::None)
        return 0;
    EndDrag();
    // Nothing is held any more and nothing was done: the gizmo shows its normal colours until
    // the pointer moves over a part again.
    m_highlight = GizmoPart::None;
    m_hover = GizmoPart::None;
    m_scene.SetNormalColours();
    m_scene.UpdateAxisMesh(nullptr, -1);
    return 1;
}

void CMapSelectMgr::EndDrag() {
    if (CGizmoHandleSet* set = DragSet())
        set->EndDrag(m_drag, PartInfo(m_highlight).axis);
    m_drag.part = GizmoPart::None;
    if (m_viewHost)
        m_viewHost->redraw();
}

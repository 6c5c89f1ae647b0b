// The move handles: arrows along the world axes; a drag follows the pointer along the grabbed
// axis line and gives the displacement since the press.
#include "CMoveHandles.h"

#include "CGameEngine.h"
#include "ID3dUtil.h"
#include "IView.h"

#include <OgreQuaternion.h>

#include <cstdio>

using namespace GizmoGeometry;

namespace {

Ogre::Quaternion NormalisedQuaternion(float w, float x, float y, float z) {
    Ogre::Quaternion q(w, x, y, z);
    q.normalise();
    return q;
}

// The cone mesh points along +Y: the X and Z arrows are turned onto their axes.
const Ogre::Quaternion kArrowX = NormalisedQuaternion(-1, 0, 0, 1);
const Ogre::Quaternion kArrowZ = NormalisedQuaternion(1, 1, 0, 0);

} // namespace

void CMoveHandles::Build(CGameEngine* engine, Ogre::SceneManager* sm) {
    // The host leaves an existing mesh as it is.
    engine->CreateConeMesh(kConeMesh, Ogre::Vector3(-kConeHalfWidth, 0.0f, -kConeHalfWidth),
                           Ogre::Vector3(kConeHalfWidth, kConeHeight, kConeHalfWidth),
                           kConeSegments, kMeshColour);
    for (int i = 0; i < kAxisCount; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, kPartEntityFormat, kArrowEntityFirst + i);
        m_scene.AddPart(sm, NODE_ARROW_X + i, name, kConeMesh, MATERIAL_RED + i, kRenderQueue);
    }
}

void CMoveHandles::Layout(IView*, GizmoViewState& state, const GizmoPlacement& placement) {
    const float s = state.sizeFactor;
    for (int i = 0; i < kAxisCount; ++i) {
        state.elements[i] = placement.scaleTranslate;
        const Ogre::Vector3 coneBase = d3dx::Vec3TransformCoord(m_scene.axisTemplate[2 * i + 1] *
                                                                    (kArrowConeBase / kAxisLength),
                                                                placement.scaleTranslate);
        state.axisPoints[2 * i] = placement.position;
        state.axisPoints[2 * i + 1] = coneBase;
        const Ogre::Quaternion* turn = i == 0 ? &kArrowX : (i == 2 ? &kArrowZ : nullptr);
        m_scene.PlaceNode(NODE_ARROW_X + i, coneBase, s, turn);
    }
    m_scene.UpdateAxisMesh(state.axisPoints, placement.heldAxis);
    m_scene.Show(NODE_AXIS_LINES);
}

GizmoPart CMoveHandles::Pick(GizmoViewState& state, const PixelRect& rect, GizmoDragState& drag) {
    IView* view = drag.view;
    GizmoPart part = GizmoPart::None;
    int axis = 0;
    for (int i = 0; i < kAxisCount && part == GizmoPart::None; ++i) {
        if (!state.shown[i])
            continue;
        view->setPickRegion(&rect, nullptr);
        bool hit = m_scene.NodeBoxHit(view, NODE_ARROW_X + i);
        if (!hit) {
            view->setPickRegion(&rect, nullptr);
            hit = view->testSegment(state.axisPoints[2 * i], state.axisPoints[2 * i + 1],
                                    nullptr) != 2;
        }
        if (hit) {
            axis = i;
            part = AxisPart(GizmoPart::MoveX, i);
        }
    }
    if (part == GizmoPart::None)
        return part;
    GizmoSetupAxisLine(drag, state, axis);
    Ogre::Vector3 nearPoint, farPoint, onRay, onAxis(Ogre::Vector3::ZERO), between;
    // A degenerate ray gives nothing to measure the drag from.
    const bool ray = GizmoPressRay(view, drag.x, drag.y, nearPoint, farPoint);
    if (ray)
        ID3dUtil::IntersectLineSegments(nearPoint, farPoint, drag.axisLine[0], drag.axisLine[1],
                                        onRay, onAxis, between);
    drag.start = onAxis;
    if (!ray || !d3dx::IsFinite(drag.start))
        return GizmoPart::None;
    return part;
}

int CMoveHandles::Drag(const GizmoDragState& drag, GizmoDragStep& step, int, int x, int y,
                       const SnapSteps* snap) {
    Ogre::Vector3 o, f, onRay, onAxis, between;
    if (!GizmoPressRay(drag.view, x, y, o, f))
        return RESULT_NOTHING_NEW;
    ID3dUtil::IntersectLineSegments(o, f, drag.axisLine[0], drag.axisLine[1], onRay, onAxis,
                                    between);
    Ogre::Vector3 value = onAxis - drag.start;
    if (snap)
        value = GizmoDragRules::SnapAlongAxis(value, drag.axisDirection, snap->move);
    if (!d3dx::IsFinite(value) || value == step.lastValue)
        return RESULT_NOTHING_NEW;
    step.lastValue = step.result = value;
    return 1;
}

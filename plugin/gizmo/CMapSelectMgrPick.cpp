// Picking the gizmo part under the pointer at a press, and the highlight of what was grabbed.
#include "CMapSelectMgr.h"

#include "ID3dUtil.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "D3dxMath.h"

#include <OgreEntity.h>
#include <OgreSceneNode.h>

#include <cmath>
#include <cstring>

using namespace GizmoGeometry;

namespace {

// Whether the world box of the entity hanging on `node` touches the pick region.
bool NodeBoxHit(IView* view, Ogre::SceneNode* node) {
    if (!node || node->numAttachedObjects() == 0)
        return false;
    const Ogre::AxisAlignedBox& box = node->getAttachedObject(0)->getWorldBoundingBox(true);
    if (!box.isFinite())
        return false;
    return view->testBox(box.getMinimum(), box.getMaximum()) != 2;
}

} // namespace

int CMapSelectMgr::OnPress(IView* view, int viewNumber, int keyFlags, int x, int y) {
    if (!m_entity || m_mode == MODE_SELECT || (keyFlags & KEY_RBUTTON) ||
        !m_entity->EnabledTrnaform())
        return 0;
    if (!view || viewNumber < 0 || viewNumber >= kViewCount || !m_engine)
        return 0;

    // The nodes are shared by all views and stand where the last laid-out view put them (view 0
    // after every frame); lay out the pressed view so the tested parts are the ones seen there.
    // While a part is held, the highlight of a previous grab must not be kept.
    m_activeElement = ELEMENT_NONE;
    UpdateView(view, viewNumber);

    m_prevScale = 1.0f;
    const PixelRect rect{x + m_pickOffsets.left, y + m_pickOffsets.top, x + m_pickOffsets.right,
                         y + m_pickOffsets.bottom};
    m_pressView = view;
    m_pressViewIndex = viewNumber;
    m_pressX = x;
    m_pressY = y;
    m_activeElement = ELEMENT_NONE;
    m_dragPart = PART_NONE;
    m_dragValue = Ogre::Vector3::ZERO;
    GizmoViewState& state = m_views[viewNumber];

    if (m_mode == MODE_MOVE) {
        for (int i = 0; i < kAxisCount && m_dragPart == PART_NONE; ++i) {
            if (!state.shown[i])
                continue;
            view->setPickRegion(&rect, nullptr);
            bool hit = NodeBoxHit(view, m_nodes[NODE_ARROW_X + i]);
            if (!hit) {
                view->setPickRegion(&rect, nullptr);
                hit = view->testSegment(state.axisPoints[2 * i], state.axisPoints[2 * i + 1],
                                        nullptr) != 2;
            }
            if (hit) {
                m_activeElement = i;
                m_dragPart = PART_MOVE_X + i;
            }
        }
        if (m_dragPart != PART_NONE) {
            SetupAxisLine(viewNumber, m_activeElement);
            Ogre::Vector3 nearPoint, farPoint, onRay, onAxis(Ogre::Vector3::ZERO), between;
            // A degenerate ray gives nothing to measure the drag from.
            const bool ray = PressRay(x, y, nearPoint, farPoint);
            if (ray)
                ID3dUtil::IntersectLineSegments(nearPoint, farPoint, m_axisLine[0], m_axisLine[1],
                                                onRay, onAxis, between);
            m_dragStart = onAxis;
            if (!ray || !d3dx::IsFinite(m_dragStart)) {
                m_dragPart = PART_NONE;
                m_activeElement = ELEMENT_NONE;
            }
        }
    } else if (m_mode == MODE_ROTATE) {
        view->setPickRegion(&rect, nullptr);
        for (int i = 0; i < kAxisCount && m_dragPart == PART_NONE; ++i) {
            if (!state.shown[i])
                continue;
            for (int j = 0; j + 1 < state.ringCount[i]; j += 2) {
                if (view->testSegment(state.ringPoints[i][j], state.ringPoints[i][j + 1],
                                      nullptr) != 2) {
                    m_activeElement = i;
                    state.ringAxis = d3dx::Vec3Normalize(
                        d3dx::Vec3TransformNormal(m_axisTemplate[2 * i + 1], state.entityRotation));
                    m_dragPart = PART_ROTATE_X + i;
                    break;
                }
            }
        }
        if (m_dragPart == PART_NONE && state.shown[ELEMENT_OUTER_RING]) {
            view->setPickRegion(&rect, &state.viewFacing);
            for (int k = 0; k < kRingSegments; ++k) {
                if (view->testSegment(m_outerRing[k], m_outerRing[k + 1], &state.viewFacing) != 2) {
                    m_activeElement = ELEMENT_OUTER_RING;
                    m_dragPart = PART_ROTATE_VIEW;
                    state.ringAxis = state.viewNormal;
                    break;
                }
            }
            if (m_dragPart == PART_NONE &&
                view->testSphere(Ogre::Vector3::ZERO, kInnerRingRadius) != 2)
                m_dragPart = PART_ROTATE_FREE;
        }
        if (m_dragPart != PART_NONE) {
            m_dragStart = RotateDirection(x, y);
            // Without a start direction every later step would measure from nothing.
            if (m_dragStart == Ogre::Vector3::ZERO || !d3dx::IsFinite(m_dragStart)) {
                m_dragPart = PART_NONE;
                m_activeElement = ELEMENT_NONE;
            }
        }
    } else if (m_mode == MODE_SCALE) {
        for (int i = 0; i < kAxisCount && m_dragPart == PART_NONE; ++i) {
            if (!state.shown[i])
                continue;
            view->setPickRegion(&rect, nullptr);
            if (NodeBoxHit(view, m_nodes[NODE_BOX_X + i])) {
                m_activeElement = i;
                m_dragPart = PART_SCALE_X + i;
                m_referenceLength = state.axisPoints[2 * i].distance(state.axisPoints[2 * i + 1]);
            }
        }
        if (m_dragPart == PART_NONE && state.shown[kCentreSlot]) {
            view->setPickRegion(&rect, nullptr);
            if (NodeBoxHit(view, m_nodes[NODE_BOX_CENTRE])) {
                m_activeElement = ELEMENT_CENTRE;
                m_dragPart = PART_SCALE_ALL;
            }
        }
        if (m_dragPart != PART_NONE)
            SetupAxisLine(viewNumber, m_activeElement);
    }
    view->setPickRegion(nullptr, nullptr);
    if (m_dragPart == PART_NONE)
        return 0;

    SetNormalColours();
    if (m_activeElement >= 0 && m_activeElement < kAxisCount) {
        SetMaterialColour(MATERIAL_RED + m_activeElement, kHighlightColour);
        UpdateAxisMesh(nullptr, m_activeElement);
    } else if (m_activeElement == ELEMENT_CENTRE) {
        SetMaterialColour(MATERIAL_XYZ, kHighlightColour);
    }
    for (int n = 0; n < kViewCount; ++n)
        m_savedViews[n] = m_views[n];
    if (m_viewHost)
        m_viewHost->redraw();
    return 1;
}

void CMapSelectMgr::SetupAxisLine(int viewNumber, int element) {
    if (element < 0 || element >= kAxisCount || viewNumber < 0 || viewNumber >= kViewCount ||
        !m_pressView)
        return;
    float first = 0.0f, second = 0.0f;
    m_pressView->lineDistances(first, second);
    // An infinite far plane reports 0; the line must still be long enough to cover any drag.
    const float length = (second > 0.0f && std::isfinite(second)) ? second : 100000.0f;
    const GizmoViewState& state = m_views[viewNumber];
    const Ogre::Vector3 c = state.axisPoints[2 * element];
    m_axisDirection = d3dx::Vec3Normalize(state.axisPoints[2 * element + 1] - c);
    m_axisLine[0] = c - m_axisDirection * length;
    m_axisLine[1] = c + m_axisDirection * length;
}

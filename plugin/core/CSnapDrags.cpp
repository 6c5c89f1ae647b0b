#include "CSnapDrags.h"

#include "CSceneManager.h"
#include "CTransformCommit.h"
#include "IView.h"
#include "Interface.h"
#include "SceneEntity.h"
#include "SnapRules.h"

#include <cmath>
#include <limits>

bool CSnapDrags::FindVertex(const PointerEvent& at, int set, float radius,
                            Ogre::Vector3& vertex) const {
    CSceneManager* scene = TransformSteps::HostScene(m_host);
    if (!scene || !at.view)
        return false;
    VertexQuery query{};
    query.view = at.view;
    query.x = at.x;
    query.y = at.y;
    query.radius = radius;
    query.set = set;
    if (scene->vertexQuery(&query) != 1 || !IsFinite(query.vertex))
        return false;
    vertex = query.vertex;
    return true;
}

int CSnapDrags::VertexKey(bool held, bool moveMode) {
    m_vertexKey = held;
    // During a drag the key no longer matters: its marks stay.
    if (m_active != Kind::None)
        return 1;
    if (held && moveMode && m_hovered) {
        Hover(m_hover, moveMode);
        return 1;
    }
    m_marks.Hide();
    return 1;
}

void CSnapDrags::Hover(const PointerEvent& event, bool moveMode) {
    // (-1, -1): the pointer left the view.
    m_hovered = event.view && event.x >= 0 && event.y >= 0;
    if (m_hovered)
        m_hover = event;
    if (m_active != Kind::None)
        return;
    Ogre::Vector3 from;
    if (m_vertexKey && moveMode && m_hovered && FindVertex(event, VERTEX_OF_SELECTED, 0.0f, from))
        m_marks.Show(&from, nullptr);
    else if (m_marks.Count() > 0)
        m_marks.Hide();
}

CSnapDrags::Kind CSnapDrags::PressKind(const PointerEvent& event, bool moveMode,
                                       const SceneEntity* centre) {
    if (!moveMode || !event.view || event.keys.right())
        return Kind::None;
    if (m_vertexKey) {
        Ogre::Vector3 from;
        if (FindVertex(event, VERTEX_OF_SELECTED, 0.0f, from)) {
            m_from = from;
            return Kind::Vertex;
        }
    }
    if (centre && event.keys.ctrl() && event.keys.shift()) {
        Ogre::Vector3 pixel;
        event.view->projectPoint(pixel, centre->GetWorldPosition(), nullptr);
        const float dx = pixel.x - float(event.x), dy = pixel.y - float(event.y);
        if (pixel.z >= 0.0f && pixel.z <= 1.0f && std::sqrt(dx * dx + dy * dy) <= kCentrePixels)
            return Kind::Surface;
    }
    return Kind::None;
}

void CSnapDrags::Begin(Kind kind, const PointerEvent& press) {
    m_active = kind;
    m_hover = press;
    if (kind == Kind::Vertex)
        m_marks.Show(&m_from, nullptr);
    else
        m_marks.Hide();
}

bool CSnapDrags::VertexStep(const PointerEvent& event, Ogre::Vector3& move) {
    if (m_active != Kind::Vertex || !event.view)
        return false;
    Ogre::Vector3 to;
    if (FindVertex(event, VERTEX_OF_OTHERS, kVertexSnapPixels, to)) {
        move = to - m_from;
        // The vertex moved lands on the one found: its mark inside the landing mark.
        m_marks.Show(&to, &to);
        return IsFinite(move);
    }
    // Nothing near: the pointer in the plane facing the view through the vertex.
    const PixelRect rect = event.view->pixelRect();
    Ogre::Vector3 centreNear, centreFar, nearPoint, farPoint, on;
    event.view->rayThroughPixel((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2,
                                centreNear, centreFar);
    event.view->rayThroughPixel(event.x, event.y, nearPoint, farPoint);
    if (!SnapRules::OnPlane(nearPoint, farPoint, m_from, centreFar - centreNear, on))
        return false;
    move = on - m_from;
    m_marks.Show(&on, nullptr);
    return IsFinite(move);
}

bool CSnapDrags::SurfaceStep(const PointerEvent& event, Ogre::Vector3& hit, Ogre::Vector3& normal) {
    if (m_active != Kind::Surface || !event.view || !event.keys.ctrl() || !event.keys.shift())
        return false;
    CSceneManager* scene = TransformSteps::HostScene(m_host);
    if (!scene)
        return false;
    Ogre::Vector3 nearPoint, farPoint;
    event.view->rayThroughPixel(event.x, event.y, nearPoint, farPoint);
    RayQuery query{};
    query.origin = nearPoint;
    query.direction = farPoint - nearPoint;
    query.length = query.direction.length();
    query.distance = std::numeric_limits<float>::max();
    if (!IsFinite(query.direction) || !(query.length > 0.0f))
        return false;
    query.direction /= query.length;
    Ogre::Vector3 n;
    if (scene->surfaceQuery(&query, &n) != 1)
        return false;
    hit = query.origin + query.direction * query.distance;
    normal = n;
    return IsFinite(hit) && IsFinite(normal);
}

void CSnapDrags::End() {
    m_active = Kind::None;
    m_marks.Hide();
}

#include "SelectionBoxes.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "ViewDecorations.h"

#include <OgreManualObject.h>
#include <OgreSceneNode.h>

#include <cmath>

namespace {

const char* const kObjectName = "EditorSelectionBoxes";
// Over the scene (so a box shows through what stands in front of it), under the gizmo, which
// draws in a later queue.
constexpr Ogre::uint8 kQueue = Ogre::RENDER_QUEUE_7;
// The twelve edges of a box as pairs of corner numbers (bit 0 x, bit 1 y, bit 2 z: max).
const int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                           {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

bool Finite(const Ogre::Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The box drawn for an entity: its world bounds, or a small box at its position for a light
// or an entity without a mesh (whose bounds are a point).
bool BoxOf(const CEditorEntity& e, Ogre::Vector3& lo, Ogre::Vector3& hi) {
    Ogre::AxisAlignedBox box;
    if (!e.IsLight() && e.GetOgreEntity())
        box = e.GetWorldBounds();
    if (box.isFinite() && box.getMinimum() != box.getMaximum()) {
        lo = box.getMinimum();
        hi = box.getMaximum();
    } else {
        const Ogre::Vector3 half(CSelectionBoxes::kMarkerHalfSize);
        lo = e.GetWorldPosition() - half;
        hi = e.GetWorldPosition() + half;
    }
    return Finite(lo) && Finite(hi);
}

} // namespace

const Ogre::ColourValue CSelectionBoxes::kSelectedColour(0.8f, 0.8f, 0.2f);
const Ogre::ColourValue CSelectionBoxes::kCurrentColour(1.0f, 1.0f, 0.6f);

CSelectionBoxes::CSelectionBoxes(Ogre::SceneManager* sceneManager, CEditorScene& scene)
    : m_sceneManager(sceneManager), m_scene(scene) {
    m_object = m_sceneManager->createManualObject(kObjectName);
    m_object->setDynamic(true);
    m_object->setRenderQueueGroup(kQueue);
    m_object->setQueryFlags(0);
    m_object->setCastShadows(false);
    m_object->setVisible(false);
    m_sceneManager->getRootSceneNode()->attachObject(m_object);
    m_sceneManager->addListener(this);
}

CSelectionBoxes::~CSelectionBoxes() {
    m_sceneManager->removeListener(this);
    m_sceneManager->destroyManualObject(m_object);
}

void CSelectionBoxes::preUpdateSceneGraph(Ogre::SceneManager*, Ogre::Camera*) {
    Update();
}

bool CSelectionBoxes::Update() {
    const std::uint64_t selection = m_scene.SelectionChanges();
    const std::uint64_t world = CEditorEntity::WorldChanges();
    if (m_built && selection == m_selectionSeen && world == m_worldSeen)
        return false;
    m_built = true;
    m_selectionSeen = selection;
    m_worldSeen = world;
    Build();
    return true;
}

void CSelectionBoxes::Build() {
    ++m_builds;
    m_boxCount = 0;
    m_current.clear();
    const std::set<std::string>& selected = m_scene.getSelectedEntities();
    bool begun = false;
    auto addBox = [&](const CEditorEntity& e, const Ogre::ColourValue& colour) {
        Ogre::Vector3 lo, hi;
        if (!e.IsVisible() || !BoxOf(e, lo, hi))
            return false;
        if (!begun) {
            // The section is kept and refilled: its buffer grows when needed and is reused.
            if (m_object->getSections().empty()) {
                m_object->estimateVertexCount(selected.size() * 24);
                m_object->begin(CViewDecorations::OverlayLineMaterial(),
                                Ogre::RenderOperation::OT_LINE_LIST);
            } else {
                m_object->beginUpdate(0);
            }
            begun = true;
        }
        for (const auto& edge : kEdges)
            for (int corner : edge) {
                m_object->position(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y,
                                   corner & 4 ? hi.z : lo.z);
                m_object->colour(colour);
            }
        ++m_boxCount;
        return true;
    };
    // The current entity last, so that its brighter box is drawn over the others.
    const CEditorEntity* current = nullptr;
    for (const std::string& name : selected) {
        const CEditorEntity* e = m_scene.GetEntity(name);
        if (!e)
            continue;
        if (!current) {
            current = e;
            continue;
        }
        addBox(*e, kSelectedColour);
    }
    if (current && addBox(*current, kCurrentColour))
        m_current = current->GetName();
    if (begun)
        m_object->end();
    m_object->setVisible(begun);
}

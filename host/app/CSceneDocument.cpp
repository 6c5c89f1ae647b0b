#include "CSceneDocument.h"

#include "CEditorEntity.h"
#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CEditorView.h"
#include "CToolManager.h"
#include "SceneFormats.h"

#include <OgreAxisAlignedBox.h>

#include <algorithm>
#include <malloc.h>
#include <filesystem>
#include <memory>
#include <sstream>

CSceneDocument::CSceneDocument(CEditorHost& host) : m_host(host) {
    MarkSaved();
}

bool CSceneDocument::Open(const std::string& path, std::string& error,
                          std::vector<std::string>& warnings) {
    // Built aside first: a failure on the way leaves the open scene, its selection and its
    // undo history as they were.
    const SceneFormat& format = EditorSceneFormats().ForOpening(path);
    std::vector<std::string> found;
    std::unique_ptr<CEditorScene> loaded =
        format.read(path, m_host.Scene().GetOgreSceneManager(), found, error);
    if (!loaded)
        return false;
    warnings = std::move(found);
    // A drag under way ends on the old scene; its steps and selection name entities that are
    // about to go.
    m_host.EndPress();
    m_host.Undo().clear();
    m_host.Scene().SetSelection({});
    m_host.Tools().notify(NOTIFY_SELECTION, 0, nullptr);
    m_host.Scene().TakeContent(*loaded);
    loaded.reset(); // the old entities go before anyone is told of the new scene
    // A big scene left behind much freed memory: give what the allocator keeps back to the
    // system, so that opening a small scene after a big one shrinks the editor.
    malloc_trim(0);
    m_host.Tools().notify(NOTIFY_SCENE_RESET, 0, nullptr);
    m_host.Tools().notify(NOTIFY_SELECTION, 0, nullptr);
    FrameViews();
    // A file of a format the editor only reads is shown by name but never overwritten.
    m_path = format.write ? path : std::string();
    m_sourceName = format.write ? std::string() : path;
    MarkSaved();
    m_host.redraw();
    if (m_fileListener)
        m_fileListener(path);
    return true;
}

bool CSceneDocument::Save(const std::string& path, std::string& error) {
    std::vector<std::string> warnings;
    return Save(path, error, warnings);
}

bool CSceneDocument::Save(const std::string& path, std::string& error,
                          std::vector<std::string>& warnings) {
    if (!EditorSceneFormats().ForSaving(path).write(path, m_host.Scene(), warnings, error))
        return false;
    m_path = path;
    m_sourceName.clear();
    MarkSaved();
    if (m_fileListener)
        m_fileListener(path);
    return true;
}

bool CSceneDocument::OpenRecovered(const std::string& copy, const std::string& original,
                                   std::string& error, std::vector<std::string>& warnings) {
    if (!Open(copy, error, warnings))
        return false;
    m_path = original;
    m_sourceName.clear();
    m_recovered = true;
    return true;
}

void CSceneDocument::SetSourceName(const std::string& path) {
    m_sourceName = path;
    m_path.clear();
}

std::string CSceneDocument::DisplayName() const {
    const std::string& shown = m_path.empty() ? m_sourceName : m_path;
    if (shown.empty())
        return "未命名";
    return std::filesystem::path(shown).filename().string();
}

std::string CSceneDocument::Title() const {
    return DisplayName() + (IsModified() ? "*" : "") + " - Gizmark 场景编辑器";
}

bool CSceneDocument::IsModified() const {
    return m_recovered || m_host.Undo().DocumentState() != m_savedState ||
           LightPrint() != m_savedLights;
}

std::string CSceneDocument::ContentMark() const {
    std::string mark;
    IsModified(mark);
    return mark;
}

bool CSceneDocument::IsModified(std::string& mark) const {
    const unsigned long state = m_host.Undo().DocumentState();
    const std::string lights = LightPrint();
    mark = std::to_string(state) + "\n" + lights;
    return m_recovered || state != m_savedState || lights != m_savedLights;
}

void CSceneDocument::MarkSaved() {
    m_savedState = m_host.Undo().DocumentState();
    m_savedLights = LightPrint();
    m_recovered = false;
}

// Every light's values in one string: the light page changes them without an undo step.
std::string CSceneDocument::LightPrint() const {
    std::ostringstream out;
    CEditorScene& scene = m_host.Scene();
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
        Ogre::Light* l = e->GetOgreLight();
        if (!l)
            continue;
        out << e->GetName() << ' ' << l->getType() << ' ' << l->getDiffuseColour() << ' '
            << l->getSpecularColour() << ' ' << l->getPowerScale() << ' '
            << l->getAttenuationRange() << ' ' << l->getAttenuationConstant() << ' '
            << l->getAttenuationLinear() << ' ' << l->getAttenuationQuadric() << ' '
            << l->getSpotlightInnerAngle().valueRadians() << ' '
            << l->getSpotlightOuterAngle().valueRadians() << ' ' << l->getSpotlightFalloff()
            << '\n';
    }
    return out.str();
}

void CSceneDocument::FrameViews() {
    CEditorScene& scene = m_host.Scene();
    Ogre::AxisAlignedBox box;
    for (SceneEntity* e = scene.beginEntity(); e; e = scene.nextEntity()) {
        box.merge(e->GetBoundsMin());
        box.merge(e->GetBoundsMax());
    }
    if (box.isNull())
        return;
    const float radius = std::max(1.0f, box.getHalfSize().length());
    for (int i = 0; i < m_host.ViewCount(); ++i)
        if (CEditorView* view = m_host.GetView(i))
            view->frameBox(box.getMinimum(), box.getMaximum(), 0.1f,
                           std::max(1000.0f, radius * 8.0f));
}

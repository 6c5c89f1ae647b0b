// The undo step of a model import, and the import as a whole.
#include "CaughtFailure.h"
#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "IBaseCommand.h"
#include "Interface.h"
#include "ModelImport.h"

#include <OgreException.h>

#include <filesystem>
#include <new>

namespace {

class CImportStep : public IBaseCommand {
public:
    CImportStep(CEditorScene& scene, IToolManager& notifier, std::vector<ImportedEntity> made,
                std::set<std::string> before)
        : m_scene(scene), m_notifier(notifier), m_made(std::move(made)),
          m_before(std::move(before)) {}

    // Redo: the same entities under the same names.
    int execute(CommandParams*) override {
        if (!AddImportedEntities(m_made, m_scene))
            return 0;
        m_scene.SetSelection({m_made.front().name});
        m_notifier.notify(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

    int undo() override {
        if (m_made.empty() || !m_scene.GetEntity(m_made.front().name))
            return 0;
        // Children before their parents, as a removal tells them.
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it)
            if (CEditorEntity* e = m_scene.GetEntity(it->name))
                m_notifier.notify(NOTIFY_REMOVED, 1, static_cast<SceneEntity*>(e));
        m_scene.RemoveEntity(m_made.front().name);
        m_scene.SetSelection(m_before);
        m_notifier.notify(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

private:
    CEditorScene& m_scene;
    IToolManager& m_notifier;
    std::vector<ImportedEntity> m_made;
    std::set<std::string> m_before;
};

} // namespace

namespace {

bool ImportPlan(const std::string& path, CEditorScene& scene, CUndoRedoManager& undo,
                IToolManager& notifier, ModelImportResult& result, std::string& error) {
    ModelPlan plan;
    std::vector<ImportedEntity> made;
    std::vector<std::string> warnings;
    // No exception of the reader, the codecs or the engine leaves the import: a build that
    // throws has taken back what it made, and the file is refused.
    try {
        if (!ReadModelFile(path, plan, error))
            return false;
        warnings = plan.warnings;
        const std::string stem = std::filesystem::path(path).stem().string();
        if (!BuildModelPlan(plan, stem, path, scene, made, warnings, error))
            return false;
    } catch (const std::exception& e) {
        error = path + ": " + e.what();
        return false;
    }
    std::set<std::string> before = scene.getSelectedEntities();
    scene.SetSelection({made.front().name});
    undo.addUndo(new CImportStep(scene, notifier, made, std::move(before)));
    notifier.notify(NOTIFY_SELECTION, 0, nullptr);
    result.group = made.front().name;
    result.entities = static_cast<int>(made.size());
    result.meshes = static_cast<int>(plan.meshes.size());
    result.warnings = std::move(warnings);
    return true;
}

} // namespace

bool ImportModel(const std::string& path, CEditorScene& scene, CUndoRedoManager& undo,
                 IToolManager& notifier, ModelImportResult& result, std::string& error) {
    // The plan of a big model is large: running out of memory on the way is a refusal that
    // says so (the build takes back what it made).
    try {
        return ImportPlan(path, scene, undo, notifier, result, error);
    } catch (...) {
        error = CaughtFailure(path, "importing the model", "import the model");
    }
    return false;
}

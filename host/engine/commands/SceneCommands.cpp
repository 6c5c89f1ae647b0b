// The undoable scene commands "SelectEntity" and "CopyEntity".
#include "SceneCommands.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "CommandContext.h"
#include "Interface.h"

#include <utility>
#include <vector>

namespace {

class CSelectEntityCommand : public CSceneCommand {
public:
    using CSceneCommand::CSceneCommand;

protected:
    bool Prepare(CEditorScene& scene, CommandParams* params) override {
        const std::string mode = CommandParam(params, "mode", "exclude");
        if (mode != "add" && mode != "sub" && mode != "exclude")
            return false;
        const std::vector<std::string> names = m_context.Names(CommandParam(params, "entity", ""));
        if (mode == "exclude") {
            // The old selection is replaced whole: moved into the record, not copied (a
            // rectangle over thousands of entities replaces thousands of names).
            scene.TakeSelection(m_before);
            scene.SelectNames("add", names);
        } else {
            m_before = scene.getSelectedEntities();
            scene.SelectNames(mode, names);
        }
        m_after = scene.getSelectedEntities();
        return true;
    }

    int Apply(CEditorScene& scene, bool again) override {
        if (again)
            scene.SetSelection(m_after); // exactly the selection first made
        return m_context.SelectionChanged();
    }

    int Revert(CEditorScene&) override { return m_context.Reselect(m_before); }

private:
    std::set<std::string> m_before;
    std::set<std::string> m_after;
};

class CCopyEntityCommand : public CSceneCommand {
public:
    using CSceneCommand::CSceneCommand;

    CommandParams getResult() const override { return m_result; }

protected:
    bool Prepare(CEditorScene& scene, CommandParams* params) override {
        const std::vector<std::string> sources = m_context.NamesOrSelection(params);
        m_before = scene.getSelectedEntities();
        for (const std::string& source : sources) {
            CEditorEntity* e = scene.GetEntity(source);
            if (!e || (e->GetState() & STATE_NO_COPY))
                continue;
            const std::string copy = scene.CopyEntity(source);
            if (!copy.empty())
                m_copies.emplace_back(source, copy);
        }
        return !m_copies.empty();
    }

    int Apply(CEditorScene& scene, bool again) override {
        // A redo makes the same copies under the same names.
        for (auto& pair : m_copies)
            if (again && !scene.CopyEntityAs(pair.first, pair.second) &&
                scene.GetEntity(pair.first))
                pair.second = scene.CopyEntity(pair.first);
        std::set<std::string> made;
        std::string names;
        for (const auto& pair : m_copies)
            if (scene.GetEntity(pair.second)) {
                made.insert(pair.second);
                names += pair.second + " ";
            }
        scene.SetSelection(made);
        m_result["entity"] = names;
        return m_context.SelectionChanged();
    }

    int Revert(CEditorScene& scene) override {
        for (auto it = m_copies.rbegin(); it != m_copies.rend(); ++it) {
            if (CEditorEntity* e = scene.GetEntity(it->second)) {
                m_context.Broadcast(NOTIFY_REMOVED, 1, static_cast<SceneEntity*>(e));
                scene.RemoveEntity(it->second);
            }
        }
        return m_context.Reselect(m_before);
    }

private:
    std::set<std::string> m_before;
    std::vector<std::pair<std::string, std::string>> m_copies; // (source, copy)
    CommandParams m_result;
};

CCommandContext& Context() {
    static CCommandContext context({{"SelectEntity", &MakeCommand<CSelectEntityCommand, &Context>},
                                    {"CopyEntity", &MakeCommand<CCopyEntityCommand, &Context>}});
    return context;
}

} // namespace

bool RegisterSceneCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier) {
    return Context().Register(undo, scene, notifier);
}

void UnregisterSceneCommands(CUndoRedoManager& undo) {
    Context().Unregister(undo);
}

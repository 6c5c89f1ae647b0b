// The undoable scene commands "SelectEntity" and "CopyEntity".
#include "SceneCommands.h"

#include "CEditorEntity.h"
#include "CEditorScene.h"
#include "Interface.h"

#include <utility>
#include <vector>

namespace {

// Command factories take no arguments, so the commands find their scene here.
CEditorScene* g_scene = nullptr;
IToolManager* g_notifier = nullptr;

void Broadcast(int code, int arg, void* data) {
    if (g_notifier)
        g_notifier->notify(code, arg, data);
}

// "a b c " -> {a, b, c}. One name as a click gives it (no trailing space) is taken whole when
// an entity has exactly that name, so names with spaces still work from a click.
std::vector<std::string> ParseNames(const std::string& list) {
    std::vector<std::string> names;
    if (list.empty())
        return names;
    if (g_scene && g_scene->GetEntity(list)) {
        names.push_back(list);
        return names;
    }
    std::string current;
    for (char ch : list) {
        if (ch == ' ') {
            if (!current.empty())
                names.push_back(current);
            current.clear();
        } else {
            current += ch;
        }
    }
    if (!current.empty())
        names.push_back(current);
    return names;
}

std::string Param(const CommandParams* params, const std::string& key, const std::string& def) {
    if (!params)
        return def;
    auto it = params->find(key);
    return it == params->end() ? def : it->second;
}

class CSelectEntityCommand : public IBaseCommand {
public:
    int execute(CommandParams* params) override {
        if (!g_scene)
            return 0;
        if (!m_executed) {
            const std::string mode = Param(params, "mode", "exclude");
            if (mode != "add" && mode != "sub" && mode != "exclude")
                return 0;
            const std::vector<std::string> names = ParseNames(Param(params, "entity", ""));
            if (mode == "exclude") {
                // The old selection is replaced whole: moved into the record, not copied (a
                // rectangle over thousands of entities replaces thousands of names).
                g_scene->TakeSelection(m_before);
                g_scene->SelectNames("add", names);
            } else {
                m_before = g_scene->getSelectedEntities();
                g_scene->SelectNames(mode, names);
            }
            m_after = g_scene->getSelectedEntities();
            m_executed = true;
        } else {
            g_scene->SetSelection(m_after); // redo: exactly the selection first made
        }
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

    int undo() override {
        if (!g_scene || !m_executed)
            return 0;
        g_scene->SetSelection(m_before);
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

private:
    bool m_executed = false;
    std::set<std::string> m_before;
    std::set<std::string> m_after;
};

class CCopyEntityCommand : public IBaseCommand {
public:
    int execute(CommandParams* params) override {
        if (!g_scene)
            return 0;
        if (!m_executed) {
            const std::string list = Param(params, "entity", "");
            std::vector<std::string> sources;
            if (list.empty())
                sources.assign(g_scene->getSelectedEntities().begin(),
                               g_scene->getSelectedEntities().end());
            else
                sources = ParseNames(list);
            m_before = g_scene->getSelectedEntities();
            for (const std::string& source : sources) {
                CEditorEntity* e = g_scene->GetEntity(source);
                if (!e || (e->GetState() & STATE_NO_COPY))
                    continue;
                const std::string copy = g_scene->CopyEntity(source);
                if (!copy.empty())
                    m_copies.emplace_back(source, copy);
            }
            if (m_copies.empty())
                return 0;
            m_executed = true;
        } else {
            // Redo: the same copies under the same names.
            for (auto& pair : m_copies)
                if (!g_scene->CopyEntityAs(pair.first, pair.second) &&
                    g_scene->GetEntity(pair.first))
                    pair.second = g_scene->CopyEntity(pair.first);
        }
        std::set<std::string> made;
        std::string names;
        for (const auto& pair : m_copies)
            if (g_scene->GetEntity(pair.second)) {
                made.insert(pair.second);
                names += pair.second + " ";
            }
        g_scene->SetSelection(made);
        m_result["entity"] = names;
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

    int undo() override {
        if (!g_scene || !m_executed)
            return 0;
        for (auto it = m_copies.rbegin(); it != m_copies.rend(); ++it) {
            if (CEditorEntity* e = g_scene->GetEntity(it->second)) {
                Broadcast(NOTIFY_REMOVED, 1, static_cast<SceneEntity*>(e));
                g_scene->RemoveEntity(it->second);
            }
        }
        g_scene->SetSelection(m_before);
        Broadcast(NOTIFY_SELECTION, 0, nullptr);
        return 1;
    }

    CommandParams getResult() const override { return m_result; }

private:
    bool m_executed = false;
    std::set<std::string> m_before;
    std::vector<std::pair<std::string, std::string>> m_copies; // (source, copy)
    CommandParams m_result;
};

IBaseCommand* MakeSelectEntity() {
    return new CSelectEntityCommand();
}

IBaseCommand* MakeCopyEntity() {
    return new CCopyEntityCommand();
}

} // namespace

bool RegisterSceneCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier) {
    const bool select = undo.registerCommand("SelectEntity", &MakeSelectEntity);
    const bool copy = undo.registerCommand("CopyEntity", &MakeCopyEntity);
    if (!select || !copy) {
        // Someone else's commands keep the names; take back what this call added.
        if (select)
            undo.unregisterCommand("SelectEntity");
        if (copy)
            undo.unregisterCommand("CopyEntity");
        return false;
    }
    g_scene = &scene;
    g_notifier = &notifier;
    return true;
}

void UnregisterSceneCommands(CUndoRedoManager& undo) {
    undo.unregisterCommand("SelectEntity");
    undo.unregisterCommand("CopyEntity");
    g_scene = nullptr;
    g_notifier = nullptr;
}

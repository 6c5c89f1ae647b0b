// The context the undoable scene commands share: registration, notifier, parameters.
#include "CommandContext.h"

#include "CEditorScene.h"
#include "Interface.h"

bool CCommandContext::Register(CUndoRedoManager& undo, CEditorScene& scene,
                               IToolManager& notifier) {
    std::vector<const char*> added;
    for (const auto& command : m_commands) {
        if (!undo.registerCommand(command.first, command.second)) {
            // Someone else's commands keep the names; take back what this call added.
            for (const char* name : added)
                undo.unregisterCommand(name);
            return false;
        }
        added.push_back(command.first);
    }
    m_scene = &scene;
    m_notifier = &notifier;
    return true;
}

void CCommandContext::Unregister(CUndoRedoManager& undo) {
    for (const auto& command : m_commands)
        undo.unregisterCommand(command.first);
    m_scene = nullptr;
    m_notifier = nullptr;
}

void CCommandContext::Broadcast(int code, int arg, void* data) const {
    if (m_notifier)
        m_notifier->notify(code, arg, data);
}

int CCommandContext::Reselect(const std::set<std::string>& selection) const {
    if (m_scene)
        m_scene->SetSelection(selection);
    return SelectionChanged();
}

int CCommandContext::SelectionChanged() const {
    Broadcast(NOTIFY_SELECTION, 0, nullptr);
    return 1;
}

std::vector<std::string> CCommandContext::Names(const std::string& list) const {
    std::vector<std::string> names;
    if (list.empty())
        return names;
    if (m_scene && m_scene->GetEntity(list)) {
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

std::vector<std::string> CCommandContext::NamesOrSelection(const CommandParams* params) const {
    const std::string list = CommandParam(params, "entity", "");
    if (!list.empty() || !m_scene)
        return Names(list);
    const std::set<std::string>& selected = m_scene->getSelectedEntities();
    return std::vector<std::string>(selected.begin(), selected.end());
}

int CSceneCommand::execute(CommandParams* params) {
    CEditorScene* scene = m_context.Scene();
    if (!scene)
        return 0;
    const bool again = m_prepared;
    if (!m_prepared && !Prepare(*scene, params))
        return 0;
    m_prepared = true;
    return Apply(*scene, again);
}

int CSceneCommand::undo() {
    CEditorScene* scene = m_context.Scene();
    return scene && m_prepared ? Revert(*scene) : 0;
}

std::string CommandParam(const CommandParams* params, const std::string& key,
                         const std::string& def) {
    if (!params)
        return def;
    auto it = params->find(key);
    return it == params->end() ? def : it->second;
}

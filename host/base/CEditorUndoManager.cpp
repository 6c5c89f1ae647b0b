#include "CEditorUndoManager.h"

#include <cstdio>
#include <exception>
#include <utility>

namespace {

// Steps pushed in one group: undone newest first, redone in their order, each with the
// parameters it was first executed with.
class CStepGroup : public IBaseCommand {
public:
    void Add(std::unique_ptr<IBaseCommand> command, CommandParams params) {
        m_steps.emplace_back(std::move(command), std::move(params));
    }
    int execute(CommandParams*) override {
        for (auto& step : m_steps) {
            CommandParams params = step.second;
            step.first->execute(&params);
        }
        return 1;
    }
    int undo() override {
        for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it)
            it->first->undo();
        return 1;
    }

private:
    std::vector<std::pair<std::unique_ptr<IBaseCommand>, CommandParams>> m_steps;
};

} // namespace

CEditorUndoManager::CEditorUndoManager(int maxDepth) : m_maxDepth(maxDepth < 1 ? 1 : maxDepth) {}

CEditorUndoManager::~CEditorUndoManager() {
    clear();
}

bool CEditorUndoManager::registerCommand(const std::string& name, CommandFactory factory) {
    if (name.empty() || !factory)
        return false;
    // The first registration stays.
    return m_factories.emplace(name, factory).second;
}

bool CEditorUndoManager::unregisterCommand(const std::string& name) {
    return m_factories.erase(name) > 0;
}

bool CEditorUndoManager::isCommandRegistered(const std::string& name) const {
    return m_factories.count(name) > 0;
}

bool CEditorUndoManager::doCommand(const std::string& name, CommandParams* params) {
    auto it = m_factories.find(name);
    if (it == m_factories.end())
        return false;
    CommandParams empty;
    CommandParams* used = params ? params : &empty;
    Step step;
    step.name = name;
    step.params = *used;
    try {
        step.command.reset(it->second());
        if (!step.command)
            return false;
        if (step.command->execute(used) == 0)
            return false;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "command %s failed: %s\n", name.c_str(), e.what());
        return false;
    } catch (...) {
        std::fprintf(stderr, "command %s failed\n", name.c_str());
        return false;
    }
    if (!m_neutral.count(name))
        step.state = ++m_lastState;
    push(std::move(step));
    return true;
}

void CEditorUndoManager::SetChangesDocument(const std::string& name, bool changes) {
    if (changes)
        m_neutral.erase(name);
    else
        m_neutral.insert(name);
}

unsigned long CEditorUndoManager::DocumentState() const {
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it)
        if (it->state != 0)
            return it->state;
    return m_baseState;
}

void CEditorUndoManager::addUndo(IBaseCommand* command) {
    if (!command)
        return;
    Step step;
    step.command.reset(command);
    step.state = ++m_lastState; // an unnamed step is taken to change the document
    push(std::move(step));
}

void CEditorUndoManager::push(Step step) {
    m_redo.clear();
    step.serial = ++m_serial;
    m_undo.push_back(std::move(step));
    ++m_revision;
    ++m_pushes;
    if (m_groupOpen)
        ++m_groupCount;
    while (static_cast<int>(m_undo.size()) > m_maxDepth) {
        // The oldest step is dropped and deleted; its state is now the one at the bottom.
        if (m_undo.front().state != 0)
            m_baseState = m_undo.front().state;
        m_baseStep = m_undo.front().serial;
        ++m_dropped;
        m_undo.pop_front();
    }
    if (m_groupCount > static_cast<int>(m_undo.size()))
        m_groupCount = static_cast<int>(m_undo.size());
}

void CEditorUndoManager::beginGroup() {
    endGroup(true);
    m_groupOpen = true;
    m_groupCount = 0;
    m_groupRedo = std::move(m_redo);
    m_redo.clear();
}

void CEditorUndoManager::endGroup(bool keep) {
    if (!m_groupOpen)
        return;
    m_groupOpen = false;
    const int count = m_groupCount;
    m_groupCount = 0;
    if (keep && count > 0) {
        Fold(count);
        m_groupRedo.clear();
        return;
    }
    for (int i = 0; i < count; ++i)
        TakeBack(); // and dropped
    // Nothing of the group stays: the way forward is the one before it.
    m_redo = std::move(m_groupRedo);
    m_groupRedo.clear();
    ++m_revision;
}

void CEditorUndoManager::Fold(int count) {
    if (count < 2)
        return;
    auto group = std::make_unique<CStepGroup>();
    Step folded;
    folded.name = "group";
    const auto first = m_undo.end() - count;
    for (auto it = first; it != m_undo.end(); ++it) {
        if (it->state != 0)
            folded.state = it->state;
        group->Add(std::move(it->command), std::move(it->params));
    }
    m_undo.erase(first, m_undo.end());
    folded.command = std::move(group);
    folded.serial = ++m_serial;
    m_undo.push_back(std::move(folded));
    ++m_revision;
}

CEditorUndoManager::Step CEditorUndoManager::TakeBack() {
    Step step = std::move(m_undo.back());
    m_undo.pop_back();
    try {
        step.command->undo();
    } catch (...) {
        std::fprintf(stderr, "undo of %s failed\n", step.name.c_str());
    }
    return step;
}

bool CEditorUndoManager::undo() {
    endGroup(true);
    if (m_undo.empty())
        return false;
    m_redo.push_back(TakeBack());
    ++m_revision;
    return true;
}

bool CEditorUndoManager::redo() {
    endGroup(true);
    if (m_redo.empty())
        return false;
    Step step = std::move(m_redo.back());
    m_redo.pop_back();
    CommandParams params = step.params;
    try {
        step.command->execute(&params);
    } catch (...) {
        std::fprintf(stderr, "redo of %s failed\n", step.name.c_str());
    }
    m_undo.push_back(std::move(step));
    ++m_revision;
    return true;
}

void CEditorUndoManager::clear() {
    // The content stays as it is: only the way back and forth goes.
    m_groupOpen = false;
    m_groupCount = 0;
    m_groupRedo.clear();
    m_baseState = DocumentState();
    m_baseStep = ++m_serial;
    m_redo.clear();
    m_undo.clear();
    ++m_revision;
}

// The editor's undo manager: named command factories and bounded undo/redo stacks.
#pragma once

#include "Interface.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CEditorUndoManager : public CUndoRedoManager {
public:
    static constexpr int kDefaultDepth = 200;

    explicit CEditorUndoManager(int maxDepth = kDefaultDepth);
    ~CEditorUndoManager();
    CEditorUndoManager(const CEditorUndoManager&) = delete;
    CEditorUndoManager& operator=(const CEditorUndoManager&) = delete;

    bool registerCommand(const std::string& name, CommandFactory factory) override;
    bool unregisterCommand(const std::string& name) override;
    bool isCommandRegistered(const std::string& name) const override;
    bool doCommand(const std::string& name, CommandParams* params) override;
    void addUndo(IBaseCommand* command) override;
    // Undo calls the step's undo(); redo calls its execute() again with the parameters it was
    // first executed with (an addUndo step gets an empty map).
    bool undo() override;
    bool redo() override;
    int undoCount() const override { return static_cast<int>(m_undo.size()); }
    int redoCount() const override { return static_cast<int>(m_redo.size()); }
    void clear() override;
    // Grows with every change of the stacks (a step pushed, undone or redone, a clear), also
    // when a full stack drops its oldest step: whether anything happened since a moment.
    unsigned long Revision() const { return m_revision; }

private:
    struct Step {
        std::unique_ptr<IBaseCommand> command;
        CommandParams params;
        std::string name;
    };
    void push(Step step);

    std::map<std::string, CommandFactory> m_factories;
    std::deque<Step> m_undo;  // back = most recent
    std::vector<Step> m_redo; // back = next to redo
    int m_maxDepth;
    unsigned long m_revision = 0;
};

// The editor's undo manager: named command factories and bounded undo/redo stacks.
#pragma once

#include "Interface.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
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
    void beginGroup() override;
    void endGroup(bool keep) override;
    bool GroupOpen() const { return m_groupOpen; }
    // Grows with every change of the stacks (a step pushed, undone or redone, a clear), also
    // when a full stack drops its oldest step: whether anything happened since a moment.
    unsigned long Revision() const { return m_revision; }
    // Which step the scene stands at: each step pushed (and each group folded) gets a number
    // of its own, kept through undo and redo. With no step to undo it is the number of the
    // newest step dropped off the bottom of the full stack, or of the last clear (0 before
    // either). Equal numbers mean the scene should be the same: what a test of the history
    // keys the scenes it saw by, whatever the depth (a full stack, a group folded or dropped).
    unsigned long TopStep() const { return m_undo.empty() ? m_baseStep : m_undo.back().serial; }
    // The oldest step the stacks can still go back to (TopStep once every step is undone);
    // every step reachable has a number at least as large.
    unsigned long BaseStep() const { return m_baseStep; }
    // How many steps were ever pushed (undo and redo do not count).
    unsigned long Pushes() const { return m_pushes; }
    // How many steps the full stack dropped off its bottom.
    unsigned long Dropped() const { return m_dropped; }

    // Steps of the named command leave the document as it was (a selection, a tool's mode):
    // they are undone and redone like any step but do not change DocumentState. Names are
    // remembered whether or not the command is registered yet.
    void SetChangesDocument(const std::string& name, bool changes);
    // Identity of the document's state as the stacks stand: equal values mean the same
    // content. Each step that changes the document gets a new identity when pushed and keeps
    // it through undo and redo; a clear keeps the state. A state whose steps were discarded
    // (a new step after undoing past it) or dropped off the bottom of the full stack never
    // comes back, so a document saved there stays modified until saved again.
    unsigned long DocumentState() const;

private:
    struct Step {
        std::unique_ptr<IBaseCommand> command;
        CommandParams params;
        std::string name;
        unsigned long state = 0;  // the document's state after the step; 0: unchanged by it
        unsigned long serial = 0; // TopStep's number of the step
    };
    void push(Step step);
    // The newest step popped and undone (a failure is written to the log).
    Step TakeBack();
    // The newest `count` steps folded into one that undoes them newest first and redoes them in
    // their order.
    void Fold(int count);

    std::map<std::string, CommandFactory> m_factories;
    std::deque<Step> m_undo;  // back = most recent
    std::vector<Step> m_redo; // back = next to redo
    int m_maxDepth;
    unsigned long m_revision = 0;
    unsigned long m_pushes = 0;
    unsigned long m_dropped = 0;
    unsigned long m_serial = 0;      // the newest step number handed out
    unsigned long m_baseStep = 0;    // TopStep with no step to undo
    std::set<std::string> m_neutral; // commands that do not change the document
    unsigned long m_lastState = 1;   // the newest document state handed out
    unsigned long m_baseState = 1;   // the state below the oldest step kept
    bool m_groupOpen = false;
    int m_groupCount = 0;          // steps pushed since beginGroup still on the stack
    std::vector<Step> m_groupRedo; // the redo steps at beginGroup, back if nothing stays
};

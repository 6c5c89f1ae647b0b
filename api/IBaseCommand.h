// Base of every undoable command handed to the host's undo manager.
#pragma once

#include "EditorTypes.h"

class IBaseCommand {
public:
    virtual int execute(CommandParams* params) = 0;
    virtual int undo() = 0;
    virtual CommandParams getResult() const { return CommandParams(); }
    virtual ~IBaseCommand() = default;
};

// A named command's factory, registered with CUndoRedoManager::registerCommand.
using CommandFactory = IBaseCommand* (*)();

// The editor's undoable everyday edits: "DeleteEntity", "RenameEntity" and "HideEntity".
//
// "DeleteEntity": params "entity" (names each followed by one space, or one name; missing or
// empty = the current selection). Each named entity goes with all its descendants. The plug-ins
// hear 55 for every entity before it goes (children first), then 50. Undo brings every entity
// back exactly as it was (name, parent, mesh or light with all its values, missing-mesh
// placeholder, transform, state bits, locked, hidden, selectable) and restores the selection
// (50); redo deletes the same entities again. Nothing to delete: not executed.
// "RenameEntity": params "entity" (the old name) and "name" (the new one). A name that
// RenameRefusal refuses is not executed. Broadcasts 54 with the entity on execute and undo.
// "HideEntity": param "mode": "hide" hides the entities named by "entity" (missing or empty =
// the selection) and takes them out of the selection (a hidden entity cannot be picked, so it
// does not stay selected either); "showall" shows every hidden entity. Undo restores the
// hidden state and the selection. Broadcasts 50. Nothing changed: not executed.
#pragma once

#include <string>

class CUndoRedoManager;
class CEditorScene;
class IToolManager;

// Why `newName` cannot become the name of `oldName` (Chinese, for the status line): unknown
// entity, empty, not UTF-8 or with control characters, longer than kMaxSceneNameBytes, or
// taken by another entity. "" when
// the rename is allowed (the same name is allowed and changes nothing).
std::string RenameRefusal(const CEditorScene& scene, const std::string& oldName,
                          const std::string& newName);

// Registers the three commands; they act on `scene` and broadcast through `notifier` until
// UnregisterEditCommands. Returns false, registering nothing, if a name is taken.
bool RegisterEditCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier);
void UnregisterEditCommands(CUndoRedoManager& undo);

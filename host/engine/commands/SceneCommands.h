// The editor's undoable scene commands, "SelectEntity" and "CopyEntity".
//
// "SelectEntity": params "entity" (names each followed by one space, or one name, or "") and
// "mode" ("add" | "sub" | "exclude"; missing = "exclude"). Unknown names are ignored. Undo
// restores the previous selection exactly. Broadcasts 50 on execute and undo.
// "CopyEntity": params "entity" (names as above; missing or empty = the current selection).
// Every named entity that exists and may be copied (state 0x80000 forbids it) is copied with
// the same mesh or light, parent and transform under a new unique name; the copies become the
// selection. Undo removes the copies (55 for each, then 50) and restores the selection; redo
// re-creates them under the same names. Its result map holds "entity" = the new names.
#pragma once

class CUndoRedoManager;
class CEditorScene;
class IToolManager;

// Registers both commands; they act on `scene` and broadcast through `notifier` until
// UnregisterSceneCommands. Returns false, registering nothing, if either name is taken.
bool RegisterSceneCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier);
void UnregisterSceneCommands(CUndoRedoManager& undo);

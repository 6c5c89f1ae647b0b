// The undoable placing of several entities along a world axis: "AlignEntity" and
// "DistributeEntity" (Tools › 对齐 / 分布).
//
// "AlignEntity": params "axis" (x, y or z) and "to" (min, center or max). Every selected entity
// but the current one (the selected name that sorts first) moves along the axis so that its
// world bounding box's minimum, centre or maximum lies where the current entity's does.
// "DistributeEntity": param "axis". The selected entities' bounding-box centres are spaced
// evenly between the two outermost ones (which stay).
// Both move only the top-most selected entities (a selected child goes with its selected
// parent), never the current entity's ancestors in an align (they would carry the target with
// them), and never a locked entity (transform disabled or position locked). A move that would
// take an entity or a descendant out of the world range is refused for that entity. Each
// writes "moved" (the number of entities moved) into its params; nothing moved: not executed.
// Undo and redo set the recorded local positions back and again; the plug-ins hear 51 for
// every entity moved.
#pragma once

class CUndoRedoManager;
class CEditorScene;
class IToolManager;

bool RegisterPlaceCommands(CUndoRedoManager& undo, CEditorScene& scene, IToolManager& notifier);
void UnregisterPlaceCommands(CUndoRedoManager& undo);

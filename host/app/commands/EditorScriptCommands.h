// The editor's script commands: the command sets the session adds to its script runner, and
// the way their handlers reach the session.
//
// Each set is one registration function, in a file of its own (the window's set shares the scene
// file's), adding its commands from a table (AddScriptCommands, ScriptCommandArgs.h).
// EditorCommandSets() lists the sets, in EditorCommandSets.cpp, the one place where a set joins
// the language. A set that adds a case to another set's command does so with AddCase, so the
// list's order does not matter.
#pragma once

#include "CEditorSession.h"
#include "ScriptRunner.h"

#include <string>
#include <vector>

// Every command set of the editor, for CEditorSession's runner.
const std::vector<CScriptRunner::CommandSet>& EditorCommandSets();

// The session of a runner made by CEditorSession (the only maker of runners with these sets).
inline CEditorSession& EditorSession(CScriptRunner& runner) {
    return static_cast<CEditorSession&>(runner.Environment());
}

// The entities and the target view: view, select, selection, print, project
// (ScriptSelectionCommands.cpp).
void RegisterSelectionScriptCommands(CScriptRunner& runner);
// The pointer and the keys in the target view: press, move, release, keys, cancel, rpress, rect
// (ScriptPointerCommands.cpp).
void RegisterPointerScriptCommands(CScriptRunner& runner);
// The editor as a whole: frames, undo, redo, screenshot, viewshot, tool, snap, parents, copy,
// frame (ScriptSessionCommands.cpp).
void RegisterSessionScriptCommands(CScriptRunner& runner);
// Grabbing the gizmo's parts: handle, drag (ScriptGizmoCommands.cpp).
void RegisterGizmoScriptCommands(CScriptRunner& runner);
// The gizmo's options and an amount typed during a drag: space, pivot, alignnormal, dragtype
// (ScriptGizmoOptionCommands.cpp).
void RegisterGizmoOptionScriptCommands(CScriptRunner& runner);
// What the plug-in's edits left: undocount, ground (ScriptPluginCommands.cpp).
void RegisterPluginScriptCommands(CScriptRunner& runner);
// Typing into and clicking the plug-ins' panels: type, leave, key, click, groundfollow, show,
// state, beeps (ScriptPanelCommands.cpp).
void RegisterPanelScriptCommands(CScriptRunner& runner);
// A light's values and the side panel's light page: light, prop, propcolour, with the case
// "show light" (ScriptLightCommands.cpp).
void RegisterLightScriptCommands(CScriptRunner& runner);
// Scene files: open, save, entities, title (ScriptSceneCommands.cpp).
void RegisterSceneScriptCommands(CScriptRunner& runner);
// What the window tells at a glance: status, engaged, viewkey, hover (ScriptSceneCommands.cpp).
void RegisterWindowScriptCommands(CScriptRunner& runner);
// Importing model files: import (ScriptImportCommands.cpp).
void RegisterImportScriptCommands(CScriptRunner& runner);
// Exporting the scene as glTF: export (ScriptExportCommands.cpp).
void RegisterExportScriptCommands(CScriptRunner& runner);
// Unloading and loading the plug-in modules, memory: unload, load, memory, heap
// (ScriptModuleCommands.cpp).
void RegisterModuleScriptCommands(CScriptRunner& runner);
// The view layout, the grid and the selection boxes: views, grid, selboxes
// (ScriptViewCommands.cpp).
void RegisterViewScriptCommands(CScriptRunner& runner);
// What the editor shows of the tool's state: pointer (hover), strip (ScriptFeedbackCommands.cpp).
void RegisterFeedbackScriptCommands(CScriptRunner& runner);
// The outliner and the everyday edits: outliner, rename, delete, selectall, hide, showall
// (ScriptOutlinerCommands.cpp).
void RegisterOutlinerScriptCommands(CScriptRunner& runner);
// Autosave and recovery copies: recovery, recover, wait (ScriptRecoveryCommands.cpp).
void RegisterRecoveryScriptCommands(CScriptRunner& runner);
// Files handed over as a desktop does: recent, drop, answer; menushot (ScriptDesktopCommands.cpp).
void RegisterDesktopScriptCommands(CScriptRunner& runner);
// Real X input at points of the main window: xmove, xpress, xrelease, xwheel, xhold, xkey,
// xtype (ScriptRealInputCommands.cpp).
void RegisterRealInputScriptCommands(CScriptRunner& runner);
// Placing entities: duplicate, align, distribute (ScriptPlacementCommands.cpp).
void RegisterPlacementScriptCommands(CScriptRunner& runner);

// The move tool's placing drags: vertexsnap, surfacedrag (ScriptSnapCommands.cpp).
void RegisterSnapScriptCommands(CScriptRunner& runner);

// The script that --demo runs, writing its pictures into outDir.
std::string BuiltinDemoScript(const std::string& outDir, int viewCount, bool withMoveTool);

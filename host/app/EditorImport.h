// Importing a model file into the editor's scene: the File menu's 导入…, and what the script
// command "import PATH" (commands/ScriptImportCommands.cpp) builds on.
#pragma once

#include <string>

class CEditorHost;
class CMainFrame;
struct ModelImportResult;

// Imports `path` into the host's scene as one undo step and redraws. False with `error` =
// "PATH: message", nothing changed.
bool ImportIntoEditor(CEditorHost& host, const std::string& path, ModelImportResult& result,
                      std::string& error);
// Asks for a model file and imports it; the outcome goes to the status line.
void ImportFromMenu(CMainFrame& frame, CEditorHost& host);
// The outcome of an import in the window: the status line says what was imported (with the
// first warning) or why not, in Chinese.
void ShowImportOutcome(CMainFrame& frame, const std::string& path, bool ok,
                       const ModelImportResult& result, const std::string& error);

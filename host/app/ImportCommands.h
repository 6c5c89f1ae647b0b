// Importing a model file into the editor's scene: the File menu's 导入… and the script command
// "import PATH".
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

// Exporting the editor's scene as glTF: the File menu's 导出 glTF…, and what the script command
// "export PATH" (commands/ScriptExportCommands.cpp) builds on.
#pragma once

#include <string>

class CEditorHost;
class CMainFrame;
struct GltfExportResult;

// Writes the host's scene to `path` (.glb or .gltf); the scene is only read. False with
// `error` = "PATH: message", nothing written over an existing file.
bool ExportFromEditor(CEditorHost& host, const std::string& path, GltfExportResult& result,
                      std::string& error);
// Asks where to export (binary or JSON glTF) and exports; the outcome goes to the status line.
void ExportFromMenu(CMainFrame& frame, CEditorHost& host);
// The outcome of an export in the window: the status line says what was written (with the
// first warning) or why not, in Chinese.
void ShowExportOutcome(CMainFrame& frame, const std::string& path, bool ok,
                       const GltfExportResult& result, const std::string& error);

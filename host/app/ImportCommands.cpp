// Model import from the File menu and from scripts.
#include "ImportCommands.h"
#include "WindowMessages.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "EditorScriptCommands.h"
#include "ModelImport.h"

#include <wx/filedlg.h>

#include <ostream>

namespace {

void ShowOutcome(CMainFrame& frame, const std::string& path, bool ok,
                 const ModelImportResult& result, const std::string& error) {
    if (!ok) {
        frame.SetStatusText(wxString::FromUTF8("无法导入：") +
                            wxString::FromUTF8(WindowMessage(error)));
        return;
    }
    frame.SetStatusText(wxString::FromUTF8("已导入 ") + wxString::FromUTF8(path));
    frame.ShowWarnings(result.warnings);
    frame.UpdateDocumentState(true);
}

} // namespace

bool ImportIntoEditor(CEditorHost& host, const std::string& path, ModelImportResult& result,
                      std::string& error) {
    if (!ImportModel(path, host.Scene(), host.Undo(), host.Tools(), result, error))
        return false;
    host.redraw();
    return true;
}

void ImportFromMenu(CMainFrame& frame, CEditorHost& host) {
    wxFileDialog dialog(&frame, wxString::FromUTF8("导入模型"), wxEmptyString, wxEmptyString,
                        wxString::FromUTF8("模型文件 (*.gltf;*.glb;*.obj;*.fbx;*.dae;*.ply;*.stl)|"
                                           "*.gltf;*.glb;*.obj;*.fbx;*.dae;*.ply;*.stl|"
                                           "所有文件 (*)|*"),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    const std::string path = dialog.GetPath().utf8_string();
    ModelImportResult result;
    std::string error;
    const bool ok = ImportIntoEditor(host, path, result, error);
    ShowOutcome(frame, path, ok, result, error);
}

void RegisterImportScriptCommands(CScriptRunner& runner) {
    runner.AddCommand("import",
                      [](CScriptRunner& r, const CScriptRunner::Args& args, std::string& error) {
                          if (args.empty()) {
                              error = "usage: import PATH";
                              return false;
                          }
                          std::string path = args[0];
                          for (size_t i = 1; i < args.size(); ++i)
                              path += " " + args[i];
                          CEditorSession& session = EditorSession(r);
                          ModelImportResult result;
                          const bool ok = ImportIntoEditor(session.Host(), path, result, error);
                          if (CMainFrame* frame = session.Frame())
                              ShowOutcome(*frame, path, ok, result, error);
                          if (!ok)
                              return false;
                          r.Out() << "imported " << path << ": " << result.entities << " entities, "
                                  << result.meshes << " meshes\n";
                          for (const std::string& w : result.warnings)
                              r.Out() << "warning: " << w << "\n";
                          session.RenderFrames(1);
                          return true;
                      });
}

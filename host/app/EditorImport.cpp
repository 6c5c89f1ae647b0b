// Model import from the File menu and from scripts.
#include "EditorImport.h"
#include "WindowMessages.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CMainFrame.h"
#include "CToolManager.h"
#include "ModelImport.h"

#include <wx/filedlg.h>

void ShowImportOutcome(CMainFrame& frame, const std::string& path, bool ok,
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
    ShowImportOutcome(frame, path, ok, result, error);
}

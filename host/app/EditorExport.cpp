// glTF export from the File menu and from scripts.
#include "EditorExport.h"
#include "WindowMessages.h"

#include "CEditorHost.h"
#include "CMainFrame.h"
#include "GltfExport.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

namespace {

// The export's own refusal in the window's words; the others are the save's (WindowMessages).
std::string ExportMessage(const std::string& error) {
    const std::string extension = ": the file name must end in .glb or .gltf";
    if (error.size() > extension.size() &&
        error.compare(error.size() - extension.size(), extension.size(), extension) == 0)
        return error.substr(0, error.size() - extension.size()) + "：文件名须以 .glb 或 .gltf 结尾";
    return WindowMessage(error);
}

} // namespace

bool ExportFromEditor(CEditorHost& host, const std::string& path, GltfExportResult& result,
                      std::string& error) {
    return ExportGltf(path, host.Scene(), result, error);
}

void ShowExportOutcome(CMainFrame& frame, const std::string& path, bool ok,
                       const GltfExportResult& result, const std::string& error) {
    if (!ok) {
        frame.SetStatusText(wxString::FromUTF8("无法导出：") +
                            wxString::FromUTF8(ExportMessage(error)));
        return;
    }
    frame.SetStatusText(wxString::FromUTF8("已导出 " + path + "：" + std::to_string(result.nodes) +
                                           " 个节点，" + std::to_string(result.meshes) +
                                           " 个网格"));
    frame.ShowWarnings(result.warnings);
}

void ExportFromMenu(CMainFrame& frame, CEditorHost& host) {
    wxFileDialog dialog(
        &frame, wxString::FromUTF8("导出 glTF"), wxEmptyString, wxString::FromUTF8("scene.glb"),
        wxString::FromUTF8("二进制 glTF (*.glb)|*.glb|glTF 与 .bin (*.gltf)|*.gltf"),
        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return;
    wxFileName name(dialog.GetPath());
    // A name typed without an extension takes the chosen filter's.
    if (!name.HasExt())
        name.SetExt(dialog.GetFilterIndex() == 1 ? "gltf" : "glb");
    const std::string path = name.GetFullPath().utf8_string();
    GltfExportResult result;
    std::string error;
    const bool ok = ExportFromEditor(host, path, result, error);
    ShowExportOutcome(frame, path, ok, result, error);
}

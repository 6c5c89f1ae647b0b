#include "DesktopFiles.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CMainFrame.h"
#include "CSceneDocument.h"
#include "EditorImport.h"
#include "EditorOptions.h"
#include "ModelImport.h"
#include "RecentFiles.h"
#include "UserFiles.h"
#include "WindowMessages.h"

#include <wx/menu.h>

#include <cstdio>

namespace {
bool IsSceneFileName(const std::string& path) {
    return FileExtension(path) == "scene";
}

wxString Utf8(const std::string& text) {
    return wxString::FromUTF8(text);
}
} // namespace

// What the toolkit calls when files are dropped on the main window.
class CDesktopFiles::CDropTarget : public wxFileDropTarget {
public:
    explicit CDropTarget(CDesktopFiles& owner) : m_owner(owner) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
        std::vector<std::string> paths;
        for (const wxString& file : files)
            paths.push_back(file.utf8_string());
        return m_owner.Drop(paths);
    }

private:
    CDesktopFiles& m_owner;
};

CDesktopFiles::CDesktopFiles(CMainFrame& frame, CSceneDocument& document, CEditorHost& host,
                             std::string settingsPath)
    : m_frame(frame), m_document(document), m_host(host), m_settingsPath(std::move(settingsPath)) {
    m_menu = new wxMenu;
    if (wxMenuBar* bar = m_frame.GetMenuBar(); bar && bar->GetMenuCount() > 0) {
        wxMenu* file = bar->GetMenu(0);
        size_t position = file->GetMenuItemCount();
        if (file->FindChildItem(CMainFrame::ID_IMPORT_MODEL, &position))
            ++position;
        file->Insert(position, wxID_ANY, Utf8("最近打开"), m_menu);
    }
    m_frame.Bind(wxEVT_MENU_OPEN, &CDesktopFiles::OnMenuOpen, this);
    m_frame.Bind(wxEVT_MENU, &CDesktopFiles::OnRecentItem, this, kRecentFirstId,
                 kRecentFirstId + int(CRecentFiles::kMaxEntries) - 1);
    m_dropTarget = new CDropTarget(*this);
    m_frame.SetDropTarget(m_dropTarget);
    m_document.SetFileListener([this](const std::string& path) { Remember(path); });
    UpdateList([](CRecentFiles&) {});
}

CDesktopFiles::~CDesktopFiles() {
    m_document.SetFileListener(nullptr);
    m_frame.SetDropTarget(nullptr);
    m_frame.Unbind(wxEVT_MENU_OPEN, &CDesktopFiles::OnMenuOpen, this);
    m_frame.Unbind(wxEVT_MENU, &CDesktopFiles::OnRecentItem, this, kRecentFirstId,
                   kRecentFirstId + int(CRecentFiles::kMaxEntries) - 1);
}

template <typename Change> void CDesktopFiles::UpdateList(Change change) {
    // Another editor of the same person may have changed the list since: read it again, and
    // write it back only when it was read (a file that cannot be read is not replaced).
    CUserSettings settings(m_settingsPath);
    std::string error;
    const bool read = !m_settingsPath.empty() && settings.Load(error);
    CRecentFiles list(m_shown);
    if (read)
        list.Load(settings);
    const std::vector<std::string> before = list.Entries();
    change(list);
    if (read && list.Entries() != before) {
        list.Store(settings);
        if (!settings.Save(error))
            std::fprintf(stderr, "scene-editor: the recent files are not kept: %s\n",
                         error.c_str());
    }
    if (!read && !error.empty())
        std::fprintf(stderr, "scene-editor: the recent files cannot be read: %s\n", error.c_str());
    m_shown = list.Entries();
    RebuildMenu();
}

void CDesktopFiles::RebuildMenu() {
    while (m_menu->GetMenuItemCount() > 0)
        m_menu->Destroy(m_menu->FindItemByPosition(0));
    if (m_shown.empty()) {
        m_menu->Append(wxID_ANY, Utf8("（无）"))->Enable(false);
        return;
    }
    for (size_t i = 0; i < m_shown.size(); ++i) {
        // The entry's number is its mnemonic; an '&' of the path is shown as itself.
        wxString label = Utf8(m_shown[i]);
        label.Replace("&", "&&");
        m_menu->Append(kRecentFirstId + int(i), wxString::Format("&%d ", int(i + 1) % 10) + label);
    }
}

std::vector<std::string> CDesktopFiles::Recent() {
    std::vector<std::string> missing;
    UpdateList([&](CRecentFiles& list) { missing = list.RemoveMissing(IsRegularFile); });
    if (missing.size() == 1)
        m_frame.SetStatusText(Utf8("最近打开的文件已不存在，已从列表中移除：" + missing[0]));
    else if (missing.size() > 1)
        m_frame.SetStatusText(wxString::Format(Utf8("最近打开的 %d 个文件已不存在，已从列表中移除"),
                                               int(missing.size())));
    return m_shown;
}

void CDesktopFiles::Remember(const std::string& path) {
    UpdateList([&](CRecentFiles& list) {
        std::string why;
        list.Add(path, why);
    });
}

void CDesktopFiles::OnMenuOpen(wxMenuEvent& event) {
    event.Skip();
    wxMenuBar* bar = m_frame.GetMenuBar();
    if (event.GetMenu() == m_menu || (bar && event.GetMenu() == bar->GetMenu(0)))
        Recent();
}

void CDesktopFiles::OnRecentItem(wxCommandEvent& event) {
    OpenRecent(size_t(event.GetId() - kRecentFirstId));
}

bool CDesktopFiles::OpenRecent(size_t index) {
    if (index >= m_shown.size())
        return false;
    const std::string path = m_shown[index];
    if (!IsRegularFile(path)) {
        UpdateList([&](CRecentFiles& list) { list.Remove(path); });
        m_frame.SetStatusText(Utf8("最近打开的文件已不存在，已从列表中移除：" + path));
        return false;
    }
    if (!m_frame.ConfirmDiscard())
        return false;
    return OpenScene(path, false);
}

bool CDesktopFiles::OpenScene(const std::string& path, bool report) {
    std::string error;
    std::vector<std::string> warnings;
    if (!m_document.Open(path, error, warnings)) {
        m_frame.SetStatusText(Utf8("无法打开场景：" + WindowMessage(error)));
        if (report)
            m_report.push_back("refused " + error);
        return false;
    }
    if (report) {
        for (const std::string& w : warnings)
            m_report.push_back("warning: " + w);
        m_report.push_back("opened " + path + ": " +
                           std::to_string(m_host.Scene().GetEntityCount()) + " entities");
    }
    m_frame.SetStatusText(Utf8("已打开 " + path));
    m_frame.ShowWarnings(warnings);
    m_frame.UpdateDocumentState(true);
    return true;
}

bool CDesktopFiles::Drop(const std::vector<std::string>& paths) {
    m_report.clear();
    std::vector<std::string> scenes, models;
    for (const std::string& path : paths) {
        if (IsSceneFileName(path)) {
            scenes.push_back(path);
        } else if (IsModelFileName(path)) {
            models.push_back(path);
        } else {
            m_report.push_back("refused " + path + ": not a scene or model file");
            m_frame.SetStatusText(Utf8("无法打开：" + path + " 不是场景或模型文件"));
        }
    }
    // One scene at a time: the first opens, the others are named.
    for (size_t i = 1; i < scenes.size(); ++i)
        m_report.push_back("refused " + scenes[i] + ": one scene opens at a time");
    bool done = false;
    if (!scenes.empty()) {
        // The models of the drop go into the dropped scene, or nowhere.
        std::string why;
        if (!m_frame.ConfirmDiscard()) {
            why = ": the drop was cancelled at the question to save changes";
            m_report.push_back("refused " + scenes[0] + why);
        } else if (!OpenScene(scenes[0], true)) {
            why = ": the scene dropped with it did not open";
        }
        if (!why.empty()) {
            for (const std::string& model : models)
                m_report.push_back("refused " + model + why);
            return false;
        }
        done = true;
    }
    for (const std::string& model : models) {
        ModelImportResult result;
        std::string error;
        const bool ok = ImportIntoEditor(m_host, model, result, error);
        ShowImportOutcome(m_frame, model, ok, result, error);
        if (!ok) {
            m_report.push_back("refused " + error);
            continue;
        }
        done = true;
        m_report.push_back("imported " + model + ": " + std::to_string(result.entities) +
                           " entities, " + std::to_string(result.meshes) + " meshes");
        for (const std::string& w : result.warnings)
            m_report.push_back("warning: " + w);
    }
    return done;
}

std::vector<std::string> CDesktopFiles::TakeDropReport() {
    std::vector<std::string> report;
    report.swap(m_report);
    return report;
}

wxFileDropTarget* CDesktopFiles::DropTarget() const {
    return m_dropTarget;
}

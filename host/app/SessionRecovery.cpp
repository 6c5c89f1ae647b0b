#include "SessionRecovery.h"

#include "CEditorHost.h"
#include "CEditorScene.h"
#include "CEditorUndoManager.h"
#include "CAutosaveDialog.h"
#include "CMainFrame.h"
#include "COutliner.h"
#include "CSceneDocument.h"
#include "UserFiles.h"
#include "WindowMessages.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/stopwatch.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

CSessionRecovery::CSessionRecovery(CEditorHost& host, CSceneDocument& document, CMainFrame* frame,
                                   int seconds)
    : m_host(host), m_document(document), m_frame(frame) {
    const std::string root = RecoveryRoot();
    m_autosaver = std::make_unique<CAutosaver>(
        *this,
        root.empty() ? std::string() : root + "/" + ProcessFolderName(CurrentEditorProcess()));
    if (seconds < 0) {
        CUserSettings settings;
        std::string error;
        settings.Load(error);
        seconds = int(settings.GetNumber(kAutosaveSetting, CAutosaver::kDefaultSeconds, 0,
                                         CAutosaver::kMostSeconds));
    }
    m_autosaver->SetInterval(seconds);
    if (m_frame) {
        // 文件 › 自动保存间隔…, after the file menu's own items.
        wxMenuBar* bar = m_frame->GetMenuBar();
        wxMenu* file = bar && bar->GetMenuCount() ? bar->GetMenu(0) : nullptr;
        if (file) {
            const int id = wxWindow::NewControlId();
            file->AppendSeparator();
            file->Append(id, wxString::FromUTF8("自动保存间隔…"));
            m_frame->Bind(
                wxEVT_MENU, [this](wxCommandEvent&) { AskInterval(); }, id);
        }
    }
}

CSessionRecovery::~CSessionRecovery() {
    m_autosaver->WaitForWriter();
}

void CSessionRecovery::Tick() {
    m_autosaver->Tick(SteadySeconds());
}

std::vector<RecoveryCopy> CSessionRecovery::Copies() const {
    return FindRecoveryCopies(RecoveryRoot());
}

bool CSessionRecovery::Recover(const RecoveryCopy& copy, std::string& error,
                               std::vector<std::string>& warnings) {
    const std::string own = m_autosaver->Folder();
    if (own.empty()) {
        error = "no folder for recovery copies";
        return false;
    }
    m_autosaver->WaitForWriter();
    // This process's own copy steps aside until the recovered scene is open.
    const std::string aside = own + ".old";
    std::error_code ec;
    std::filesystem::remove_all(aside, ec);
    const bool hadOwn = std::filesystem::exists(own, ec);
    if (hadOwn && ::rename(own.c_str(), aside.c_str()) != 0) {
        error = own + ": cannot be moved aside";
        return false;
    }
    if (::rename(copy.folder.c_str(), own.c_str()) != 0) {
        error = copy.folder + ": cannot be taken over";
        if (hadOwn)
            ::rename(aside.c_str(), own.c_str());
        return false;
    }
    if (!m_document.OpenRecovered(own + "/" + kRecoverySceneFile, copy.info.source, error,
                                  warnings)) {
        ::rename(own.c_str(), copy.folder.c_str());
        if (hadOwn)
            ::rename(aside.c_str(), own.c_str());
        return false;
    }
    std::filesystem::remove_all(aside, ec);
    SyncFolder(RecoveryRoot());
    if (m_frame)
        m_frame->UpdateDocumentState(true);
    return true;
}

bool CSessionRecovery::Discard(const RecoveryCopy& copy, std::string& error) {
    return RemoveRecoveryFolder(copy.folder, error);
}

void CSessionRecovery::CleanExit() {
    std::string error;
    if (!m_autosaver->RemoveCopy(error))
        std::fprintf(stderr, "scene-editor: %s\n", error.c_str());
}

void CSessionRecovery::OfferAtStart() {
    for (const RecoveryCopy& copy : Copies()) {
        const std::string name = copy.info.source.empty()
                                     ? std::string("未命名")
                                     : std::filesystem::path(copy.info.source).filename().string();
        wxMessageDialog question(
            m_frame,
            wxString::FromUTF8("恢复未保存的工作？\n\n" + name + "\n自动保存于 " +
                               LocalTimeText(copy.info.time, "%Y-%m-%d %H:%M")),
            wxString::FromUTF8("恢复未保存的工作？"), wxYES_NO | wxCANCEL | wxICON_QUESTION);
        question.SetYesNoCancelLabels(wxString::FromUTF8("恢复"), wxString::FromUTF8("丢弃"),
                                      wxString::FromUTF8("以后再说"));
        const int answer = question.ShowModal();
        std::string error;
        std::vector<std::string> warnings;
        if (answer == wxID_YES) {
            if (!Recover(copy, error, warnings)) {
                wxMessageBox(wxString::FromUTF8(WindowMessage(error)),
                             wxString::FromUTF8("无法恢复"), wxOK | wxICON_ERROR, m_frame);
                continue;
            }
            if (m_frame)
                m_frame->ShowWarnings(warnings);
            return;
        }
        if (answer != wxID_NO)
            return; // decide later: every copy stays
        if (!Discard(copy, error) && m_frame)
            m_frame->SetStatusText(wxString::FromUTF8(WindowMessage(error)));
    }
}

void CSessionRecovery::AskInterval() {
    CAutosaveDialog dialog(m_frame, m_autosaver->Interval(), CAutosaver::kMostSeconds);
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_autosaver->SetInterval(dialog.GetSeconds());
    CUserSettings settings;
    std::string error;
    settings.Load(error);
    settings.Set(kAutosaveSetting, std::to_string(dialog.GetSeconds()));
    if (!settings.Save(error) && m_frame)
        m_frame->SetStatusText(wxString::FromUTF8(WindowMessage(error)));
}

bool CSessionRecovery::EditUnderWay() {
    if (m_host.Pressing())
        return true;
    return m_frame && m_frame->GetOutliner() && m_frame->GetOutliner()->Renaming();
}

bool CSessionRecovery::Modified(std::string& mark) {
    return m_document.IsModified(mark);
}

bool CSessionRecovery::Snapshot(SceneSnapshot& snapshot, RecoveryInfo& info, std::string& error) {
    if (!TakeSceneSnapshot(m_host.Scene(), kRecoverySceneFile, snapshot, error))
        return false;
    info.source = m_document.Path();
    info.undoSteps = m_host.Undo().undoCount();
    info.entities = m_host.Scene().GetEntityCount();
    return true;
}

void CSessionRecovery::Report(const std::string& status) {
    if (m_frame)
        m_frame->SetStatusText(wxString::FromUTF8(status));
}

// The autosave timer and its writer thread.
#include "CAutosaver.h"

#include "UserFiles.h"

#include <unistd.h>

#include <ctime>
#include <filesystem>

CAutosaver::CAutosaver(IAutosaveSource& source, std::string folder)
    : m_source(source), m_folder(std::move(folder)) {}

CAutosaver::~CAutosaver() {
    if (m_worker.joinable())
        m_worker.join();
}

void CAutosaver::SetInterval(int seconds) {
    m_interval = seconds < 0 ? 0 : seconds > kMostSeconds ? kMostSeconds : seconds;
    m_due = -1;
}

bool CAutosaver::Tick(double now) {
    if (m_worker.joinable() && m_finished)
        TakeResult();
    if (m_interval <= 0 || m_folder.empty())
        return false;
    if (m_due < 0)
        m_due = now + m_interval;
    if (now < m_due || m_worker.joinable() || m_source.EditUnderWay())
        return false; // a copy due during an edit is written when the edit ends
    m_due = now + m_interval;
    std::string mark;
    if (!m_source.Modified(mark)) {
        // The saved file holds it all: an older copy must not be offered after a crash. Its
        // info file goes (the copy is not offered without it); the scene's files stay, as a
        // recovered scene may still read its meshes from them. A clean exit removes the rest.
        const std::string info = m_folder + "/" + kRecoveryInfoFile;
        if (::access(info.c_str(), F_OK) == 0) {
            ::unlink(info.c_str());
            SyncFolder(m_folder);
        }
        m_writtenMark.clear();
        return false;
    }
    if (mark == m_writtenMark)
        return false;
    auto snapshot = std::make_shared<SceneSnapshot>();
    RecoveryInfo info;
    std::string error;
    if (!m_source.Snapshot(*snapshot, info, error)) {
        m_source.Report("自动保存失败：" + error);
        return false;
    }
    info.time = (long long)std::time(nullptr);
    const std::vector<SceneFileBytes> last = {{kRecoveryInfoFile, FormatRecoveryInfo(info)}};
    if (!MakeUserFolder(m_folder, error)) {
        m_source.Report("自动保存失败：" + error);
        return false;
    }
    m_pendingMark = mark;
    m_pendingTime = info.time;
    m_finished = false;
    m_worker = std::thread([this, snapshot, last] {
        std::string failure;
        m_ok = WriteSceneSnapshot(*snapshot, m_folder, kRecoverySceneFile, last, failure);
        m_error = failure;
        m_finished = true;
    });
    return true;
}

void CAutosaver::WaitForWriter() {
    if (m_worker.joinable())
        TakeResult();
}

void CAutosaver::TakeResult() {
    m_worker.join();
    if (m_ok) {
        m_writtenMark = m_pendingMark;
        ++m_written;
        m_source.Report(AutosavedStatus(m_pendingTime));
    } else {
        m_source.Report("自动保存失败：" + m_error);
    }
}

bool CAutosaver::RemoveCopy(std::string& error) {
    WaitForWriter();
    m_writtenMark.clear();
    return m_folder.empty() || RemoveRecoveryFolder(m_folder, error);
}

std::string AutosavedStatus(long long time) {
    return "已自动保存 " + LocalTimeText(time, "%H:%M");
}

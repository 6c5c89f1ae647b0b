// Autosave and recovery in the running editor: the session's side of the autosaver (what to
// save, when an edit is under way, where the status line is), the question at start, and a
// recovery copy opened as the document. The session makes one at Start and ticks it every
// frame; a clean exit (Shutdown) removes the process's copy.
//
// Recovering moves the dead editor's folder in as this process's own: the recovered scene
// reads its meshes from there, and its next copies go there too.
#pragma once

#include "CAutosaver.h"
#include "RecoveryCopies.h"

#include <memory>
#include <string>
#include <vector>

class CEditorHost;
class CMainFrame;
class CSceneDocument;

class CSessionRecovery : public IAutosaveSource {
public:
    // `seconds`: the interval (--autosave-seconds), or -1 for the user's setting (default 60).
    CSessionRecovery(CEditorHost& host, CSceneDocument& document, CMainFrame* frame, int seconds);
    ~CSessionRecovery() override;

    // Called every frame.
    void Tick();
    CAutosaver& Autosaver() { return *m_autosaver; }
    // Copies left by editors that no longer run, newest first.
    std::vector<RecoveryCopy> Copies() const;
    // Opens `copy` as its original file with unsaved changes. False with `error`, the open
    // scene and the copy untouched.
    bool Recover(const RecoveryCopy& copy, std::string& error, std::vector<std::string>& warnings);
    // Removes a copy the person declined.
    bool Discard(const RecoveryCopy& copy, std::string& error);
    // A clean exit: the process's copy goes.
    void CleanExit();

    // Asks 恢复未保存的工作？ for each copy, newest first, until one is recovered or the
    // person decides later (interactive runs only).
    void OfferAtStart();
    // 文件 › 自动保存间隔…: the dialog, the interval kept in the user's settings.
    void AskInterval();

    // IAutosaveSource
    bool EditUnderWay() override;
    bool Modified(std::string& mark) override;
    bool Snapshot(SceneSnapshot& snapshot, RecoveryInfo& info, std::string& error) override;
    void Report(const std::string& status) override;

private:
    CEditorHost& m_host;
    CSceneDocument& m_document;
    CMainFrame* m_frame;
    std::unique_ptr<CAutosaver> m_autosaver;
};

// The key of the interval in the user's settings.
constexpr const char* kAutosaveSetting = "autosave.seconds";

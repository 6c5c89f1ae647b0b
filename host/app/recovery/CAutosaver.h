// Autosave: while the scene differs from its saved state, a recovery copy is written into the
// process's own recovery folder (RecoveryCopies.h) every N seconds, but never while a drag or
// an edit is under way (it waits for the end), and not at all when nothing changed since the
// last copy. The scene is taken on the caller's thread (the engine's) in a snapshot; the text
// is made and the files written on a worker thread, so a big scene holds the window only for
// the snapshot. Only one copy is written at a time.
#pragma once

#include "RecoveryCopies.h"
#include "SceneSnapshot.h"

#include <atomic>
#include <string>
#include <thread>

// What autosave asks of the editor, always on the engine's thread.
class IAutosaveSource {
public:
    virtual ~IAutosaveSource() = default;
    // A drag, a press or a typed edit under way: the scene is between two states.
    virtual bool EditUnderWay() = 0;
    // The scene differs from its saved state; `mark` gets its content's mark: equal marks mean
    // the same content (the undo position and the lights' values).
    virtual bool Modified(std::string& mark) = 0;
    // The scene to write, and what the info file says of it (its time is set by autosave).
    virtual bool Snapshot(SceneSnapshot& snapshot, RecoveryInfo& info, std::string& error) = 0;
    // A copy was written ("已自动保存 HH:MM") or could not be (the reason).
    virtual void Report(const std::string& status) = 0;
};

class CAutosaver {
public:
    // `folder`: the process's own recovery folder (made when the first copy is written; its
    // parent too).
    CAutosaver(IAutosaveSource& source, std::string folder);
    ~CAutosaver(); // waits for a copy being written
    CAutosaver(const CAutosaver&) = delete;
    CAutosaver& operator=(const CAutosaver&) = delete;

    static constexpr int kDefaultSeconds = 60;
    static constexpr int kMostSeconds = 24 * 60 * 60;
    // Seconds between copies; 0 turns autosave off. The next copy is due that long after the
    // next Tick.
    void SetInterval(int seconds);
    int Interval() const { return m_interval; }

    // Called often (every frame) with the time in seconds (a steady clock): takes the result
    // of a finished copy, and starts the next one when it is due. True when it started one.
    bool Tick(double now);
    bool Writing() const { return m_worker.joinable(); }
    // Waits for the copy being written, then takes its result.
    void WaitForWriter();
    // The scene's state in the copy is gone or no longer wanted (a clean exit, a recovery
    // replacing it): waits for the writer, removes the folder, and the next copy is written
    // whatever the content.
    bool RemoveCopy(std::string& error);

    const std::string& Folder() const { return m_folder; }
    int CopiesWritten() const { return m_written; }

private:
    void TakeResult();

    IAutosaveSource& m_source;
    std::string m_folder;
    int m_interval = kDefaultSeconds;
    double m_due = -1;         // <0: armed at the next Tick
    std::string m_writtenMark; // the content of the copy on disk ("" for none)
    std::string m_pendingMark; // the content of the copy being written
    long long m_pendingTime = 0;
    int m_written = 0;
    std::thread m_worker;
    std::atomic<bool> m_finished{false};
    bool m_ok = false;
    std::string m_error;
};

// "已自动保存 HH:MM", the local time.
std::string AutosavedStatus(long long time);

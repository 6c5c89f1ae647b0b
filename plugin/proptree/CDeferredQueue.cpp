#include "CDeferredQueue.h"

#include <wx/weakref.h>
#include <wx/window.h>

#include <algorithm>
#include <utility>

CDeferredQueue::CDeferredQueue(Action requestIdle) : m_requestIdle(std::move(requestIdle)) {}

CDeferredQueue::~CDeferredQueue() {
    // Nobody is left to flush: whatever is still queued goes now, in order, including what the
    // entries queue as they run.
    m_requestIdle = nullptr;
    m_depth = 1;
    while (!m_entries.empty()) {
        Action run = std::move(m_entries.front().run);
        m_entries.pop_front();
        if (run)
            run();
    }
}

void CDeferredQueue::Add(EWhen when, const void* key, Action run) {
    if (when == EWhen::ScopeEnd && m_depth == 0) {
        // Nothing is on the stack that could still reach the object: a scope of its own runs it
        // at once, behind anything that happened to be waiting.
        Enter();
        m_entries.push_back({when, key, std::move(run)});
        Leave();
        return;
    }
    m_entries.push_back({when, key, std::move(run)});
    if (when == EWhen::NextIdle && !m_idleRequested && m_requestIdle) {
        m_idleRequested = true;
        m_requestIdle();
    }
}

void CDeferredQueue::AddWindow(wxWindow* window) {
    const wxWeakRef<wxWindow> pending(window);
    Add(EWhen::NextIdle, window, [pending] {
        if (wxWindow* w = pending.get())
            w->Destroy();
    });
}

std::size_t CDeferredQueue::Remove(const void* key) {
    const auto before = m_entries.size();
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [key](const SEntry& e) { return e.key == key; }),
                    m_entries.end());
    return before - m_entries.size();
}

bool CDeferredQueue::Contains(const void* key) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [key](const SEntry& e) { return e.key == key; });
}

bool CDeferredQueue::Leave() {
    if (m_depth == 0 || --m_depth > 0)
        return false;
    // The flush holds a scope of its own: scopes the entries open while they run do not flush
    // again, and what they queue joins the back.
    ++m_depth;
    const bool ran = Flush(EWhen::ScopeEnd);
    if (m_depth > 0)
        --m_depth; // not abandoned meanwhile
    return ran;
}

bool CDeferredQueue::FlushIdle() {
    const bool ran = Flush(EWhen::NextIdle);
    m_idleRequested = false;
    return ran;
}

bool CDeferredQueue::Flush(EWhen when) {
    bool ran = false;
    for (;;) {
        const auto due = std::find_if(m_entries.begin(), m_entries.end(),
                                      [when](const SEntry& e) { return e.when == when; });
        if (due == m_entries.end())
            return ran;
        Action run = std::move(due->run);
        m_entries.erase(due);
        ran = true;
        if (run)
            run();
    }
}

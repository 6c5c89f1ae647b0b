// The property tree's one way of putting off a destruction: rows, editor windows and the colour
// popup are not destroyed while code that reached them may still be on the stack, but queued
// here and destroyed once that code is done. An entry is due at one of two points:
//
//   ScopeEnd  when the outermost open scope closes. Every way into the control (an event
//             handler, a call that notifies the owner) opens a scope; scopes nest, and the
//             code that opened the outermost one touches nothing queued after it closes.
//             An entry queued with no scope open is run at once.
//   NextIdle  at the owner's next idle flush, after the toolkit event being handled has
//             returned: a window must not be destroyed under its own event, and the outermost
//             scope may well close inside one. The owner hears through the request function,
//             once per batch, that it should call FlushIdle soon.
//
// Entries run in the order they were queued. An entry queued while a flush runs (a deletion asked
// for while another one is carried out) joins the back of the queue and runs in the same flush,
// if it is due at the point being flushed. Every entry runs exactly once: by its flush, by
// Remove's caller having done the work itself (Remove only forgets it) or, at the latest, when
// the queue is destroyed, which runs whatever is left in order.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>

class wxWindow;

class CDeferredQueue {
public:
    enum class EWhen { ScopeEnd, NextIdle };
    using Action = std::function<void()>;

    explicit CDeferredQueue(Action requestIdle = {});
    ~CDeferredQueue();
    CDeferredQueue(const CDeferredQueue&) = delete;
    CDeferredQueue& operator=(const CDeferredQueue&) = delete;

    // Queues `run` (the destruction of the object `key`, or null for none) for `when`.
    void Add(EWhen when, const void* key, Action run);
    // Queues the destruction of a window, keyed by it, for NextIdle. A window its parent took
    // with it first is not destroyed again.
    void AddWindow(wxWindow* window);
    // Forgets every entry of `key` without running it; answers how many there were.
    std::size_t Remove(const void* key);
    bool Contains(const void* key) const;
    std::size_t Size() const { return m_entries.size(); }

    // Opens and closes a scope. Closing the outermost one runs the ScopeEnd entries and answers
    // true when it ran any. Closing with no scope open (see Abandon) does nothing.
    void Enter() { ++m_depth; }
    bool Leave();
    int GetDepth() const { return m_depth; }
    // Forgets the open scopes: their closing does nothing (their owner is going away).
    void Abandon() { m_depth = 0; }

    // Runs the NextIdle entries; answers true when it ran any.
    bool FlushIdle();

    // A scope for the length of a block.
    class CScope {
    public:
        explicit CScope(CDeferredQueue& queue) : m_queue(queue) { m_queue.Enter(); }
        ~CScope() { m_queue.Leave(); }
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

    private:
        CDeferredQueue& m_queue;
    };

private:
    struct SEntry {
        EWhen when;
        const void* key;
        Action run;
    };

    // Runs the entries due at `when`, front first, until none is left.
    bool Flush(EWhen when);

    std::deque<SEntry> m_entries;
    Action m_requestIdle;
    int m_depth = 0;
    bool m_idleRequested = false;
};

// The deferred queue on its own: when entries run, in what order, what an entry queued while
// another runs does, and that every entry runs exactly once, also when the queue goes first.
#include "CDeferredQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using EWhen = CDeferredQueue::EWhen;

class DeferredQueueTest : public ::testing::Test {
protected:
    // An entry that logs its name when it runs.
    CDeferredQueue::Action Log(const std::string& name) {
        return [this, name] { m_log.push_back(name); };
    }

    std::vector<std::string> m_log;
    int m_idleRequests = 0;
};

TEST_F(DeferredQueueTest, ScopeEntriesWaitForTheOutermostScopeAndRunInOrder) {
    CDeferredQueue queue;
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, Log("a"));
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, Log("b"));
    EXPECT_FALSE(queue.Leave()); // an inner scope closing runs nothing
    queue.Add(EWhen::ScopeEnd, nullptr, Log("c"));
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(queue.Leave());
    EXPECT_EQ(m_log, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(queue.Size(), 0u);
    EXPECT_EQ(queue.GetDepth(), 0);

    // Nothing queued: closing says so; and with no scope open an entry runs at once.
    queue.Enter();
    EXPECT_FALSE(queue.Leave());
    queue.Add(EWhen::ScopeEnd, nullptr, Log("now"));
    EXPECT_EQ(m_log.back(), "now");
    EXPECT_FALSE(queue.Leave()); // no scope open: nothing to close
}

TEST_F(DeferredQueueTest, IdleEntriesWaitForTheIdleFlushWhichIsAskedForOncePerBatch) {
    CDeferredQueue queue([this] { ++m_idleRequests; });
    {
        CDeferredQueue::CScope scope(queue);
        queue.Add(EWhen::NextIdle, nullptr, Log("window"));
        queue.Add(EWhen::ScopeEnd, nullptr, Log("row"));
        queue.Add(EWhen::NextIdle, nullptr, Log("popup"));
    }
    // The scope ran the row only: the windows may still be under their own events.
    EXPECT_EQ(m_log, (std::vector<std::string>{"row"}));
    EXPECT_EQ(m_idleRequests, 1);
    EXPECT_TRUE(queue.FlushIdle());
    EXPECT_EQ(m_log, (std::vector<std::string>{"row", "window", "popup"}));
    EXPECT_FALSE(queue.FlushIdle());

    // After a flush the next window asks again; one queued with no scope open waits as well.
    queue.Add(EWhen::NextIdle, nullptr, Log("later"));
    EXPECT_EQ(m_idleRequests, 2);
    EXPECT_EQ(m_log.size(), 3u);
}

TEST_F(DeferredQueueTest, EntriesQueuedDuringAFlushRunInTheSameFlushBehindTheOthers) {
    CDeferredQueue queue([this] { ++m_idleRequests; });
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, [&] {
        m_log.push_back("first");
        // A scope opened while running neither runs the queue again nor runs what follows it.
        CDeferredQueue::CScope nested(queue);
        queue.Add(EWhen::ScopeEnd, nullptr, Log("asked by first"));
        queue.Add(EWhen::NextIdle, nullptr, Log("window of first"));
        EXPECT_EQ(m_log.size(), 1u);
    });
    queue.Add(EWhen::ScopeEnd, nullptr, Log("second"));
    EXPECT_TRUE(queue.Leave());
    EXPECT_EQ(m_log, (std::vector<std::string>{"first", "second", "asked by first"}));
    EXPECT_EQ(queue.GetDepth(), 0);
    EXPECT_EQ(m_idleRequests, 1);

    // The same at the idle flush.
    queue.Add(EWhen::NextIdle, nullptr, [&] {
        m_log.push_back("idle");
        queue.Add(EWhen::NextIdle, nullptr, Log("idle again"));
    });
    EXPECT_TRUE(queue.FlushIdle());
    EXPECT_EQ(m_log.back(), "idle again");
    EXPECT_EQ(queue.Size(), 0u);
}

TEST_F(DeferredQueueTest, RemovedEntriesNeverRunAndTheOthersKeepTheirPlaces) {
    CDeferredQueue queue;
    int a = 0;
    int b = 0;
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, &a, Log("a"));
    queue.Add(EWhen::ScopeEnd, &b, Log("b"));
    queue.Add(EWhen::NextIdle, &a, Log("a's window"));
    queue.Add(EWhen::ScopeEnd, &a, Log("a again"));
    EXPECT_TRUE(queue.Contains(&a));
    EXPECT_EQ(queue.Remove(&a), 3u);
    EXPECT_FALSE(queue.Contains(&a));
    EXPECT_EQ(queue.Remove(&a), 0u);

    // An entry that removes a later one, as deleting a row removes its other queued deletions.
    queue.Add(EWhen::ScopeEnd, nullptr, [&] {
        m_log.push_back("drops b's second");
        queue.Remove(&b);
    });
    queue.Add(EWhen::ScopeEnd, &b, Log("b's second"));
    queue.Leave();
    EXPECT_EQ(m_log, (std::vector<std::string>{"b", "drops b's second"}));
    EXPECT_FALSE(queue.FlushIdle());
}

// Counts its destructions, which must come to one.
struct SOwned {
    explicit SOwned(int& deaths) : deaths(deaths) {}
    ~SOwned() { ++deaths; }
    int& deaths;
};

TEST_F(DeferredQueueTest, DestroyingTheQueueRunsWhatIsLeftOnceInOrder) {
    int deaths = 0;
    {
        CDeferredQueue queue([this] { ++m_idleRequests; });
        queue.Enter();
        queue.Enter(); // scopes still open as the owner goes
        for (int i = 0; i < 3; ++i) {
            auto* owned = new SOwned(deaths);
            const EWhen when = i == 1 ? EWhen::NextIdle : EWhen::ScopeEnd;
            queue.Add(when, owned, [this, owned, i] {
                m_log.push_back(std::to_string(i));
                delete owned;
            });
        }
        // One queued by a leftover as it runs goes too, and asks for no idle flush.
        queue.Add(EWhen::ScopeEnd, nullptr, [&] {
            m_log.push_back("last");
            queue.Add(EWhen::NextIdle, nullptr, Log("after last"));
        });
        EXPECT_EQ(m_idleRequests, 1);
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 3);
    EXPECT_EQ(m_log, (std::vector<std::string>{"0", "1", "2", "last", "after last"}));
    EXPECT_EQ(m_idleRequests, 1);
}

TEST_F(DeferredQueueTest, AnAbandonedQueueIgnoresTheScopesStillOpen) {
    CDeferredQueue queue;
    queue.Enter();
    queue.Enter();
    queue.Abandon();
    EXPECT_EQ(queue.GetDepth(), 0);
    EXPECT_FALSE(queue.Leave());
    EXPECT_FALSE(queue.Leave());
    EXPECT_EQ(queue.GetDepth(), 0);

    // Abandoned while it flushes (the owner goes from inside an entry): the flush finishes and
    // the depth stays at zero.
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, [&] {
        queue.Abandon();
        m_log.push_back("abandoning");
    });
    queue.Add(EWhen::ScopeEnd, nullptr, Log("still run"));
    EXPECT_TRUE(queue.Leave());
    EXPECT_EQ(m_log, (std::vector<std::string>{"abandoning", "still run"}));
    EXPECT_EQ(queue.GetDepth(), 0);
}

} // namespace

// The deferred queue on its own: when entries run, in what order, what an entry queued while
// another runs does, and that every entry runs exactly once, also when the queue goes first.
#include "CDeferredQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using EWhen = CDeferredQueue::EWhen;
using Log = std::vector<std::string>;

class DeferredQueueTest : public ::testing::Test {
protected:
    // An entry that logs its name when it runs.
    CDeferredQueue::Action Entry(const std::string& name) {
        return [this, name] { m_log.push_back(name); };
    }

    Log m_log;
    int m_idleRequests = 0;
};

TEST_F(DeferredQueueTest, ScopeEntriesWaitForTheOutermostScopeAndIdleOnesForTheIdleFlush) {
    CDeferredQueue queue([this] { ++m_idleRequests; });
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, Entry("row 1"));
    queue.Add(EWhen::NextIdle, nullptr, Entry("window"));
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, Entry("row 2"));
    queue.Add(EWhen::NextIdle, nullptr, Entry("popup"));
    EXPECT_FALSE(queue.Leave()); // an inner scope closing runs nothing
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(queue.Leave());
    // The windows may still be under their own events: they wait for the flush asked for once.
    EXPECT_EQ(m_log, (Log{"row 1", "row 2"}));
    EXPECT_EQ(m_idleRequests, 1);
    EXPECT_TRUE(queue.FlushIdle());
    EXPECT_EQ(m_log, (Log{"row 1", "row 2", "window", "popup"}));
    EXPECT_FALSE(queue.FlushIdle());

    // With no scope open a row goes at once, a window still waits and asks again.
    queue.Add(EWhen::ScopeEnd, nullptr, Entry("now"));
    queue.Add(EWhen::NextIdle, nullptr, Entry("later"));
    EXPECT_EQ(m_log.back(), "now");
    EXPECT_EQ(m_idleRequests, 2);
    EXPECT_FALSE(queue.Leave()); // no scope open: nothing to close
}

TEST_F(DeferredQueueTest, EntriesQueuedDuringAFlushRunInTheSameFlushBehindTheOthers) {
    CDeferredQueue queue([this] { ++m_idleRequests; });
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, nullptr, [&] {
        m_log.push_back("first");
        // A scope opened while running neither runs the queue again nor what follows it.
        CDeferredQueue::CScope nested(queue);
        queue.Add(EWhen::ScopeEnd, nullptr, Entry("asked by first"));
        queue.Add(EWhen::NextIdle, nullptr, [&] {
            m_log.push_back("window of first");
            queue.Add(EWhen::NextIdle, nullptr, Entry("idle again"));
        });
        EXPECT_EQ(m_log.size(), 1u);
    });
    queue.Add(EWhen::ScopeEnd, nullptr, Entry("second"));
    EXPECT_TRUE(queue.Leave());
    EXPECT_EQ(m_log, (Log{"first", "second", "asked by first"}));
    EXPECT_EQ(queue.GetDepth(), 0);
    EXPECT_TRUE(queue.FlushIdle());
    EXPECT_EQ(m_log.back(), "idle again");
    EXPECT_EQ(queue.Size(), 0u);
}

TEST_F(DeferredQueueTest, RemovedEntriesNeverRunAndTheOthersKeepTheirPlaces) {
    CDeferredQueue queue;
    int a = 0;
    int b = 0;
    queue.Enter();
    queue.Add(EWhen::ScopeEnd, &a, Entry("a"));
    queue.Add(EWhen::ScopeEnd, &b, Entry("b"));
    queue.Add(EWhen::NextIdle, &a, Entry("a's window"));
    EXPECT_EQ(queue.Remove(&a), 2u);
    EXPECT_FALSE(queue.Contains(&a));
    // An entry that removes a later one, as deleting a row forgets its other queued deletions.
    queue.Add(EWhen::ScopeEnd, nullptr, [&] {
        m_log.push_back("drops b's second");
        queue.Remove(&b);
    });
    queue.Add(EWhen::ScopeEnd, &b, Entry("b's second"));
    queue.Leave();
    EXPECT_EQ(m_log, (Log{"b", "drops b's second"}));
    EXPECT_FALSE(queue.FlushIdle());
}

TEST_F(DeferredQueueTest, DestroyingTheQueueRunsWhatIsLeftOnceInOrderWhateverScopesAreOpen) {
    int deaths = 0;
    {
        CDeferredQueue queue([this] { ++m_idleRequests; });
        queue.Enter();
        queue.Enter(); // scopes still open as the owner goes
        for (int i = 0; i < 3; ++i) {
            auto* owned = new int(i);
            queue.Add(i == 1 ? EWhen::NextIdle : EWhen::ScopeEnd, owned, [this, owned, &deaths] {
                m_log.push_back(std::to_string(*owned));
                delete owned;
                ++deaths;
            });
        }
        // Abandoned, the open scopes' closing runs nothing.
        queue.Abandon();
        EXPECT_FALSE(queue.Leave());
        EXPECT_EQ(queue.GetDepth(), 0);
        // An entry a leftover queues as it runs goes too, and asks for no idle flush.
        queue.Add(EWhen::NextIdle, nullptr, [&] {
            m_log.push_back("last");
            queue.Add(EWhen::NextIdle, nullptr, Entry("after last"));
        });
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 3);
    EXPECT_EQ(m_log, (Log{"0", "1", "2", "last", "after last"}));
    EXPECT_EQ(m_idleRequests, 1);
}

} // namespace

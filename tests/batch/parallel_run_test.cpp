#include "batch/ParallelRun.h"

#include "batch/BackgroundFlushers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>

namespace glyphmere::batch {
namespace {

using ::testing::ElementsAre;

// Records what the run reports.
class RecordingObserver final : public RunObserver {
public:
    void finished(const Outcome& outcome) override { finishedReasons.push_back(outcome.reason); }
    void inOrder(std::size_t index, const Outcome& outcome) override
    {
        emitted.push_back(std::to_string(index) + " " + statusName(outcome.status) + " " + outcome.reason);
    }

    std::vector<std::string> finishedReasons;
    std::vector<std::string> emitted;
};

Outcome changed(const std::string& reason) { return {OutcomeStatus::Changed, reason, 0, {}}; }

// Lets item 0 wait until every other item has ended.
class WaitingObserver final : public RunObserver {
public:
    void finished(const Outcome& outcome) override
    {
        const std::lock_guard lock(mutex);
        finishedReasons.push_back(outcome.reason);
        ended.notify_all();
    }
    void inOrder(std::size_t index, const Outcome&) override { emitted.push_back(index); }

    void waitForEnded(std::size_t count)
    {
        std::unique_lock lock(mutex);
        ended.wait(lock, [&] { return finishedReasons.size() >= count; });
    }

    std::mutex mutex;
    std::condition_variable ended;
    std::vector<std::string> finishedReasons;
    std::vector<std::size_t> emitted;
};

TEST(ParallelRun, LaterDocumentsEndingFirst_AreStillEmittedInInputOrder)
{
    const std::atomic<bool> stop{false};
    WaitingObserver observer;
    const auto work = [&](std::size_t index) {
        if (index == 0)
            observer.waitForEnded(3);
        return changed("item" + std::to_string(index));
    };

    EXPECT_FALSE(runInParallel({"a", "b", "c", "d"}, 4, stop, work, observer));

    EXPECT_EQ(observer.finishedReasons.back(), "item0");
    EXPECT_THAT(observer.emitted, ElementsAre(0u, 1u, 2u, 3u));
}

TEST(ParallelRun, OneDocumentListedSeveralTimes_IsNeverWorkedOnTwiceAtOnce)
{
    std::mutex mutex;
    std::map<std::string, int> active;
    int overlaps = 0;
    const std::vector<std::string> keys = {"same", "other", "same", "same", "other", "third", "same"};
    const std::atomic<bool> stop{false};
    RecordingObserver observer;
    const auto work = [&](std::size_t index) {
        {
            const std::lock_guard lock(mutex);
            overlaps += active[keys[index]]++ > 0 ? 1 : 0;
        }
        for (int turn = 0; turn < 50; ++turn)
            std::this_thread::yield(); // gives another job the chance to take the same document

        const std::lock_guard lock(mutex);
        --active[keys[index]];
        return changed("");
    };

    for (int round = 0; round < 20; ++round)
        runInParallel(keys, 4, stop, work, observer);

    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(observer.emitted.size(), keys.size() * 20);
}

TEST(ParallelRun, StopRequested_StartsNoOtherDocumentAndEmitsTheRestAsNotStarted)
{
    std::atomic<bool> stop{false};
    RecordingObserver observer;
    const auto work = [&](std::size_t index) {
        if (index == 1)
            stop.store(true);
        return changed("");
    };

    EXPECT_TRUE(runInParallel({"a", "b", "c", "d"}, 1, stop, work, observer));

    EXPECT_THAT(observer.emitted, ElementsAre("0 changed ", "1 changed ", "2 not started ", "3 not started "));
}

TEST(ParallelRun, WorkThatThrows_FailsThatDocumentOnly)
{
    const std::atomic<bool> stop{false};
    RecordingObserver observer;
    const auto work = [](std::size_t index) -> Outcome {
        if (index == 0)
            throw std::runtime_error("out of memory");
        return changed("");
    };

    EXPECT_FALSE(runInParallel({"a", "b"}, 2, stop, work, observer));

    EXPECT_THAT(observer.emitted, ElementsAre("0 failed out of memory", "1 changed "));
}

// A commit that waits until the test releases it; every wait gives up after a while, so that a run that
// never overlaps fails instead of hanging.
class HeldCommit {
public:
    void run()
    {
        std::unique_lock lock(m_mutex);
        m_started = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, kPatience, [this] { return m_released; });
    }
    bool waitUntilStarted()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, [this] { return m_started; });
    }
    void release()
    {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    static constexpr std::chrono::seconds kPatience{10};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_started = false;
    bool m_released = false;
};

// The items whose work has started, for commits that wait for a later one; a wait gives up after a while,
// so that a run that never starts the item fails instead of hanging.
class StartedItems {
public:
    void add(std::size_t index)
    {
        const std::lock_guard lock(m_mutex);
        m_started.push_back(index);
        m_changed.notify_all();
    }
    void waitFor(std::optional<std::size_t> index)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] {
            return !index || std::find(m_started.begin(), m_started.end(), *index) != m_started.end();
        });
    }
    void clear()
    {
        const std::lock_guard lock(m_mutex);
        m_started.clear();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::size_t> m_started;
};

// The first item after index whose key differs from index's; nullopt when there is none.
std::optional<std::size_t> laterItemOfAnotherKey(const std::vector<std::string>& keys, std::size_t index)
{
    for (std::size_t later = index + 1; later < keys.size(); ++later) {
        if (keys[later] != keys[index])
            return later;
    }
    return std::nullopt;
}

// What the run has reported so far, safe to read while it runs.
class SharedObserver final : public RunObserver {
public:
    void finished(const Outcome& outcome) override
    {
        const std::lock_guard lock(m_mutex);
        m_reported.push_back("finished " + outcome.reason);
    }
    void inOrder(std::size_t index, const Outcome& outcome) override
    {
        const std::lock_guard lock(m_mutex);
        m_reported.push_back(std::to_string(index) + " " + statusName(outcome.status) + " " + outcome.reason);
    }
    std::vector<std::string> reported()
    {
        const std::lock_guard lock(m_mutex);
        return m_reported;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_reported;
};

TEST(ParallelRun, DocumentIsReportedOnlyOnceItsCommitEndedWhileOneJobGoesOnWithTheNext)
{
    const std::atomic<bool> stop{false};
    SharedObserver observer;
    HeldCommit held;
    bool commitStartedBeforeNext = false;
    std::vector<std::string> reportedDuringCommit{"not looked at"};
    const auto work = [&](std::size_t index) -> DocumentResult {
        if (index == 0)
            return {changed("a"), [&] {
                        held.run();
                        return std::string();
                    }};
        commitStartedBeforeNext = held.waitUntilStarted();
        reportedDuringCommit = observer.reported();
        held.release();
        return changed("b");
    };

    EXPECT_FALSE(runInParallel({"a", "b"}, 1, stop, work, observer));

    EXPECT_TRUE(commitStartedBeforeNext);
    EXPECT_THAT(reportedDuringCommit, ElementsAre());
    const std::vector<std::string> reported = observer.reported();
    EXPECT_THAT(reported, ::testing::UnorderedElementsAre("finished a", "0 changed a", "finished b", "1 changed b"));
    EXPECT_LT(std::find(reported.begin(), reported.end(), "0 changed a"),
              std::find(reported.begin(), reported.end(), "1 changed b"));
}

// A commit's note (how the file was put in place) becomes its document's reason.
TEST(ParallelRun, FailedCommit_FailsItsDocumentAndCommitsHandedOverEndAfterAStop)
{
    std::atomic<bool> stop{false};
    RecordingObserver observer;
    std::atomic<int> commitsEnded{0};
    HeldCommit heldUntilTheStop; // the first commit is still running when the run is stopped
    const auto work = [&](std::size_t index) -> DocumentResult {
        if (index == 1) {
            stop.store(true);
            heldUntilTheStop.release();
        }
        return {changed(""), [&, index] {
                    if (index == 0)
                        heldUntilTheStop.run();
                    ++commitsEnded;
                    if (index == 0)
                        throw std::runtime_error("the document could not be saved: no space left on the device");
                    return std::string("put in place by moving");
                }};
    };

    EXPECT_TRUE(runInParallel({"a", "b", "c"}, 1, stop, work, observer));

    EXPECT_EQ(commitsEnded.load(), 2);
    EXPECT_THAT(observer.emitted, ElementsAre("0 failed the document could not be saved: no space left on the device",
                                              "1 changed put in place by moving", "2 not started "));
}

TEST(ParallelRun, DocumentListedSeveralTimes_IsNotWorkedOnWhileItsCommitIsPending)
{
    std::mutex mutex;
    std::map<std::string, int> active;
    int overlaps = 0;
    const std::vector<std::string> keys = {"same", "other", "same", "same", "other", "same"};
    const std::atomic<bool> stop{false};
    RecordingObserver observer;
    StartedItems started;
    const auto work = [&](std::size_t index) -> DocumentResult {
        started.add(index);
        {
            const std::lock_guard lock(mutex);
            overlaps += active[keys[index]]++ > 0 ? 1 : 0;
        }
        return {changed(""), [&, index] {
                    // Pending until a later item of another key has started, by when a run that let the key go
                    // early would have started the next item of this key too.
                    started.waitFor(laterItemOfAnotherKey(keys, index));
                    const std::lock_guard lock(mutex);
                    --active[keys[index]];
                    return std::string();
                }};
    };

    for (int round = 0; round < 10; ++round) {
        started.clear();
        runInParallel(keys, 3, stop, work, observer);
    }

    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(observer.emitted.size(), keys.size() * 10);
}

TEST(BackgroundFlushers, HandWaitsWhileTheMostPendingStepsAreUnfinished)
{
    HeldCommit first;
    HeldCommit second;
    std::atomic<bool> firstEnded{false};
    int waitsForRoom = 0;
    // hand() tells when it finds no room; only then is the first step let go.
    BackgroundFlushers flushers(4, 2, [&] {
        ++waitsForRoom;
        first.release();
    });
    flushers.hand([&] {
        first.run();
        firstEnded.store(true);
    });
    flushers.hand([&] { second.run(); });
    bool thirdRanAfterTheFirst = false;
    flushers.hand([&] { thirdRanAfterTheFirst = firstEnded.load(); });

    EXPECT_EQ(waitsForRoom, 1);
    second.release();
    flushers.waitUntilIdle();
    EXPECT_TRUE(thirdRanAfterTheFirst);
}

} // namespace
} // namespace glyphmere::batch

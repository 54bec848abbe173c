#include "batch/ParallelRun.h"

#include "batch/BackgroundFlushers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

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
            return {changed("a"), [&] { held.run(); }};
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

TEST(ParallelRun, FailedCommit_FailsItsDocumentAndCommitsHandedOverEndAfterAStop)
{
    std::atomic<bool> stop{false};
    RecordingObserver observer;
    std::atomic<int> commitsEnded{0};
    const auto work = [&](std::size_t index) -> DocumentResult {
        if (index == 1)
            stop.store(true);
        return {changed(""), [&, index] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                    ++commitsEnded;
                    if (index == 0)
                        throw std::runtime_error("the document could not be saved: no space left on the device");
                }};
    };

    EXPECT_TRUE(runInParallel({"a", "b", "c"}, 1, stop, work, observer));

    EXPECT_EQ(commitsEnded.load(), 2);
    EXPECT_THAT(observer.emitted, ElementsAre("0 failed the document could not be saved: no space left on the device",
                                              "1 changed ", "2 not started "));
}

TEST(ParallelRun, DocumentListedSeveralTimes_IsNotWorkedOnWhileItsCommitIsPending)
{
    std::mutex mutex;
    std::map<std::string, int> active;
    int overlaps = 0;
    const std::vector<std::string> keys = {"same", "other", "same", "same", "other", "same"};
    const std::atomic<bool> stop{false};
    RecordingObserver observer;
    const auto work = [&](std::size_t index) -> DocumentResult {
        {
            const std::lock_guard lock(mutex);
            overlaps += active[keys[index]]++ > 0 ? 1 : 0;
        }
        return {changed(""), [&, index] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    const std::lock_guard lock(mutex);
                    --active[keys[index]];
                }};
    };

    for (int round = 0; round < 10; ++round)
        runInParallel(keys, 3, stop, work, observer);

    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(observer.emitted.size(), keys.size() * 10);
}

TEST(BackgroundFlushers, HandWaitsWhileTheMostPendingStepsAreUnfinished)
{
    BackgroundFlushers flushers(4, 2);
    HeldCommit first;
    HeldCommit second;
    flushers.hand([&] { first.run(); });
    flushers.hand([&] { second.run(); });
    std::atomic<bool> thirdHanded{false};
    std::thread handing([&] {
        flushers.hand([] {});
        thirdHanded.store(true);
    });
    ASSERT_TRUE(first.waitUntilStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(thirdHanded.load());
    first.release();
    handing.join();
    EXPECT_TRUE(thirdHanded.load());
    second.release();
    flushers.waitUntilIdle();
}

} // namespace
} // namespace glyphmere::batch

#include "batch/ParallelRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

} // namespace
} // namespace glyphmere::batch

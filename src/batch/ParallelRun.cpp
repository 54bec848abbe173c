#include "batch/ParallelRun.h"

#include "batch/SystemAccess.h"
#include "batch/Utf8Path.h"

#include "batch/BackgroundFlushers.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace glyphmere::batch {
namespace {

// The signal handler cannot wake a waiting job, so a job held back by a duplicate looks again this often.
constexpr std::chrono::milliseconds kStopPoll{50};

// Commits overlap the next documents' work, a few at a time; past kMostPendingCommits a job waits for
// one to end, which bounds the open files and hidden files that the commits hold.
constexpr std::size_t kFlushers = 4;
constexpr std::size_t kMostPendingCommits = 16;

DocumentResult resultOf(const DocumentWork& work, std::size_t index)
{
    try {
        return work(index);
    } catch (const std::exception& error) {
        // The work reports its own failures; this is what escaped it (memory ran out), for this item alone.
        return Outcome{OutcomeStatus::Failed, error.what(), 0, {}};
    }
}

// The outcome once the commit has ended; its time counts towards the document's.
Outcome committed(const DocumentResult& result)
{
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = result.outcome;
    try {
        if (std::string note = result.commit(); !note.empty())
            outcome.reason = std::move(note);
    } catch (const std::exception& error) {
        return {OutcomeStatus::Failed, error.what(), result.outcome.seconds, {}};
    }
    outcome.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

class Scheduler {
public:
    Scheduler(const std::vector<std::string>& keys, const std::atomic<bool>& stop, RunObserver& observer)
        : m_keys(keys), m_stop(stop), m_observer(observer), m_outcomes(keys.size()), m_started(keys.size(), false)
    {
    }

    void workUntilDone(const DocumentWork& work, BackgroundFlushers& flushers)
    {
        while (const std::optional<std::size_t> index = take()) {
            DocumentResult result = resultOf(work, *index);
            if (!result.commit) {
                finish(*index, std::move(result.outcome));
                continue;
            }
            flushers.hand([this, index = *index, result = std::move(result)] { finish(index, committed(result)); });
        }
    }

    // After every job has ended: what is left, in order.
    bool emitRest()
    {
        const std::lock_guard lock(m_mutex);
        bool skipped = false;
        for (; m_nextToEmit < m_outcomes.size(); ++m_nextToEmit) {
            skipped = skipped || !m_outcomes[m_nextToEmit];
            m_observer.inOrder(m_nextToEmit, m_outcomes[m_nextToEmit].value_or(Outcome{}));
        }
        return skipped;
    }

private:
    std::optional<std::size_t> take()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stop.load() && m_firstUnstarted < m_keys.size()) {
            for (std::size_t index = m_firstUnstarted; index < m_keys.size(); ++index) {
                if (!m_started[index] && !m_held.count(m_keys[index]))
                    return start(index);
            }
            m_changed.wait_for(lock, kStopPoll);
        }
        return std::nullopt;
    }

    std::size_t start(std::size_t index)
    {
        m_started[index] = true;
        m_held.insert(m_keys[index]);
        while (m_firstUnstarted < m_started.size() && m_started[m_firstUnstarted])
            ++m_firstUnstarted;
        return index;
    }

    void finish(std::size_t index, Outcome outcome)
    {
        const std::lock_guard lock(m_mutex);
        m_held.erase(m_keys[index]);
        m_observer.finished(outcome);
        m_outcomes[index] = std::move(outcome);
        for (; m_nextToEmit < m_outcomes.size() && m_outcomes[m_nextToEmit]; ++m_nextToEmit)
            m_observer.inOrder(m_nextToEmit, *m_outcomes[m_nextToEmit]);
        m_changed.notify_all();
    }

    const std::vector<std::string>& m_keys;
    const std::atomic<bool>& m_stop;
    RunObserver& m_observer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::optional<Outcome>> m_outcomes;
    std::vector<bool> m_started;
    std::set<std::string> m_held;
    std::size_t m_firstUnstarted = 0;
    std::size_t m_nextToEmit = 0;
};

} // namespace

std::string exclusionKey(const std::string& path)
{
    if (std::optional<std::string> resolved = os::realPath(path))
        return *resolved;
    std::error_code error;
    return utf8FromPath(std::filesystem::absolute(pathFromUtf8(path), error).lexically_normal());
}

bool runInParallel(const std::vector<std::string>& keys, unsigned jobs, const std::atomic<bool>& stop,
                   const DocumentWork& work, RunObserver& observer)
{
    Scheduler scheduler(keys, stop, observer);
    BackgroundFlushers flushers(kFlushers, kMostPendingCommits);
    const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1u), std::max<std::size_t>(keys.size(), 1));
    std::vector<std::thread> workers;
    for (std::size_t i = 1; i < threads; ++i)
        workers.emplace_back([&] { scheduler.workUntilDone(work, flushers); });
    scheduler.workUntilDone(work, flushers); // the calling thread is one of the jobs
    for (std::thread& worker : workers)
        worker.join();
    flushers.waitUntilIdle();
    return scheduler.emitRest();
}

} // namespace glyphmere::batch

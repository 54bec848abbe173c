#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace glyphmere::batch {

// A few threads that run the steps handed to them: the commits of saved documents, whose flushes wait on
// the disk. Several run at once so that their flushes can share the disk's journal commits. At most
// mostPending steps wait or run at a time, which bounds the open files and hidden files they hold:
// hand() waits until one has ended. A step must not throw. Destroying the pool waits for every step
// handed over.
class BackgroundFlushers {
public:
    // whenFull, when given, is called by hand() each time it finds mostPending steps unfinished, before it
    // waits: how a test sees the bound hold without waiting for something not to happen.
    BackgroundFlushers(std::size_t threads, std::size_t mostPending, std::function<void()> whenFull = {});
    ~BackgroundFlushers();
    BackgroundFlushers(const BackgroundFlushers&) = delete;
    BackgroundFlushers& operator=(const BackgroundFlushers&) = delete;

    void hand(std::function<void()> step);
    // Returns once every step handed over so far has ended.
    void waitUntilIdle();

private:
    void runSteps();

    const std::size_t m_mostPending;
    const std::function<void()> m_whenFull;
    std::mutex m_mutex;
    std::condition_variable m_workWaiting; // a step was handed over, or the pool closes
    std::condition_variable m_stepEnded;   // for hand() at the bound and waitUntilIdle()
    std::deque<std::function<void()>> m_waiting;
    std::size_t m_pending = 0; // waiting or running
    bool m_closing = false;
    std::vector<std::thread> m_threads;
};

} // namespace glyphmere::batch

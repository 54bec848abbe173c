#include "batch/BackgroundFlushers.h"

#include <algorithm>

namespace glyphmere::batch {

BackgroundFlushers::BackgroundFlushers(std::size_t threads, std::size_t mostPending, std::function<void()> whenFull)
    : m_mostPending(std::max<std::size_t>(mostPending, 1)), m_whenFull(std::move(whenFull))
{
    for (std::size_t i = 0; i < std::max<std::size_t>(threads, 1); ++i)
        m_threads.emplace_back([this] { runSteps(); });
}

BackgroundFlushers::~BackgroundFlushers()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_workWaiting.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void BackgroundFlushers::hand(std::function<void()> step)
{
    std::unique_lock lock(m_mutex);
    if (m_pending >= m_mostPending && m_whenFull)
        m_whenFull();
    m_stepEnded.wait(lock, [this] { return m_pending < m_mostPending; });
    ++m_pending;
    m_waiting.push_back(std::move(step));
    lock.unlock();
    m_workWaiting.notify_one(); // one step wakes one thread, not the whole pool
}

void BackgroundFlushers::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_stepEnded.wait(lock, [this] { return m_pending == 0; });
}

// Every thread runs steps until the pool closes with nothing left waiting.
void BackgroundFlushers::runSteps()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_workWaiting.wait(lock, [this] { return m_closing || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        std::function<void()> step = std::move(m_waiting.front());
        m_waiting.pop_front();
        lock.unlock();
        step();
        step = nullptr; // what the step holds (a document's hidden files) goes before it counts as ended
        lock.lock();
        --m_pending;
        m_stepEnded.notify_all();
    }
}

} // namespace glyphmere::batch

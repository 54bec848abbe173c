#pragma once

#include <memory>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

namespace glyphmere::common {

// Keeps objects that are costly to make (compressors, scratch buffers) for the next caller, on whichever
// thread it runs, and lends each to one caller at a time. It stands where a copy per thread would: the
// MinGW-w64 runtime frees a thread's storage before it runs the destructors of the objects kept there,
// so a per-thread object that owns memory corrupts the heap as its thread ends. The pool holds at most
// as many objects as were ever lent at once.
template <class T>
class LendingPool final {
public:
    class Loan final {
    public:
        Loan(LendingPool& pool, std::unique_ptr<T> object) : m_pool(pool), m_object(std::move(object)) {}
        ~Loan() { m_pool.giveBack(std::move(m_object)); }
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;

        T& operator*() const { return *m_object; }
        T* operator->() const { return m_object.get(); }

    private:
        LendingPool& m_pool;
        std::unique_ptr<T> m_object;
    };

    Loan borrow()
    {
        std::unique_ptr<T> object;
        {
            const std::lock_guard lock(m_mutex);
            if (!m_idle.empty()) {
                object = std::move(m_idle.back());
                m_idle.pop_back();
            }
        }
        return Loan(*this, object ? std::move(object) : std::make_unique<T>());
    }

private:
    void giveBack(std::unique_ptr<T> object) noexcept
    {
        const std::lock_guard lock(m_mutex);
        try {
            m_idle.push_back(std::move(object));
        } catch (const std::bad_alloc&) {
            // Not kept: the next caller makes a new one.
        }
    }

    std::mutex m_mutex;
    std::vector<std::unique_ptr<T>> m_idle;
};

} // namespace glyphmere::common

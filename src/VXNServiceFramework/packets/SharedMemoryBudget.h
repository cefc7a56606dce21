#pragma once

#include <atomic>
#include <cstddef>

// Memory that several requests running at once draw from, so their sum stays bounded however
// many arrive together. Thread-safe.
class SharedMemoryBudget {
public:
    explicit SharedMemoryBudget(std::size_t limit) : m_limit(limit) {}

    // Takes `bytes` when they fit under the limit; false (and nothing taken) otherwise.
    bool tryTake(std::size_t bytes);
    void give(std::size_t bytes) { m_used.fetch_sub(bytes, std::memory_order_acq_rel); }

    std::size_t used() const { return m_used.load(std::memory_order_acquire); }
    std::size_t limit() const { return m_limit.load(std::memory_order_acquire); }
    void setLimit(std::size_t limit) { m_limit.store(limit, std::memory_order_release); }

private:
    std::atomic<std::size_t> m_limit;
    std::atomic<std::size_t> m_used{0};
};

// What one holder took from a budget; given back when it goes. Move-only.
class MemoryShare {
public:
    MemoryShare() = default;
    explicit MemoryShare(SharedMemoryBudget* budget) : m_budget(budget) {}
    ~MemoryShare() { release(); }
    MemoryShare(MemoryShare&& other) noexcept;
    MemoryShare& operator=(MemoryShare&& other) noexcept;
    MemoryShare(const MemoryShare&) = delete;
    MemoryShare& operator=(const MemoryShare&) = delete;

    // Holds `bytes` in all, taking what is missing; false (nothing more taken) when that does
    // not fit. Without a budget every size fits.
    bool growTo(std::size_t bytes);
    void release();
    std::size_t bytes() const { return m_bytes; }

private:
    SharedMemoryBudget* m_budget = nullptr;
    std::size_t m_bytes = 0;
};

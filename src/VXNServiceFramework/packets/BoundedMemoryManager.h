#pragma once

#include <atomic>
#include <cstddef>
#include <xercesc/framework/MemoryManager.hpp>

// Memory that several parses running at once draw from, so their sum stays bounded however
// many requests arrive together. Thread-safe.
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

// Memory for one DOM parse and the document it produces. Every allocation counts against a
// fixed budget of its own and, when given, against a shared one; an allocation over either
// throws Xerces' OutOfMemoryException, which the parser passes up untouched. This bounds whatever
// a body can make the parser build (expanded entities, many tiny nodes, long attribute values).
// Blocks still out when the manager goes are freed with it.
// Not thread-safe itself: one parse and its document belong to one packet.
class BoundedMemoryManager final : public XERCES_CPP_NAMESPACE::MemoryManager {
public:
    enum class Exhausted { No, Own, Shared };
    struct Block;

    // A manager that held at least this much at once returns the process's free heap pages to
    // the system when it goes.
    static constexpr std::size_t trimAfterBytes = std::size_t{64} * 1024 * 1024;

    explicit BoundedMemoryManager(std::size_t budget, SharedMemoryBudget* shared = nullptr)
        : m_budget(budget), m_shared(shared) {}
    ~BoundedMemoryManager() override;

    BoundedMemoryManager(const BoundedMemoryManager&) = delete;
    BoundedMemoryManager& operator=(const BoundedMemoryManager&) = delete;

    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;
    MemoryManager* getExceptionMemoryManager() override;

    std::size_t used() const { return m_used; }
    // Which budget refused the first allocation that did not fit.
    Exhausted exhausted() const { return m_exhausted; }

private:
    [[noreturn]] void refuse(Exhausted which);

    std::size_t m_budget;
    SharedMemoryBudget* m_shared;
    std::size_t m_used = 0;
    std::size_t m_peak = 0;
    Exhausted m_exhausted = Exhausted::No;
    Block* m_blocks = nullptr; // out now, most recent first
};

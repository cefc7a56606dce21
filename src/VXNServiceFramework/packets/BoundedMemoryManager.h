#pragma once

#include "VXNServiceFramework/packets/SharedMemoryBudget.h"

#include <cstddef>
#include <xercesc/framework/MemoryManager.hpp>

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

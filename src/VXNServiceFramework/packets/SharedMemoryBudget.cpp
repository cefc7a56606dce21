#include "VXNServiceFramework/packets/SharedMemoryBudget.h"

#include <utility>

bool SharedMemoryBudget::tryTake(std::size_t bytes) {
    std::size_t used = m_used.load(std::memory_order_acquire);
    do {
        const std::size_t limit = m_limit.load(std::memory_order_acquire);
        if (used > limit || bytes > limit - used)
            return false;
    } while (!m_used.compare_exchange_weak(used, used + bytes, std::memory_order_acq_rel));
    return true;
}

MemoryShare::MemoryShare(MemoryShare&& other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr)), m_bytes(std::exchange(other.m_bytes, 0)) {}

MemoryShare& MemoryShare::operator=(MemoryShare&& other) noexcept {
    if (this != &other) {
        release();
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

bool MemoryShare::growTo(std::size_t bytes) {
    if (bytes <= m_bytes)
        return true;
    if (m_budget && !m_budget->tryTake(bytes - m_bytes))
        return false;
    m_bytes = bytes;
    return true;
}

void MemoryShare::release() {
    if (m_budget && m_bytes > 0)
        m_budget->give(m_bytes);
    m_bytes = 0;
}

#include "VXNServiceFramework/packets/BoundedMemoryManager.h"

#include <cstdint>
#include <new>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace {
// Each block carries its size in front so deallocate can give it back to the budget; the
// header keeps the payload aligned like operator new's own result.
constexpr std::size_t kHeader = alignof(std::max_align_t);
} // namespace

bool SharedMemoryBudget::tryTake(std::size_t bytes) {
    std::size_t used = m_used.load(std::memory_order_acquire);
    do {
        const std::size_t limit = m_limit.load(std::memory_order_acquire);
        if (used > limit || bytes > limit - used)
            return false;
    } while (!m_used.compare_exchange_weak(used, used + bytes, std::memory_order_acq_rel));
    return true;
}

BoundedMemoryManager::~BoundedMemoryManager() {
    // Blocks still out (none once the document is released) go back with the manager.
    if (m_shared)
        m_shared->give(m_used);
}

void BoundedMemoryManager::refuse(Exhausted which) {
    if (m_exhausted == Exhausted::No)
        m_exhausted = which;
    throw XERCES_CPP_NAMESPACE::OutOfMemoryException();
}

void* BoundedMemoryManager::allocate(XMLSize_t size) {
    if (size > m_budget - m_used || size > SIZE_MAX - kHeader)
        refuse(Exhausted::Own);
    if (m_shared && !m_shared->tryTake(size))
        refuse(Exhausted::Shared);
    void* raw = nullptr;
    try {
        raw = ::operator new(size + kHeader);
    } catch (const std::bad_alloc&) {
        if (m_shared)
            m_shared->give(size);
        refuse(Exhausted::Own);
    }
    auto* block = static_cast<unsigned char*>(raw);
    *reinterpret_cast<std::size_t*>(block) = size;
    m_used += size;
    return block + kHeader;
}

void BoundedMemoryManager::deallocate(void* p) {
    if (!p)
        return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    const std::size_t size = *reinterpret_cast<std::size_t*>(block);
    m_used -= size;
    if (m_shared)
        m_shared->give(size);
    ::operator delete(block);
}

XERCES_CPP_NAMESPACE::MemoryManager* BoundedMemoryManager::getExceptionMemoryManager() {
    // Exceptions must be creatable even when the budget is spent.
    return XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager;
}

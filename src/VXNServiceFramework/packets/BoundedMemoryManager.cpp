#include "VXNServiceFramework/packets/BoundedMemoryManager.h"

#include <algorithm>
#include <cstdint>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <new>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

// Each block carries its size in front so deallocate can give it back to the budget, and
// its place in the list of blocks still out.
struct BoundedMemoryManager::Block {
    std::size_t size;
    Block* previous;
    Block* next;
};

namespace {
// The header keeps the payload aligned like operator new's own result.
constexpr std::size_t kAlign = alignof(std::max_align_t);
constexpr std::size_t kHeader =
    (sizeof(BoundedMemoryManager::Block) + kAlign - 1) / kAlign * kAlign;
} // namespace

BoundedMemoryManager::~BoundedMemoryManager() {
    // Blocks still out go back with the manager. None are once the document is released,
    // except after a parse that ran out of memory: Xerces then skips its own cleanup (a
    // stream made just before the reader that did not fit is never deleted).
    for (Block* block = m_blocks; block;) {
        Block* next = block->next;
        ::operator delete(block);
        block = next;
    }
    if (m_shared)
        m_shared->give(m_used);
#if defined(__GLIBC__)
    // A parse this large (a flood of oversized bodies, say) leaves the heap's freed pages with
    // the process; give them back rather than keep the peak resident.
    if (m_peak >= trimAfterBytes)
        malloc_trim(0);
#endif
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
    auto* block = new (raw) Block{size, nullptr, m_blocks};
    if (m_blocks)
        m_blocks->previous = block;
    m_blocks = block;
    m_used += size;
    m_peak = std::max(m_peak, m_used);
    return static_cast<unsigned char*>(raw) + kHeader;
}

void BoundedMemoryManager::deallocate(void* p) {
    if (!p)
        return;
    auto* block = reinterpret_cast<Block*>(static_cast<unsigned char*>(p) - kHeader);
    const std::size_t size = block->size;
    (block->previous ? block->previous->next : m_blocks) = block->next;
    if (block->next)
        block->next->previous = block->previous;
    m_used -= size;
    if (m_shared)
        m_shared->give(size);
    ::operator delete(block);
}

XERCES_CPP_NAMESPACE::MemoryManager* BoundedMemoryManager::getExceptionMemoryManager() {
    // Exceptions must be creatable even when the budget is spent.
    return XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager;
}

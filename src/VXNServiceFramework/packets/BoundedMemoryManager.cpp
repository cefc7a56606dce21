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

void* BoundedMemoryManager::allocate(XMLSize_t size) {
    if (size > m_budget - m_used || size > SIZE_MAX - kHeader)
        throw XERCES_CPP_NAMESPACE::OutOfMemoryException();
    auto* block = static_cast<unsigned char*>(::operator new(size + kHeader));
    *reinterpret_cast<std::size_t*>(block) = size;
    m_used += size;
    return block + kHeader;
}

void BoundedMemoryManager::deallocate(void* p) {
    if (!p)
        return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    m_used -= *reinterpret_cast<std::size_t*>(block);
    ::operator delete(block);
}

XERCES_CPP_NAMESPACE::MemoryManager* BoundedMemoryManager::getExceptionMemoryManager() {
    // Exceptions must be creatable even when the budget is spent.
    return XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager;
}

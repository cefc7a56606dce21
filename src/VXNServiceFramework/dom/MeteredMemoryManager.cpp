#include "VXNServiceFramework/dom/MeteredMemoryManager.h"

#include <cstdint>
#include <new>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

namespace dom {
namespace {
// Each block carries its size in front; the header keeps the payload aligned like operator
// new's own result.
constexpr std::size_t kHeader = alignof(std::max_align_t) > sizeof(std::size_t)
                                    ? alignof(std::max_align_t)
                                    : sizeof(std::size_t);
} // namespace

void* MeteredMemoryManager::allocate(XMLSize_t size) {
    if (size > SIZE_MAX - kHeader)
        throw XERCES_CPP_NAMESPACE::OutOfMemoryException();
    void* raw = nullptr;
    try {
        raw = ::operator new(size + kHeader);
    } catch (const std::bad_alloc&) {
        throw XERCES_CPP_NAMESPACE::OutOfMemoryException();
    }
    *static_cast<std::size_t*>(raw) = size;
    m_bytes.fetch_add(size, std::memory_order_relaxed);
    return static_cast<char*>(raw) + kHeader;
}

void MeteredMemoryManager::deallocate(void* p) {
    if (!p)
        return;
    void* raw = static_cast<char*>(p) - kHeader;
    m_bytes.fetch_sub(*static_cast<std::size_t*>(raw), std::memory_order_relaxed);
    ::operator delete(raw);
}

XERCES_CPP_NAMESPACE::MemoryManager* MeteredMemoryManager::getExceptionMemoryManager() {
    return XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager;
}

} // namespace dom

#pragma once

#include <atomic>
#include <cstddef>
#include <xercesc/framework/MemoryManager.hpp>

namespace dom {

// Memory for a document that is kept for a long time, counted, so that whoever keeps many of
// them can tell what each holds. Thread-safe: a kept document is read from many threads, and
// Xerces allocates from the document's memory for some reads.
class MeteredMemoryManager final : public XERCES_CPP_NAMESPACE::MemoryManager {
public:
    MeteredMemoryManager() = default;
    MeteredMemoryManager(const MeteredMemoryManager&) = delete;
    MeteredMemoryManager& operator=(const MeteredMemoryManager&) = delete;

    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;
    MemoryManager* getExceptionMemoryManager() override;

    // Bytes handed out and not yet given back.
    std::size_t bytes() const { return m_bytes.load(std::memory_order_relaxed); }

private:
    std::atomic<std::size_t> m_bytes{0};
};

} // namespace dom

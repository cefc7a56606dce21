#pragma once

#include <cstddef>
#include <xercesc/framework/MemoryManager.hpp>

// Memory for one DOM parse and the document it produces. Every allocation counts against a
// fixed budget; one that would exceed it throws Xerces' OutOfMemoryException, which the parser
// passes up untouched. This bounds whatever a body can make the parser build (expanded entities,
// many tiny nodes, long attribute values) to a multiple of the body's own size.
// Not thread-safe: one parse and its document belong to one packet.
class BoundedMemoryManager final : public XERCES_CPP_NAMESPACE::MemoryManager {
public:
    explicit BoundedMemoryManager(std::size_t budget) : m_budget(budget) {}

    void* allocate(XMLSize_t size) override;
    void deallocate(void* p) override;
    MemoryManager* getExceptionMemoryManager() override;

    std::size_t used() const { return m_used; }

private:
    std::size_t m_budget;
    std::size_t m_used = 0;
};

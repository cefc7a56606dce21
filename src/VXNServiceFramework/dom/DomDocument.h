#pragma once

#include "VXNServiceFramework/dom/DomTypes.h"

#include <memory>

namespace dom {

// Owns one DOM document and, for a parsed one, the memory it was allocated from.
// Move-only; an empty Document holds nothing.
class Document {
public:
    Document();
    ~Document();
    Document(Document&& other) noexcept;
    Document& operator=(Document&& other) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // A new document whose root element is `rootName`, on `memory` when given. Throws
    // dom::BuildError when the name is not a valid XML name.
    static Document create(const QString& rootName,
                           std::shared_ptr<XERCES_CPP_NAMESPACE::MemoryManager> memory = nullptr);
    // Takes over a document; `memory` (may be null) is what its nodes live on.
    Document(RawDocument* document, std::shared_ptr<XERCES_CPP_NAMESPACE::MemoryManager> memory);

    RawDocument* get() const { return m_document.get(); }
    // The root element, or null for an empty Document.
    Element* root() const;
    explicit operator bool() const { return m_document != nullptr; }
    void reset();

private:
    struct Release {
        void operator()(RawDocument* document) const;
    };

    // Declared first so that it outlives the document whose nodes it holds.
    std::shared_ptr<XERCES_CPP_NAMESPACE::MemoryManager> m_memory;
    std::unique_ptr<RawDocument, Release> m_document;
};

} // namespace dom

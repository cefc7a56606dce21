#pragma once

#include "VXNServiceFramework/dom/DomDocument.h"

#include <QByteArrayView>

namespace dom {

// Parsing never loads external entities or DTDs, expands a bounded number of entity
// references, refuses input above a size limit, and does not validate.
struct ParseOptions {
    static constexpr qsizetype defaultMaxBytes = 64 * 1024 * 1024;
    static constexpr unsigned defaultEntityExpansionLimit = 10000;

    qsizetype maxBytes = defaultMaxBytes;
    unsigned entityExpansionLimit = defaultEntityExpansionLimit;
    // What the parser and the document allocate from (the process heap when null); a bounded
    // one turns an oversized document into an error instead of exhausting memory.
    std::shared_ptr<XERCES_CPP_NAMESPACE::MemoryManager> memory;
};

struct ParseResult {
    Document document;
    // Why there is no document; empty on success.
    QString error;

    bool ok() const { return static_cast<bool>(document); }
};

// The encoding is detected from the bytes, including UTF-16 of either byte order without a
// byte-order mark or declaration.
ParseResult parse(QByteArrayView bytes, const ParseOptions& options = {});
ParseResult parseFile(const QString& path, const ParseOptions& options = {});

} // namespace dom

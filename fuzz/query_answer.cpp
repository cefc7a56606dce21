// Arbitrary text (UTF-8, read into the UTF-16 of a database answer) as the body of a
// DBSProcessQuery answer: the fast scanner must read it as the general XML reader does, and
// a body shared among threads, cut at any of its row starts, as the same body read in order.
#include "peers/QueryXmlReader.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace queryxml = peers::queryxml;

namespace {

queryxml::ParsedBody cutAt(const QByteArray& body, QList<qsizetype> at) {
    queryxml::ScanSplit split;
    split.minChars = 0;
    split.at = std::move(at);
    split.waitForThreads = true;
    return queryxml::parseBody(body, split);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray body(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const queryxml::ParsedBody inOrder = queryxml::parseBody(body, queryxml::ScanSplit{});
    if (!(inOrder == queryxml::parseBodyFully(body)))
        std::abort();
    QList<qsizetype> rows;
    for (qsizetype at = text.indexOf(u"<Row"); at >= 0; at = text.indexOf(u"<Row", at + 1))
        rows.append(at);
    // Every row start a stretch of its own, and each alone.
    if (!rows.isEmpty() && !(cutAt(body, rows) == inOrder))
        std::abort();
    for (const qsizetype at : rows.mid(0, 16))
        if (!(cutAt(body, {at}) == inOrder))
            std::abort();
    return 0;
}

// Arbitrary bytes as what a peer sends on a connection: the request reader (and under it the
// head parser) must never crash, hang or leak, and must come to the same verdict, command and
// body however the bytes are cut into pieces, down to single bytes. Response heads likewise.
#include "VXNServiceFramework/http/HTTPParser.h"
#include "VXNServiceFramework/http/RequestReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Small bounds so inputs reach them.
RequestReader::Limits smallLimits() {
    RequestReader::Limits limits;
    limits.maxHeaderBytes = 512;
    limits.maxBodyBytes = 1024;
    return limits;
}

struct Verdict {
    RequestReader::Status status;
    QString command;
    QByteArray body;
    bool operator==(const Verdict&) const = default;
};

// Feeds `bytes` in pieces whose sizes come from `cut` (0: all at once).
Verdict read(const QByteArray& bytes, uint32_t cut) {
    RequestReader reader(smallLimits());
    qsizetype at = 0;
    while (at < bytes.size() && reader.status() == RequestReader::Status::NeedMore) {
        qsizetype piece = bytes.size() - at;
        if (cut != 0) {
            cut = cut * 1103515245u + 12345u;
            piece = std::min<qsizetype>(piece, 1 + (cut >> 16) % 17);
        }
        reader.feed(bytes.constData() + at, piece);
        at += piece;
    }
    if (reader.status() == RequestReader::Status::Complete) {
        if (reader.body().size() != reader.contentLength() || reader.command().contains('/')) {
            abort();
        }
    }
    return {reader.status(), reader.command(), reader.body()};
}

QList<QPair<QString, QString>> responseHeaders(const QByteArray& bytes, bool byteByByte) {
    HTTPResponseParser parser;
    try {
        if (byteByByte) {
            for (const char byte : bytes) {
                if (parser.state() != HTTPParser::ReadingHeader) {
                    break;
                }
                parser.feed(byte);
            }
        } else {
            parser.feed(bytes);
        }
    } catch (const HTTPParser::ParsingError&) {
        return {{QStringLiteral("error"), {}}};
    }
    return parser.headers();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const uint32_t seed = 1u + data[0] + 256u * data[1];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    const Verdict whole = read(bytes, 0);
    if (!(read(bytes, seed) == whole)) {
        abort();
    }
    if (responseHeaders(bytes, false) != responseHeaders(bytes, true)) {
        abort();
    }
    return 0;
}

// Arbitrary bytes through the binding reader: the framework's packets, a write/read round trip of
// whatever parsed, and a free walk over the tokenizer.
#include "VXNServiceFramework/Commands/NSFindService_Response.h"
#include "VXNServiceFramework/Commands/NSRegisterService_Request.h"
#include "VXNServiceFramework/packets/BindPacket.h"

#include <cstdint>
#include <cstdlib>

namespace {

using FindResponse = BindResponse<NSFindService_Response::c_VXNResponse>;
using RegisterRequest = BindRequest<NSRegisterService_Request::c_VXNRequest>;

// What survives a write and a read: line ends come back as line feeds, and attribute values
// also turn tabs into blanks.
QString afterRoundTrip(QString text, bool attribute) {
    text.replace(QChar('\r'), QChar('\n'));
    if (attribute) {
        text.replace(QChar('\t'), QChar(' '));
        text.replace(QChar('\n'), QChar(' '));
    }
    return text;
}

void check(bool ok) {
    if (!ok)
        std::abort();
}

// Parses the bytes as a P; whatever parsed is written, read again and compared with `same`.
template <class P, class Same> void roundTrip(const QByteArray& bytes, Same same) {
    P packet;
    try {
        packet.parse(bytes);
    } catch (const WrongPacketFormat&) {
        return;
    }
    QByteArray out;
    packet.serialize(out);
    P back;
    back.parse(out);
    same(packet, back);
}

void findResponse(const QByteArray& bytes) {
    roundTrip<FindResponse>(bytes, [](FindResponse& packet, FindResponse& back) {
        check(back.result() == packet.result());
        check(back.details() == afterRoundTrip(packet.details(), false));
        check(back.ServiceURL == afterRoundTrip(packet.ServiceURL, false));
    });
}

void registerRequest(const QByteArray& bytes) {
    roundTrip<RegisterRequest>(bytes, [](RegisterRequest& packet, RegisterRequest& back) {
        check(back.command() == afterRoundTrip(packet.command(), true));
        check(back.URL == afterRoundTrip(packet.URL, false));
        check(back.method.size() == packet.method.size());
    });
}

void walk(const uint8_t* data, size_t size) {
    xmlb::c_read_memory source(reinterpret_cast<const char*>(data),
                               reinterpret_cast<const char*>(data) + size);
    xmlb::c_xml_reader reader(source);
    std::string value;
    bool empty = false;
    for (;;) {
        const int t = reader.next_item();
        if (t == xmlb::tok_none || t == xmlb::tok_eof)
            break;
        if (t == xmlb::tok_end)
            continue;
        while (reader.next_attribute() != xmlb::tok_end)
            value.assign(reader.attr_value());
        // Odd-length names are read as simple values, the others are descended into.
        if (reader.name().size() % 2 && reader.read_value(value, xmlb::whitespace::collapse, empty))
            break;
    }
    (void)reader.error_text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    findResponse(bytes);
    registerRequest(bytes);
    walk(data, size);
    return 0;
}

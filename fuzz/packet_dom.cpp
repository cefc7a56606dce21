// Arbitrary bytes as the body of a DOM-family response and request: parsing must never crash,
// hang or leak, and whatever was read must be readable and writable again.
#include "VXNServiceFramework/RequestPacket.h"
#include "VXNServiceFramework/ResponsePacket.h"
#include "VXNServiceFramework/WrongPacketFormat.h"

#include <cstddef>
#include <cstdint>

namespace {

void readEverything(PacketDOM& packet) {
    for (const QString& name :
         {QStringLiteral("Result"), QStringLiteral("Details"), QStringLiteral("VXNResponse"),
          QStringLiteral("VXNRequest"), QStringLiteral("a")}) {
        packet.elementText(name);
        packet.elementId(name);
        packet.childElementMap(name);
    }
    PacketDOM::StringPairs pairs;
    PacketDOM::childPairs(packet.rootElement(), pairs);
    PacketDOM::StringMap map;
    PacketDOM::childPairs(packet.rootElement(), map);
    PacketDOM::textContent(packet.rootElement());
}

void roundTrip(PacketDOM& packet) {
    QByteArray body;
    try {
        packet.serialize(body);
    } catch (const WrongPacketFormat&) {
        return; // the writer may refuse what it cannot write; it must not crash
    }
    packet.parse(body);
    readEverything(packet);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    ResponsePacket response;
    response.parse(body);
    response.result();
    response.details();
    readEverything(response);
    response.setResult(1, QStringLiteral("changed"));
    roundTrip(response);

    RequestPacket request(QStringLiteral("Fuzz"));
    request.parse(body);
    readEverything(request);
    if (request.rootElement())
        request.addElement(QStringLiteral("Added"), request.elementText(QStringLiteral("a")),
                           QStringLiteral("1"));
    roundTrip(request);
    return 0;
}

// Arbitrary bytes as the body of a DOM-family response and request: parsing must never crash,
// hang or leak, and whatever was read must be readable and writable again.
#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMNamedNodeMap.hpp>
#include <xercesc/dom/DOMNode.hpp>

namespace {

// The system's Xerces-C library carries no coverage instrumentation, so libFuzzer cannot see
// which parser paths an input took. Outcomes stand in for it: every distinct parse error and
// every new shape of the parsed tree lights a counter of libFuzzer's extra-counter section,
// which it treats like coverage and keeps the input for.
#if defined(__clang__) && defined(__linux__)
__attribute__((used, section("__libfuzzer_extra_counters"))) uint8_t outcomeCounters[1 << 14];
void noteOutcome(size_t hash) {
    ++outcomeCounters[hash % sizeof outcomeCounters];
}
#else
void noteOutcome(size_t) {}
#endif

size_t bucket(size_t n) {
    size_t b = 0;
    while (n) {
        n >>= 1;
        ++b;
    }
    return b;
}

void noteShape(const PacketDOM& packet) {
    QString error = packet.parseError();
    // Positions and quoted names vary without taking another path through the parser.
    static const QRegularExpression incidental(QStringLiteral("[0-9]+|'[^']*'|\"[^\"]*\""));
    error.remove(incidental);
    noteOutcome(qHash(error, 1));
    const xercesc::DOMNode* top = packet.document();
    if (!top)
        return;
    size_t nodes = 0, text = 0;
    int depth = 0;
    for (const xercesc::DOMNode* node = top; node;) {
        ++nodes;
        const auto type = size_t(node->getNodeType());
        const xercesc::DOMNamedNodeMap* attributes = node->getAttributes();
        const size_t attributeCount = attributes ? attributes->getLength() : 0;
        if (const XMLCh* value = node->getNodeValue())
            text += std::char_traits<char16_t>::length(value);
        noteOutcome(qHashMulti(2, type, std::min(depth, 8), bucket(attributeCount)));
        if (node->getFirstChild()) {
            node = node->getFirstChild();
            ++depth;
            continue;
        }
        while (node != top && !node->getNextSibling()) {
            node = node->getParentNode();
            --depth;
        }
        node = node == top ? nullptr : node->getNextSibling();
    }
    noteOutcome(qHashMulti(3, bucket(nodes), bucket(text)));
}

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
        noteOutcome(4);
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
    noteShape(response);
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

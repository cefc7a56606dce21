#include "VXNServiceFramework/packets/RequestPacket.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

void RequestPacket::buildDocument() {
    dom::setAttribute(createDocument(QStringLiteral("VXNRequest")), QStringLiteral("command"),
                      m_command);
}

void RequestPacket::parseReadable(const QByteArray& body) {
    PacketDOM::parse(body);
    if (!document())
        throw WrongPacketFormat(parseError());
}

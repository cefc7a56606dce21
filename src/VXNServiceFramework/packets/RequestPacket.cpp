#include "VXNServiceFramework/packets/RequestPacket.h"

#include "VXNServiceFramework/dom/DomBuild.h"

void RequestPacket::buildDocument() {
    dom::setAttribute(createDocument(QStringLiteral("VXNRequest")), QStringLiteral("command"),
                      m_command);
}

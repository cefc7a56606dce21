#include "VXNServiceFramework/packets/RequestPacket.h"

#include "VXNServiceFramework/packets/XercesString.h"

#include <xercesc/dom/DOMElement.hpp>

void RequestPacket::buildDocument() {
    createDocument(QStringLiteral("VXNRequest"))
        ->setAttribute(u"command", toXml(xmlCharsOnly(m_command)));
}

#include "VXNServiceFramework/RequestPacket.h"

#include "VXNServiceFramework/XercesString.h"

#include <xercesc/dom/DOMElement.hpp>

void RequestPacket::buildDocument() {
    createDocument(QStringLiteral("VXNRequest"))
        ->setAttribute(u"command", toXml(xmlCharsOnly(m_command)));
}

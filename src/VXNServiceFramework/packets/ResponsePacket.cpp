#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <xercesc/dom/DOMElement.hpp>

XERCES_CPP_NAMESPACE_USE

ResponsePacket::ResponsePacket(int code)
    : ResponsePacket(code, code == ResultCode::Ok ? QStringLiteral("OK") : QStringLiteral("Fail")) {
}

ResponsePacket::ResponsePacket(int code, QString details)
    : m_result(code), m_details(std::move(details)) {}

void ResponsePacket::parse(const QByteArray& body) {
    try {
        PacketDOM::parse(body);
    } catch (const WrongPacketFormat&) {
        // Out of parsing memory: a response reads as a wrong format like any unreadable one.
    }
    if (!document()) {
        m_result = ResultCode::WrongResponseFormat;
        m_details = ResultText::wrongResponsePrefix + parseError();
        return;
    }
    bool ok = false;
    m_result = elementText(QStringLiteral("Result")).toInt(&ok, 10);
    if (!ok)
        m_result = ResultCode::Ok;
    m_details = elementText(QStringLiteral("Details"));
}

void ResponsePacket::setResult(int code, const QString& details) {
    m_result = code;
    m_details = details;
    if (rootElement())
        writeEnvelope();
}

void ResponsePacket::buildDocument() {
    createDocument(QStringLiteral("VXNResponse"));
    writeEnvelope();
}

// Result and Details become (or stay) the first two children of the root with the current
// values; the command's own elements after them are kept.
void ResponsePacket::writeEnvelope() {
    DOMElement* root = rootElement();
    DOMNode* previous = nullptr;
    const std::pair<QString, QString> fields[] = {
        {QStringLiteral("Result"), QString::number(m_result)},
        {QStringLiteral("Details"), m_details}};
    for (const auto& [name, text] : fields) {
        DOMElement* element = dom::firstChild(root, name);
        if (element) {
            dom::setText(element, text);
        } else {
            element = createTextElement(name, text);
            root->insertBefore(element,
                               previous ? previous->getNextSibling() : root->getFirstChild());
        }
        previous = element;
    }
}

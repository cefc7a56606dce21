#include "peers/CmdWebUploadTemporaryFileRequest.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomRead.h"

void CmdWebUploadTemporaryFileRequest::parse(const QByteArray& body) {
    RequestPacket::parse(body);
    fileName.clear();
    data.clear();
    if (const auto* element = dom::onlyDescendant(rootElement(), QStringLiteral("Data"))) {
        fileName = dom::attribute(element, QStringLiteral("filename"));
        data = QByteArray::fromBase64(textContent(element).toLatin1());
    }
}

void CmdWebUploadTemporaryFileRequest::serialize(QByteArray& body) {
    buildDocument();
    auto* element = addElement(QStringLiteral("Data"), QString::fromLatin1(data.toBase64()));
    dom::setAttribute(element, QStringLiteral("filename"), fileName);
    RequestPacket::serialize(body);
}

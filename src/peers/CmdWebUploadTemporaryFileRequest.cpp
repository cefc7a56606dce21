#include "peers/CmdWebUploadTemporaryFileRequest.h"

#include "peers/UploadBodyReader.h"
#include "peers/UploadBodyWriter.h"

#include "VXNServiceFramework/dom/DomRead.h"

void CmdWebUploadTemporaryFileRequest::parse(const QByteArray& body) {
    if (body.size() <= maxBodySize) {
        if (std::optional<peers::uploadbody::Fields> plain = peers::uploadbody::readPlain(body)) {
            buildDocument(); // no document of an earlier body stays behind
            fileName = std::move(plain->fileName);
            data = std::move(plain->data);
            return;
        }
    }
    parseReadable(body);
    fileName.clear();
    data.clear();
    if (const auto* element = dom::onlyDescendant(rootElement(), QStringLiteral("Data"))) {
        fileName = dom::attribute(element, QStringLiteral("filename"));
        data = QByteArray::fromBase64(textContent(element).toLatin1());
    }
}

void CmdWebUploadTemporaryFileRequest::serialize(QByteArray& body) {
    body = peers::uploadbody::write(fileName, data);
}

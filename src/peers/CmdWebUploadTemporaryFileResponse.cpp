#include "peers/CmdWebUploadTemporaryFileResponse.h"

void CmdWebUploadTemporaryFileResponse::parse(const QByteArray& body) {
    ResponsePacket::parse(body);
    path = elementText(QStringLiteral("Path"));
}

void CmdWebUploadTemporaryFileResponse::serialize(QByteArray& body) {
    buildDocument();
    addElement(QStringLiteral("Path"), path);
    ResponsePacket::serialize(body);
}

#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

#include <QByteArray>

// "WEBUploadTemporaryFile": a file handed to the web service, its bytes in base64 (RFC 4648,
// standard alphabet, "=" padding, no line breaks). The body is written and, in the plain form
// writers produce, read without a DOM (see UploadBodyWriter.h and UploadBodyReader.h); any
// other body is read through the DOM.
class CmdWebUploadTemporaryFileRequest : public RequestPacket {
public:
    static inline const QString commandName = QStringLiteral("WEBUploadTemporaryFile");

    CmdWebUploadTemporaryFileRequest() : RequestPacket(commandName) {}

    QString fileName;
    QByteArray data;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;
};

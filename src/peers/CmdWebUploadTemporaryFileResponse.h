#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "WEBUploadTemporaryFile": the path under which the web service keeps the file.
class CmdWebUploadTemporaryFileResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    QString path;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;
};

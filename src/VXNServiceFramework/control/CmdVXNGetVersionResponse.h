#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The command every process of the suite answers with its version.
inline const QString vxnGetVersionCommand = QStringLiteral("VXNGetVersion");

// The answer to "VXNGetVersion": the version in a Version element.
class CmdVXNGetVersionResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    QString version;

    void parse(const QByteArray& body) override {
        ResponsePacket::parse(body);
        version = elementText(QStringLiteral("Version"));
    }
    void serialize(QByteArray& body) override {
        buildDocument();
        addElement(QStringLiteral("Version"), version);
        ResponsePacket::serialize(body);
    }
};

#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

// The answer to "VXNGetVersion": the suite's version in a Version element.
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

#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

// A request of the report generator: a body that cannot be read as XML is a wrong request
// format (see RequestPacket::parseReadable).
class ReportRequestPacket : public RequestPacket {
public:
    void parse(const QByteArray& body) override;

protected:
    explicit ReportRequestPacket(QString command) : RequestPacket(std::move(command)) {}
};

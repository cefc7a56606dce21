#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

// A request of the report generator. A body that cannot be read as XML (truncated, not XML at
// all) throws WrongPacketFormat with the parser's reason, so the peer hears "Wrong request
// format" rather than the answer to a request that named nothing; a readable body without the
// command's elements still reads them as empty.
class ReportRequestPacket : public RequestPacket {
public:
    void parse(const QByteArray& body) override;

protected:
    explicit ReportRequestPacket(QString command) : RequestPacket(std::move(command)) {}
};

#pragma once

#include "VXNServiceFramework/packets/PacketDOM.h"
#include "VXNServiceFramework/packets/ResultCodes.h"

// A DOM-family response: <VXNResponse> with Result and Details first, then the command's data.
//
// Reading a body that is not a readable XML document (malformed, too large, an entity bomb) does
// not throw; the packet then reports result 4 "Wrong response format: " + the parser's reason, so
// an unreadable answer never passes for success. A readable body without Result reads as 0.
class ResponsePacket : public PacketDOM {
public:
    // Details "OK" for code 0, "Fail" otherwise.
    explicit ResponsePacket(int code = ResultCode::Ok);
    ResponsePacket(int code, QString details);

    void parse(const QByteArray& body) override;
    // Also updates Result and Details of a document already built or parsed.
    void setResult(int code, const QString& details) override;
    int result() const override { return m_result; }
    QString details() const override { return m_details; }
    void buildDocument() override;

private:
    void writeEnvelope();

    int m_result;
    QString m_details;
};

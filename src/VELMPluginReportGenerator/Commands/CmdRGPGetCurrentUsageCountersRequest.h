#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"

// "RGPGetCurrentUsageCounters": the current page counters of one device.
class CmdRGPGetCurrentUsageCountersRequest : public RequestPacket {
public:
    static inline const QString commandName = QStringLiteral("RGPGetCurrentUsageCounters");

    CmdRGPGetCurrentUsageCountersRequest() : RequestPacket(commandName) {}

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString deviceId; // as the request carries it
};

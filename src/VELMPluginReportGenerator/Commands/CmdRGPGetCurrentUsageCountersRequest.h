#pragma once

#include "VELMPluginReportGenerator/Commands/ReportRequestPacket.h"

// "RGPGetCurrentUsageCounters": the current page counters of one device.
class CmdRGPGetCurrentUsageCountersRequest : public ReportRequestPacket {
public:
    static inline const QString commandName = QStringLiteral("RGPGetCurrentUsageCounters");

    CmdRGPGetCurrentUsageCountersRequest() : ReportRequestPacket(commandName) {}

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString deviceId; // as the request carries it
};

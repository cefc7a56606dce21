#pragma once

#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <QList>

// One counter of a device: which pages it counts, and how many.
struct UsageCounter {
    QString jobType;
    QString colorMode;
    QString pageSize;
    QString printMode;
    QString value;

    bool operator==(const UsageCounter&) const = default;
};

// The answer to "RGPGetCurrentUsageCounters": DeviceID, then UsageCounters with one
// UsageCounter (Descriptor with JobType, ColorMode, PageSize, PrintMode; then Value) per counter.
// Both are written only when the answer's Result is 0.
class CmdRGPGetCurrentUsageCountersResponse : public ResponsePacket {
public:
    using ResponsePacket::ResponsePacket;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString deviceId;
    QList<UsageCounter> counters;
};

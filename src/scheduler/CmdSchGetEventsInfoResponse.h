#pragma once

#include "scheduler/ScheduleItem.h"

#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <map>

// Answer of "SchGetEventsInfo": the service's name and copies of the selected items, by id.
class CmdSchGetEventsInfoResponse : public ResponsePacket {
public:
    CmdSchGetEventsInfoResponse() = default;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString serviceName;
    std::map<qint32, ScheduleItem> items;
};

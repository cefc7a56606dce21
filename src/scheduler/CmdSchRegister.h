#pragma once

#include "scheduler/ScheduleItem.h"

#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

// "SchRegister": register a new item (ScheduleID -1) or replace the item with that id.
class CmdSchRegisterRequest : public RequestPacket {
public:
    CmdSchRegisterRequest();

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // A ScheduleID the scheduler can act on: -1 (assign) or an id in the range of ids.
    bool hasValidScheduleId() const;

    QString serviceName;
    // The id to replace, or -1 to have one assigned; item.scheduleId is not used.
    qint64 scheduleId = -1;
    // The ScheduleID text read when it is not a decimal integer in range; null otherwise.
    QString invalidScheduleId;
    // "StartTime", "StopTime" or "IntervalValue" with the text read when it is not blank and no
    // number the scheduler carries (read as 0 it would plan another time); empty otherwise.
    QString unreadableNumber;
    ScheduleItem item;
};

class CmdSchRegisterResponse : public ResponsePacket {
public:
    CmdSchRegisterResponse() = default;

    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    // The item's id, or -2 when the id to replace does not exist.
    qint32 scheduleId = -1;
};

#pragma once

#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"

#include <QList>

// The items of one service a request names: all of them, or a list of ids.
struct ScheduleIdSelection {
    bool all = false;
    QList<qint32> ids;

    // "ALL" in any case (blanks around it allowed), otherwise ids separated by ",". Blank
    // pieces are dropped, and so are pieces that are not decimal integers: such a piece names
    // no item, and reading it as 0 would unregister item 0.
    static ScheduleIdSelection fromText(const QString& text);
    // "All", or the ids joined by ",".
    QString toText() const;
};

// Requests that name a service and a selection of its items.
class CmdSchIdListRequest : public RequestPacket {
public:
    void parse(const QByteArray& body) override;
    void serialize(QByteArray& body) override;

    QString serviceName;
    ScheduleIdSelection selection;

protected:
    explicit CmdSchIdListRequest(QString command) : RequestPacket(std::move(command)) {}
};

// "SchUnregister": remove the selected items. Answered by a plain response packet.
class CmdSchUnregisterRequest : public CmdSchIdListRequest {
public:
    CmdSchUnregisterRequest() : CmdSchIdListRequest(QStringLiteral("SchUnregister")) {}
};
using CmdSchUnregisterResponse = ResponsePacket;

// "SchGetEventsInfo": copies of the selected items (CmdSchGetEventsInfoResponse).
class CmdSchGetEventsInfoRequest : public CmdSchIdListRequest {
public:
    CmdSchGetEventsInfoRequest() : CmdSchIdListRequest(QStringLiteral("SchGetEventsInfo")) {}
};

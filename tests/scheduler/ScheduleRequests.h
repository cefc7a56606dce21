#pragma once

#include "scheduler/CmdSchGetEventsInfoResponse.h"
#include "scheduler/CmdSchIdList.h"
#include "scheduler/CmdSchRegister.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

// The scheduler's requests as the tests build them, whether they reach the scheduler directly or
// over HTTP. Packets do not copy, hence the pointers.

// A daily item from `start` on.
inline std::unique_ptr<CmdSchRegisterRequest>
registerRequest(const QString& service, qint64 id, const QDateTime& start, bool permanent,
                const QString& command, const QString& tag) {
    auto request = std::make_unique<CmdSchRegisterRequest>();
    request->serviceName = service;
    request->scheduleId = id;
    request->item.startTime = start;
    request->item.intervalType = OccurDaily;
    request->item.permanent = permanent;
    request->item.commandToSend = command;
    request->item.tag = tag;
    return request;
}

// A request for the items `ids` names, as a client writes them: "all" or ids joined by ",".
template <class R> std::unique_ptr<R> selectionRequest(const QString& service, const QString& ids) {
    auto request = std::make_unique<R>();
    request->serviceName = service;
    request->selection = ScheduleIdSelection::fromText(ids);
    return request;
}

inline std::unique_ptr<CmdSchGetEventsInfoRequest> eventsInfoRequest(const QString& service,
                                                                     const QString& ids) {
    return selectionRequest<CmdSchGetEventsInfoRequest>(service, ids);
}

inline std::unique_ptr<CmdSchUnregisterRequest> unregisterRequest(const QString& service,
                                                                  const QString& ids) {
    return selectionRequest<CmdSchUnregisterRequest>(service, ids);
}

// The ids of the items an answer lists, in order.
inline QList<qint32> idsOf(const CmdSchGetEventsInfoResponse& response) {
    QList<qint32> ids;
    for (const auto& entry : response.items)
        ids.append(entry.first);
    return ids;
}

#pragma once

#include "scheduler/ScheduleDatabase.h"
#include "scheduler/ScheduledCommandSender.h"

// The database service, reached with DBSProcessQuery through the process's service client.
class ServiceClientScheduleDatabase : public ScheduleDatabase {
public:
    ScheduleQueryAnswer run(const QString& statement) override;
};

// Fired commands handed to the service client's asynchronous send: a command of this process
// is dispatched on the sender thread, any other goes over HTTP from there.
class ServiceClientCommandSender : public ScheduledCommandSender {
public:
    void send(std::unique_ptr<CSendCommand> command) override;
};

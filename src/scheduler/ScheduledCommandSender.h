#pragma once

#include "scheduler/CSendCommand.h"

#include <memory>

// Delivers a fired item's command without waiting for it: returns at once and never reports
// back, so a slow or missing target does not hold up the scheduler.
class ScheduledCommandSender {
public:
    virtual ~ScheduledCommandSender() = default;
    virtual void send(std::unique_ptr<CSendCommand> command) = 0;
};

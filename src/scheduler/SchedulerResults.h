#pragma once

#include "VXNServiceFramework/packets/ResultCodes.h"

#include <QString>
#include <QtGlobal>

// The scheduler's answers beyond the framework's codes. Texts are kept exactly as clients see
// them.
namespace SchedulerResult {
// SchGetEventsInfo found no item to return.
inline constexpr int InvalidIds = -1;
inline const QString invalidIdsText = QStringLiteral("Invalid ID(s)");
// A permanent item's change did not reach the Scheduler table; the items in memory are as they
// were.
inline constexpr int NotStored = -3;
// A request field the scheduler cannot act on (empty ServiceName, ScheduleID not a number).
inline constexpr int InvalidRequest = ResultCode::WrongRequestFormat;

// The ScheduleID answered (with Result 0) for a replace whose item does not exist.
inline constexpr qint32 UnknownScheduleId = -2;
} // namespace SchedulerResult

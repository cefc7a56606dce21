#pragma once

#include <QDateTime>
#include <optional>

// The next planned run of an item that starts at `start` and recurs by `intervalType` /
// `intervalValue`, seen at `now` (local date-times). nullopt when the item will not run again.
//
// All fields are local wall-clock fields. Where the clock changes, a wall time that is skipped
// is taken an hour later and one that occurs twice is taken at its first occurrence; a
// recurring result always lies after `now`, so an item never gets stuck on a past time.
std::optional<QDateTime> nextRunTime(const QDateTime& start, int intervalType, qint32 intervalValue,
                                     const QDateTime& now);

#pragma once

#include <QDateTime>
#include <QtGlobal>

// A reporting range in seconds since 1970-01-01 00:00 UTC. Ranges of named periods run from a
// local date at 00:00:00 to a local date at 23:59:00.
struct PeriodRange {
    qint64 start = 0;
    qint64 end = 0;

    bool operator==(const PeriodRange&) const = default;
};

// The range of a named period (every period number but the custom one) as seen at `now`
// (local time). Weeks start on Monday; periods of "this" week, month or year end in the future.
PeriodRange periodRange(int period, const QDateTime& now);

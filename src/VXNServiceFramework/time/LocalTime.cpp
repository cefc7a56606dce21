#include "VXNServiceFramework/time/LocalTime.h"

#include <algorithm>

namespace {
constexpr qint64 kDayMs = 86400000;

qint64 offsetMsAt(qint64 epochMs) {
    return qint64(QDateTime::fromMSecsSinceEpoch(epochMs, Qt::LocalTime).offsetFromUtc()) * 1000;
}
} // namespace

QDateTime localAt(QDate date, QTime time, Occurrence occurrence) {
    // Read the wall time as if it were UTC, then try the offsets in force a day before and a
    // day after: offsets never exceed a day, so the instants showing that wall time (none,
    // one or two) are among these candidates.
    const qint64 wallMs = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    const qint64 before = wallMs - offsetMsAt(wallMs - kDayMs);
    const qint64 after = wallMs - offsetMsAt(wallMs + kDayMs);
    const auto shows = [&](qint64 ms) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
        return local.date() == date && local.time() == time;
    };
    const bool beforeShows = shows(before);
    const bool afterShows = shows(after);
    if (beforeShows && afterShows) {
        const qint64 ms =
            occurrence == Occurrence::First ? std::min(before, after) : std::max(before, after);
        return QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    }
    if (afterShows)
        return QDateTime::fromMSecsSinceEpoch(after, Qt::LocalTime);
    // Shown only by the earlier offset, or a gap: the earlier offset carries the wall time
    // across the gap.
    return QDateTime::fromMSecsSinceEpoch(before, Qt::LocalTime);
}

#include "scheduler/ScheduleItem.h"

#include <array>

namespace {
constexpr std::array<const char*, 5> kIntervalNames = {
    "OCCUR_ONCE", "OCCUR_HOURLY", "OCCUR_DAILY", "OCCUR_WEEKLY", "OCCUR_MONTHLY",
};
} // namespace

QString intervalName(int code) {
    if (code < 0 || code >= int(kIntervalNames.size()))
        return QString::fromLatin1(kIntervalNames[OccurOnce]);
    return QString::fromLatin1(kIntervalNames[code]);
}

int intervalCodeFromName(const QString& name) {
    for (int code = 0; code < int(kIntervalNames.size()); ++code) {
        if (name == QLatin1String(kIntervalNames[code]))
            return code;
    }
    return OccurOnce;
}

QDateTime localFromSeconds(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
}

std::optional<QDateTime> optionalLocalFromSeconds(qint64 seconds) {
    if (seconds == 0)
        return std::nullopt;
    return localFromSeconds(seconds);
}

qint64 secondsOf(const QDateTime& time) {
    return time.toSecsSinceEpoch();
}

qint64 secondsOf(const std::optional<QDateTime>& time) {
    return time ? time->toSecsSinceEpoch() : 0;
}

bool isEnded(const ScheduleItem& item) {
    return item.intervalType != OccurOnce && item.stopTime && *item.stopTime != item.startTime;
}

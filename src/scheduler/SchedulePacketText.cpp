#include "scheduler/SchedulePacketText.h"

#include "scheduler/ScheduleItem.h"

namespace schedulePacket {

QDateTime timeFromText(const QString& text) {
    return localFromSeconds(text.toUInt());
}

std::optional<QDateTime> optionalTimeFromText(const QString& text) {
    return optionalLocalFromSeconds(text.toUInt());
}

QString textOf(const QDateTime& time) {
    return QString::number(secondsOf(time));
}

QString textOf(const std::optional<QDateTime>& time) {
    return QString::number(secondsOf(time));
}

QString booleanText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace schedulePacket

#include "scheduler/SchedulePacketText.h"

#include "scheduler/ScheduleItem.h"

namespace schedulePacket {

QDateTime timeFromText(const QString& text) {
    return localFromSeconds(text.toUInt());
}

std::optional<QDateTime> optionalTimeFromText(const QString& text) {
    return optionalLocalFromSeconds(text.toUInt());
}

bool isBlankOrNumberWithin(const QString& text, qint64 min, qint64 max) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return true;
    bool ok = false;
    const qint64 number = trimmed.toLongLong(&ok);
    return ok && number >= min && number <= max;
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

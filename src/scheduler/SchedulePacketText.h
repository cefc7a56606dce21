#pragma once

#include "VXNServiceFramework/packets/PacketDOM.h"

#include <QDateTime>
#include <QString>
#include <optional>

// Texts shared by the scheduler's packets.
namespace schedulePacket {

// Unsigned decimal seconds since 1970 as a local date-time; not a number reads as 0.
QDateTime timeFromText(const QString& text);
// As above, but 0 (or not a number) means no time.
std::optional<QDateTime> optionalTimeFromText(const QString& text);
QString textOf(const QDateTime& time);
// "0" for no time.
QString textOf(const std::optional<QDateTime>& time);

QString booleanText(bool value);

// Blank (read as 0), or a decimal number from `min` to `max`: a request field that is neither
// would be read as 0 and plan another time.
bool isBlankOrNumberWithin(const QString& text, qint64 min, qint64 max);

} // namespace schedulePacket

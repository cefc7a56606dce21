#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// Which instant a wall-clock time names when the clock is set back and the time occurs twice.
enum class Occurrence { First, Later };

// The local date-time showing `time` on `date`. A time skipped when the clock is set forward
// moves forward by the length of the gap (02:30 becomes 03:30), so it still happens that day.
QDateTime localAt(QDate date, QTime time, Occurrence occurrence = Occurrence::First);

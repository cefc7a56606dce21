#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <unistd.h>

// CPU seconds (user + system) process `pid` has used so far, its ended threads included, from
// /proc; 0 when it cannot be read.
inline double processCpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // Fields after the command name (which may hold blanks) start behind the last ')'; utime
    // and stime are fields 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QTime>

// The process's named logs. Every message goes out as one line on standard output:
// "hh:mm:ss " + the log's prefix + the text. Messages are composed with stream insertion and
// handed over whole, so lines from concurrent threads never interleave:
//
//     VELM_INFO << "Listening incomming requests on port: " << port;
//
// QString and const char* are written as UTF-8 as they are (no quotes), integers in decimal;
// a QByteArray is taken as Latin-1, so convert UTF-8 bytes to QString first. The line
// end is added by the log.
Q_DECLARE_LOGGING_CATEGORY(velmErrLog)
Q_DECLARE_LOGGING_CATEGORY(velmInfoLog)
Q_DECLARE_LOGGING_CATEGORY(velmWarningLog)

#define VELM_ERR qCInfo(velmErrLog).noquote().nospace()
#define VELM_INFO qCInfo(velmInfoLog).noquote().nospace()
#define VELM_WARNING qCInfo(velmWarningLog).noquote().nospace()

namespace Log {

// Installs the handler that writes the "err", "info" and "warning" logs to standard output.
// Idempotent; the application calls it once in its constructor. Messages of other categories
// keep going to the handler that was installed before.
void install();

// The line written for `text` on the log `category` at `time`, line end included.
QByteArray formatLine(const QTime& time, const char* category, const QString& text);

} // namespace Log

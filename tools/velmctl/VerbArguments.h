#pragma once

#include <QCommandLineParser>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// Reading and checking a verb's command line before anything is sent. Each check prints what
// is wrong on standard error and yields nothing; the caller then exits with UsageError.
namespace VerbArguments {

// Parses `arguments` (options and positional words of one verb) into `parser`.
bool parse(QCommandLineParser& parser, const QStringList& arguments, const QString& family);

// Prints "velmctl: <message> (see velmctl <family> --help)".
void usageError(const QString& family, const QString& message);

// A decimal integer from `minimum` to `maximum`; `what` names the value in the message.
std::optional<qint64> number(const QString& what, const QString& text, qint64 minimum,
                             qint64 maximum);

// A local date and time: YYYY-MM-DDTHH:MM[:SS] (a blank may stand for the T).
std::optional<QDateTime> localDateTime(const QString& what, const QString& text);
// Whether `text` is a date and time of that form that the local clock skips: the hour lost at
// a change to daylight saving time.
bool isSkippedLocalTime(const QString& text);
// The message for a time the local clock skips.
QString skippedLocalTimeMessage(const QString& text);
// The same for a time the services carry as seconds since 1970: from 0 to `maximumSeconds`.
std::optional<QDateTime> localDateTimeWithin(const QString& what, const QString& text,
                                             qint64 maximumSeconds);

// False, after saying so, when `start` of a single run has passed: the scheduler would keep the
// item and never run it.
bool singleRunAhead(const QString& what, const QDateTime& start);

// A point in time as the services carry it (seconds since 1970): the seconds themselves, or
// a local date and time as above.
std::optional<qint64> secondsSince1970(const QString& what, const QString& text);

// The bytes of the file `name`, or of standard input for "-"; nothing, after saying why
// ("cannot read NAME: No such file or directory"), when it cannot be read.
std::optional<QByteArray> fileOrStandardInput(const QString& name);

// The one of `allowed` that `text` is (exactly, unless `sensitivity` says otherwise).
std::optional<QString> oneOf(const QString& what, const QString& text, const QStringList& allowed,
                             Qt::CaseSensitivity sensitivity = Qt::CaseSensitive);

// A file format a report is exported or attached in (CSV, HTML, HTM or XML, in any case), as
// the service spells it.
std::optional<QString> fileFormat(const QString& what, const QString& text);

// A recipient such as ops@example.com or "Jane Doe <jd@example.com>": the address (the last
// one in angle brackets, if any) has a local part, an "@" and a domain, without blanks.
bool mailAddress(const QString& what, const QString& text);

} // namespace VerbArguments

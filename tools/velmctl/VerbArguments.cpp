#include "VerbArguments.h"

#include "Session.h"

#include <QFile>
#include <QRegularExpression>

namespace VerbArguments {

namespace {

void complain(const QString& message) {
    Session::err() << "velmctl: " << message << Qt::endl;
}

} // namespace

bool parse(QCommandLineParser& parser, const QStringList& arguments, const QString& family) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (parser.parse(QStringList{QStringLiteral("velmctl")} + arguments))
        return true;
    usageError(family, parser.errorText());
    return false;
}

void usageError(const QString& family, const QString& message) {
    complain(message + QStringLiteral(" (see velmctl %1 --help)").arg(family));
}

std::optional<qint64> number(const QString& what, const QString& text, qint64 minimum,
                             qint64 maximum) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (ok && value >= minimum && value <= maximum)
        return value;
    complain(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                 .arg(what)
                 .arg(minimum)
                 .arg(maximum)
                 .arg(text));
    return std::nullopt;
}

namespace {

// `text` as ISO date and time when it has the form of a local date and time; empty otherwise.
QString isoForm(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}[T ]\\d{2}:\\d{2}(:\\d{2})?$"));
    QString iso = text.trimmed();
    if (!form.match(iso).hasMatch())
        return {};
    iso[10] = QLatin1Char('T');
    return iso;
}

} // namespace

bool isSkippedLocalTime(const QString& text) {
    const QString iso = isoForm(text);
    if (iso.isEmpty())
        return false;
    const QDate date = QDate::fromString(iso.left(10), Qt::ISODate);
    const QTime time = QTime::fromString(iso.mid(11), Qt::ISODate);
    return date.isValid() && time.isValid() && !QDateTime(date, time).isValid();
}

QString skippedLocalTimeMessage(const QString& text) {
    return QStringLiteral("%1 does not exist in local time: the clock skips that hour when "
                          "daylight saving time begins; choose a time outside it")
        .arg(text.trimmed());
}

std::optional<QDateTime> localDateTime(const QString& what, const QString& text) {
    if (const QString iso = isoForm(text); !iso.isEmpty()) {
        const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
        if (time.isValid())
            return time;
        if (isSkippedLocalTime(text)) {
            complain(what + QStringLiteral(": ") + skippedLocalTimeMessage(text));
            return std::nullopt;
        }
    }
    complain(QStringLiteral("%1 must be a local date and time such as 2026-12-08T07:00, "
                            "not \"%2\"")
                 .arg(what, text));
    return std::nullopt;
}

std::optional<QDateTime> localDateTimeWithin(const QString& what, const QString& text,
                                             qint64 maximumSeconds) {
    const auto time = localDateTime(what, text);
    if (!time)
        return std::nullopt;
    const qint64 seconds = time->toSecsSinceEpoch();
    if (seconds >= 0 && seconds <= maximumSeconds)
        return time;
    complain(QStringLiteral("%1 must lie from %2 to %3, not \"%4\"")
                 .arg(what,
                      QDateTime::fromSecsSinceEpoch(0).toString(QStringLiteral("yyyy-MM-ddTHH:mm")),
                      QDateTime::fromSecsSinceEpoch(maximumSeconds)
                          .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")),
                      text));
    return std::nullopt;
}

std::optional<qint64> secondsSince1970(const QString& what, const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    constexpr qint64 maximum = std::numeric_limits<qint32>::max();
    if (digits.match(text.trimmed()).hasMatch())
        return number(what, text, 0, maximum);
    if (const auto time = localDateTimeWithin(what, text, maximum))
        return time->toSecsSinceEpoch();
    return std::nullopt;
}

std::optional<QByteArray> fileOrStandardInput(const QString& name) {
    QFile file;
    const bool opened = name == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    QByteArray bytes;
    if (opened)
        bytes = file.readAll();
    // A directory opens but yields no bytes, only an error.
    if (!opened || file.error() != QFileDevice::NoError) {
        complain(QStringLiteral("cannot read %1: %2")
                     .arg(name == QLatin1String("-") ? QStringLiteral("standard input") : name,
                          file.errorString()));
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> oneOf(const QString& what, const QString& text, const QStringList& allowed,
                             Qt::CaseSensitivity sensitivity) {
    for (const QString& choice : allowed)
        if (choice.compare(text, sensitivity) == 0)
            return choice;
    complain(QStringLiteral("%1 must be one of %2, not \"%3\"")
                 .arg(what, allowed.join(QStringLiteral(", ")), text));
    return std::nullopt;
}

std::optional<QString> fileFormat(const QString& what, const QString& text) {
    return oneOf(what, text, {"CSV", "HTML", "HTM", "XML"}, Qt::CaseInsensitive);
}

bool mailAddress(const QString& what, const QString& text) {
    QString address = text.trimmed();
    if (const qsizetype open = address.lastIndexOf(QLatin1Char('<')); open >= 0) {
        const qsizetype close = address.indexOf(QLatin1Char('>'), open);
        address = close > open ? address.mid(open + 1, close - open - 1) : QString();
    }
    static const QRegularExpression shape(QStringLiteral("^[^\\s@<>]+@[^\\s@<>]+$"));
    if (shape.match(address).hasMatch())
        return true;
    complain(QStringLiteral("%1 \"%2\" is no mail address such as ops@example.com or "
                            "\"Jane Doe <jd@example.com>\"")
                 .arg(what, text));
    return false;
}

bool singleRunAhead(const QString& what, const QDateTime& start) {
    if (start >= QDateTime::currentDateTime())
        return true;
    Session::err() << "velmctl: " << what << " "
                   << start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                   << " has passed: a single run that starts then never runs (give a later time, "
                      "or an interval to make it recur)"
                   << Qt::endl;
    return false;
}

} // namespace VerbArguments

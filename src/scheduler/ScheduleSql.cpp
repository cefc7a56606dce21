#include "scheduler/ScheduleSql.h"

#include <QSet>

#include <limits>

namespace {

const QString apos = QStringLiteral("&apos;");
const QString quot = QStringLiteral("&quot;");
// Written for the "&" of a text "&apos;" or "&quot;" that the item itself holds. Rows of
// earlier versions never hold a bare apostrophe, so the mark cannot be read into them.
const QString literalAmpersand = QStringLiteral("&'");

bool startsEntity(const QString& text, qsizetype at) {
    return QStringView(text).mid(at).startsWith(apos) || QStringView(text).mid(at).startsWith(quot);
}

// Names a double-quoted text would resolve to in UPDATE and DELETE statements on this table:
// SQLite reads "x" as a column when such a column exists and as a string only otherwise.
bool namesColumn(const QString& text) {
    static const QSet<QString> columns = {
        QStringLiteral("globalid"),     QStringLiteral("servicename"),
        QStringLiteral("scheduleid"),   QStringLiteral("starttime"),
        QStringLiteral("intervaltype"), QStringLiteral("intervalvalue"),
        QStringLiteral("stoptime"),     QStringLiteral("commandtosend"),
        QStringLiteral("tag"),          QStringLiteral("rowid"),
        QStringLiteral("oid"),          QStringLiteral("_rowid_"),
    };
    return columns.contains(text.toLower());
}

QString number(qint64 value) {
    return QString::number(value);
}

} // namespace

QString escapeStoredText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\'')
            out += apos;
        else if (c == u'"')
            out += quot;
        else if (c == u'&' && startsEntity(text, i))
            out += literalAmpersand;
        else
            out += c;
    }
    return out;
}

QString unescapeStoredText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(literalAmpersand)) {
            out += u'&';
            i += literalAmpersand.size();
        } else if (rest.startsWith(apos)) {
            out += u'\'';
            i += apos.size();
        } else if (rest.startsWith(quot)) {
            out += u'"';
            i += quot.size();
        } else {
            out += text.at(i++);
        }
    }
    return out;
}

QString storedTextLiteral(const QString& text) {
    return quotedSqlText(text, namesColumn(text) ? QLatin1Char('\'') : QLatin1Char('"'));
}

// The statements substitute all their values in one pass, so a value holding "%2" stays as it is.
QString insertStatement(const QString& serviceName, const ScheduleItem& item) {
    return QStringLiteral("INSERT INTO Scheduler(ServiceName, ScheduleID, StartTime, IntervalType, "
                          "IntervalValue, StopTime, CommandToSend, Tag) "
                          "VALUES(%1, %2, %3, %4, %5, %6, %7, %8);")
        .arg(storedTextLiteral(serviceName), number(item.scheduleId),
             number(secondsOf(item.startTime)), number(item.intervalType),
             number(item.intervalValue), number(secondsOf(item.stopTime)),
             storedTextLiteral(escapeStoredText(item.commandToSend)),
             storedTextLiteral(escapeStoredText(item.tag)));
}

QString updateStatement(const QString& serviceName, const ScheduleItem& item) {
    return QStringLiteral("UPDATE Scheduler SET StartTime = %1, IntervalType = %2, "
                          "IntervalValue = %3, StopTime = %4, CommandToSend = %5, Tag = %6 "
                          "WHERE ServiceName=%7 AND ScheduleID=%8;")
        .arg(number(secondsOf(item.startTime)), number(item.intervalType),
             number(item.intervalValue), number(secondsOf(item.stopTime)),
             storedTextLiteral(escapeStoredText(item.commandToSend)),
             storedTextLiteral(escapeStoredText(item.tag)), storedTextLiteral(serviceName),
             number(item.scheduleId));
}

QString deleteStatement(const QString& serviceName, qint32 scheduleId) {
    return QStringLiteral("DELETE FROM Scheduler WHERE ServiceName=%1 AND ScheduleID=%2;")
        .arg(storedTextLiteral(serviceName), number(scheduleId));
}

namespace {

const QString loadColumns =
    QStringLiteral("SELECT GlobalID, ServiceName, ScheduleID, StartTime, IntervalType, "
                   "IntervalValue, StopTime, CommandToSend, Tag FROM Scheduler");
const QString loadOrder = QStringLiteral(" ORDER BY ServiceName, ScheduleID;");

} // namespace

QString loadStatement() {
    return loadColumns + loadOrder;
}

QString rowKeysStatement() {
    return QStringLiteral("SELECT GlobalID FROM Scheduler") + loadOrder;
}

QString loadRowStatement(qint64 globalId) {
    return loadColumns + QStringLiteral(" WHERE GlobalID = %1;").arg(number(globalId));
}

std::optional<LoadedItem> itemFromRow(const SqlRow& row) {
    const QString serviceName = row.value(QStringLiteral("ServiceName"));
    if (serviceName.isEmpty())
        return std::nullopt;
    LoadedItem loaded;
    loaded.serviceName = serviceName;
    ScheduleItem& item = loaded.item;
    item.scheduleId = qint32(row.value(QStringLiteral("ScheduleID")).toUInt());
    item.intervalType = int(row.value(QStringLiteral("IntervalType")).toUInt());
    item.intervalValue = qint32(row.value(QStringLiteral("IntervalValue")).toUInt());
    item.startTime = localFromSeconds(row.value(QStringLiteral("StartTime")).toLongLong());
    item.stopTime = optionalLocalFromSeconds(row.value(QStringLiteral("StopTime")).toLongLong());
    item.commandToSend = unescapeStoredText(row.value(QStringLiteral("CommandToSend")));
    item.tag = unescapeStoredText(row.value(QStringLiteral("Tag")));
    item.permanent = true;
    return loaded;
}

bool hasItemId(const SqlRow& row) {
    bool isNumber = false;
    const uint id = row.value(QStringLiteral("ScheduleID")).toUInt(&isNumber, 10);
    return isNumber && id <= uint(std::numeric_limits<qint32>::max());
}

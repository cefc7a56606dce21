#pragma once

#include "peers/DBSRow.h"
#include "peers/SqlText.h"
#include "scheduler/ScheduleItem.h"

#include <QString>
#include <optional>

// SQL for the Scheduler table. Ids and times are written only as decimal numbers; every text
// goes between quotes with its own quote character made harmless, so no stored text can end
// the literal or the statement.

// Command and tag texts in the table: ' becomes &apos; and " becomes &quot;. The "&" of an
// "&apos;" or "&quot;" the text itself holds is written "&'", so every text reads back as it
// was, and rows of earlier versions (which had no such mark) read as they always did.
QString escapeStoredText(const QString& text);
QString unescapeStoredText(const QString& text);

// A string literal holding `text` unchanged: double-quoted as this table's statements always
// wrote them, single-quoted for a text that names one of its columns.
QString storedTextLiteral(const QString& text);

QString insertStatement(const QString& serviceName, const ScheduleItem& item);
QString updateStatement(const QString& serviceName, const ScheduleItem& item);
QString deleteStatement(const QString& serviceName, qint32 scheduleId);
QString loadStatement();
// The row keys in the load statement's order, and the load statement for the one row `globalId`:
// to read the table row by row when it cannot be read at once.
QString rowKeysStatement();
QString loadRowStatement(qint64 globalId);

// One row of the load statement's answer (column name -> text).
using SqlRow = DBSRow;

struct LoadedItem {
    QString serviceName;
    ScheduleItem item;
};
// The item a stored row describes; nullopt for a row without a service name.
std::optional<LoadedItem> itemFromRow(const SqlRow& row);
// Whether the row's ScheduleID is an id the scheduler gives (0 to 2^31-1). Read as 0, any other
// text would hide the item 0 of its service, and no command could remove the row.
bool hasItemId(const SqlRow& row);

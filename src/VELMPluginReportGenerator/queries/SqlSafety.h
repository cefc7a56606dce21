#pragma once

#include "peers/SqlText.h"

#include <QString>
#include <QStringList>
#include <optional>

// Checks that every piece of request text is safe before it becomes part of a statement.
// A value that fails yields nothing: the caller reports the failure and sends no SQL.

// A decimal integer id (ASCII digits, blanks around allowed), written back in canonical form.
std::optional<QString> decimalId(const QString& text);

// The ids joined with "," and no blanks; nothing when any of them is not a decimal id.
std::optional<QString> decimalIdList(const QStringList& ids);

// The ORDER BY text of the device list and whether its rows are then sorted by IP address.
struct DeviceListOrder {
    QString orderBy;
    bool sortByIpAddress = false;

    friend bool operator==(const DeviceListOrder&, const DeviceListOrder&) = default;
};

// Accepts a column of the device list (any letter case, optionally followed by ASC or DESC)
// or one of the device sort keys; "IP" and SB_IPADDR ask for the address sort. Anything else,
// the empty text included, yields nothing.
std::optional<DeviceListOrder> deviceListOrder(const QString& sortBy);

// Splits a script at ";" into the statements to send, dropping empty and blank pieces.
QStringList splitSqlStatements(const QString& script);

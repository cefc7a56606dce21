#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A CSV file as Python's csv module reads it (an independent RFC 4180 reader): the rows of
// cells, read with the separator given, after the UTF-8 byte-order mark.
struct CsvTable {
    bool ok = false;
    QString error;
    QList<QStringList> rows;

    static CsvTable read(const QString& file, QChar separator);
};

#include "CsvTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

// strict: a stray quote is an error rather than read as text.
constexpr auto reader = R"PY(
import csv, json, sys
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    json.dump(list(csv.reader(f, delimiter=sys.argv[2], strict=True)), sys.stdout)
)PY";

} // namespace

CsvTable CsvTable::read(const QString& file, QChar separator) {
    CsvTable table;
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(reader), file, QString(separator)});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        table.error = QString::fromUtf8(python.readAllStandardError());
        return table;
    }
    const QJsonArray rows = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    for (const QJsonValue& row : rows) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells.append(cell.toString());
        table.rows.append(cells);
    }
    table.ok = true;
    return table;
}

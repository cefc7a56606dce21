#include "ReportView.h"

#include "JobAccountingView.h"
#include "TextTable.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <algorithm>

namespace {

// (name, text) of every child element.
QList<QPair<QString, QString>> cellsOf(const dom::Element* row) {
    dom::StringPairs cells;
    dom::childPairs(row, cells);
    return cells;
}

// A row's cells in the order a reader expects them rather than the report's alphabetical one:
// the device id first, then what names the row (Period, the device's columns), then the
// counters in the report's column order and their Total.
QList<QPair<QString, QString>> readingOrder(QList<QPair<QString, QString>> cells,
                                            const QStringList& counters) {
    const auto rank = [&](const QString& name) -> qsizetype {
        if (name.compare(QLatin1String("DeviceID"), Qt::CaseInsensitive) == 0)
            return -1;
        if (const qsizetype counter = counters.indexOf(name); counter >= 0)
            return 1 + counter;
        if (!counters.isEmpty() && name == QLatin1String("Total"))
            return 1 + counters.size();
        return 0;
    };
    std::stable_sort(cells.begin(), cells.end(), [&](const auto& left, const auto& right) {
        return rank(left.first) < rank(right.first);
    });
    return cells;
}

QString rowsTable(const dom::Element* report, const QString& indent, const QStringList& counters) {
    TextTable table;
    dom::forEachChild(
        report, [&](dom::Element* row) { table.addRow(readingOrder(cellsOf(row), counters)); });
    if (table.rows.isEmpty())
        return indent + QStringLiteral("(no rows)\n");
    return table.format(indent);
}

// A table property: one row per RowIndex, its ID first.
QString indexedTable(const dom::Element* property, const QString& indent) {
    TextTable table;
    dom::forEachChild(property, [&](dom::Element* index) {
        auto cells = cellsOf(index);
        cells.prepend({QStringLiteral("RowIndex"), dom::attribute(index, QStringLiteral("ID"))});
        table.addRow(cells);
    });
    return indent + dom::name(property) + QStringLiteral(":\n") +
           table.format(indent + QStringLiteral("  "));
}

QString deviceText(const dom::Element* device, const QStringList& counters) {
    QString text = QStringLiteral("Device ") +
                   printableLine(dom::attribute(device, QStringLiteral("ID"))) + QLatin1Char('\n');
    dom::forEachChild(device, [&](dom::Element* child) {
        if (dom::name(child) == QLatin1String("Report"))
            text += rowsTable(child, QStringLiteral("    "), counters);
        else if (dom::countDescendants(child, QStringLiteral("RowIndex")) > 0)
            text += indexedTable(child, QStringLiteral("  "));
        else
            text += QStringLiteral("  ") + dom::name(child) + QStringLiteral(": ") +
                    printableLine(dom::textContent(child)) + QLatin1Char('\n');
    });
    return text;
}

} // namespace

QString formatReportBody(const dom::Element* body) {
    if (!body)
        return QStringLiteral("(no report body)\n");
    // Counter reports name their counters, in order, in Columns.
    QStringList counters;
    dom::forEachChild(
        dom::firstChild(body, QStringLiteral("Columns")),
        [&](dom::Element* column) {
            counters.append(dom::attribute(column, QStringLiteral("field")));
        },
        QStringLiteral("Column"));
    QString text;
    dom::forEachChild(body, [&](dom::Element* part) {
        const QString name = dom::name(part);
        if (name == QLatin1String("Report"))
            text += isJobAccountingReport(part) ? formatJobAccountingReport(part)
                                                : rowsTable(part, {}, counters);
        else if (name == QLatin1String("Device"))
            text += deviceText(part, counters);
        else if (name == QLatin1String("ChartPath"))
            text += QStringLiteral("Chart: ") + printableLine(dom::textContent(part)) +
                    QLatin1Char('\n');
    });
    return text.isEmpty() ? QStringLiteral("(empty report)\n") : text;
}

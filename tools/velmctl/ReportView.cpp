#include "ReportView.h"

#include "JobAccountingView.h"
#include "TextTable.h"

#include "VXNServiceFramework/dom/DomRead.h"

namespace {

// (name, text) of every child element.
QList<QPair<QString, QString>> cellsOf(const dom::Element* row) {
    dom::StringPairs cells;
    dom::childPairs(row, cells);
    return cells;
}

QString rowsTable(const dom::Element* report, const QString& indent) {
    TextTable table;
    dom::forEachChild(report, [&](dom::Element* row) { table.addRow(cellsOf(row)); });
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

QString deviceText(const dom::Element* device) {
    QString text = QStringLiteral("Device ") +
                   printableLine(dom::attribute(device, QStringLiteral("ID"))) + QLatin1Char('\n');
    dom::forEachChild(device, [&](dom::Element* child) {
        if (dom::name(child) == QLatin1String("Report"))
            text += rowsTable(child, QStringLiteral("    "));
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
    QString text;
    dom::forEachChild(body, [&](dom::Element* part) {
        const QString name = dom::name(part);
        if (name == QLatin1String("Report"))
            text +=
                isJobAccountingReport(part) ? formatJobAccountingReport(part) : rowsTable(part, {});
        else if (name == QLatin1String("Device"))
            text += deviceText(part);
        else if (name == QLatin1String("ChartPath"))
            text += QStringLiteral("Chart: ") + printableLine(dom::textContent(part)) +
                    QLatin1Char('\n');
    });
    return text.isEmpty() ? QStringLiteral("(empty report)\n") : text;
}

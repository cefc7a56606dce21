#include "ReportView.h"

#include "TextTable.h"

#include "VXNServiceFramework/packets/XercesString.h"

#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

QString nameOf(const DOMElement* element) {
    return fromXml(element->getTagName());
}

QString textOf(const DOMElement* element) {
    return fromXml(element->getTextContent());
}

// (name, text) of every child element.
QList<QPair<QString, QString>> cellsOf(const DOMElement* row) {
    QList<QPair<QString, QString>> cells;
    for (const DOMElement* cell = row->getFirstElementChild(); cell;
         cell = cell->getNextElementSibling())
        cells.append({nameOf(cell), textOf(cell)});
    return cells;
}

QString rowsTable(const DOMElement* report, const QString& indent) {
    TextTable table;
    for (const DOMElement* row = report->getFirstElementChild(); row;
         row = row->getNextElementSibling())
        table.addRow(cellsOf(row));
    if (table.rows.isEmpty())
        return indent + QStringLiteral("(no rows)\n");
    return table.format(indent);
}

// A table property: one row per RowIndex, its ID first.
QString indexedTable(const DOMElement* property, const QString& indent) {
    TextTable table;
    for (const DOMElement* index = property->getFirstElementChild(); index;
         index = index->getNextElementSibling()) {
        auto cells = cellsOf(index);
        cells.prepend({QStringLiteral("RowIndex"), fromXml(index->getAttribute(u"ID"))});
        table.addRow(cells);
    }
    return indent + nameOf(property) + QStringLiteral(":\n") + table.format(indent + QStringLiteral("  "));
}

QString deviceText(const DOMElement* device) {
    QString text = QStringLiteral("Device ") + fromXml(device->getAttribute(u"ID")) + QLatin1Char('\n');
    for (const DOMElement* child = device->getFirstElementChild(); child;
         child = child->getNextElementSibling()) {
        if (nameOf(child) == QLatin1String("Report"))
            text += rowsTable(child, QStringLiteral("    "));
        else if (child->getFirstElementChild())
            text += indexedTable(child, QStringLiteral("  "));
        else
            text += QStringLiteral("  ") + nameOf(child) + QStringLiteral(": ") + textOf(child) + QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString formatReportBody(const DOMElement* body) {
    if (!body)
        return QStringLiteral("(no report body)\n");
    QString text;
    for (const DOMElement* part = body->getFirstElementChild(); part;
         part = part->getNextElementSibling()) {
        const QString name = nameOf(part);
        if (name == QLatin1String("Report"))
            text += rowsTable(part, {});
        else if (name == QLatin1String("Device"))
            text += deviceText(part);
        else if (name == QLatin1String("ChartPath"))
            text += QStringLiteral("Chart: ") + textOf(part) + QLatin1Char('\n');
    }
    return text.isEmpty() ? QStringLiteral("(empty report)\n") : text;
}

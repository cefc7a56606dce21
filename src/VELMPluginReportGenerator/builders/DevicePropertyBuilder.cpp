#include "VELMPluginReportGenerator/builders/DevicePropertyBuilder.h"

#include "VELMPluginReportGenerator/builders/ColumnReader.h"
#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/ReportQuery.h"
#include "VELMPluginReportGenerator/builders/RowReport.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <QHash>
#include <QList>
#include <QVarLengthArray>
#include <algorithm>

namespace {

using DOMElement = ReportDocument::DOMElement;

constexpr int answerProgress = 20;
const QString valueColumn = QStringLiteral("Value");

// The columns the report reads from each row.
enum Column : std::size_t { DeviceId, PropertyName, ColumnName, RowIndex, Value };
ColumnReader<5> propertyColumns() {
    return ColumnReader<5>({u"R_DeviceID", u"PropName", u"PropColumnName", u"RowIndex", u"Value"});
}

// The elements of one Device, so that finding "the first descendant called X" and "the
// RowIndex with this ID" does not walk the device's subtree for every row. Document order is
// told by each element's path of child positions below the device, kept here, rather than
// asked of the DOM for every cell.
class DeviceProperties {
public:
    DeviceProperties(ReportDocument& document, DOMElement* device, ColumnReader<5>& columns)
        : m_document(document), m_device(device), m_columns(columns) {
        m_placed.insert(device, {});
    }

    void addSimple(const DBSRow& row) {
        const QString& name = m_columns.value(row, PropertyName);
        place(m_device, m_document.append(m_device, name, m_columns.value(row, Value)), name);
    }

    // A name the document rejects skips the row.
    void addTableCell(const DBSRow& row) {
        const QString& name = m_columns.value(row, PropertyName);
        DOMElement* property = firstDescendant(name);
        if (!property)
            property = place(m_device, m_document.append(m_device, name), name);
        if (!property)
            return;
        const QString& rowIndex = m_columns.value(row, RowIndex);
        DOMElement*& indexElement = m_rowIndexes[{property, rowIndex}];
        if (!indexElement)
            indexElement =
                place(property, m_document.appendWithId(property, rowIndexName(), rowIndex),
                      rowIndexName());
        if (!indexElement)
            return;
        const QString& cell = m_columns.value(row, ColumnName);
        place(indexElement, m_document.append(indexElement, cell, m_columns.value(row, Value)),
              cell);
    }

private:
    // Where an element sits: its child positions from the device down, and how many children
    // it has so far (each new element is its parent's last child). Mostly property, RowIndex
    // and cell: three levels, kept without a heap block of their own.
    using Path = QVarLengthArray<qsizetype, 4>;
    struct Placement {
        Path path;
        qsizetype children = 0;
    };
    static bool before(const Path& a, const Path& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
    }

    static const QString& rowIndexName() {
        static const QString name = QStringLiteral("RowIndex");
        return name;
    }

    DOMElement* firstDescendant(const QString& name) const { return m_firstByName.value(name); }

    // Records `element` called `name`, just appended to `parent`, and keeps the first element
    // of each name in document order: an element appended deeper in an earlier branch can
    // precede one made before it.
    DOMElement* place(DOMElement* parent, DOMElement* element, const QString& name) {
        if (!element)
            return nullptr;
        Placement& parentPlacement = m_placed[parent];
        Placement placement{parentPlacement.path, 0};
        placement.path.append(parentPlacement.children++);
        DOMElement*& first = m_firstByName[name];
        if (!first || before(placement.path, m_placed.value(first).path))
            first = element;
        m_placed.insert(element, std::move(placement));
        return element;
    }

    ReportDocument& m_document;
    DOMElement* m_device;
    ColumnReader<5>& m_columns;
    QHash<DOMElement*, Placement> m_placed;
    QHash<QString, DOMElement*> m_firstByName;
    QHash<QPair<DOMElement*, QString>, DOMElement*> m_rowIndexes;
};

} // namespace

void buildDevicePropertyReport(ReportBuild& build) {
    auto answer = queryReport(build, answerProgress);
    if (!answer)
        return;
    const auto rowsByDevice = rowsByColumn(*answer, QStringLiteral("R_DeviceID"));
    ColumnReader<5> columns = propertyColumns();
    const auto isSimple = [&](const DBSRow& row) {
        return columns.value(row, ColumnName) == valueColumn;
    };
    for (const QString& id : build.selection.deviceIds) {
        DOMElement* device = build.document.appendWithId(build.body, QStringLiteral("Device"), id);
        DeviceProperties properties(build.document, device, columns);
        const QList<const DBSRow*> rows = rowsByDevice.value(id);
        for (const DBSRow* row : rows)
            if (columns.contains(*row, ColumnName) && isSimple(*row))
                properties.addSimple(*row);
        for (const DBSRow* row : rows)
            if (columns.contains(*row, ColumnName) && !isSimple(*row))
                properties.addTableCell(*row);
    }
    build.freeWhenFinished(std::move(answer));
}

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
#include <vector>

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
// asked of the DOM for every cell. The cells of one table arrive together, so the property and
// RowIndex of the last cell are kept at hand for the next.
class DeviceProperties {
public:
    DeviceProperties(ReportDocument& document, DOMElement* device, ColumnReader<5>& columns,
                     qsizetype rows)
        : m_document(document), m_columns(columns), m_rowIndexName(document.name(rowIndexText())) {
        m_nodes.reserve(std::size_t(rows) + 1);
        m_nodes.push_back({device, {}, 0});
    }

    void addSimple(const DBSRow& row) {
        const Name name = m_document.name(m_columns.value(row, PropertyName));
        place(deviceNode,
              m_document.append(node(deviceNode).element, name, m_columns.value(row, Value)), name);
    }

    // A name the document rejects skips the row.
    void addTableCell(const DBSRow& row) {
        const qsizetype property = propertyOf(m_columns.value(row, PropertyName));
        if (property == noNode)
            return;
        const qsizetype index = rowIndexOf(property, m_columns.value(row, RowIndex));
        if (index == noNode)
            return;
        const Name cell = m_document.name(m_columns.value(row, ColumnName));
        place(index, m_document.append(node(index).element, cell, m_columns.value(row, Value)),
              cell);
    }

private:
    using Name = ReportDocument::Name;
    static constexpr qsizetype deviceNode = 0;
    static constexpr qsizetype noNode = -1;

    // An element of the device and where it sits: its child positions from the device down, and
    // how many children it has so far (each new element is its parent's last child). Mostly
    // property, RowIndex and cell: three levels, kept without a heap block of their own.
    using Path = QVarLengthArray<int, 4>;
    struct Node {
        DOMElement* element;
        Path path;
        int children = 0;
    };
    static bool before(const Path& a, const Path& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
    }

    static const QString& rowIndexText() {
        static const QString name = QStringLiteral("RowIndex");
        return name;
    }

    // The first element called `text` in document order, made below the device when there is
    // none.
    qsizetype propertyOf(const QString& text) {
        if (m_lastProperty != noNode && text == m_lastPropertyText)
            return m_lastProperty;
        const Name name = m_document.name(text);
        qsizetype property = firstNamed(name);
        if (property == noNode)
            property = place(deviceNode, m_document.append(node(deviceNode).element, name), name);
        if (property != noNode) {
            m_lastPropertyText = text;
            m_lastPropertyName = name;
            m_lastProperty = property;
        }
        return property;
    }

    qsizetype rowIndexOf(qsizetype property, const QString& id) {
        if (property == m_lastRowIndexProperty && id == m_lastRowIndexId)
            return m_lastRowIndex;
        qsizetype& index = m_rowIndexes[{property, id}];
        if (index == deviceNode)
            index =
                place(property, m_document.appendWithId(node(property).element, m_rowIndexName, id),
                      m_rowIndexName);
        if (index == noNode) {
            index = deviceNode;
            return noNode;
        }
        m_lastRowIndexProperty = property;
        m_lastRowIndexId = id;
        m_lastRowIndex = index;
        return index;
    }

    Node& node(qsizetype at) { return m_nodes[std::size_t(at)]; }

    qsizetype& firstNamed(Name name) {
        if (name.id() >= qsizetype(m_firstByName.size()))
            m_firstByName.resize(std::size_t(m_document.nameCount()), noNode);
        return m_firstByName[std::size_t(name.id())];
    }

    // Records `element` called `name`, just appended to the element of `parent`, and keeps the
    // first element of each name in document order: an element appended deeper in an earlier
    // branch can precede one made before it.
    qsizetype place(qsizetype parent, DOMElement* element, Name name) {
        if (!element)
            return noNode;
        Node& parentNode = node(parent);
        Node placed{element, parentNode.path, 0};
        placed.path.append(parentNode.children++);
        const qsizetype at = qsizetype(m_nodes.size());
        qsizetype& first = firstNamed(name);
        if (first == noNode) {
            first = at;
        } else if (before(placed.path, node(first).path)) {
            first = at;
            if (name == m_lastPropertyName)
                m_lastProperty = noNode;
        }
        m_nodes.push_back(std::move(placed));
        return at;
    }

    ReportDocument& m_document;
    ColumnReader<5>& m_columns;
    const Name m_rowIndexName;
    std::vector<Node> m_nodes;
    // The first element of each name, by the name's number.
    std::vector<qsizetype> m_firstByName;
    // The RowIndex elements by property and ID; 0 (the device, never a RowIndex) for none yet.
    QHash<QPair<qsizetype, QString>, qsizetype> m_rowIndexes;
    QString m_lastPropertyText;
    Name m_lastPropertyName;
    qsizetype m_lastProperty = noNode;
    qsizetype m_lastRowIndexProperty = noNode;
    QString m_lastRowIndexId;
    qsizetype m_lastRowIndex = noNode;
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
    const ReportDocument::Name deviceName = build.document.name(QStringLiteral("Device"));
    std::vector<const DBSRow*> tableCells;
    for (const QString& id : build.selection.deviceIds) {
        DOMElement* device = build.document.appendWithId(build.body, deviceName, id);
        const QList<const DBSRow*> rows = rowsByDevice.value(id);
        DeviceProperties properties(build.document, device, columns, rows.size());
        // Simple properties first, then the tables, each in answer order.
        tableCells.clear();
        for (const DBSRow* row : rows) {
            if (!columns.contains(*row, ColumnName))
                continue;
            if (isSimple(*row))
                properties.addSimple(*row);
            else
                tableCells.push_back(row);
        }
        for (const DBSRow* row : tableCells)
            properties.addTableCell(*row);
    }
    build.freeWhenFinished(std::move(answer));
}

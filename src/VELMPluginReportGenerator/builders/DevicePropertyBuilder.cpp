#include "VELMPluginReportGenerator/builders/DevicePropertyBuilder.h"

#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/ReportQuery.h"
#include "VELMPluginReportGenerator/builders/RowReport.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <QHash>
#include <QList>

namespace {

using DOMElement = ReportDocument::DOMElement;

constexpr int answerProgress = 20;
const QString valueColumn = QStringLiteral("Value");
const QString columnNameColumn = QStringLiteral("PropColumnName");
const QString propertyNameColumn = QStringLiteral("PropName");

// The elements of one Device, so that finding "the first descendant called X" and "the
// RowIndex with this ID" does not walk the device's subtree for every row. Document order is
// told by each element's path of child positions below the device, kept here, rather than
// asked of the DOM for every cell.
class DeviceProperties {
public:
    DeviceProperties(ReportDocument& document, DOMElement* device)
        : m_document(document), m_device(device) {
        m_placed.insert(device, {});
    }

    void addSimple(const DBSRow& row) {
        place(m_device,
              m_document.append(m_device, row.value(propertyNameColumn), row.value(valueColumn)));
    }

    // A name the document rejects skips the row.
    void addTableCell(const DBSRow& row) {
        DOMElement* property = firstDescendant(row.value(propertyNameColumn));
        if (!property)
            property = place(m_device, m_document.append(m_device, row.value(propertyNameColumn)));
        if (!property)
            return;
        const QString rowIndex = row.value(u"RowIndex");
        DOMElement*& indexElement = m_rowIndexes[{property, rowIndex}];
        if (!indexElement)
            indexElement = place(
                property, m_document.appendWithId(property, QStringLiteral("RowIndex"), rowIndex));
        if (indexElement)
            place(indexElement, m_document.append(indexElement, row.value(columnNameColumn),
                                                  row.value(valueColumn)));
    }

private:
    // Where an element sits: its child positions from the device down, and how many children
    // it has so far (each new element is its parent's last child).
    struct Placement {
        QList<int> path;
        int children = 0;
    };

    DOMElement* firstDescendant(const QString& name) const { return m_firstByName.value(name); }

    // Records `element`, just appended to `parent`, and keeps the first element of each name
    // in document order: an element appended deeper in an earlier branch can precede one made
    // before it.
    DOMElement* place(DOMElement* parent, DOMElement* element) {
        if (!element)
            return nullptr;
        Placement& parentPlacement = m_placed[parent];
        Placement placement{parentPlacement.path, 0};
        placement.path.append(parentPlacement.children++);
        DOMElement*& first = m_firstByName[dom::name(element)];
        if (!first || placement.path < m_placed.value(first).path)
            first = element;
        m_placed.insert(element, std::move(placement));
        return element;
    }

    ReportDocument& m_document;
    DOMElement* m_device;
    QHash<DOMElement*, Placement> m_placed;
    QHash<QString, DOMElement*> m_firstByName;
    QHash<QPair<DOMElement*, QString>, DOMElement*> m_rowIndexes;
};

} // namespace

void buildDevicePropertyReport(ReportBuild& build) {
    const auto answer = queryReport(build, answerProgress);
    if (!answer)
        return;
    const auto rowsByDevice = rowsByColumn(*answer, QStringLiteral("R_DeviceID"));
    for (const QString& id : build.selection.deviceIds) {
        DOMElement* device = build.document.appendWithId(build.body, QStringLiteral("Device"), id);
        DeviceProperties properties(build.document, device);
        const QList<const DBSRow*> rows = rowsByDevice.value(id);
        for (const DBSRow* row : rows)
            if (row->contains(columnNameColumn) && row->value(columnNameColumn) == valueColumn)
                properties.addSimple(*row);
        for (const DBSRow* row : rows)
            if (row->contains(columnNameColumn) && row->value(columnNameColumn) != valueColumn)
                properties.addTableCell(*row);
    }
}

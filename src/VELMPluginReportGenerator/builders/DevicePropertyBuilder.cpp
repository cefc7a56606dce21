#include "VELMPluginReportGenerator/builders/DevicePropertyBuilder.h"

#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/ReportQuery.h"
#include "VELMPluginReportGenerator/builders/RowReport.h"

#include "VXNServiceFramework/dom/DomRead.h"

#include <QHash>
// For the document order of two elements, which the DOM helpers do not offer.
#include <xercesc/dom/DOMElement.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

constexpr int answerProgress = 20;
const QString valueColumn = QStringLiteral("Value");
const QString columnNameColumn = QStringLiteral("PropColumnName");
const QString propertyNameColumn = QStringLiteral("PropName");

// The elements of one Device, so that finding "the first descendant called X" and "the
// RowIndex with this ID" does not walk the device's subtree for every row.
class DeviceProperties {
public:
    DeviceProperties(ReportDocument& document, DOMElement* device)
        : m_document(document), m_device(device) {}

    void addSimple(const DBSRow& row) {
        remember(
            m_document.append(m_device, row.value(propertyNameColumn), row.value(valueColumn)));
    }

    // A name the document rejects skips the row.
    void addTableCell(const DBSRow& row) {
        DOMElement* property = firstDescendant(row.value(propertyNameColumn));
        if (!property)
            property = remember(m_document.append(m_device, row.value(propertyNameColumn)));
        if (!property)
            return;
        const QString rowIndex = row.value(u"RowIndex");
        DOMElement*& indexElement = m_rowIndexes[{property, rowIndex}];
        if (!indexElement)
            indexElement =
                remember(m_document.appendWithId(property, QStringLiteral("RowIndex"), rowIndex));
        if (indexElement)
            remember(m_document.append(indexElement, row.value(columnNameColumn),
                                       row.value(valueColumn)));
    }

private:
    DOMElement* firstDescendant(const QString& name) const { return m_firstByName.value(name); }

    // Keeps the first element of each name in document order: an element appended deeper in
    // an earlier branch can precede one made before it.
    DOMElement* remember(DOMElement* element) {
        if (!element)
            return nullptr;
        const QString name = dom::name(element);
        DOMElement*& first = m_firstByName[name];
        if (!first ||
            (element->compareDocumentPosition(first) & DOMNode::DOCUMENT_POSITION_FOLLOWING))
            first = element;
        return element;
    }

    ReportDocument& m_document;
    DOMElement* m_device;
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

#include "VELMPluginReportGenerator/builders/RowReport.h"

#include "VELMPluginReportGenerator/builders/ColumnReader.h"
#include "VELMPluginReportGenerator/builders/ReportBuild.h"
#include "VELMPluginReportGenerator/builders/ReportQuery.h"

#include "VXNServiceFramework/dom/DomRead.h"

namespace {

const QString deviceIdColumn = QStringLiteral("DeviceID");
constexpr int answerProgress = 10;
constexpr int examinedProgress = 10;
constexpr int placedProgress = 10;

// Appends one Row per row, each with its columns but `leaveOut`.
class RowAppender {
public:
    RowAppender(ReportDocument& document, const QString& leaveOut)
        : m_document(document), m_row(document.name(QStringLiteral("Row"))), m_leaveOut({leaveOut}),
          m_leavesOut(!leaveOut.isEmpty()) {}

    void append(ReportDocument::DOMElement* report, const DBSRow& row) {
        ReportDocument::DOMElement* element = m_document.append(report, m_row);
        if (element)
            m_document.appendPairs(element, row.columns(), row.values(),
                                   m_leavesOut ? m_leaveOut.indexOf(row, 0) : -1);
    }

private:
    ReportDocument& m_document;
    const ReportDocument::Name m_row;
    ColumnReader<1> m_leaveOut;
    bool m_leavesOut;
};

void placeAllTogether(ReportBuild& build, const CmdDBSProcessQueryResponse& answer) {
    ReportDocument::DOMElement* report =
        build.document.append(build.body, QStringLiteral("Report"));
    RowAppender rows(build.document, {});
    for (const DBSResultSet& set : answer.resultSets())
        if (set.lastRowId == -1)
            for (const DBSRow& row : set.rows)
                rows.append(report, row);
}

// The first Device element of the body for each id.
QHash<QString, ReportDocument::DOMElement*> deviceElements(const ReportBuild& build) {
    QHash<QString, ReportDocument::DOMElement*> devices;
    dom::forEachChild(
        build.body,
        [&](dom::Element* device) {
            const QString id = dom::attribute(device, QStringLiteral("ID"));
            if (!devices.contains(id))
                devices.insert(id, device);
        },
        QStringLiteral("Device"));
    return devices;
}

void placePerDevice(ReportBuild& build, const CmdDBSProcessQueryResponse& answer) {
    const auto rows = rowsByColumn(answer, deviceIdColumn);
    const auto devices = deviceElements(build);
    const ReportDocument::Name reportName = build.document.name(QStringLiteral("Report"));
    RowAppender appender(build.document, deviceIdColumn);
    for (const QString& id : build.selection.deviceIds) {
        ReportDocument::DOMElement* device = devices.value(id);
        if (!device)
            continue;
        ReportDocument::DOMElement* report = build.document.append(device, reportName);
        for (const DBSRow* row : rows.value(id))
            appender.append(report, *row);
    }
}

} // namespace

void appendColumns(ReportDocument& document, ReportDocument::DOMElement* element, const DBSRow& row,
                   const QString& leaveOut) {
    if (!element)
        return;
    const qsizetype at = leaveOut.isEmpty() ? -1 : row.columns().indexOf(leaveOut);
    document.appendPairs(element, row.columns(), row.values(), at);
}

QHash<QString, QList<const DBSRow*>> rowsByColumn(const CmdDBSProcessQueryResponse& answer,
                                                  const QString& column) {
    QHash<QString, QList<const DBSRow*>> groups;
    ColumnReader<1> key({column});
    // Rows of one value mostly come one after another: their group is looked up once.
    QList<const DBSRow*>* group = nullptr;
    QString groupKey;
    for (const DBSResultSet& set : answer.resultSets())
        for (const DBSRow& row : set.rows) {
            if (!key.contains(row, 0))
                continue;
            const QString& value = key.value(row, 0);
            if (!group || value != groupKey) {
                group = &groups[value];
                groupKey = value;
            }
            group->append(&row);
        }
    return groups;
}

void buildRowReport(ReportBuild& build, RowPlacement placement) {
    auto answer = queryReport(build, answerProgress);
    if (!answer)
        return;
    build.progress.advance(examinedProgress);
    if (placement == RowPlacement::AllTogether)
        placeAllTogether(build, *answer);
    else
        placePerDevice(build, *answer);
    build.progress.advance(placedProgress);
    build.freeWhenFinished(std::move(answer));
}

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

void appendRow(ReportBuild& build, ReportDocument::DOMElement* report, const DBSRow& row,
               const QString& leaveOut) {
    appendColumns(build.document, build.document.append(report, QStringLiteral("Row")), row,
                  leaveOut);
}

void placeAllTogether(ReportBuild& build, const CmdDBSProcessQueryResponse& answer) {
    ReportDocument::DOMElement* report =
        build.document.append(build.body, QStringLiteral("Report"));
    for (const DBSResultSet& set : answer.resultSets())
        if (set.lastRowId == -1)
            for (const DBSRow& row : set.rows)
                appendRow(build, report, row, {});
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
    for (const QString& id : build.selection.deviceIds) {
        ReportDocument::DOMElement* device = devices.value(id);
        if (!device)
            continue;
        ReportDocument::DOMElement* report =
            build.document.append(device, QStringLiteral("Report"));
        for (const DBSRow* row : rows.value(id))
            appendRow(build, report, *row, deviceIdColumn);
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
    for (const DBSResultSet& set : answer.resultSets())
        for (const DBSRow& row : set.rows)
            if (key.contains(row, 0))
                groups[key.value(row, 0)].append(&row);
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

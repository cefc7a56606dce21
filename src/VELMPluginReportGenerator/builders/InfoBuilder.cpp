#include "VELMPluginReportGenerator/builders/InfoBuilder.h"

#include "VELMPluginReportGenerator/builders/ReportBuild.h"

#include "VXNServiceFramework/packets/ResultCodes.h"

#include <QDateTime>

namespace {

constexpr int infoProgress = 10;

QString localTime(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toLocalTime().toString(
        QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QStringList groupNames(const ReportBuild& build) {
    const auto answer =
        build.database.run(QStringLiteral("SELECT Name FROM Groups WHERE GroupID in (") +
                           build.selection.values.join(QLatin1Char(',')) + QLatin1Char(')'));
    QStringList names;
    if (answer->result() != ResultCode::Ok || answer->resultSets().isEmpty())
        return names;
    for (const DBSRow& row : answer->resultSets().first().rows)
        names.append(row.value(u"Name"));
    return names;
}

void appendSelection(ReportBuild& build, ReportDocument::DOMElement* info) {
    ReportDocument::DOMElement* selection =
        build.document.append(info, QStringLiteral("Selection"));
    if (build.selection.kind == DeviceSelection::Groups && build.selection.isSafe()) {
        for (const QString& name : groupNames(build))
            build.document.append(selection, QStringLiteral("Group"), name);
    } else if (build.selection.kind == DeviceSelection::Models) {
        for (const QString& model : build.selection.values)
            build.document.append(selection, QStringLiteral("Model"), model);
    }
}

} // namespace

void buildInfo(ReportBuild& build) {
    const ReportDefinition& definition = build.definition;
    const ReportSettings& settings = build.settings;
    ReportDocument::DOMElement* info =
        build.document.append(build.document.root(), QStringLiteral("Info"));
    for (const char* name : {"ReportCategory", "ReportType", "ReportFormat"})
        build.document.append(info, QLatin1String(name), definition.parameter(QLatin1String(name)));
    build.document.append(info, QStringLiteral("IsSummary"),
                          settings.summary ? QStringLiteral("Yes") : QStringLiteral("No"));
    if (settings.rangeStart != 0 && settings.rangeEnd != 0) {
        build.document.append(info, QStringLiteral("From"), localTime(settings.rangeStart));
        build.document.append(info, QStringLiteral("To"), localTime(settings.rangeEnd));
    }
    build.document.append(info, QStringLiteral("ReportDate"), localTime(settings.creationTime));
    for (const char* name : {"SortBy", "GroupBy", "Interval"}) {
        const QString value = definition.parameter(QLatin1String(name));
        if (!value.isEmpty())
            build.document.append(info, QLatin1String(name), value);
    }
    appendSelection(build, info);
    build.progress.advance(infoProgress);
}

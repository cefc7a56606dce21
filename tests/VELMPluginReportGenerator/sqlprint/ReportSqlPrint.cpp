// Prints the script that a report would send, so that the same text can be run with the
// sqlite3 tool on a fleet database (benchmarks compare the two):
//   reportSqlPrint RT_DEVICE_LIST [--id N] [--devices 1,2 | --groups 3] [--from S] [--to S]
//                  [--interval 0..3] [--summary] [--chart]
#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/queries/SqlSafety.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Prints the SQL script of one report"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("type"), QStringLiteral("report type keyword"));
    parser.addOption({QStringLiteral("id"), QStringLiteral("Report id."), QStringLiteral("N"),
                      QStringLiteral("0")});
    parser.addOption(
        {QStringLiteral("devices"), QStringLiteral("Device ids."), QStringLiteral("IDS")});
    parser.addOption(
        {QStringLiteral("groups"), QStringLiteral("Group ids."), QStringLiteral("IDS")});
    parser.addOption({QStringLiteral("from"), QStringLiteral("Range start, seconds."),
                      QStringLiteral("S"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("to"), QStringLiteral("Range end, seconds."),
                      QStringLiteral("S"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("interval"), QStringLiteral("Period: 0 hour .. 3 month."),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("summary"), QStringLiteral("A summary (by device groups).")});
    parser.addOption({QStringLiteral("chart"), QStringLiteral("The text a chart asks for.")});
    parser.process(app);

    const auto type = reportRegistry::reportTypeFromName(parser.positionalArguments().value(0));
    if (!type) {
        std::fprintf(stderr, "unknown report type\n");
        return 2;
    }
    ReportQueryParams params;
    params.reportType = *type;
    params.reportId = parser.value(QStringLiteral("id")).toInt();
    params.start = parser.value(QStringLiteral("from")).toLongLong();
    params.end = parser.value(QStringLiteral("to")).toLongLong();
    params.period = parser.value(QStringLiteral("interval")).toInt();
    params.chart = parser.isSet(QStringLiteral("chart"));
    if (parser.isSet(QStringLiteral("summary")))
        params.groupBy = GroupBySpec{GroupBySpec::deviceGroups, QStringLiteral("Group")};
    for (const auto& [option, kind] :
         {std::pair{QStringLiteral("devices"), SelectionKind::Devices},
          std::pair{QStringLiteral("groups"), SelectionKind::Groups}}) {
        if (!parser.isSet(option))
            continue;
        const auto ids = decimalIdList(parser.value(option).split(QLatin1Char(',')));
        if (!ids) {
            std::fprintf(stderr, "ids must be decimal integers\n");
            return 2;
        }
        params.selectionKind = kind;
        params.selectionIds = *ids;
    }
    const QString script = composeReportSql(params);
    if (script.isEmpty()) {
        std::fprintf(stderr, "no script for this report type\n");
        return 1;
    }
    std::fputs(script.toUtf8().constData(), stdout);
    return 0;
}

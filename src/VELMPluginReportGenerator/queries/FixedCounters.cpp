#include "VELMPluginReportGenerator/queries/ComposeReportSql.h"
#include "VELMPluginReportGenerator/registry/PropertyNames.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include <array>

using namespace reportRegistry;

namespace {

// Pages of these jobs count as usage; SQL fragments applied to the counter table.
const QString usageJobTypes = QStringLiteral("IN ('print','copy','faxIn')");

struct ColumnCounter {
    const char* name;
    int column;
    const char* condition;
};

QList<CounterSpec> columnCounters(std::initializer_list<ColumnCounter> counters) {
    QList<CounterSpec> list;
    for (const auto& c : counters) {
        list.append(CounterSpec::jobTypeAndColumn(propertyId::deviceCounterTable,
                                                  QString::fromLatin1(c.name), usageJobTypes,
                                                  c.column, QString::fromLatin1(c.condition)));
    }
    return list;
}

QList<CounterSpec> jobTypeCounters() {
    constexpr std::array<std::pair<const char*, const char*>, 4> jobs{{
        {"Print_Counter", "= 'print'"},
        {"Copy_Counter", "= 'copy'"},
        {"Scan_Counter", "= 'scan'"},
        {"IncomingFax_Counter", "= 'faxIn'"},
    }};
    QList<CounterSpec> list;
    for (const auto& [name, condition] : jobs) {
        list.append(CounterSpec::jobTypeOnly(propertyId::deviceCounterTable,
                                             QString::fromLatin1(name),
                                             QString::fromLatin1(condition)));
    }
    return list;
}

// Media size is each counter's own column; print and colour mode follow from its position.
QList<CounterSpec> totalPagesCounters() {
    QList<CounterSpec> list;
    for (const auto& name : reportTypeCounters(RT_USAGE_TOTAL_PAGES)) {
        const bool small = name.startsWith(QLatin1String("Small"));
        list.append(CounterSpec::jobTypeAndColumn(
            propertyId::deviceCounterTable, name, usageJobTypes, counterColumn::mediaSize,
            small ? QStringLiteral("= 'small'") : QStringLiteral("= 'large'")));
    }
    return list;
}

QList<CounterSpec> alertKindCounters() {
    QList<CounterSpec> list;
    const auto names = reportTypeCounters(RT_ALERT_TREND);
    for (int kind = 0; kind < names.size(); ++kind)
        list.append(CounterSpec::alertKind(kind, names[kind]));
    return list;
}

} // namespace

QList<CounterSpec> fixedCounters(int reportType) {
    switch (reportType) {
    case RT_USAGE_COLOR_MONO:
        return columnCounters({{"Color_Counter", counterColumn::colourMode, "= 'fullColor'"},
                               {"Mono_Counter", counterColumn::colourMode, "= 'monoColor'"}});
    case RT_USAGE_SIMPLEX_DUPLEX:
        return columnCounters({{"Simplex_Counter", counterColumn::printMode, "= 'simplex'"},
                               {"Duplex_Counter", counterColumn::printMode, "= 'duplex'"}});
    case RT_USAGE_PAPER_SIZE:
        return columnCounters({{"Small_Counter", counterColumn::mediaSize, "= 'small'"},
                               {"Large_Counter", counterColumn::mediaSize, "= 'large'"}});
    case RT_USAGE_COPY_SCAN_SEND_FAX:
        return jobTypeCounters();
    case RT_USAGE_TOTAL_PAGES:
        return totalPagesCounters();
    case RT_ALERT_TREND:
        return alertKindCounters();
    default:
        return {};
    }
}

#pragma once

#include "VELMPluginReportGenerator/report/ReportDefinition.h"

#include <QDateTime>
#include <optional>

// The codes a report reads once from its definition when it is created.
struct ReportSettings {
    std::optional<int> type; // none when ReportType names no report type
    bool summary = false;
    int period = 0;
    qint64 rangeStart = 0;
    qint64 rangeEnd = 0;
    int interval = 0;
    int chartType = 0;
    // The creation time, also the "now" that named periods are computed from.
    qint64 creationTime = 0;

    static ReportSettings read(const ReportDefinition& definition, const QDateTime& now);
};

#include "VELMPluginReportGenerator/charts/ChartData.h"

#include <QDateTime>
#include <cmath>

double chartValue(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

namespace {

QString labelOf(const DBSResultSet::Row& row, const ChartRequest& request) {
    const QString text = row.value(request.labelColumn);
    if (!request.timeFormat)
        return text;
    bool ok = false;
    const qint64 seconds = text.trimmed().toLongLong(&ok);
    return ok ? QDateTime::fromSecsSinceEpoch(seconds).toString(*request.timeFormat) : text;
}

// A series named like the label column holds labels, not numbers.
bool isPlotted(const QString& series, const ChartRequest& request) {
    return series != request.labelColumn;
}

} // namespace

ChartData readXYData(const DBSResultSet& set, const ChartRequest& request) {
    ChartData data;
    const qsizetype rows = set.rows.size();
    data.labels.reserve(rows);
    data.series.assign(request.seriesNames.size(), std::vector<double>(rows, 0.0));
    for (qsizetype i = 0; i < rows; ++i) {
        const DBSResultSet::Row& row = set.rows.at(i);
        data.labels.append(labelOf(row, request));
        for (qsizetype s = 0; s < request.seriesNames.size(); ++s) {
            const QString& name = request.seriesNames.at(s);
            if (isPlotted(name, request))
                data.series[s][i] = chartValue(row.value(name));
        }
    }
    return data;
}

ChartData readPieData(const DBSResultSet& set, const ChartRequest& request) {
    ChartData data;
    data.labels = request.seriesNames;
    std::vector<double> sums(request.seriesNames.size(), 0.0);
    for (const DBSResultSet::Row& row : set.rows)
        for (qsizetype s = 0; s < request.seriesNames.size(); ++s)
            sums[s] += chartValue(row.value(request.seriesNames.at(s)));
    data.series.push_back(std::move(sums));
    return data;
}

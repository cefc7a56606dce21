#pragma once

#include "peers/CmdDBSProcessQueryResponse.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Chart type codes that have a drawing.
namespace chartCode {
inline constexpr int line = 0;
inline constexpr int line3D = 1;
inline constexpr int bar = 2;
inline constexpr int bar3D = 3;
inline constexpr int pie = 5;
inline constexpr int pie3D = 6;
} // namespace chartCode

// Output format codes of a chart image.
namespace chartImageFormat {
inline constexpr int png = 0;
inline constexpr int gif = 1;
inline constexpr int jpeg = 2;
} // namespace chartImageFormat

// What to draw: the rows of a database answer and how to read them.
struct ChartRequest {
    const QList<DBSResultSet>& resultSets;
    int chartType = chartCode::bar3D;
    QString title;
    QString xAxisTitle;
    QString yAxisTitle;
    QString labelColumn; // its values label the x axis
    int imageFormat = chartImageFormat::gif;
    QStringList seriesNames; // one series (or pie sector) per column, in this order
    // When set, label values are seconds since 1970, written as local time in this Qt format.
    std::optional<QString> timeFormat;
};

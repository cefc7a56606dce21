#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a chart puts its parts.
struct ChartLayout {
    static constexpr int libraryDefault = -1;

    QSize size{700, 400};
    QRect plotArea{100, 80, 580, 200};
    // libraryDefault keeps the plain background; otherwise bands alternate between the two.
    int plotBackground = libraryDefault;
    int plotAlternateBackground = libraryDefault;
    QPoint legendPosition{50, 30};
};

// Text sizes in points.
namespace chartText {
inline constexpr double title = 12.0;
inline constexpr double axisTitle = 8.0;
inline constexpr double axisLabel = 8.0;
inline constexpr double legend = 10.0;
} // namespace chartText

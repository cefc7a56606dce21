#pragma once

#include <vector>

// A value axis from round numbers: ticks at multiples of 1, 2 or 5 times a power of ten.
struct AxisScale {
    double minimum = 0.0;
    double maximum = 1.0;
    double step = 1.0;

    // Covers the values and zero with at most `maxTicks` intervals.
    static AxisScale covering(double lowest, double highest, int maxTicks = 5);

    std::vector<double> ticks() const;
    // Where a value lies between minimum (0) and maximum (1).
    double fraction(double value) const;
};

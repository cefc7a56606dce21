#include "VELMPluginReportGenerator/charts/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace {

double roundStep(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough * (1.0 - 1e-9))
            return factor * power;
    return 10.0 * power;
}

} // namespace

AxisScale AxisScale::covering(double lowest, double highest, int maxTicks) {
    lowest = std::min(lowest, 0.0);
    highest = std::max(highest, 0.0);
    maxTicks = std::max(maxTicks, 1);
    // Counts are whole numbers: an empty or tiny range still gets steps of at least one.
    const double range = std::max(highest - lowest, 1.0);
    const double step = roundStep(std::max(range / maxTicks, 1.0));
    AxisScale scale;
    scale.step = step;
    scale.minimum = std::floor(lowest / step) * step;
    scale.maximum = std::max(std::ceil(highest / step) * step, scale.minimum + step);
    return scale;
}

std::vector<double> AxisScale::ticks() const {
    std::vector<double> values;
    const int count = static_cast<int>(std::lround((maximum - minimum) / step));
    for (int i = 0; i <= count; ++i)
        values.push_back(minimum + i * step);
    return values;
}

double AxisScale::fraction(double value) const {
    return (value - minimum) / (maximum - minimum);
}

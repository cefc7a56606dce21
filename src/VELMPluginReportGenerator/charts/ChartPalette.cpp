#include "VELMPluginReportGenerator/charts/ChartPalette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace chartPalette {

namespace {

// Hues far apart and dark enough to read against white.
constexpr std::array<int, 10> seriesColours{0x3366CC, 0xDC3912, 0x109618, 0xFF9900, 0x990099,
                                            0x0099C6, 0xDD4477, 0x66AA00, 0x8C564B, 0x316395};

int scaled(int channel, double factor) {
    const double value =
        factor >= 1.0 ? channel + (255 - channel) * (factor - 1.0) : channel * factor;
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

} // namespace

int seriesColour(int index) {
    const int count = static_cast<int>(seriesColours.size());
    return seriesColours[static_cast<std::size_t>(((index % count) + count) % count)];
}

int shade(int rgb, double factor) {
    return scaled((rgb >> 16) & 0xFF, factor) << 16 | scaled((rgb >> 8) & 0xFF, factor) << 8 |
           scaled(rgb & 0xFF, factor);
}

} // namespace chartPalette

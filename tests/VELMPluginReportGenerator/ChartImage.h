#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <vector>

// A chart image decoded by ImageMagick, so the tests see what any reader of the file sees.
struct DecodedImage {
    QString format;
    int width = 0;
    int height = 0;
    std::vector<int> pixels; // 0xRRGGBB, row by row

    static DecodedImage decode(const QByteArray& file);

    int at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    // How many pixels of exactly this colour lie inside the rectangle.
    int count(int rgb, const QRect& area) const;
};

// Keeps the image under $CHART_TEST_KEEP/<name>.gif when that variable is set, to look at.
void keepChart(const QString& name, const QByteArray& image);

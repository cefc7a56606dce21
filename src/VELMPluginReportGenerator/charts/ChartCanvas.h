#pragma once

#include "VELMPluginReportGenerator/charts/ChartGlyphs.h"

#include <QByteArray>
#include <QHash>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

struct gdImageStruct;

// A palette image drawn with libgd; colours are 0xRRGGBB. Throws CVELMReportSQLGenExcept when
// libgd cannot obtain the memory for the image or its encoding.
class ChartCanvas {
public:
    ChartCanvas(int width, int height, int background);
    ~ChartCanvas();
    ChartCanvas(const ChartCanvas&) = delete;
    ChartCanvas& operator=(const ChartCanvas&) = delete;

    QSize size() const;

    // The palette index of an exact colour, allocated on first use.
    int colour(int rgb);

    void fillRect(const QRect& rect, int rgb);
    void line(QPoint from, QPoint to, int rgb, int thickness = 1);
    void filledPolygon(const std::vector<QPoint>& points, int rgb);
    // Angles in degrees, 0 at three o'clock, growing clockwise.
    void filledArc(QPoint centre, QSize size, int startDegrees, int endDegrees, int rgb);

    // Width and height of the text's ink box when drawn level.
    QSize textSize(const QString& text, ChartFont font, double points) const;
    // Draws level text with its top-left corner at `topLeft`.
    void text(const QString& text, QPoint topLeft, ChartFont font, double points, int rgb);
    // Draws text rotated counter-clockwise by `degrees` about its baseline start.
    void rotatedText(const QString& text, QPoint baselineStart, double degrees, ChartFont font,
                     double points, int rgb);

    // The image in a chart image format code; empty for a code without an encoder.
    QByteArray encode(int format) const;

private:
    // Height of the font's tallest ink above the baseline.
    int ascent(ChartFont font, double points) const;
    // Blends antialiased glyphs into the palette the way libgd does: each coverage step between
    // the pixel's colour and the text's is a palette colour of its own.
    void paint(const std::vector<PlacedGlyph>& glyphs, int rgb);
    int blended(int under, int over, int step);

    QHash<int, int> m_blends; // (under, over, step) to palette index

    struct ImageDeleter {
        void operator()(gdImageStruct* image) const;
    };
    std::unique_ptr<gdImageStruct, ImageDeleter> m_image;
};

// The memory failure of a chart, as the report sees it.
[[noreturn]] void throwChartMemoryFailure();

#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>
#include <vector>

// Text styles of a chart; sizes in points, one point one pixel.
enum class ChartFont { Regular, Bold };

// Coverage of a pixel by a glyph, in steps from 0 (none) to this (full), as libgd blends text
// into a palette image.
inline constexpr int coverageSteps = 8;

// One glyph as FreeType rendered it, trimmed to the pixels it covers.
struct GlyphImage {
    QRect box; // relative to the pixel the glyph's origin falls on, y growing downwards
    std::vector<unsigned char> coverage; // rows top to bottom, 0 to coverageSteps
};

struct PlacedGlyph {
    std::shared_ptr<const GlyphImage> image;
    QPoint origin;
};

// Lays out text in a chart font, rotated counter-clockwise by `degrees` about `baselineStart`.
// Rendered glyphs are kept for the whole process, as charts draw the same few letters over and
// over; safe to call from any thread. Empty when the font cannot be loaded.
std::vector<PlacedGlyph> layOutChartText(const QString& text, ChartFont font, double points,
                                         double degrees, QPoint baselineStart);

// The union of the glyphs' ink boxes; empty for no ink.
QRect inkBox(const std::vector<PlacedGlyph>& glyphs);

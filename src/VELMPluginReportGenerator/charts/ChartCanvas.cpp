#include "VELMPluginReportGenerator/charts/ChartCanvas.h"

#include "VELMPluginReportGenerator/charts/ChartRequest.h"
#include "VELMPluginReportGenerator/charts/GifEncoder.h"
#include "VELMPluginReportGenerator/queries/CVELMReportSQLGenExcept.h"

#include <gd.h>

namespace {

// Kept as callers see it.
const QString memoryFailureText = QStringLiteral("MakeChart: memory could not be allocated");

IndexedImage indexed(const gdImageStruct& image) {
    IndexedImage view;
    view.size = {image.sx, image.sy};
    for (int i = 0; i < image.colorsTotal; ++i)
        view.palette.push_back(image.red[i] << 16 | image.green[i] << 8 | image.blue[i]);
    for (int y = 0; y < image.sy; ++y)
        view.rows.push_back(image.pixels[y]);
    return view;
}

} // namespace

[[noreturn]] void throwChartMemoryFailure() {
    throw CVELMReportSQLGenExcept(memoryFailureText);
}

void ChartCanvas::ImageDeleter::operator()(gdImageStruct* image) const {
    gdImageDestroy(image);
}

ChartCanvas::ChartCanvas(int width, int height, int background)
    : m_image(width > 0 && height > 0 ? gdImageCreate(width, height) : nullptr) {
    if (!m_image)
        throwChartMemoryFailure();
    colour(background); // the first colour allocated is the background
}

ChartCanvas::~ChartCanvas() = default;

QSize ChartCanvas::size() const {
    return {gdImageSX(m_image.get()), gdImageSY(m_image.get())};
}

int ChartCanvas::colour(int rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    const int exact = gdImageColorExact(m_image.get(), r, g, b);
    if (exact >= 0)
        return exact;
    const int allocated = gdImageColorAllocate(m_image.get(), r, g, b);
    return allocated >= 0 ? allocated : gdImageColorClosest(m_image.get(), r, g, b);
}

void ChartCanvas::fillRect(const QRect& rect, int rgb) {
    if (rect.isEmpty())
        return;
    gdImageFilledRectangle(m_image.get(), rect.left(), rect.top(), rect.right(), rect.bottom(),
                           colour(rgb));
}

void ChartCanvas::line(QPoint from, QPoint to, int rgb, int thickness) {
    gdImageSetThickness(m_image.get(), thickness);
    gdImageLine(m_image.get(), from.x(), from.y(), to.x(), to.y(), colour(rgb));
    gdImageSetThickness(m_image.get(), 1);
}

void ChartCanvas::filledPolygon(const std::vector<QPoint>& points, int rgb) {
    std::vector<gdPoint> corners;
    corners.reserve(points.size());
    for (const QPoint& p : points)
        corners.push_back({p.x(), p.y()});
    gdImageFilledPolygon(m_image.get(), corners.data(), static_cast<int>(corners.size()),
                         colour(rgb));
}

void ChartCanvas::filledArc(QPoint centre, QSize size, int startDegrees, int endDegrees, int rgb) {
    if (endDegrees <= startDegrees)
        return;
    gdImageFilledArc(m_image.get(), centre.x(), centre.y(), size.width(), size.height(),
                     startDegrees, endDegrees, colour(rgb), gdPie);
}

QSize ChartCanvas::textSize(const QString& text, ChartFont font, double points) const {
    return inkBox(layOutChartText(text, font, points, 0.0, {0, 0})).size();
}

int ChartCanvas::ascent(ChartFont font, double points) const {
    return textSize(QStringLiteral("H"), font, points).height();
}

void ChartCanvas::text(const QString& text, QPoint topLeft, ChartFont font, double points,
                       int rgb) {
    // Texts of one size share a baseline whatever letters they hold.
    paint(
        layOutChartText(text, font, points, 0.0, {topLeft.x(), topLeft.y() + ascent(font, points)}),
        rgb);
}

void ChartCanvas::rotatedText(const QString& text, QPoint baselineStart, double degrees,
                              ChartFont font, double points, int rgb) {
    paint(layOutChartText(text, font, points, degrees, baselineStart), rgb);
}

void ChartCanvas::paint(const std::vector<PlacedGlyph>& glyphs, int rgb) {
    if (glyphs.empty())
        return;
    gdImagePtr image = m_image.get();
    const int over = colour(rgb);
    const QRect bounds(0, 0, gdImageSX(image), gdImageSY(image));
    for (const PlacedGlyph& glyph : glyphs) {
        const QRect box = glyph.image->box.translated(glyph.origin);
        const QRect visible = box & bounds;
        for (int y = visible.top(); y <= visible.bottom(); ++y) {
            const unsigned char* coverage =
                glyph.image->coverage.data() + (y - box.top()) * box.width() - box.left();
            for (int x = visible.left(); x <= visible.right(); ++x) {
                const int step = coverage[x];
                if (step == 0)
                    continue;
                unsigned char& pixel = image->pixels[y][x];
                pixel = static_cast<unsigned char>(
                    step == coverageSteps ? over : blended(pixel, over, step));
            }
        }
    }
}

int ChartCanvas::blended(int under, int over, int step) {
    const int key = (under << 12) | (over << 4) | step;
    const auto known = m_blends.constFind(key);
    if (known != m_blends.cend())
        return *known;
    gdImagePtr image = m_image.get();
    const auto mix = [step](int a, int b) {
        return (b * step + a * (coverageSteps - step) + coverageSteps / 2) / coverageSteps;
    };
    const int rgb = mix(gdImageRed(image, under), gdImageRed(image, over)) << 16 |
                    mix(gdImageGreen(image, under), gdImageGreen(image, over)) << 8 |
                    mix(gdImageBlue(image, under), gdImageBlue(image, over));
    const int index = colour(rgb);
    m_blends.insert(key, index);
    return index;
}

QByteArray ChartCanvas::encode(int format) const {
    int length = 0;
    void* bytes = nullptr;
    switch (format) {
    case chartImageFormat::png:
        bytes = gdImagePngPtr(m_image.get(), &length);
        break;
    case chartImageFormat::gif:
        // Our own encoder: libgd's takes longer than drawing the whole chart.
        return encodeGif(indexed(*m_image));
    case chartImageFormat::jpeg:
        bytes = gdImageJpegPtr(m_image.get(), &length, -1);
        break;
    default:
        return {};
    }
    if (!bytes)
        throwChartMemoryFailure();
    QByteArray image(static_cast<const char*>(bytes), length);
    gdFree(bytes);
    return image;
}

#include "VELMPluginReportGenerator/charts/ChartCanvas.h"

#include "VELMPluginReportGenerator/charts/ChartRequest.h"
#include "VELMPluginReportGenerator/queries/CVELMReportSQLGenExcept.h"

#include <gd.h>

#include <cmath>
#include <mutex>
#include <numbers>

namespace {

// Kept as callers see it.
const QString memoryFailureText = QStringLiteral("MakeChart: memory could not be allocated");

constexpr int fontResolution = 72; // one point one pixel, as chart sizes are given

const char* fontFile(ChartFont font) {
    return font == ChartFont::Bold ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
                                   : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

// libgd's font cache is set up lazily; doing it once up front keeps concurrent first
// drawings from racing on it.
void setUpFontCache() {
    static std::once_flag once;
    std::call_once(once, [] { gdFontCacheSetup(); });
}

struct TextBox {
    int brect[8] = {};
    bool ok = false;
};

TextBox drawText(gdImagePtr image, int colour, const QString& text, ChartFont font, double points,
                 double radians, int x, int y) {
    setUpFontCache();
    TextBox box;
    QByteArray utf8 = text.toUtf8();
    gdFTStringExtra extra{};
    extra.flags = gdFTEX_RESOLUTION;
    extra.hdpi = fontResolution;
    extra.vdpi = fontResolution;
    box.ok = gdImageStringFTEx(image, box.brect, colour, const_cast<char*>(fontFile(font)), points,
                               radians, x, y, utf8.data(), &extra) == nullptr;
    return box;
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
    if (text.isEmpty())
        return {0, 0};
    const QString key = QStringLiteral("%1/%2/").arg(int(font)).arg(points) + text;
    const auto known = m_sizes.constFind(key);
    if (known != m_sizes.cend())
        return *known;
    const TextBox box = drawText(nullptr, 0, text, font, points, 0.0, 0, 0);
    const QSize size =
        box.ok ? QSize(box.brect[2] - box.brect[0], box.brect[1] - box.brect[7]) : QSize(0, 0);
    m_sizes.insert(key, size);
    return size;
}

int ChartCanvas::ascent(ChartFont font, double points) const {
    return textSize(QStringLiteral("H"), font, points).height();
}

void ChartCanvas::text(const QString& text, QPoint topLeft, ChartFont font, double points,
                       int rgb) {
    if (text.isEmpty())
        return;
    // Texts of one size share a baseline whatever letters they hold.
    drawText(m_image.get(), colour(rgb), text, font, points, 0.0, topLeft.x(),
             topLeft.y() + ascent(font, points));
}

void ChartCanvas::rotatedText(const QString& text, QPoint baselineStart, double degrees,
                              ChartFont font, double points, int rgb) {
    if (text.isEmpty())
        return;
    drawText(m_image.get(), colour(rgb), text, font, points, degrees * std::numbers::pi / 180.0,
             baselineStart.x(), baselineStart.y());
}

QByteArray ChartCanvas::encode(int format) const {
    int length = 0;
    void* bytes = nullptr;
    switch (format) {
    case chartImageFormat::png:
        bytes = gdImagePngPtr(m_image.get(), &length);
        break;
    case chartImageFormat::gif:
        bytes = gdImageGifPtr(m_image.get(), &length);
        break;
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

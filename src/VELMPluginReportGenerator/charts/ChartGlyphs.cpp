#include "VELMPluginReportGenerator/charts/ChartGlyphs.h"

#include <QHash>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <numbers>

namespace {

const char* fontFile(ChartFont font) {
    return font == ChartFont::Bold ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
                                   : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

constexpr int fontResolution = 72; // one point one pixel, as chart sizes are given
// Slanted glyphs are placed to a quarter pixel; finer steps look no different at chart sizes.
constexpr int subpixelSteps = 4;
// A chart needs a few hundred glyphs; arbitrary texts must not grow the cache without end.
constexpr qsizetype maxCachedGlyphs = 20000;

struct GlyphRequest {
    ChartFont font;
    int size64;       // 26.6 points
    int tenthDegrees; // 0 to 3599
    FT_UInt index;
    int phaseX; // in subpixel steps
    int phaseY;

    bool level() const { return tenthDegrees == 0; }
    quint64 key() const {
        return quint64(font == ChartFont::Bold) | quint64(size64) << 1 |
               quint64(tenthDegrees) << 15 | quint64(phaseX) << 27 | quint64(phaseY) << 30 |
               quint64(index) << 33;
    }
};

struct RenderedGlyph {
    std::shared_ptr<const GlyphImage> image; // null for a glyph without ink
    double advance = 0.0;                    // pixels along the baseline
};

int floorDiv(int value, int divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// The bitmap in coverage steps, without the edges that no step covers.
std::shared_ptr<const GlyphImage> copyBitmap(const FT_GlyphSlot slot) {
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return nullptr;
    const int width = static_cast<int>(bitmap.width), rows = static_cast<int>(bitmap.rows);
    const auto step = [&](int x, int y) {
        const unsigned char grey = bitmap.buffer[static_cast<std::ptrdiff_t>(y) * bitmap.pitch + x];
        return (grey * coverageSteps + 127) / 255;
    };
    QRect covered;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x)
            if (step(x, y) > 0)
                covered |= QRect(x, y, 1, 1);
    if (covered.isEmpty())
        return nullptr;
    auto image = std::make_shared<GlyphImage>();
    image->box = covered.translated(slot->bitmap_left, -slot->bitmap_top);
    image->coverage.reserve(static_cast<std::size_t>(covered.width() * covered.height()));
    for (int y = covered.top(); y <= covered.bottom(); ++y)
        for (int x = covered.left(); x <= covered.right(); ++x)
            image->coverage.push_back(static_cast<unsigned char>(step(x, y)));
    return image;
}

// FreeType faces and the glyphs rendered from them, behind one lock: FreeType objects are not
// safe to share between threads.
class GlyphCache {
public:
    static GlyphCache& instance() {
        static GlyphCache cache;
        return cache;
    }

    std::vector<PlacedGlyph> layOut(const QString& text, ChartFont font, double points,
                                    double degrees, QPoint baselineStart) {
        const std::lock_guard lock(m_mutex);
        FT_Face face = faceOf(font);
        if (!face)
            return {};
        const int tenthDegrees =
            ((static_cast<int>(std::lround(degrees * 10)) % 3600) + 3600) % 3600;
        const double radians = tenthDegrees / 10.0 * std::numbers::pi / 180.0;
        const double cosine = std::cos(radians), sine = std::sin(radians);
        GlyphRequest request{.font = font,
                             .size64 =
                                 std::clamp(static_cast<int>(std::lround(points * 64)), 64, 16383),
                             .tenthDegrees = tenthDegrees,
                             .index = 0,
                             .phaseX = 0,
                             .phaseY = 0};
        const double unitsToPixels = request.size64 / 64.0 / face->units_per_EM;

        std::vector<PlacedGlyph> placed;
        double pen = 0.0;
        FT_UInt previous = 0;
        for (const char32_t codePoint : text.toUcs4()) {
            request.index = FT_Get_Char_Index(face, codePoint);
            if (previous != 0 && FT_HAS_KERNING(face)) {
                FT_Vector kerning{};
                FT_Get_Kerning(face, previous, request.index, FT_KERNING_UNSCALED, &kerning);
                const double shift = kerning.x * unitsToPixels;
                pen += request.level() ? std::round(shift) : shift;
            }
            previous = request.index;
            const int x =
                static_cast<int>(std::lround((baselineStart.x() + pen * cosine) * subpixelSteps));
            const int y =
                static_cast<int>(std::lround((baselineStart.y() - pen * sine) * subpixelSteps));
            const QPoint origin(floorDiv(x, subpixelSteps), floorDiv(y, subpixelSteps));
            request.phaseX = x - origin.x() * subpixelSteps;
            request.phaseY = y - origin.y() * subpixelSteps;
            const RenderedGlyph& glyph = rendered(face, request, cosine, sine);
            if (glyph.image)
                placed.push_back({glyph.image, origin});
            pen += glyph.advance;
        }
        return placed;
    }

    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

private:
    GlyphCache() = default;
    ~GlyphCache() {
        for (FT_Face face : m_faces)
            if (face)
                FT_Done_Face(face);
        if (m_library)
            FT_Done_FreeType(m_library);
    }

    FT_Face faceOf(ChartFont font) {
        const auto slot = static_cast<std::size_t>(font);
        if (m_faces[slot] || m_failed[slot])
            return m_faces[slot];
        if (!m_library && FT_Init_FreeType(&m_library) != 0)
            m_library = nullptr;
        if (!m_library || FT_New_Face(m_library, fontFile(font), 0, &m_faces[slot]) != 0) {
            m_faces[slot] = nullptr;
            m_failed[slot] = true;
        }
        return m_faces[slot];
    }

    const RenderedGlyph& rendered(FT_Face face, const GlyphRequest& request, double cosine,
                                  double sine) {
        const quint64 key = request.key();
        const auto known = m_glyphs.constFind(key);
        if (known != m_glyphs.cend())
            return *known;
        if (m_glyphs.size() >= maxCachedGlyphs)
            m_glyphs.clear();
        return *m_glyphs.insert(key, render(face, request, cosine, sine));
    }

    RenderedGlyph render(FT_Face face, const GlyphRequest& request, double cosine, double sine) {
        const auto slot = static_cast<std::size_t>(request.font);
        if (m_size64[slot] != request.size64) {
            if (FT_Set_Char_Size(face, 0, request.size64, fontResolution, fontResolution) != 0)
                return {};
            m_size64[slot] = request.size64;
        }
        // Level text is hinted to the pixel grid; hinting means nothing to slanted text.
        FT_Matrix rotation{static_cast<FT_Fixed>(std::lround(cosine * 0x10000)),
                           static_cast<FT_Fixed>(std::lround(-sine * 0x10000)),
                           static_cast<FT_Fixed>(std::lround(sine * 0x10000)),
                           static_cast<FT_Fixed>(std::lround(cosine * 0x10000))};
        // FreeType's y axis points up, the image's down.
        FT_Vector phase{request.phaseX * 64 / subpixelSteps, -request.phaseY * 64 / subpixelSteps};
        FT_Set_Transform(face, &rotation, &phase);
        const FT_Int32 flags =
            FT_LOAD_NO_BITMAP | (request.level() ? FT_LOAD_DEFAULT : FT_LOAD_NO_HINTING);
        RenderedGlyph glyph;
        if (FT_Load_Glyph(face, request.index, flags) != 0)
            return glyph;
        glyph.advance = face->glyph->metrics.horiAdvance / 64.0;
        if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0)
            glyph.image = copyBitmap(face->glyph);
        return glyph;
    }

    std::mutex m_mutex;
    FT_Library m_library = nullptr;
    std::array<FT_Face, 2> m_faces{};
    std::array<bool, 2> m_failed{};
    std::array<int, 2> m_size64{};
    QHash<quint64, RenderedGlyph> m_glyphs;
};

} // namespace

std::vector<PlacedGlyph> layOutChartText(const QString& text, ChartFont font, double points,
                                         double degrees, QPoint baselineStart) {
    if (text.isEmpty())
        return {};
    return GlyphCache::instance().layOut(text, font, points, degrees, baselineStart);
}

QRect inkBox(const std::vector<PlacedGlyph>& glyphs) {
    QRect box;
    for (const PlacedGlyph& glyph : glyphs)
        box |= glyph.image->box.translated(glyph.origin);
    return box;
}

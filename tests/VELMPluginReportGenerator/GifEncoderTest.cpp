#include "ChartImage.h"

#include "VELMPluginReportGenerator/charts/GifEncoder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// An image of palette indices, one row after the other.
struct Indices {
    QSize size;
    std::vector<int> palette;
    std::vector<unsigned char> pixels;

    IndexedImage view() const {
        IndexedImage image{size, palette, {}};
        for (int y = 0; y < size.height(); ++y)
            image.rows.push_back(pixels.data() + static_cast<std::ptrdiff_t>(y) * size.width());
        return image;
    }
};

Indices filled(QSize size, int colours, const std::function<int(int, int)>& index) {
    Indices image{size, {}, {}};
    for (int i = 0; i < colours; ++i)
        image.palette.push_back((i * 0x3F1B07 + 0x102030) & 0xFFFFFF);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.pixels.push_back(static_cast<unsigned char>(index(x, y)));
    return image;
}

// How many pixels ImageMagick reads differently from what was encoded; -1 when unreadable.
int mismatches(const Indices& image) {
    const DecodedImage decoded = DecodedImage::decode(encodeGif(image.view()));
    if (decoded.format != "GIF" || decoded.width != image.size.width() ||
        decoded.height != image.size.height())
        return -1;
    int wrong = 0;
    for (int y = 0; y < image.size.height(); ++y)
        for (int x = 0; x < image.size.width(); ++x) {
            const auto index = image.pixels[static_cast<std::size_t>(y * image.size.width() + x)];
            wrong += decoded.at(x, y) != image.palette[index] ? 1 : 0;
        }
    return wrong;
}

} // namespace

TEST(GifEncoderTest, ReadersSeeEveryPixelAsEncoded) {
    std::mt19937 random(7);
    // Noise fills the code table many times over, so codes widen to 12 bits and start afresh;
    // runs make long strings; small palettes use the smallest code sizes.
    EXPECT_EQ(mismatches(filled({300, 200}, 256, [&](int, int) { return random() % 256; })), 0);
    EXPECT_EQ(mismatches(filled({257, 131}, 37, [&](int, int) { return random() % 37; })), 0);
    EXPECT_EQ(
        mismatches(filled({600, 350}, 5,
                          [](int x, int y) { return (x / 40 + y / 25) % 5 == 0 ? 0 : x % 5; })),
        0);
    EXPECT_EQ(mismatches(filled({640, 3}, 2, [](int, int) { return 1; })), 0);
    EXPECT_EQ(mismatches(filled({1, 1}, 1, [](int, int) { return 0; })), 0);
    EXPECT_EQ(mismatches(filled({3, 5}, 3, [](int x, int y) { return (x + y) % 3; })), 0);
}

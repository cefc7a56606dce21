#include "ChartImage.h"

#include "VELMPluginReportGenerator/charts/ChartCanvas.h"
#include "VELMPluginReportGenerator/charts/ChartPalette.h"
#include "VELMPluginReportGenerator/charts/ChartRequest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int white = 0xFFFFFF;
constexpr int black = 0x000000;

// The box of every pixel that is not the background.
QRect inkOf(const DecodedImage& image) {
    QRect box;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y) != white)
                box |= QRect(x, y, 1, 1);
    return box;
}

DecodedImage drawn(ChartCanvas& canvas) {
    return DecodedImage::decode(canvas.encode(chartImageFormat::gif));
}

const QString sample = QStringLiteral("Mono_Counter 192.168.0.17 Äg");

} // namespace

TEST(ChartTextTest, LevelTextInksExactlyTheBoxItIsMeasuredWith) {
    for (const auto& [font, points] :
         {std::pair{ChartFont::Regular, 8.0}, std::pair{ChartFont::Regular, 10.0},
          std::pair{ChartFont::Bold, 12.0}}) {
        SCOPED_TRACE(points);
        ChartCanvas canvas(300, 60, white);
        const QSize size = canvas.textSize(sample, font, points);
        EXPECT_GT(size.width(), static_cast<int>(sample.size() * points * 0.4));
        EXPECT_GT(size.height(), static_cast<int>(points * 0.8));
        canvas.text(sample, {20, 15}, font, points, black);
        const DecodedImage image = drawn(canvas);
        const QRect ink = inkOf(image);
        EXPECT_EQ(ink.size(), size);
        // The tallest letter (Ä) reaches above the top of H by its dots.
        EXPECT_NEAR(ink.left(), 20, 1);
        EXPECT_LE(ink.top(), 15);
        // Antialiased edges blend towards the background; full coverage is the text's colour.
        EXPECT_GT(image.count(black, ink), size.width() / 4);
    }
}

TEST(ChartTextTest, RotatedTextTurnsCounterClockwiseAboutItsBaselineStart) {
    ChartCanvas canvas(200, 200, white);
    const QSize level = canvas.textSize(sample, ChartFont::Regular, 8.0);

    ChartCanvas slanted(200, 200, white);
    slanted.rotatedText(sample, {20, 180}, 45.0, ChartFont::Regular, 8.0, black);
    const QRect up = inkOf(drawn(slanted));
    // Rising to the right from the start: the run grows by width * sin(45) each way.
    const int run = static_cast<int>(std::lround(level.width() * 0.7071));
    // The first letter leans left of the start by its height * sin(45).
    EXPECT_LE(up.left(), 20);
    EXPECT_GE(up.left(), 20 - level.height());
    EXPECT_NEAR(up.bottom(), 180, 3);
    EXPECT_NEAR(up.right(), 20 + run, level.height());
    EXPECT_NEAR(up.top(), 180 - run, level.height());

    ChartCanvas vertical(200, 200, white);
    vertical.rotatedText(sample, {100, 190}, 90.0, ChartFont::Regular, 8.0, black);
    const QRect standing = inkOf(drawn(vertical));
    // Read from bottom to top, the letters standing to the left of the baseline.
    // Turned text is not hinted to the pixel grid: a pixel either way.
    EXPECT_NEAR(standing.height(), level.width(), 1);
    EXPECT_NEAR(standing.width(), level.height(), 1);
    EXPECT_LE(standing.right(), 101);
    EXPECT_NEAR(standing.bottom(), 190, 1);
}

TEST(ChartTextTest, TextOutsideTheImageIsClippedAndEmptyTextDrawsNothing) {
    ChartCanvas canvas(40, 20, white);
    canvas.text(sample, {-30, -5}, ChartFont::Bold, 12.0, black);
    canvas.rotatedText(sample, {30, 30}, 45.0, ChartFont::Regular, 8.0, black);
    canvas.text({}, {0, 0}, ChartFont::Regular, 8.0, black);
    EXPECT_EQ(canvas.textSize({}, ChartFont::Regular, 8.0), QSize(0, 0));
    const DecodedImage image = drawn(canvas);
    ASSERT_EQ(image.width, 40);
    EXPECT_GT(image.count(black, {0, 0, 40, 20}), 0);
}

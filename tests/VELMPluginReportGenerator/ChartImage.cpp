#include "ChartImage.h"

#include <QFile>
#include <QProcess>

namespace {

QByteArray runMagick(const QString& program, const QStringList& arguments,
                     const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

} // namespace

DecodedImage DecodedImage::decode(const QByteArray& file) {
    DecodedImage image;
    const QList<QByteArray> header =
        runMagick(QStringLiteral("identify"),
                  {QStringLiteral("-format"), QStringLiteral("%m %w %h"), QStringLiteral("-")},
                  file)
            .split(' ');
    if (header.size() != 3)
        return image;
    image.format = QString::fromLatin1(header[0]);
    image.width = header[1].toInt();
    image.height = header[2].toInt();
    image.pixels.assign(static_cast<std::size_t>(image.width * image.height), -1);
    // Raw 8-bit RGB, row by row.
    const QByteArray raw = runMagick(QStringLiteral("convert"),
                                     {QStringLiteral("-"), QStringLiteral("-depth"),
                                      QStringLiteral("8"), QStringLiteral("rgb:-")},
                                     file);
    if (raw.size() != static_cast<qsizetype>(image.pixels.size()) * 3)
        return image;
    const auto* bytes = reinterpret_cast<const unsigned char*>(raw.constData());
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        image.pixels[i] = bytes[3 * i] << 16 | bytes[3 * i + 1] << 8 | bytes[3 * i + 2];
    return image;
}

int DecodedImage::count(int rgb, const QRect& area) const {
    int n = 0;
    const QRect inside = area.intersected({0, 0, width, height});
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += at(x, y) == rgb ? 1 : 0;
    return n;
}

void keepChart(const QString& name, const QByteArray& image) {
    const QString directory = qEnvironmentVariable("CHART_TEST_KEEP");
    if (directory.isEmpty())
        return;
    QFile file(directory + QLatin1Char('/') + name + QStringLiteral(".gif"));
    if (file.open(QIODevice::WriteOnly))
        file.write(image);
}

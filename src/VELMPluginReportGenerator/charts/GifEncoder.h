#pragma once

#include <QByteArray>
#include <QSize>
#include <vector>

// A palette image: colours 0xRRGGBB (at most 256) and, per line, its palette indices.
struct IndexedImage {
    QSize size;
    std::vector<int> palette;
    std::vector<const unsigned char*> rows;
};

// The image as a GIF file: one frame, global colour table, LZW as GIF readers expect it.
QByteArray encodeGif(const IndexedImage& image);

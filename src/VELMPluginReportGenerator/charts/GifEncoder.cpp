#include "VELMPluginReportGenerator/charts/GifEncoder.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

constexpr int maxCodeBits = 12;
constexpr int maxCode = (1 << maxCodeBits) - 1;
constexpr int maxSubBlock = 255;

void putWord(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

// Codes packed least significant bit first into sub-blocks of at most 255 bytes.
class CodeWriter {
public:
    explicit CodeWriter(QByteArray& out) : m_out(out) {}

    void put(int code, int bits) {
        m_bits |= static_cast<std::uint32_t>(code) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            putByte(static_cast<unsigned char>(m_bits & 0xFF));
            m_bits >>= 8;
            m_count -= 8;
        }
    }

    // Writes what is left and the empty block that ends the data.
    void finish() {
        if (m_count > 0)
            putByte(static_cast<unsigned char>(m_bits & 0xFF));
        flushBlock();
        m_out.append('\0');
    }

private:
    void putByte(unsigned char byte) {
        m_block[m_used++] = byte;
        if (m_used == maxSubBlock)
            flushBlock();
    }
    void flushBlock() {
        if (m_used == 0)
            return;
        m_out.append(static_cast<char>(m_used));
        m_out.append(reinterpret_cast<const char*>(m_block.data()), m_used);
        m_used = 0;
    }

    QByteArray& m_out;
    std::uint32_t m_bits = 0;
    int m_count = 0;
    std::array<unsigned char, maxSubBlock> m_block{};
    int m_used = 0;
};

// Strings of the LZW table by (prefix code, next index), open addressing.
class StringTable {
public:
    StringTable() : m_slots(size, empty) {}

    void clear() { std::fill(m_slots.begin(), m_slots.end(), empty); }

    // The code of the string, or -1.
    int find(int prefix, int index) const {
        const std::uint32_t key = keyOf(prefix, index);
        for (std::uint32_t slot = hash(key);; slot = (slot + 1) & (size - 1)) {
            const std::uint32_t entry = m_slots[slot];
            if (entry == empty)
                return -1;
            if (entry >> 12 == key)
                return static_cast<int>(entry & maxCode);
        }
    }

    void insert(int prefix, int index, int code) {
        const std::uint32_t key = keyOf(prefix, index);
        std::uint32_t slot = hash(key);
        while (m_slots[slot] != empty)
            slot = (slot + 1) & (size - 1);
        m_slots[slot] = key << 12 | static_cast<std::uint32_t>(code);
    }

private:
    static constexpr std::uint32_t size = 8192; // twice the codes, so probes stay short
    static constexpr std::uint32_t empty = 0xFFFFFFFF;

    static std::uint32_t keyOf(int prefix, int index) {
        return static_cast<std::uint32_t>(prefix) << 8 | static_cast<std::uint32_t>(index);
    }
    static std::uint32_t hash(std::uint32_t key) { return (key * 2654435761u >> 19) & (size - 1); }

    std::vector<std::uint32_t> m_slots;
};

// Bits per index of the colour table, whose size is a power of two.
int paletteBits(std::size_t colours) {
    int bits = 1;
    while ((std::size_t(1) << bits) < colours)
        ++bits;
    return bits;
}

void compress(QByteArray& out, const IndexedImage& image, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    CodeWriter writer(out);
    StringTable table;
    int nextCode = endCode + 1;
    int codeBits = minCodeSize + 1;
    // Codes widen once the table holds as many codes as the width can tell apart; readers
    // widen one code later, as their table lags one entry behind.
    const auto put = [&](int code) {
        writer.put(code, codeBits);
        if (nextCode >= (1 << codeBits) && codeBits < maxCodeBits)
            ++codeBits;
    };
    put(clearCode);
    int prefix = -1;
    for (int y = 0; y < image.size.height(); ++y) {
        const unsigned char* row = image.rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < image.size.width(); ++x) {
            const int index = row[x];
            if (prefix < 0) {
                prefix = index;
                continue;
            }
            const int known = table.find(prefix, index);
            if (known >= 0) {
                prefix = known;
                continue;
            }
            put(prefix);
            // A full table starts afresh.
            if (nextCode >= maxCode) {
                put(clearCode);
                table.clear();
                nextCode = endCode + 1;
                codeBits = minCodeSize + 1;
            } else {
                table.insert(prefix, index, nextCode++);
            }
            prefix = index;
        }
    }
    if (prefix >= 0)
        put(prefix);
    put(endCode);
    writer.finish();
}

} // namespace

QByteArray encodeGif(const IndexedImage& image) {
    const int bits = paletteBits(std::max<std::size_t>(image.palette.size(), 2));
    QByteArray out;
    out.append("GIF87a");
    putWord(out, image.size.width());
    putWord(out, image.size.height());
    // A global colour table of 2^bits entries, colour resolution alike; background index 0.
    out.append(static_cast<char>(0x80 | (bits - 1) << 4 | (bits - 1)));
    out.append('\0');
    out.append('\0');
    for (int i = 0; i < (1 << bits); ++i) {
        const int rgb = static_cast<std::size_t>(i) < image.palette.size()
                            ? image.palette[static_cast<std::size_t>(i)]
                            : 0;
        out.append(static_cast<char>((rgb >> 16) & 0xFF));
        out.append(static_cast<char>((rgb >> 8) & 0xFF));
        out.append(static_cast<char>(rgb & 0xFF));
    }
    out.append(',');
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, image.size.width());
    putWord(out, image.size.height());
    out.append('\0');                          // no local colour table, not interlaced
    const int minCodeSize = std::max(2, bits); // GIF's LZW starts at no fewer than two bits
    out.append(static_cast<char>(minCodeSize));
    compress(out, image, minCodeSize);
    out.append(';');
    return out;
}

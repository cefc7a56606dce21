#include "mail/CBase64Coder.h"

#include <array>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kPad = '=';

constexpr std::array<signed char, 256> makeDecodeTable() {
    std::array<signed char, 256> table{};
    for (auto& entry : table)
        entry = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    return table;
}

constexpr auto kDecodeTable = makeDecodeTable();

} // namespace

QByteArray CBase64Coder::Encode(QByteArrayView data) {
    QByteArray out;
    out.reserve((data.size() + 2) / 3 * 4);
    qsizetype i = 0;
    for (; i + 2 < data.size(); i += 3) {
        const quint32 v = quint32(quint8(data[i])) << 16 | quint32(quint8(data[i + 1])) << 8 |
                          quint8(data[i + 2]);
        out.append(kAlphabet[v >> 18 & 63]);
        out.append(kAlphabet[v >> 12 & 63]);
        out.append(kAlphabet[v >> 6 & 63]);
        out.append(kAlphabet[v & 63]);
    }
    const qsizetype rest = data.size() - i;
    if (rest > 0) {
        quint32 v = quint32(quint8(data[i])) << 16;
        if (rest == 2)
            v |= quint32(quint8(data[i + 1])) << 8;
        out.append(kAlphabet[v >> 18 & 63]);
        out.append(kAlphabet[v >> 12 & 63]);
        out.append(rest == 2 ? kAlphabet[v >> 6 & 63] : kPad);
        out.append(kPad);
    }
    return out;
}

QByteArray CBase64Coder::Decode(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size() / 4 * 3 + 3);
    quint32 accumulator = 0;
    int bits = 0;
    for (const char c : text) {
        if (c == kPad)
            break;
        const int value = kDecodeTable[static_cast<unsigned char>(c)];
        if (value < 0)
            continue;
        accumulator = accumulator << 6 | quint32(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.append(static_cast<char>(accumulator >> bits & 0xFF));
        }
    }
    return out;
}

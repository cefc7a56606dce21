#include "mail/MimeCodecs.h"

#include <algorithm>
#include <cstdio>

namespace MimeCodecs {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr qsizetype kEncodedWordPiece = 70;
constexpr qsizetype kMaxEncodedWord = 75;

void appendEscaped(QByteArray& out, quint8 byte) {
    out.append('=');
    out.append(kHex[byte >> 4]);
    out.append(kHex[byte & 15]);
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool staysLiteral(quint8 byte) {
    return (byte >= 33 && byte <= 60) || (byte >= 62 && byte <= 126) || byte == ' ' ||
           byte == '\t' || byte == '\r' || byte == '\n';
}

// Rule 1 of quoted-printable. A blank that ends a line is escaped as well: readers strip
// trailing white space, so a literal one would be lost (RFC 2045 6.7 rule 3).
QByteArray escapeQuotedPrintable(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = quint8(text[i]);
        const bool endsLine = i + 1 == text.size() || isLineEnd(text[i + 1]);
        if (staysLiteral(byte) && !(isBlank(char(byte)) && endsLine))
            out.append(char(byte));
        else
            appendEscaped(out, byte);
    }
    return out;
}

// Where to cut an escaped line that is too long: after at most 75 characters (the "=" of the
// soft break makes 76), preferably after a blank or after a complete "=XX", never inside one.
qsizetype softBreakLength(QByteArrayView line) {
    const qsizetype limit = kMaxEncodedLine - 1;
    auto cutsEscape = [&](qsizetype length) {
        return line[length - 1] == '=' || (length >= 2 && line[length - 2] == '=');
    };
    for (qsizetype length = limit; length > 0; --length) {
        const bool afterBlank = isBlank(line[length - 1]);
        const bool afterEscape = length >= 3 && line[length - 3] == '=';
        if ((afterBlank || afterEscape) && !cutsEscape(length))
            return length;
    }
    qsizetype length = limit;
    while (cutsEscape(length))
        --length;
    return length;
}

void appendWithSoftBreaks(QByteArray& out, QByteArrayView line) {
    while (line.size() > kMaxEncodedLine) {
        const qsizetype length = softBreakLength(line);
        out.append(line.first(length));
        out.append("=\r\n");
        line = line.sliced(length);
    }
    out.append(line);
}

bool hasHighByte(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return quint8(c) >= 0x80; });
}

// Each byte of an encoded word's text is written as itself, as "_" (a space) or as "=XX".
template <typename KeepLiteral> qsizetype encodedSize(quint8 byte, KeepLiteral keepLiteral) {
    return byte == ' ' || keepLiteral(byte) ? 1 : 3;
}

// The next piece of the text: as many bytes as one encoded word of at most 75 characters holds
// (RFC 2047 2), but at most 70. In UTF-8 the cut backs off to a character boundary, since every
// encoded word must hold whole characters (RFC 2047 5).
template <typename KeepLiteral>
qsizetype pieceLength(QByteArrayView rest, QByteArrayView charset, bool utf8,
                      KeepLiteral keepLiteral) {
    // "=?" charset "?q?" text "?=".
    const qsizetype room = kMaxEncodedWord - charset.size() - 7;
    qsizetype length = 0;
    qsizetype used = 0;
    while (length < rest.size() && length < kEncodedWordPiece) {
        used += encodedSize(quint8(rest[length]), keepLiteral);
        if (used > room && length > 0)
            break;
        ++length;
    }
    if (!utf8 || length == rest.size())
        return length;
    qsizetype cut = length;
    while (cut > 0 && (quint8(rest[cut]) & 0xC0) == 0x80)
        --cut;
    return cut > 0 ? cut : length;
}

// The whole text as encoded words, separated by a blank: a decoder drops the white space between
// two encoded words (RFC 2047 6.2), while an encoded word directly next to other text need not be
// decoded at all (RFC 2047 5).
template <typename KeepLiteral>
QByteArray encodeWordsWith(QByteArrayView text, QByteArrayView charset, KeepLiteral keepLiteral) {
    const bool utf8 = charset.compare("utf-8", Qt::CaseInsensitive) == 0 ||
                      charset.compare("utf8", Qt::CaseInsensitive) == 0;
    QByteArray out;
    while (!text.isEmpty()) {
        const QByteArrayView piece = text.first(pieceLength(text, charset, utf8, keepLiteral));
        text = text.sliced(piece.size());
        if (!out.isEmpty())
            out.append(' ');
        out.append("=?").append(charset).append("?q?");
        for (const char c : piece) {
            const auto byte = quint8(c);
            if (byte == ' ')
                out.append('_');
            else if (keepLiteral(byte))
                out.append(c);
            else
                appendEscaped(out, byte);
        }
        out.append("?=");
    }
    return out;
}

constexpr const char* kDayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool isPhraseSpecial(char c) {
    return QByteArrayView("()<>[]:;@\\,.\"").contains(c);
}

// A word a phrase can hold as it is: printable ASCII without specials, and nothing a reader
// could take for an encoded word.
bool isPlainAtom(QByteArrayView word) {
    return !word.isEmpty() && !word.contains("=?") &&
           std::all_of(word.begin(), word.end(), [](char c) {
               return quint8(c) > ' ' && quint8(c) < 0x7F && !isPhraseSpecial(c);
           });
}

// RFC 2047 5(3): inside a phrase only letters, digits and "!*+-/" may stay in an encoded word.
QByteArray encodePhraseWords(QByteArrayView text, QByteArrayView charset) {
    return encodeWordsWith(text, charset, [](quint8 byte) {
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
               (byte >= '0' && byte <= '9') || QByteArrayView("!*+-/").contains(char(byte));
    });
}

} // namespace

QByteArray EncodeQuotedPrintable(QByteArrayView text) {
    const QByteArray escaped = escapeQuotedPrintable(text);
    QByteArray out;
    out.reserve(escaped.size() + escaped.size() / 64 * 3);
    qsizetype start = 0;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        if (isLineEnd(escaped[i])) {
            appendWithSoftBreaks(out, QByteArrayView(escaped).sliced(start, i - start));
            out.append(escaped[i]);
            start = i + 1;
        }
    }
    appendWithSoftBreaks(out, QByteArrayView(escaped).sliced(start));
    return out;
}

QByteArray DotStuff(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '.' && (i == 0 || text[i - 1] == '\n'))
            out.append('.');
        out.append(text[i]);
    }
    return out;
}

QByteArray Base64Lines(QByteArrayView data) {
    const QByteArray encoded = data.toByteArray().toBase64();
    QByteArray out;
    out.reserve(encoded.size() + (encoded.size() / kMaxEncodedLine + 1) * 2);
    for (qsizetype i = 0; i < encoded.size(); i += kMaxEncodedLine)
        out.append(QByteArrayView(encoded).sliced(i, std::min(kMaxEncodedLine, encoded.size() - i)))
            .append("\r\n");
    return out;
}

QByteArray EncodeWords(QByteArrayView text, QByteArrayView charset) {
    if (!hasHighByte(text))
        return text.toByteArray();
    // RFC 2047 5(1): printable ASCII other than "=", "?" and "_" may stay; controls may not.
    return encodeWordsWith(text, charset, [](quint8 byte) {
        return byte > ' ' && byte < 0x7F && byte != '=' && byte != '?' && byte != '_';
    });
}

QByteArray EncodePhrase(QByteArrayView name, QByteArrayView charset) {
    if (hasHighByte(name)) {
        // Words that are plain atoms stay as they are; each run of other words becomes encoded
        // words. Readers keep the blank between an atom and an encoded word, whereas some keep
        // and some drop the one between two encoded words.
        QByteArray out;
        QByteArray run;
        const auto flush = [&] {
            if (run.isEmpty())
                return;
            if (!out.isEmpty())
                out.append(' ');
            out.append(encodePhraseWords(run, charset));
            run.clear();
        };
        for (const QByteArray& word : name.toByteArray().split(' ')) {
            if (!isPlainAtom(word)) {
                if (!run.isEmpty())
                    run.append(' ');
                run.append(word);
                continue;
            }
            flush();
            if (!out.isEmpty())
                out.append(' ');
            out.append(word);
        }
        flush();
        return out;
    }
    const bool quoted = name.size() >= 2 && name.front() == '"' && name.back() == '"';
    if (quoted || std::none_of(name.begin(), name.end(), isPhraseSpecial))
        return name.toByteArray();
    QByteArray out("\"");
    for (const char c : name) {
        if (c == '"' || c == '\\')
            out.append('\\');
        out.append(c);
    }
    return out.append('"');
}

QByteArray FormatDate(const QDateTime& localTime) {
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    const int offsetMinutes = localTime.offsetFromUtc() / 60;
    const int absMinutes = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                  kDayNames[date.dayOfWeek() - 1], date.day(), kMonthNames[date.month() - 1],
                  date.year(), time.hour(), time.minute(), time.second(),
                  offsetMinutes < 0 ? '-' : '+', absMinutes / 60, absMinutes % 60);
    return QByteArray(text);
}

bool ContainsLineBreak(QByteArrayView text) {
    return text.contains('\r') || text.contains('\n');
}

} // namespace MimeCodecs

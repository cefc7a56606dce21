#include "peers/QueryXmlScanner.h"

#include "peers/QueryXmlCollector.h"
#include "peers/QueryXmlRowPieces.h"

#include <array>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace peers::queryxml {
namespace {

// What an ASCII character may be, looked up once per character of the body.
enum CharClass : quint8 {
    NameStart = 1,
    NameChar = 2,
    // Taken as it is by every text: no markup, quote or control character.
    PlainText = 4,
};

constexpr std::array<quint8, 128> asciiClasses() {
    std::array<quint8, 128> classes{};
    for (char16_t c = 0x20; c < 0x80; ++c)
        if (c != u'&' && c != u'<' && c != u'>' && c != u'"' && c != u'\'')
            classes[c] |= PlainText;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        classes[c] |= NameStart | NameChar;
    for (char16_t c = u'A'; c <= u'Z'; ++c)
        classes[c] |= NameStart | NameChar;
    classes[u'_'] |= NameStart | NameChar;
    // Names with ':' are left to the full reader, whose rules for them differ in details.
    for (char16_t c = u'0'; c <= u'9'; ++c)
        classes[c] |= NameChar;
    classes[u'-'] |= NameChar;
    classes[u'.'] |= NameChar;
    return classes;
}
constexpr std::array<quint8, 128> charClasses = asciiClasses();

bool isAscii(char16_t c, CharClass kind) {
    return c < 0x80 && (charClasses[c] & kind);
}
bool isNameStart(char16_t c) {
    return isAscii(c, NameStart);
}
bool isNameChar(char16_t c) {
    return isAscii(c, NameChar);
}
// Past the characters from `pos` on that every text takes as they are (see PlainText), eight
// at a time; stops at or before the first one that is not, or before the last few.
qsizetype skipPlain(QStringView text, qsizetype pos) {
#if defined(__SSE2__)
    const char16_t* data = text.utf16();
    const auto same = [](__m128i v, char16_t c) {
        return _mm_cmpeq_epi16(v, _mm_set1_epi16(short(c)));
    };
    // Unsigned order of 16-bit values, compared as signed ones.
    const __m128i flip = _mm_set1_epi16(short(0x8000));
    const __m128i control = _mm_set1_epi16(short(0x20 ^ 0x8000));
    const __m128i surrogate = _mm_set1_epi16(short(0xD7FF ^ 0x8000));
    for (; pos + 8 <= text.size(); pos += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        const __m128i flipped = _mm_xor_si128(v, flip);
        const __m128i outside =
            _mm_or_si128(_mm_cmplt_epi16(flipped, control), _mm_cmpgt_epi16(flipped, surrogate));
        const __m128i markup =
            _mm_or_si128(_mm_or_si128(same(v, u'&'), same(v, u'<')),
                         _mm_or_si128(_mm_or_si128(same(v, u'>'), same(v, u'"')), same(v, u'\'')));
        const int mask = _mm_movemask_epi8(_mm_or_si128(outside, markup));
        if (mask != 0)
            return pos + std::countr_zero(unsigned(mask)) / 2;
    }
#endif
    return pos;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
// Elements nest at most this deep.
constexpr int maxDepth = 256;

// A scanner for the plain XML this system writes: elements, attributes, text, the predefined
// entities and character references. Anything else (comments, CDATA, processing instructions,
// a document type, raw control characters, non-ASCII names) makes it give up, and the full
// reader reads the body instead; so does any error, so the full reader reports it.
class FastScanner {
public:
    FastScanner(QStringView text, Collector& collector, RowPieces* pieces = nullptr)
        : m_text(text), m_collector(collector), m_pieces(pieces),
          m_pieceAt(pieces ? pieces->nextStart() : RowPieces::none) {}

    bool run() {
        skipBlanks();
        if (m_text.mid(m_pos).startsWith(u"<?xml") && !declaration())
            return false;
        skipBlanks();
        if (!element())
            return false;
        skipBlanks();
        return m_pos == m_text.size();
    }

    // Reads `piece` from its start as the reader would read it inside a Rows element: row
    // elements without child elements and the text between them, up to the first row at or
    // past its limit or the first thing else. Sets its end after the last row read whole and
    // answers how many rows that is.
    qsizetype scanRows(RowPieces::Piece& piece, const std::atomic<bool>& stop) {
        m_pos = piece.start;
        m_rowsEnd = piece.limit;
        m_firstRow = true;
        m_leafOnly = true;
        qsizetype rows = 0;
        while (m_pos < piece.limit && !stop.load(std::memory_order_relaxed) &&
               m_text.mid(m_pos).startsWith(u"<Row") && !isNameChar(at(m_pos + 4))) {
            if (!element())
                break;
            ++rows;
            piece.end = m_pos;
            QStringView between;
            if (!text(between, u'<'))
                break;
        }
        return rows;
    }

private:
    // Only the plain declaration the writers produce: version, optional encoding and
    // standalone; anything else is left to the full reader.
    bool declaration() {
        m_pos += 5;
        const auto pseudo = [&](QStringView key, bool optional, auto valid) {
            const qsizetype start = m_pos;
            skipBlanks();
            if (m_pos == start || !m_text.mid(m_pos).startsWith(key))
                return (m_pos = start, optional);
            m_pos += key.size();
            if (peek() != u'=')
                return false;
            ++m_pos;
            const char16_t quote = peek();
            if (quote != u'"' && quote != u'\'')
                return false;
            const qsizetype end = m_text.indexOf(quote, m_pos + 1);
            if (end < 0 || !valid(m_text.mid(m_pos + 1, end - m_pos - 1)))
                return false;
            m_pos = end + 1;
            return true;
        };
        const auto encoding = [](QStringView name) {
            if (name.isEmpty() || !name[0].isLetter() || name[0].unicode() >= 0x80)
                return false;
            for (const QChar c : name)
                if (c.unicode() >= 0x80 ||
                    !(c.isLetterOrNumber() || c == u'.' || c == u'_' || c == u'-'))
                    return false;
            return true;
        };
        if (!pseudo(u"version", false, [](QStringView v) { return v == u"1.0"; }) ||
            !pseudo(u"encoding", true, encoding) ||
            !pseudo(u"standalone", true, [](QStringView v) { return v == u"yes" || v == u"no"; }))
            return false;
        skipBlanks();
        if (!m_text.mid(m_pos).startsWith(u"?>"))
            return false;
        m_pos += 2;
        return true;
    }
    char16_t at(qsizetype pos) const { return pos < m_text.size() ? m_text[pos].unicode() : 0; }
    char16_t peek() const { return at(m_pos); }
    void skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos].unicode()))
            ++m_pos;
    }
    QStringView name() {
        const qsizetype start = m_pos;
        if (!isNameStart(peek()))
            return {};
        while (isNameChar(peek()))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }
    static bool validChar(char32_t c) {
        return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
               (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    }
    // At '&': appends the referenced character(s).
    bool reference(QString& out) {
        const qsizetype end = m_text.indexOf(u';', m_pos);
        if (end < 0 || end - m_pos > 12)
            return false;
        const QStringView ref = m_text.mid(m_pos + 1, end - m_pos - 1);
        m_pos = end + 1;
        if (ref == u"amp")
            out.append(u'&');
        else if (ref == u"lt")
            out.append(u'<');
        else if (ref == u"gt")
            out.append(u'>');
        else if (ref == u"quot")
            out.append(u'"');
        else if (ref == u"apos")
            out.append(u'\'');
        else if (ref.startsWith(u'#')) {
            bool ok = false;
            const bool hex = ref.size() > 1 && ref[1] == u'x';
            const QStringView digits = ref.mid(hex ? 2 : 1);
            if (digits.isEmpty() || digits.size() > 8)
                return false;
            for (const QChar d : digits)
                if (!(d.isDigit() && d.unicode() < 0x80) &&
                    !(hex && ((d >= u'a' && d <= u'f') || (d >= u'A' && d <= u'F'))))
                    return false;
            const uint code = digits.toUInt(&ok, hex ? 16 : 10);
            if (!ok || !validChar(code))
                return false;
            const char32_t c = code;
            out.append(QString::fromUcs4(&c, 1));
        } else {
            return false;
        }
        return true;
    }
    // Text up to the next '<' (content) or the closing quote (attribute value), in `out`: a
    // view of the input when it holds no reference (most texts), else the text with its
    // references replaced, kept in m_buffer until the next call.
    bool text(QStringView& out, char16_t stop) {
        m_buffer.clear();
        bool referenced = false;
        qsizetype plain = m_pos;
        while (m_pos < m_text.size()) {
            m_pos = skipPlain(m_text, m_pos);
            if (m_pos == m_text.size())
                break;
            const char16_t c = m_text[m_pos].unicode();
            if (c < 0x80 ? (charClasses[c] & PlainText) != 0 : c < 0xD800) {
                ++m_pos;
                continue;
            }
            if (c == stop)
                break;
            if (c == u'&') {
                m_buffer.append(m_text.mid(plain, m_pos - plain));
                if (!reference(m_buffer))
                    return false;
                referenced = true;
                plain = m_pos;
                continue;
            }
            // Line ends and blanks in attribute values are normalised by XML readers; the
            // full reader handles those, and raw control characters.
            if (c < 0x20 && (stop != u'<' || c == u'\r' || (c != u'\t' && c != u'\n')))
                return false;
            if (c == u'<' || c == 0xFFFE || c == 0xFFFF)
                return false;
            if (c == u'>' && stop == u'<' && m_pos >= 2 && m_text[m_pos - 1] == u']' &&
                m_text[m_pos - 2] == u']')
                return false;
            if (QChar::isSurrogate(c)) {
                if (!QChar::isHighSurrogate(c) || m_pos + 1 >= m_text.size() ||
                    !QChar::isLowSurrogate(m_text[m_pos + 1].unicode()))
                    return false;
                ++m_pos;
            }
            ++m_pos;
        }
        if (referenced) {
            m_buffer.append(m_text.mid(plain, m_pos - plain));
            out = m_buffer;
        } else {
            out = m_text.mid(plain, m_pos - plain);
        }
        return m_pos < m_text.size();
    }
    // Reads and records the next attribute name of the current element; empty when there is
    // none or it repeats one. Rows mostly repeat the previous element's names in the same
    // order: such a name is matched whole, and names that follow such a row's names position
    // by position are known to differ.
    QStringView attributeName() {
        const qsizetype index = m_seenCount++;
        if (m_sameAsBefore && index < m_seen.size()) {
            const QStringView expected = m_seen[index];
            const qsizetype end = m_pos + expected.size();
            if (end <= m_text.size() && sameText(m_text.mid(m_pos, expected.size()), expected) &&
                !isNameChar(at(end))) {
                m_pos = end;
                return expected;
            }
        }
        const QStringView attribute = name();
        if (attribute.isEmpty())
            return {};
        m_sameAsBefore = false;
        m_seen.resize(index);
        for (const QStringView& seen : m_seen)
            if (sameText(seen, attribute))
                return {}; // a repeated attribute is an error the full reader reports
        m_seen.append(attribute);
        return attribute;
    }
    bool element() {
        if (peek() != u'<')
            return false;
        const qsizetype start = m_pos;
        ++m_pos;
        const QStringView tag = name();
        if (tag.isEmpty())
            return false;
        if (tag == u"Rows")
            m_firstRow = true;
        m_collector.start(tag);
        m_seenCount = 0;
        m_sameAsBefore = true;
        for (;;) {
            const qsizetype before = m_pos;
            skipBlanks();
            const char16_t c = peek();
            if (c == u'/' || c == u'>')
                break;
            if (m_pos == before)
                return false; // attributes are separated by blanks
            const QStringView attribute = attributeName();
            if (attribute.isEmpty())
                return false;
            skipBlanks();
            if (peek() != u'=')
                return false;
            ++m_pos;
            skipBlanks();
            const char16_t quote = peek();
            if (quote != u'"' && quote != u'\'')
                return false;
            ++m_pos;
            QStringView value;
            if (!text(value, quote))
                return false;
            ++m_pos;
            m_collector.attribute(attribute, value);
        }
        m_collector.attributesDone();
        if (peek() == u'/') {
            ++m_pos;
            if (peek() != u'>')
                return false;
            ++m_pos;
            m_collector.end();
            if (tag == u"Row" && m_firstRow) {
                // The first row's length tells roughly how many rows the rest holds.
                m_firstRow = false;
                m_collector.expectRows(std::min<qsizetype>(
                    (m_rowsEnd - m_pos) / std::max<qsizetype>(1, m_pos - start), 1 << 20));
            }
            return true;
        }
        ++m_pos; // '>'
        for (;;) {
            QStringView content;
            if (!text(content, u'<'))
                return false;
            if (!content.isEmpty())
                m_collector.characters(content);
            if (m_text.mid(m_pos).startsWith(u"</")) {
                m_pos += 2;
                if (name() != tag)
                    return false;
                skipBlanks();
                if (peek() != u'>')
                    return false;
                ++m_pos;
                m_collector.end();
                return true;
            }
            if (m_pos >= m_pieceAt && takePiece())
                continue;
            if (m_leafOnly || !isNameStart(at(m_pos + 1)) || ++m_depth > maxDepth || !element())
                return false;
            --m_depth;
        }
    }
    // At a child element's start where a stretch scanned ahead may begin: takes its rows and
    // goes on after them when it does.
    bool takePiece() {
        RowPieces::Piece* piece =
            m_pieces->take(m_pos, m_collector.collectsRows() && m_depth < maxDepth);
        m_pieceAt = m_pieces->nextStart();
        if (!piece)
            return false;
        m_collector.appendRows(std::move(piece->rows));
        m_pos = piece->end;
        return true;
    }

    QStringView m_text;
    Collector& m_collector;
    qsizetype m_pos = 0;
    int m_depth = 0;
    bool m_firstRow = false;
    // Where the rows that the first row's length is taken to foretell end.
    qsizetype m_rowsEnd = m_text.size();
    // Reading a stretch of rows ahead: a child element ends it.
    bool m_leafOnly = false;
    RowPieces* m_pieces;
    qsizetype m_pieceAt; // where the next stretch scanned ahead starts
    // Attribute names of the current element, in order; past m_seenCount, the names of an
    // earlier element (without repeats) while m_sameAsBefore holds.
    QList<QStringView> m_seen;
    qsizetype m_seenCount = 0;
    bool m_sameAsBefore = false;
    // A text with references, as read last.
    QString m_buffer;
};

// A stretch of rows read on its own, as rows of a Rows element.
void scanPiece(QStringView text, RowPieces::Piece& piece, const std::atomic<bool>& stop) {
    ParsedBody parsed;
    Collector collector(parsed);
    collector.start(u"Rows");
    collector.attributesDone();
    const qsizetype rows = FastScanner(text, collector).scanRows(piece, stop);
    QList<DBSRow>& read = parsed.resultSets.first().rows;
    read.resize(rows); // without a row whose end failed
    piece.rows = std::move(read);
}

} // namespace

bool scanPlainXml(QStringView text, Collector& collector, const ScanSplit& split,
                  std::any textOwner) {
    if (text.size() < split.minChars || (split.threads < 2 && split.at.isEmpty()) ||
        !textOwner.has_value())
        return FastScanner(text, collector).run();
    RowPieces pieces(text, split,
                     [text, owner = std::move(textOwner)](RowPieces::Piece& piece,
                                                          const std::atomic<bool>& stop) {
                         scanPiece(text, piece, stop);
                     });
    return FastScanner(text, collector, &pieces).run();
}

} // namespace peers::queryxml

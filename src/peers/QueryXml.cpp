#include "peers/QueryXml.h"

#include "VXNServiceFramework/packets/PacketDOM.h"
#include "peers/DBSRowShape.h"

#include <QSysInfo>
#include <QXmlStreamReader>
#include <QtEndian>

namespace peers::queryxml {
namespace {
const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\" "
                                            "standalone=\"no\" ?>");
} // namespace

void appendEscaped(QString& out, QStringView text, bool attribute) {
    qsizetype plain = 0;
    const auto flush = [&](qsizetype upTo) {
        out.append(text.mid(plain, upTo - plain));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const char* entity = nullptr;
        switch (c) {
        case u'&':
            entity = "&amp;";
            break;
        case u'<':
            entity = "&lt;";
            break;
        case u'>':
            entity = attribute ? nullptr : "&gt;";
            break;
        case u'"':
            entity = attribute ? "&quot;" : nullptr;
            break;
        case u'\t':
            entity = attribute ? "&#x9;" : nullptr;
            break;
        case u'\n':
            entity = attribute ? "&#xA;" : nullptr;
            break;
        case u'\r':
            entity = "&#xD;";
            break;
        default:
            break;
        }
        if (!entity)
            continue;
        flush(i);
        out.append(QLatin1String(entity));
        plain = i + 1;
    }
    flush(text.size());
}

bool isXmlText(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return false;
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

BodyWriter::BodyWriter(int result, const QString& details) {
    put(kDeclaration);
    put(u"<VXNResponse><Result>");
    put(QString::number(result));
    put(u"</Result><Details>");
    putEscaped(details, false);
    put(u"</Details>");
}

QString BodyWriter::attributePrefix(const QString& name) {
    return QLatin1Char(' ') + name + QStringLiteral("=\"");
}

void BodyWriter::reserve(qsizetype more) {
    if (m_size + more <= m_buffer.size())
        return;
    m_buffer.resize(std::max<qsizetype>(4096, std::max(m_size + more, m_buffer.size() * 2)));
    m_data = reinterpret_cast<char16_t*>(m_buffer.data());
}

void BodyWriter::put(QStringView text) {
    reserve(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), m_data + m_size);
    m_size += text.size();
}

void BodyWriter::putLatin1(const char* text) {
    while (*text)
        put(char16_t(static_cast<unsigned char>(*text++)));
}

void BodyWriter::putEscaped(QStringView text, bool attribute) {
    QString escaped;
    appendEscaped(escaped, text, attribute);
    put(escaped);
}

void BodyWriter::beginRows() {
    m_rowsStart = m_size;
    m_rowsHaveChildren = false;
    put(u"<Rows>");
}

void BodyWriter::beginRow() {
    m_rowsHaveChildren = true;
    put(u"<Row");
}

void BodyWriter::attribute(QStringView prefix, QStringView value) {
    put(prefix);
    putEscaped(value, true);
    put(u'"');
}

bool BodyWriter::attribute(QStringView prefix, QByteArrayView utf8) {
    const qsizetype start = m_size;
    put(prefix);
    // Plain ASCII, the common case, is widened and escaped in one pass.
    reserve(utf8.size() * 6 + 1);
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if (c >= 0x80) {
            m_size = start;
            const QString text = QString::fromUtf8(utf8);
            if (!isXmlText(text))
                return false;
            attribute(prefix, text);
            return true;
        }
        switch (c) {
        case '&':
            putLatin1("&amp;");
            break;
        case '<':
            putLatin1("&lt;");
            break;
        case '"':
            putLatin1("&quot;");
            break;
        case '\t':
            putLatin1("&#x9;");
            break;
        case '\n':
            putLatin1("&#xA;");
            break;
        case '\r':
            putLatin1("&#xD;");
            break;
        default:
            if (c < 0x20) {
                m_size = start;
                return false;
            }
            m_data[m_size++] = c;
        }
    }
    put(u'"');
    return true;
}

void BodyWriter::endRow() {
    put(u"/>");
}

void BodyWriter::endRows(int lastRowId) {
    const qsizetype tagEnd = m_rowsStart + 5; // just after "<Rows"
    if (m_rowsHaveChildren) {
        put(u"</Rows>");
    } else {
        m_size = m_rowsStart;
        put(u"<Rows/>");
    }
    if (lastRowId == -1)
        return;
    const QString id = QStringLiteral(" LastRowID=\"%1\"").arg(lastRowId);
    reserve(id.size());
    std::copy_backward(m_data + tagEnd, m_data + m_size, m_data + m_size + id.size());
    std::copy(id.utf16(), id.utf16() + id.size(), m_data + tagEnd);
    m_size += id.size();
}

void BodyWriter::addResultSet(const DBSResultSet& set) {
    beginRows();
    for (const DBSResultSet::Row& row : set.rows) {
        beginRow();
        for (qsizetype i = 0; i < row.size(); ++i)
            attribute(attributePrefix(row.columns()[i]), row.values()[i]);
        endRow();
    }
    endRows(set.lastRowId);
}

QByteArray BodyWriter::finish() {
    put(u"</VXNResponse>");
    QByteArray body(m_size * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(m_data, m_size, body.data());
    m_buffer.clear();
    m_data = nullptr;
    m_size = 0;
    return body;
}

namespace {
// Turns element events into the parsed answer; shared by the fast scanner and the full reader
// so both read a body the same way.
class Collector {
public:
    explicit Collector(ParsedBody& out) : m_out(out) {}

    void start(QStringView name) {
        ++m_depth;
        if (m_textDepth)
            return;
        if (name == u"Row" && m_rowsDepth) {
            m_inRow = true;
        } else if (name == u"Rows") {
            m_out.resultSets.append(DBSResultSet());
            m_rowsDepth = m_depth;
        } else if (name == u"Result" || name == u"Details") {
            m_isResult = name == u"Result";
            m_textDepth = m_depth;
            m_text.clear();
        }
    }
    // Attributes of the element just started; `name` stays valid until attributesDone().
    void attribute(QStringView name, QString value) {
        if (m_inRow) {
            m_rowNames.append(name);
            m_rowValues.append(std::move(value));
        } else if (name == u"LastRowID" && m_rowsDepth == m_depth && !m_textDepth) {
            bool ok = false;
            const int id = value.toInt(&ok, 10);
            m_out.resultSets.last().lastRowId = ok ? id : -1;
        }
    }
    void attributesDone() {
        if (!m_inRow)
            return;
        if (!m_shape.matches(m_rowNames))
            m_shape.reshape(m_rowNames);
        m_out.resultSets.last().rows.append(m_shape.row(m_rowValues));
        m_rowNames.clear();
        m_rowValues.clear();
        m_inRow = false;
    }
    // A guess of the rows still to come in the open Rows element, to grow its list once.
    void expectRows(qsizetype count) {
        if (m_rowsDepth && !m_out.resultSets.isEmpty())
            m_out.resultSets.last().rows.reserve(m_out.resultSets.last().rows.size() + count);
    }
    void characters(QStringView text) {
        if (m_textDepth)
            m_text.append(text);
    }
    void end() {
        if (m_depth == m_textDepth) {
            m_textDepth = 0;
            ++(m_isResult ? m_results : m_details);
            (m_isResult ? m_resultText : m_out.details) = m_text;
        }
        if (m_depth == m_rowsDepth)
            m_rowsDepth = 0;
        --m_depth;
    }
    void finish() {
        bool ok = false;
        m_out.result = m_results == 1 ? m_resultText.toInt(&ok, 10) : 0;
        if (!ok)
            m_out.result = 0;
        if (m_details != 1)
            m_out.details.clear();
        m_out.ok = true;
    }

private:
    ParsedBody& m_out;
    bool m_inRow = false;
    QList<QStringView> m_rowNames;
    QList<QString> m_rowValues;
    DBSRowShape m_shape;
    int m_depth = 0;
    int m_rowsDepth = 0; // depth of the open Rows element; 0: none
    int m_textDepth = 0; // depth of the open Result or Details element; 0: none
    bool m_isResult = false;
    int m_results = 0;
    int m_details = 0;
    QString m_text;
    QString m_resultText;
};

bool isNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}
bool isNameChar(char16_t c) {
    // Names with ':' are left to the full reader, whose rules for them differ in details.
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
}
bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// A scanner for the plain XML this system writes: elements, attributes, text, the predefined
// entities and character references. Anything else (comments, CDATA, processing instructions,
// a document type, raw control characters, non-ASCII names) makes it give up, and the full
// reader reads the body instead; so does any error, so the full reader reports it.
class FastScanner {
public:
    FastScanner(QStringView text, Collector& collector) : m_text(text), m_collector(collector) {}

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
    char16_t peek() const { return m_pos < m_text.size() ? m_text[m_pos].unicode() : 0; }
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
    // ASCII that every text takes as it is: no markup, quote or control character.
    static bool isPlainAscii(char16_t c) {
        return c >= 0x20 && c != u'&' && c != u'<' && c != u'>' && c != u'"' && c != u'\'';
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
    // Text up to the next '<' (content) or the closing quote (attribute value).
    bool text(QString& out, char16_t stop) {
        qsizetype plain = m_pos;
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos].unicode();
            if (c < 0x80 ? isPlainAscii(c) : c < 0xD800) {
                ++m_pos;
                continue;
            }
            if (c == stop)
                break;
            if (c == u'&') {
                out.append(m_text.mid(plain, m_pos - plain));
                if (!reference(out))
                    return false;
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
        if (out.isEmpty())
            out = m_text.mid(plain, m_pos - plain).toString();
        else
            out.append(m_text.mid(plain, m_pos - plain));
        return m_pos < m_text.size();
    }
    // Records the next attribute name of the current element; false when it repeats one.
    // Rows mostly repeat the previous element's names in the same order, and names that
    // follow such a row's names position by position are known to differ.
    bool isNewAttribute(QStringView attribute) {
        const qsizetype index = m_seenCount++;
        if (m_sameAsBefore && index < m_seen.size() && sameText(m_seen[index], attribute))
            return true;
        m_sameAsBefore = false;
        m_seen.resize(index);
        for (const QStringView& seen : m_seen)
            if (sameText(seen, attribute))
                return false;
        m_seen.append(attribute);
        return true;
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
            const QStringView attribute = name();
            if (attribute.isEmpty())
                return false;
            if (!isNewAttribute(attribute))
                return false; // a repeated attribute is an error the full reader reports
            skipBlanks();
            if (peek() != u'=')
                return false;
            ++m_pos;
            skipBlanks();
            const char16_t quote = peek();
            if (quote != u'"' && quote != u'\'')
                return false;
            ++m_pos;
            QString value;
            if (!text(value, quote))
                return false;
            ++m_pos;
            m_collector.attribute(attribute, std::move(value));
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
                    (m_text.size() - m_pos) / std::max<qsizetype>(1, m_pos - start), 1 << 20));
            }
            return true;
        }
        ++m_pos; // '>'
        for (;;) {
            QString content;
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
            const char16_t next = m_pos + 1 < m_text.size() ? m_text[m_pos + 1].unicode() : 0;
            if (!isNameStart(next) || ++m_depth > 256 || !element())
                return false;
            --m_depth;
        }
    }

    QStringView m_text;
    Collector& m_collector;
    qsizetype m_pos = 0;
    int m_depth = 0;
    bool m_firstRow = false;
    // Attribute names of the current element, in order; past m_seenCount, the names of an
    // earlier element (without repeats) while m_sameAsBefore holds.
    QList<QStringView> m_seen;
    qsizetype m_seenCount = 0;
    bool m_sameAsBefore = false;
};

ParsedBody readFully(const QByteArray& body, const QString* decoded) {
    ParsedBody parsed;
    Collector collector(parsed);
    QXmlStreamReader reader;
    if (decoded)
        reader.addData(*decoded);
    else
        reader.addData(body);
    reader.setEntityExpansionLimit(int(PacketDOM::entityExpansionLimit));
    // Like the DOM reader: names are taken as they are, prefixes included.
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            collector.start(reader.name());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                collector.attribute(attribute.qualifiedName(), attribute.value().toString());
            collector.attributesDone();
            break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            collector.characters(reader.text());
            break;
        case QXmlStreamReader::EndElement:
            collector.end();
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        ParsedBody failed;
        failed.error = QStringLiteral("%1 (line %2, column %3)")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber());
        return failed;
    }
    collector.finish();
    return parsed;
}
} // namespace

static QString decode(const QByteArray& body, bool little) {
    QString decoded(body.size() / 2, Qt::Uninitialized);
    if (little)
        qFromLittleEndian<quint16>(body.constData(), decoded.size(), decoded.data());
    else
        qFromBigEndian<quint16>(body.constData(), decoded.size(), decoded.data());
    return decoded;
}

ParsedBody parseBody(const QByteArray& body) {
    return parseBody(body, true);
}

ParsedBody parseBodyFully(const QByteArray& body) {
    return parseBody(body, false);
}

ParsedBody parseBody(const QByteArray& body, bool fast) {
    if (body.size() > PacketDOM::maxBodySize) {
        ParsedBody parsed;
        parsed.error = QStringLiteral("Body of %1 bytes exceeds the limit of %2 bytes")
                           .arg(body.size())
                           .arg(PacketDOM::maxBodySize);
        return parsed;
    }
    // UTF-16 without byte-order mark is decoded here; the full reader then takes the text as
    // it is (it would otherwise guess the encoding from the declaration).
    if (!body.startsWith(QByteArrayView("<\0", 2)) && !body.startsWith(QByteArrayView("\0<", 2)))
        return readFully(body, nullptr);
    const bool little = body.at(0) == '<';
    ParsedBody parsed;
    if (fast && body.size() % 2 == 0) {
        // On a little-endian host an aligned body is scanned in place, without a copy.
        QString copy;
        QStringView text;
        if (little && QSysInfo::ByteOrder == QSysInfo::LittleEndian &&
            reinterpret_cast<quintptr>(body.constData()) % alignof(char16_t) == 0) {
            text =
                QStringView(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
        } else {
            copy = decode(body, little);
            text = copy;
        }
        Collector collector(parsed);
        if (FastScanner(text, collector).run()) {
            collector.finish();
            return parsed;
        }
    }
    const QString decoded = decode(body, little);
    return readFully(body, &decoded);
}
} // namespace peers::queryxml

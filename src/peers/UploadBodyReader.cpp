#include "peers/UploadBodyReader.h"

#include "peers/QueryXmlWriter.h"

#include <QStringDecoder>
#include <QtEndian>

namespace peers::uploadbody {
namespace {

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
bool isNameChar(char16_t c, bool first) {
    // No ':' and only ASCII: anything namespaced or unusual is left to the DOM reader.
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    return letter || (!first && ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.'));
}
// RFC 4648 alphabet with its pad; blanks between them are what a reader skips anyway.
bool isBase64Char(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
           c == u'+' || c == u'/' || c == u'=';
}

struct Span {
    qsizetype from = 0;
    qsizetype to = 0;
};

struct Attribute {
    QString name;
    Span value;
};

// Walks the body's code units: bytes of UTF-8, or UTF-16LE units. Every method answers false
// as soon as the body leaves the plain form, and the caller gives up.
class PlainScanner {
public:
    PlainScanner(const QByteArray& body, bool wide)
        : m_bytes(body.constData()), m_wide(wide), m_size(wide ? body.size() / 2 : body.size()) {}

    bool declaration() {
        if (!literal("<?xml"))
            return true; // no declaration
        QList<Attribute> pseudo;
        if (!attributes(pseudo) || !literal("?>"))
            return false;
        qsizetype next = 0;
        const auto take = [&](const char* name, auto valid, bool optional) {
            if (next < pseudo.size() && pseudo[next].name == QLatin1StringView(name))
                return valid(text(pseudo[next++].value));
            return optional;
        };
        const QLatin1StringView encoding(m_wide ? "UTF-16" : "UTF-8");
        return take(
                   "version", [](const QString& v) { return v == u"1.0"; }, false) &&
               take(
                   "encoding",
                   [&](const QString& v) { return v.compare(encoding, Qt::CaseInsensitive) == 0; },
                   true) &&
               take(
                   "standalone", [](const QString& v) { return v == u"yes" || v == u"no"; },
                   true) &&
               next == pseudo.size();
    }

    // '<' name attributes '>' or '/>'.
    bool startTag(const char* name, QList<Attribute>& found, bool& empty) {
        if (!literal("<") || !literal(name) || isNameChar(peek(), false) || !attributes(found))
            return false;
        empty = literal("/>");
        return empty || literal(">");
    }
    bool endTag(const char* name) {
        if (!literal("</") || !literal(name))
            return false;
        blanks();
        return literal(">");
    }
    // Base64 text up to the next '<'.
    bool base64Text(Span& span) {
        span.from = m_pos;
        while (m_pos < m_size && (isBase64Char(at(m_pos)) || isBlank(at(m_pos))))
            ++m_pos;
        span.to = m_pos;
        return peek() == u'<';
    }
    void blanks() {
        while (m_pos < m_size && isBlank(at(m_pos)))
            ++m_pos;
    }
    bool atEnd() const { return m_pos == m_size; }

    // The text of an attribute value; null when it is not text XML can hold.
    QString text(Span span) const {
        if (m_wide) {
            QString value(span.to - span.from, Qt::Uninitialized);
            qFromLittleEndian<quint16>(m_bytes + 2 * span.from, value.size(), value.data());
            return queryxml::isXmlText(value) ? value : QString();
        }
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString value = decoder(QByteArrayView(m_bytes + span.from, span.to - span.from));
        return decoder.hasError() || !queryxml::isXmlText(value) ? QString() : value;
    }

    // The base64 text decoded, as a reader of the element's text content decodes it.
    QByteArray decoded(Span span) const {
        const qsizetype length = span.to - span.from;
        if (!m_wide)
            return QByteArray::fromBase64(QByteArray::fromRawData(m_bytes + span.from, length));
        QByteArray narrow(length, Qt::Uninitialized);
        for (qsizetype i = 0; i < length; ++i)
            narrow[i] = char(at(span.from + i));
        return QByteArray::fromBase64Encoding(std::move(narrow)).decoded; // decodes in place
    }

private:
    char16_t at(qsizetype i) const {
        if (m_wide)
            return qFromLittleEndian<quint16>(m_bytes + 2 * i);
        return char16_t(uchar(m_bytes[i]));
    }
    char16_t peek() const { return m_pos < m_size ? at(m_pos) : 0; }

    bool literal(const char* ascii) {
        qsizetype pos = m_pos;
        for (; *ascii; ++ascii, ++pos)
            if (pos >= m_size || at(pos) != char16_t(*ascii))
                return false;
        m_pos = pos;
        return true;
    }

    // (blank name blank? '=' blank? quoted value)* blank?, every name once.
    bool attributes(QList<Attribute>& found) {
        for (;;) {
            const qsizetype before = m_pos;
            blanks();
            if (m_pos == before || !isNameChar(peek(), true))
                return true;
            Attribute attribute;
            const qsizetype nameFrom = m_pos;
            while (isNameChar(peek(), false))
                ++m_pos;
            for (qsizetype i = nameFrom; i < m_pos; ++i)
                attribute.name += QChar(at(i));
            if (attribute.name.startsWith(u"xmlns"))
                return false;
            for (const Attribute& earlier : found)
                if (earlier.name == attribute.name)
                    return false;
            blanks();
            if (!literal("="))
                return false;
            blanks();
            const char16_t quote = peek();
            if (quote != u'"' && quote != u'\'')
                return false;
            attribute.value.from = ++m_pos;
            // No references, markup or characters that attribute-value normalisation changes.
            while (m_pos < m_size && at(m_pos) != quote) {
                const char16_t c = at(m_pos);
                if (c < 0x20 || c == u'<' || c == u'&')
                    return false;
                ++m_pos;
            }
            if (m_pos == m_size)
                return false;
            attribute.value.to = m_pos++;
            found.append(attribute);
        }
    }

    const char* m_bytes;
    bool m_wide;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

std::optional<Fields> scan(const QByteArray& body, bool wide) {
    PlainScanner scanner(body, wide);
    QList<Attribute> attributes;
    bool empty = false;
    if (!scanner.declaration())
        return std::nullopt;
    scanner.blanks();
    if (!scanner.startTag("VXNRequest", attributes, empty) || empty)
        return std::nullopt;
    scanner.blanks();
    QList<Attribute> dataAttributes;
    if (!scanner.startTag("Data", dataAttributes, empty))
        return std::nullopt;
    Span text;
    if (!empty && (!scanner.base64Text(text) || !scanner.endTag("Data")))
        return std::nullopt;
    scanner.blanks();
    if (!scanner.endTag("VXNRequest"))
        return std::nullopt;
    scanner.blanks();
    if (!scanner.atEnd())
        return std::nullopt;

    Fields fields;
    for (const Attribute& attribute : dataAttributes)
        if (attribute.name == u"filename") {
            fields.fileName = scanner.text(attribute.value);
            if (fields.fileName.isNull() && attribute.value.to > attribute.value.from)
                return std::nullopt; // not text XML can hold: the DOM reader says so
        }
    for (const Attribute& attribute : attributes)
        if (scanner.text(attribute.value).isNull() && attribute.value.to > attribute.value.from)
            return std::nullopt;
    fields.data = scanner.decoded(text);
    return fields;
}

} // namespace

std::optional<Fields> readPlain(const QByteArray& body) {
    if (body.startsWith(QByteArrayView("<\0", 2)))
        return body.size() % 2 == 0 ? scan(body, true) : std::nullopt;
    if (body.startsWith('<'))
        return scan(body, false);
    return std::nullopt;
}

} // namespace peers::uploadbody

#include "peers/QueryXmlWriter.h"

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
} // namespace peers::queryxml

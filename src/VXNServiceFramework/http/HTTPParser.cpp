#include "VXNServiceFramework/http/HTTPParser.h"

#include <QRegularExpression>

namespace {
// More digits could overflow a qint64; no acceptable body needs them.
constexpr qsizetype MaxLengthDigits = 18;
} // namespace

qint64 HTTPParser::parseContentLength(const QString& value) {
    if (value.isEmpty() || value.size() > MaxLengthDigits) {
        return -1;
    }
    qint64 length = 0;
    for (const QChar c : value) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return -1;
        }
        length = length * 10 + (c.unicode() - '0');
    }
    return length;
}

void HTTPParser::fail() {
    m_state = Error;
    throw ParsingError();
}

void HTTPParser::feed(const QByteArray& bytes) {
    m_buffer += bytes;
    while (m_state == ReadingHeader) {
        const qsizetype end = m_buffer.indexOf("\r\n", m_scanFrom);
        if (end < 0) {
            // Next time only the new bytes need a look, plus a CR that may end this piece.
            m_scanFrom = std::max<qsizetype>(0, m_buffer.size() - 1);
            if (m_headerBytes + m_buffer.size() > m_maxHeaderBytes) {
                fail();
            }
            return;
        }
        m_scanFrom = 0;
        m_headerBytes += end + 2;
        if (m_headerBytes > m_maxHeaderBytes) {
            fail();
        }
        if (end == 0) {
            m_buffer.remove(0, 2);
            m_state = HeaderComplete;
            return;
        }
        const QString line = QString::fromLatin1(m_buffer.constData(), end);
        m_buffer.remove(0, end + 2);
        if (!m_firstLineSeen) {
            m_firstLineSeen = true;
            try {
                parseFirstLine(line);
            } catch (const ParsingError&) {
                m_state = Error;
                throw;
            }
        } else {
            parseHeaderLine(line);
        }
    }
}

void HTTPParser::parseHeaderLine(const QString& line) {
    static const QRegularExpression pattern(QStringLiteral("([^:]*):(.*)$"),
                                            QRegularExpression::InvertedGreedinessOption);
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch()) {
        fail();
    }
    m_headers.append({match.captured(1).trimmed(), match.captured(2).trimmed()});
}

bool HTTPParser::hasHeader(const QString& name) const {
    for (const auto& header : m_headers) {
        if (header.first == name) {
            return true;
        }
    }
    return false;
}

QString HTTPParser::headerValue(const QString& name) const {
    for (const auto& header : m_headers) {
        if (header.first == name) {
            return header.second;
        }
    }
    throw InvalidHeader();
}

void HTTPRequestParser::parseFirstLine(const QString& line) {
    static const QRegularExpression pattern(
        QStringLiteral(R"((\w+)\s([^\?]+)(?:\?(.+))?\sHTTP/(\d+).(\d+))"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch()) {
        fail();
    }
    m_method = match.captured(1);
    m_path = match.captured(2);
    m_version = match.captured(4) + QLatin1Char('.') + match.captured(5);
    parseQuery(match.captured(3));
}

void HTTPRequestParser::parseQuery(const QString& query) {
    if (query.isEmpty()) {
        return;
    }
    static const QRegularExpression pair(QStringLiteral("([^=]+)=([^&]*)&?"));
    qsizetype offset = 0;
    for (;;) {
        const QRegularExpressionMatch match = pair.match(query, offset);
        if (!match.hasMatch()) {
            fail();
        }
        QString value = match.captured(2);
        value.replace(QLatin1Char('+'), QLatin1Char(' '));
        // The line's bytes became one character each, so Latin-1 gives them back unchanged.
        m_query.append({match.captured(1), QByteArray::fromPercentEncoding(value.toLatin1())});
        offset = match.capturedEnd(0);
        if (offset >= query.size()) {
            return;
        }
    }
}

void HTTPResponseParser::parseFirstLine(const QString& line) {
    static const QRegularExpression interim(QStringLiteral(R"(^HTTP/\d+\.\d+ 1\d\d(?: |$))"));
    m_interim = interim.match(line).hasMatch();
}

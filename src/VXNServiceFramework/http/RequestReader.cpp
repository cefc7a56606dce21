#include "VXNServiceFramework/http/RequestReader.h"

#include <algorithm>

RequestReader::RequestReader(const Limits& limits) : m_limits(limits), m_share(limits.bodyBudget) {
    m_parser.setMaxHeaderBytes(m_limits.maxHeaderBytes);
}

RequestReader::Status RequestReader::feed(const char* bytes, qsizetype size) {
    if (m_status != Status::NeedMore || size <= 0) {
        return m_status;
    }
    if (m_length >= 0) {
        appendBody(bytes, size);
        return m_status;
    }
    try {
        m_parser.feed(QByteArray::fromRawData(bytes, size));
    } catch (const HTTPParser::ParsingError&) {
        return m_status = Status::Bad;
    }
    if (m_parser.state() != HTTPParser::HeaderComplete) {
        return m_status;
    }
    return headComplete();
}

RequestReader::Status RequestReader::headComplete() {
    const QString lengthName = QStringLiteral("Content-Length");
    if (!m_parser.hasHeader(lengthName)) {
        return m_status = Status::Bad;
    }
    m_length = HTTPParser::parseContentLength(m_parser.headerValue(lengthName));
    if (m_length < 0 || m_length > m_limits.maxBodyBytes || !bodyLengthIsUnambiguous()) {
        return m_status = Status::Bad;
    }
    m_command = m_parser.path();
    m_command.remove(QLatin1Char('/'));
    // Whatever followed the head in the same piece starts the body.
    const QByteArray& early = m_parser.remaining();
    appendBody(early.constData(), early.size());
    return m_status;
}

// Lengths that disagree, or a transfer coding beside the length, let a proxy in front of us
// read the body differently than we do: a second request could hide in it.
bool RequestReader::bodyLengthIsUnambiguous() const {
    for (const auto& [name, value] : m_parser.headers()) {
        if (name.compare(QLatin1String("Transfer-Encoding"), Qt::CaseInsensitive) == 0 ||
            (name == QLatin1String("Content-Length") &&
             HTTPParser::parseContentLength(value) != m_length)) {
            return false;
        }
    }
    return true;
}

void RequestReader::appendBody(const char* bytes, qsizetype size) {
    const qint64 wanted = std::min<qint64>(size, m_length - m_body.size());
    const qint64 charged = m_body.size() + wanted - m_limits.freeBodyBytes;
    if (charged > 0 && !m_share.growTo(static_cast<std::size_t>(charged))) {
        m_status = Status::Overloaded;
        return;
    }
    m_body.append(bytes, static_cast<qsizetype>(wanted));
    if (m_body.size() == m_length) {
        m_status = Status::Complete;
    }
}

#include "VXNServiceFramework/http/HTTPHeader.h"

void HTTPHeader::addHeader(const QString& name, const QString& value) {
    m_headers.append({name, value});
}

QByteArray HTTPHeader::toByteArray() const {
    QByteArray out = m_firstLine.toLatin1();
    out += "\r\n";
    for (const auto& [name, value] : m_headers) {
        out += name.toLatin1();
        out += ':';
        out += value.toLatin1();
        out += "\r\n";
    }
    out += "\r\n";
    return out;
}

HTTPRequestHeader::HTTPRequestHeader(const QString& method, const QString& target)
    : HTTPHeader(method + QLatin1Char(' ') + target + QLatin1String(" HTTP/1.1")) {}

HTTPResponseHeader::HTTPResponseHeader(int code, const QString& reason)
    : HTTPHeader(QLatin1String("HTTP/1.1 ") + QString::number(code) + QLatin1Char(' ') + reason) {}

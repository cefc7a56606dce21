#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The head of an HTTP message: a first line and ordered (name, value) pairs. A pair added
// under a name already present does not replace it.
class HTTPHeader {
public:
    virtual ~HTTPHeader() = default;

    const QString& firstLine() const { return m_firstLine; }
    const QList<QPair<QString, QString>>& headers() const { return m_headers; }

    void addHeader(const QString& name, const QString& value);

    // First line, then each pair as "name:value", each ended by CRLF, then an empty line.
    QByteArray toByteArray() const;

protected:
    explicit HTTPHeader(QString firstLine) : m_firstLine(std::move(firstLine)) {}

private:
    QString m_firstLine;
    QList<QPair<QString, QString>> m_headers;
};

class HTTPRequestHeader : public HTTPHeader {
public:
    HTTPRequestHeader(const QString& method, const QString& target);
};

class HTTPResponseHeader : public HTTPHeader {
public:
    HTTPResponseHeader(int code, const QString& reason);
};

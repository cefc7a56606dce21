#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <exception>

// Reads the head of an HTTP message fed in pieces of any size, down to single bytes. Lines
// end with CRLF only; the empty line completes the head. Bytes after it stay in remaining().
class HTTPParser {
public:
    enum State { ReadingHeader = 0, HeaderComplete = 1, Error = 2 };

    class ParsingError : public std::exception {
    public:
        const char* what() const noexcept override { return "HTTPParser::ParsingError"; }
    };

    // Heads larger than this are refused, so a peer cannot grow the buffer without end.
    static constexpr int DefaultMaxHeaderBytes = 64 * 1024;

    virtual ~HTTPParser() = default;

    // Consumes `bytes`. Throws ParsingError (and enters Error) for a malformed line or a head
    // above the size limit.
    void feed(const QByteArray& bytes);
    void feed(char byte) { feed(QByteArray(1, byte)); }

    int state() const { return m_state; }
    void setMaxHeaderBytes(int bytes) { m_maxHeaderBytes = bytes; }

    // Exact, case-sensitive name comparison.
    bool hasHeader(const QString& name) const;
    // The first pair of that name; throws InvalidHeader when there is none.
    QString headerValue(const QString& name) const;
    const QList<QPair<QString, QString>>& headers() const { return m_headers; }

    // A Content-Length value as a plain decimal number of at most 18 digits; -1 for anything
    // else (a sign, blanks inside, hex, an empty value), which no side may read as 0.
    static qint64 parseContentLength(const QString& value);

    // Input fed after the end of the head.
    const QByteArray& remaining() const { return m_buffer; }

protected:
    HTTPParser() = default;

    virtual void parseFirstLine(const QString& line) = 0;

    [[noreturn]] void fail();

private:
    void parseHeaderLine(const QString& line);

    QByteArray m_buffer;
    qsizetype m_scanFrom = 0;
    qsizetype m_headerBytes = 0;
    int m_maxHeaderBytes = DefaultMaxHeaderBytes;
    int m_state = ReadingHeader;
    bool m_firstLineSeen = false;
    QList<QPair<QString, QString>> m_headers;
};

class InvalidHeader : public std::exception {
public:
    const char* what() const noexcept override { return "InvalidHeader"; }
};

class HTTPRequestParser : public HTTPParser {
public:
    const QString& method() const { return m_method; }
    const QString& path() const { return m_path; }
    // Major number, a dot, minor number.
    const QString& version() const { return m_version; }
    // Decoded: '+' as a blank, percent escapes as bytes.
    const QList<QPair<QString, QByteArray>>& queryParameters() const { return m_query; }

protected:
    void parseFirstLine(const QString& line) override;

private:
    void parseQuery(const QString& query);

    QString m_method;
    QString m_path;
    QString m_version;
    QList<QPair<QString, QByteArray>> m_query;
};

// The status line of a response is not checked; only an interim answer (1xx) is told apart.
class HTTPResponseParser : public HTTPParser {
public:
    // "HTTP/<version> 1xx ...": an answer that precedes the final one on the same connection.
    bool isInterim() const { return m_interim; }

protected:
    void parseFirstLine(const QString& line) override;

private:
    bool m_interim = false;
};

#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Failure of the query and chart layer; owns a copy of its message.
class CVELMReportSQLGenExcept : public std::exception {
public:
    explicit CVELMReportSQLGenExcept(const QString& message)
        : m_message(message), m_utf8(message.toUtf8()) {}

    QString message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

#pragma once

#include <QString>
#include <exception>

// A body that does not hold the expected message, or an operation the packet kind lacks.
class WrongPacketFormat : public std::exception {
public:
    explicit WrongPacketFormat(QString message = {}) : m_message(std::move(message)) {}

    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return "WrongPacketFormat"; }

private:
    QString m_message;
};

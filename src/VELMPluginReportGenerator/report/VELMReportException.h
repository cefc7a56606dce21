#pragma once

#include <QString>
#include <exception>

// Raised while a report is being created; the generate command answers its code and message.
class VELMReportException : public std::exception {
public:
    VELMReportException(int code, QString message) : code(code), message(std::move(message)) {}
    const char* what() const noexcept override { return "VELMReportException"; }

    int code;
    QString message;
};

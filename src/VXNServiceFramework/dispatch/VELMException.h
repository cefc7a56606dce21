#pragma once

#include <QString>
#include <exception>

// Thrown by a service method to answer with a chosen failure: the dispatcher turns it into a
// response of the handler's own response class with Result `code` and Details `message`.
// Throw and catch it by value.
class VELMException : public std::exception {
public:
    VELMException(int code, QString message) : code(code), message(std::move(message)) {}

    const char* what() const noexcept override { return "VELMException"; }

    int code;
    QString message;
};

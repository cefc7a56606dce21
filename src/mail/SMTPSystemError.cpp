#include "mail/SMTPSystemError.h"

namespace {
thread_local int t_lastError = 0;
} // namespace

int SMTPLastSystemError() {
    return t_lastError;
}

void SetSMTPLastSystemError(int code) {
    t_lastError = code;
}

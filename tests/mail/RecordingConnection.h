#pragma once

#include "mail/CVELMSMTPConnection.h"
#include "mail/SMTPSystemError.h"

#include "QtPrinters.h"

#include <QStringList>

// Keeps every reported error together with the thread's system error code at that moment.
class RecordingConnection : public CVELMSMTPConnection {
public:
    void OnError(const QString& text) override {
        CVELMSMTPConnection::OnError(text);
        errors.append(text);
        systemErrors.append(SMTPLastSystemError());
    }

    QStringList errors;
    QList<int> systemErrors;
};

#pragma once

#include "mail/CTRVSMTPConnection.h"

// The connection the program uses: it keeps the last error text for the caller to report.
class CVELMSMTPConnection : public CTRVSMTPConnection {
public:
    void OnError(const QString& text) override { m_lastError = text; }
    const QString& LastError() const { return m_lastError; }

private:
    QString m_lastError;
};

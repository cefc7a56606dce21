#pragma once

#include "mail/CVELMAbstractSMTPClient.h"

#include <optional>

class CTRVSMTPMessage;
class CVELMSMTPConnection;

// Sends the job as one UTF-8 message through the program's SMTP connection. With a login it
// tries CRAM-MD5, then LOGIN, then PLAIN, each on a fresh connection; without one it greets
// with HELO.
class CVELMMFCSMTPClient : public CVELMAbstractSMTPClient {
public:
    // Written to the logs after a dialogue; callers and log readers see them as they are.
    static inline const QString kSendMessageErrorLog = QStringLiteral("SendMessage error: ");
    static inline const QString kLastCommandLog =
        QStringLiteral("Last EMAIL command message: (%1) ");

    int Send() override;

private:
    // The message, or the result code that stops the job before any connection.
    std::optional<int> compose(CTRVSMTPMessage& message);
    // Sets the error "... Refused to send a message whose FIELD WHY" and answers its code.
    int refuse(const QString& field, const char* why);
    bool connect(CVELMSMTPConnection& connection) const;
};

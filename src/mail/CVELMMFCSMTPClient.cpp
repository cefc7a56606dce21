#include "mail/CVELMMFCSMTPClient.h"

#include "mail/CTRVSMTPMessage.h"
#include "mail/CVELMSMTPConnection.h"

#include "VXNServiceFramework/app/Log.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr QByteArrayView kCharset = "utf-8";

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// The job's own text that would carry a line break into a header or a command, if any. Looked
// at before the addresses are parsed, since parsing folds white space and would hide one.
QString fieldWithLineBreak(const CVELMAbstractSMTPClient& job) {
    if (hasLineBreak(job.from))
        return QStringLiteral("From");
    if (std::any_of(job.recipients.begin(), job.recipients.end(), hasLineBreak))
        return QStringLiteral("To");
    if (hasLineBreak(job.subject))
        return QStringLiteral("Subject");
    return {};
}

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

bool isReadable(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

} // namespace

std::optional<int> CVELMMFCSMTPClient::compose(CTRVSMTPMessage& message) {
    // Refused here rather than by the connection, so that no server hears anything of a
    // message whose header or envelope a CR or LF would break open.
    if (const QString field = fieldWithLineBreak(*this); !field.isEmpty())
        return refuse(field, CTRVSMTPMessage::lineBreakRefusal);
    for (const QString& recipient : recipients) {
        if (!isBlank(recipient))
            message.AddRecipient(CTRVSMTPAddress::Parse(recipient.toUtf8()));
    }
    message.SetCharset(kCharset);
    message.SetText(body.toUtf8());
    message.SetFrom(CTRVSMTPAddress::Parse(from.toUtf8()));
    message.SetSubject(subject.toUtf8());
    for (const QString& path : attachments) {
        if (!isReadable(path))
            return SEND_ATTACHMENT_UNREADABLE;
        CTRVSMTPBodyPart part;
        part.SetAttachment(path);
        message.AddBodyPart(part);
    }
    if (const QByteArray field = message.FieldWithLineBreak(); !field.isEmpty())
        return refuse(QString::fromLatin1(field), CTRVSMTPMessage::lineBreakRefusal);
    if (const QByteArray field = message.FieldWithUnsafeAddress(); !field.isEmpty())
        return refuse(QString::fromLatin1(field), CTRVSMTPMessage::unsafeAddressRefusal);
    return std::nullopt;
}

int CVELMMFCSMTPClient::refuse(const QString& field, const char* why) {
    error = QStringLiteral("CVELMMFCSMTPClient::Send, Refused to send a message whose %1 %2")
                .arg(field, QLatin1String(why));
    return SEND_TRANSFER_FAILED;
}

bool CVELMMFCSMTPClient::connect(CVELMSMTPConnection& connection) const {
    if (login.isEmpty())
        return connection.Connect(server, CTRVSMTPConnection::AUTH_NONE, {}, {}, port);
    // Each Connect opens a new socket, so a method the server refuses costs one connection.
    for (const int method : {CTRVSMTPConnection::AUTH_CRAM_MD5, CTRVSMTPConnection::AUTH_LOGIN,
                             CTRVSMTPConnection::AUTH_PLAIN}) {
        if (connection.Connect(server, method, login, password, port))
            return true;
    }
    return false;
}

int CVELMMFCSMTPClient::Send() {
    if (server.isEmpty())
        return SEND_NO_SERVER;
    // A blank entry names nobody; the server would be asked for "RCPT TO:<>".
    if (std::all_of(recipients.begin(), recipients.end(), isBlank))
        return SEND_NO_RECIPIENT;
    CTRVSMTPMessage message;
    if (const std::optional<int> stop = compose(message))
        return *stop;

    CVELMSMTPConnection connection;
    connection.SetTimeout(timeout);
    if (!connect(connection)) {
        error = connection.LastError();
        return SEND_NO_CONNECTION;
    }
    int result = SEND_OK;
    if (!connection.SendMessage(message)) {
        error = connection.LastError();
        VELM_ERR << kSendMessageErrorLog << error;
        result = SEND_TRANSFER_FAILED;
    }
    VELM_INFO << kLastCommandLog.arg(connection.LastResponseCode())
              << QString::fromUtf8(connection.LastResponse());
    return result;
}

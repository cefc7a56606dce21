// Message transfer of CTRVSMTPConnection: envelope, DATA, header and body tree.
#include "mail/CTRVSMTPConnection.h"

#include "mail/MimeCodecs.h"
#include "mail/SMTPSystemError.h"

#include <cerrno>

namespace {

QString withSystemError(const char* text) {
    return QString::fromLatin1(text) + QString::number(SMTPLastSystemError());
}

} // namespace

bool CTRVSMTPConnection::SendMessage(const CTRVSMTPMessage& message) {
    const auto refuse = [this](const QByteArray& field, const char* why) {
        SetSMTPLastSystemError(kErrorRefusedArgument);
        OnError(QStringLiteral("CTRVSMTPConnection::SendMessage, Refused to send a message whose "
                               "%1 %2")
                    .arg(QString::fromLatin1(field), QLatin1String(why)));
        return false;
    };
    // Checked before the envelope: a CR or LF would let a value end its header line or its
    // command and smuggle in lines of its own, a '>' would end an address's brackets and make
    // the rest parameters of MAIL FROM or RCPT TO.
    if (const QByteArray field = message.FieldWithLineBreak(); !field.isEmpty())
        return refuse(field, CTRVSMTPMessage::lineBreakRefusal);
    if (const QByteArray field = message.FieldWithUnsafeAddress(); !field.isEmpty())
        return refuse(field, CTRVSMTPMessage::unsafeAddressRefusal);

    if (!send("MAIL FROM:<" + message.From().address + ">\r\n")) {
        OnError(withSystemError("CTRVSMTPConnection::SendMessage, Failed in call to send MAIL "
                                "command, GetLastError returns: "));
        return false;
    }
    if (!ReadCommandResponse(250)) {
        SetSMTPLastSystemError(kErrorUnexpectedReply);
        OnError(QStringLiteral(
            "CTRVSMTPConnection::SendMessage, An unexpected MAIL response was received"));
        return false;
    }
    for (const auto type : {CTRVSMTPMessage::TO, CTRVSMTPMessage::CC, CTRVSMTPMessage::BCC}) {
        for (const CTRVSMTPAddress& recipient : message.Recipients(type)) {
            if (!SendRCPTForRecipient(recipient))
                return false;
        }
    }
    if (!send("DATA\r\n"))
        return false;
    if (!ReadCommandResponse(354)) {
        SetSMTPLastSystemError(kErrorUnexpectedReply);
        OnError(QStringLiteral(
            "CTRVSMTPConnection::SendMessage, An unexpected DATA response was received"));
        return false;
    }
    if (!sendMessageContent(message)) {
        // The server is inside DATA now: a QUIT would only become part of an unfinished message
        // and its reply would never come. Dropping the connection makes the server discard the
        // partial message.
        Disconnect(false);
        return false;
    }
    if (!ReadCommandResponse(250)) {
        SetSMTPLastSystemError(kErrorUnexpectedReply);
        OnError(QStringLiteral("CTRVSMTPConnection::SendMessage, An unexpected end of message "
                               "response was received"));
        return false;
    }
    return true;
}

bool CTRVSMTPConnection::sendMessageContent(const CTRVSMTPMessage& message) {
    if (!send(message.GetHeader())) {
        OnError(withSystemError("CTRVSMTPConnection::SendMessage, Failed in call to send the "
                                "header, GetLastError returns: "));
        return false;
    }
    if (!send("\r\n")) {
        OnError(withSystemError("CTRVSMTPConnection::SendMessage, Failed in call to send the "
                                "header / body separator, GetLastError returns: "));
        return false;
    }
    const CTRVSMTPBodyPart& root = message.RootPart();
    if (!message.IsMime() && root.ChildBodyPartCount() == 0) {
        if (!send(MimeCodecs::DotStuff(root.Text())))
            return false;
    } else if (!SendBodyPart(root, true)) {
        return false;
    }
    if (!send("\r\n.\r\n")) {
        OnError(withSystemError("CTRVSMTPConnection::SendMessage, Failed in call to send end of "
                                "message indicator, GetLastError returns: "));
        return false;
    }
    return true;
}

bool CTRVSMTPConnection::SendRCPTForRecipient(const CTRVSMTPAddress& recipient) {
    if (refuseLineBreak("SendRCPTForRecipient", "a recipient address", recipient.address))
        return false;
    if (!send("RCPT TO:<" + recipient.address + ">\r\n")) {
        OnError(withSystemError("CTRVSMTPConnection::SendRCPTForRecipient, Failed in call to "
                                "send RCPT command, GetLastError returns: "));
        return false;
    }
    if (!ReadCommandResponse(250)) {
        SetSMTPLastSystemError(kErrorUnexpectedReply);
        OnError(QStringLiteral("CTRVSMTPConnection::SendRCPTForRecipient, An unexpected RCPT "
                               "response was received"));
        return false;
    }
    return true;
}

bool CTRVSMTPConnection::SendBodyPart(const CTRVSMTPBodyPart& part, bool isRoot) {
    if (!isRoot && !send(part.GetHeader())) {
        OnError(withSystemError("CTRVSMTPConnection::SendBodyPart, Failed in call to send body "
                                "parts header, GetLastError returns: "));
        return false;
    }
    const std::optional<QByteArray> body = part.GetBody();
    if (!body)
        SetSMTPLastSystemError(EIO);
    if (!body || !send(*body)) {
        OnError(withSystemError("CTRVSMTPConnection::SendBodyPart, Failed in call to send body "
                                "parts body, GetLastError returns: "));
        return false;
    }
    for (qsizetype i = 0; i < part.ChildBodyPartCount(); ++i) {
        if (!SendBodyPart(part.ChildBodyPart(i), false))
            return false;
    }
    if (part.ChildBodyPartCount() > 0 && !send(part.GetFooter())) {
        OnError(withSystemError("CTRVSMTPConnection::SendBodyPart, Failed in call to send body "
                                "parts footer, GetLastError returns: "));
        return false;
    }
    return true;
}

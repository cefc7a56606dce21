#pragma once

#include "mail/CTRVSMTPAddress.h"
#include "mail/CTRVSMTPBodyPart.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

// One e-mail: envelope addresses, header fields and the body tree. Texts are 8-bit (a caller
// with Unicode text passes its UTF-8 bytes and sets the charset "utf-8").
class CTRVSMTPMessage {
public:
    enum RecipientType { TO = 0, CC = 1, BCC = 2 };
    enum Priority { NO_PRIORITY = 0, LOW_PRIORITY = 1, NORMAL_PRIORITY = 2, HIGH_PRIORITY = 3 };

    static constexpr const char* kDefaultXMailer = "CTRVSMTPConnection v2.46";
    static constexpr const char* kMultipartPreamble = "This is a multi-part message in MIME Format";

    const CTRVSMTPAddress& From() const { return m_from; }
    void SetFrom(const CTRVSMTPAddress& from) { m_from = from; }
    const QByteArray& Subject() const { return m_subject; }
    void SetSubject(QByteArrayView subject) { m_subject = subject.toByteArray(); }
    const QByteArray& XMailer() const { return m_xMailer; }
    void SetXMailer(QByteArrayView mailer) { m_xMailer = mailer.toByteArray(); }
    const CTRVSMTPAddress& ReplyTo() const { return m_replyTo; }
    void SetReplyTo(const CTRVSMTPAddress& replyTo) { m_replyTo = replyTo; }
    Priority GetPriority() const { return m_priority; }
    void SetPriority(Priority priority) { m_priority = priority; }

    void AddRecipient(const CTRVSMTPAddress& recipient, RecipientType type = TO);
    const QList<CTRVSMTPAddress>& Recipients(RecipientType type) const;

    // A line written unchanged after the standard fields ("Name: value", no CR LF).
    void AddCustomHeader(QByteArrayView line) { m_customHeaders.append(line.toByteArray()); }
    const QList<QByteArray>& CustomHeaders() const { return m_customHeaders; }

    // The message charset is the root part's.
    QByteArray Charset() const { return m_root.Charset(); }
    void SetCharset(QByteArrayView charset) { m_root.SetCharset(charset); }

    // Outside MIME mode the root's text; in MIME mode the first "text/plain" child's, created
    // (with the message charset) when there is none.
    void SetText(QByteArrayView text);

    // On: the root becomes a "multipart/mixed" container and its text moves into a child.
    // Off: all child parts are dropped.
    void SetMime(bool on);
    bool IsMime() const { return m_mime; }
    // Switches MIME mode on and appends a copy of the part to the root.
    void AddBodyPart(const CTRVSMTPBodyPart& part);

    CTRVSMTPBodyPart& RootPart() { return m_root; }
    const CTRVSMTPBodyPart& RootPart() const { return m_root; }

    // The header block, each line ending with CR LF (the blank line after it is not included),
    // dated now or at the given local time.
    QByteArray GetHeader() const;
    QByteArray GetHeader(const QDateTime& localTime) const;

    // Which header value or address would break a header line or an SMTP command with a CR or
    // LF ("Subject", "To", ...); empty when the message is safe to send.
    QByteArray FieldWithLineBreak() const;
    // The first of From, To, Cc and Bcc whose address could leave its angle brackets in MAIL
    // FROM or RCPT TO ('<', '>', a blank or a control character), or empty: the rest would reach
    // the server as parameters of the command.
    QByteArray FieldWithUnsafeAddress() const;
    // What a refusal says of the field each of the two above names.
    static constexpr const char* lineBreakRefusal = "contains CR or LF";
    static constexpr const char* unsafeAddressRefusal =
        "address holds '<', '>', a blank or a control character";

private:
    void makeRootContainer();

    CTRVSMTPAddress m_from;
    QByteArray m_subject;
    QByteArray m_xMailer{kDefaultXMailer};
    CTRVSMTPAddress m_replyTo;
    CTRVSMTPBodyPart m_root;
    Priority m_priority = NO_PRIORITY;
    QList<CTRVSMTPAddress> m_to;
    QList<CTRVSMTPAddress> m_cc;
    QList<CTRVSMTPAddress> m_bcc;
    QList<QByteArray> m_customHeaders;
    bool m_mime = false;
};

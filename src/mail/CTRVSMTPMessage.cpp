#include "mail/CTRVSMTPMessage.h"

#include "mail/MimeCodecs.h"

#include <algorithm>

namespace {

// RFC 5322 2.1.1: a line holds at most 998 characters before its CR LF.
constexpr qsizetype kMaxLineLength = 998;

// "Name: a,b,c" with its CR LF. A list too long for one line is folded before the address that
// would take the line past the limit (after the comma, which ends the line); a list that fits
// stays on one line.
QByteArray addressField(QByteArrayView name, const QList<CTRVSMTPAddress>& addresses,
                        QByteArrayView charset) {
    QByteArray out = name.toByteArray() + ": ";
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        const QByteArray text = addresses[i].ToHeaderText(charset);
        if (i > 0) {
            out.append(',');
            // Room for the address and the comma a following one would add.
            if (out.size() - lineStart + text.size() + 1 > kMaxLineLength) {
                out.append("\r\n");
                lineStart = out.size();
                out.append(' ');
            }
        }
        out.append(text);
    }
    return out.append("\r\n");
}

// RFC 2047 2: a line of a header field that holds encoded words has at most 76 characters.
constexpr qsizetype kMaxEncodedWordLine = 76;

// Where a line longer than `limit` may be folded: the last place within the limit before a blank
// (RFC 5322 2.2.3: folding is a line break before white space) or between two encoded words
// (RFC 2047 6.2: white space between them is not part of the text), after the field's name;
// else the first such place beyond the limit; 0 when there is none.
qsizetype foldPoint(QByteArrayView line, qsizetype nameEnd, qsizetype limit) {
    const auto foldsAt = [&](qsizetype at) {
        return line[at] == ' ' || (at >= 2 && line.sliced(at - 2).startsWith("?==?"));
    };
    for (qsizetype at = std::min(limit, line.size() - 1); at > nameEnd; --at) {
        if (foldsAt(at))
            return at;
    }
    for (qsizetype at = std::max(limit, nameEnd) + 1; at < line.size(); ++at) {
        if (foldsAt(at))
            return at;
    }
    return 0;
}

// "Name: text" with its CR LF, text as it goes on the wire (encoded words included). Text too
// long for one line (998 characters, or 76 when it holds encoded words) is folded where
// foldPoint() allows; text that fits stays on one line.
QByteArray unstructuredField(QByteArrayView name, QByteArrayView text) {
    const qsizetype limit = text.contains("=?") ? kMaxEncodedWordLine : kMaxLineLength;
    QByteArray line = name.toByteArray() + ": " + text.toByteArray();
    qsizetype nameEnd = name.size() + 1;
    QByteArray out;
    while (line.size() > limit) {
        const qsizetype at = foldPoint(line, nameEnd, limit);
        if (at == 0)
            break;
        out.append(line.first(at)).append("\r\n");
        line = line.sliced(at);
        if (!line.startsWith(' '))
            line.prepend(' ');
        nameEnd = 1;
    }
    return out.append(line).append("\r\n");
}

bool hasLineBreak(const CTRVSMTPAddress& address) {
    return MimeCodecs::ContainsLineBreak(address.name) ||
           MimeCodecs::ContainsLineBreak(address.address);
}

bool hasUnsafeAddress(const CTRVSMTPAddress& address) {
    return std::any_of(address.address.begin(), address.address.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return c == '<' || c == '>' || byte <= ' ' || byte == 0x7F;
    });
}

// The first of From, To, Cc and Bcc holding an address for which `test` is true, or empty.
template <class Test>
QByteArray firstAddressField(const CTRVSMTPAddress& from, const QList<CTRVSMTPAddress>& to,
                             const QList<CTRVSMTPAddress>& cc, const QList<CTRVSMTPAddress>& bcc,
                             const Test& test) {
    if (test(from))
        return "From";
    const std::pair<const char*, const QList<CTRVSMTPAddress>*> lists[] = {
        {"To", &to}, {"Cc", &cc}, {"Bcc", &bcc}};
    for (const auto& [name, list] : lists) {
        if (std::any_of(list->begin(), list->end(), test))
            return name;
    }
    return {};
}

} // namespace

void CTRVSMTPMessage::AddRecipient(const CTRVSMTPAddress& recipient, RecipientType type) {
    switch (type) {
    case TO:
        m_to.append(recipient);
        break;
    case CC:
        m_cc.append(recipient);
        break;
    case BCC:
        m_bcc.append(recipient);
        break;
    }
}

const QList<CTRVSMTPAddress>& CTRVSMTPMessage::Recipients(RecipientType type) const {
    switch (type) {
    case CC:
        return m_cc;
    case BCC:
        return m_bcc;
    case TO:
        break;
    }
    return m_to;
}

void CTRVSMTPMessage::makeRootContainer() {
    m_root.SetText(kMultipartPreamble);
    m_root.SetContentType("multipart/mixed");
}

void CTRVSMTPMessage::SetText(QByteArrayView text) {
    if (!m_mime) {
        m_root.SetText(text);
        return;
    }
    for (qsizetype i = 0; i < m_root.ChildBodyPartCount(); ++i) {
        CTRVSMTPBodyPart& child = m_root.ChildBodyPart(i);
        if (child.ContentType() == "text/plain") {
            child.SetText(text);
            return;
        }
    }
    makeRootContainer();
    CTRVSMTPBodyPart textPart;
    textPart.SetCharset(m_root.Charset());
    textPart.SetText(text);
    m_root.AddChildBodyPart(textPart);
}

void CTRVSMTPMessage::SetMime(bool on) {
    // Only a change of mode moves the text: switching on twice would otherwise overwrite the
    // text part with the container's preamble.
    if (on == m_mime)
        return;
    m_mime = on;
    if (!on) {
        m_root.RemoveAllChildBodyParts();
        return;
    }
    const QByteArray savedText = m_root.Text();
    makeRootContainer();
    if (!savedText.isEmpty())
        SetText(savedText);
}

void CTRVSMTPMessage::AddBodyPart(const CTRVSMTPBodyPart& part) {
    SetMime(true);
    m_root.AddChildBodyPart(part);
}

QByteArray CTRVSMTPMessage::GetHeader() const {
    return GetHeader(QDateTime::currentDateTime());
}

QByteArray CTRVSMTPMessage::GetHeader(const QDateTime& localTime) const {
    const QByteArray charset = Charset();
    QByteArray out;
    out += "From: " + m_from.ToHeaderText(charset) + "\r\n";
    out += addressField("To", m_to, charset);
    if (!m_cc.isEmpty())
        out += addressField("Cc", m_cc, charset);
    out += unstructuredField("Subject", MimeCodecs::EncodeWords(m_subject, charset));
    if (!m_xMailer.isEmpty())
        out += "X-Mailer: " + m_xMailer + "\r\n";
    if (m_mime) {
        if (m_root.Base64())
            out += "Content-Transfer-Encoding: base64\r\n";
        else if (m_root.QuotedPrintable())
            out += "Content-Transfer-Encoding: quoted-printable\r\n";
        out += "MIME-Version: 1.0\r\nContent-Type: " + m_root.ContentType();
        if (m_root.ChildBodyPartCount() > 0)
            out += "; boundary=\"" + m_root.Boundary() + "\"";
        out += "\r\n";
    } else {
        out += "Content-Type: " + m_root.ContentType() + ";\r\n\tcharset=" + charset + "\r\n";
    }
    if (!m_replyTo.address.isEmpty())
        out += "Reply-To: " + m_replyTo.ToHeaderText(charset) + "\r\n";
    out += "Date: " + MimeCodecs::FormatDate(localTime) + "\r\n";
    switch (m_priority) {
    case LOW_PRIORITY:
        out += "X-Priority: 5\r\n";
        break;
    case NORMAL_PRIORITY:
        out += "X-Priority: 3\r\n";
        break;
    case HIGH_PRIORITY:
        out += "X-Priority: 1\r\n";
        break;
    case NO_PRIORITY:
        break;
    }
    for (const QByteArray& line : m_customHeaders)
        out += line + "\r\n";
    return out;
}

QByteArray CTRVSMTPMessage::FieldWithUnsafeAddress() const {
    return firstAddressField(m_from, m_to, m_cc, m_bcc, hasUnsafeAddress);
}

QByteArray CTRVSMTPMessage::FieldWithLineBreak() const {
    if (QByteArray field = firstAddressField(m_from, m_to, m_cc, m_bcc, hasLineBreak);
        !field.isEmpty())
        return field;
    if (hasLineBreak(m_replyTo))
        return "Reply-To";
    if (MimeCodecs::ContainsLineBreak(m_subject))
        return "Subject";
    if (MimeCodecs::ContainsLineBreak(m_xMailer))
        return "X-Mailer";
    if (std::any_of(m_customHeaders.begin(), m_customHeaders.end(),
                    [](const QByteArray& line) { return MimeCodecs::ContainsLineBreak(line); }))
        return "extra header line";
    return m_root.FieldWithLineBreak();
}

#include "mail/CTRVSMTPBodyPart.h"

#include "mail/MimeCodecs.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace {

// A quoted-string parameter value (RFC 2045 5.1): a '"' or '\' in a file name would otherwise
// end the value early and let the rest pass as further parameters.
QByteArray quotedValue(const QByteArray& value) {
    QByteArray out;
    out.reserve(value.size() + 2);
    out.append('"');
    for (const char c : value) {
        if (c == '"' || c == '\\')
            out.append('\\');
        out.append(c);
    }
    return out.append('"');
}

QByteArray normalizedLineEnds(QByteArrayView text) {
    QByteArray lf = text.toByteArray();
    lf.replace("\r\n", "\n");
    lf.replace('\r', '\n');
    return lf.replace("\n", "\r\n");
}

// The UTF-16LE form with its byte order mark; each 8-bit character is one code unit.
QByteArray utf16LittleEndian(const QByteArray& text) {
    QByteArray out;
    out.reserve(2 + text.size() * 2);
    out.append('\xFF').append('\xFE');
    for (const char c : text)
        out.append(c).append('\0');
    return out;
}

} // namespace

CTRVSMTPBodyPart::CTRVSMTPBodyPart()
    : m_boundary(QUuid::createUuid().toByteArray(QUuid::WithoutBraces)) {}

CTRVSMTPBodyPart::CTRVSMTPBodyPart(const CTRVSMTPBodyPart& other) {
    copyFrom(other);
}

CTRVSMTPBodyPart& CTRVSMTPBodyPart::operator=(const CTRVSMTPBodyPart& other) {
    if (this != &other)
        copyFrom(other);
    return *this;
}

CTRVSMTPBodyPart::~CTRVSMTPBodyPart() = default;

void CTRVSMTPBodyPart::copyFrom(const CTRVSMTPBodyPart& other) {
    m_fileName = other.m_fileName;
    m_title = other.m_title;
    m_contentType = other.m_contentType;
    m_charset = other.m_charset;
    m_contentBase = other.m_contentBase;
    m_contentID = other.m_contentID;
    m_contentLocation = other.m_contentLocation;
    m_text = other.m_text;
    m_boundary = other.m_boundary;
    m_quotedPrintable = other.m_quotedPrintable;
    m_base64 = other.m_base64;
    // The parent stays: a copy belongs to whichever part adopts it, not to other's parent.
    // Build the new subtree first: other may be one of our own descendants.
    std::vector<std::unique_ptr<CTRVSMTPBodyPart>> children;
    for (const auto& child : other.m_children) {
        children.push_back(std::make_unique<CTRVSMTPBodyPart>(*child));
        children.back()->m_parent = this;
    }
    m_children = std::move(children);
}

void CTRVSMTPBodyPart::SetText(QByteArrayView text) {
    m_text = normalizedLineEnds(text);
    m_contentType = "text/plain";
}

void CTRVSMTPBodyPart::SetAttachment(const QString& path) {
    m_fileName = path;
    m_title = QFileInfo(path).fileName().toUtf8();
    m_contentType = "application/octet-stream";
}

void CTRVSMTPBodyPart::AddChildBodyPart(const CTRVSMTPBodyPart& part) {
    auto child = std::make_unique<CTRVSMTPBodyPart>(part);
    child->m_parent = this;
    m_children.push_back(std::move(child));
}

QByteArray CTRVSMTPBodyPart::GetHeader() const {
    const QByteArray parentBoundary = m_parent ? m_parent->m_boundary : QByteArray();
    const bool hasChildren = !m_children.empty();
    QByteArray out;
    if (IsAttachment()) {
        out = "\r\n\r\n--" + parentBoundary + "\r\nContent-Type: " + m_contentType +
              "; charset=" + m_charset + "; name=" + quotedValue(m_title);
        if (hasChildren)
            out += "; Boundary=\"" + m_boundary + "\"";
        out += "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
               "filename=" +
               quotedValue(m_title) + "\r\n";
    } else {
        out = "\r\n--" + parentBoundary + "\r\nContent-Type: " + m_contentType +
              "; charset=" + m_charset;
        if (hasChildren)
            out += "; Boundary=\"" + m_boundary + "\"";
        out += "\r\n";
        if (m_base64)
            out += "Content-Transfer-Encoding: base64\r\n";
        else if (m_quotedPrintable)
            out += "Content-Transfer-Encoding: quoted-printable\r\n";
    }
    if (!m_contentBase.isEmpty())
        out += "Content-Base: " + m_contentBase + "\r\n";
    if (!m_contentID.isEmpty())
        out += "Content-ID: " + m_contentID + "\r\n";
    if (!m_contentLocation.isEmpty())
        out += "Content-Location: " + m_contentLocation + "\r\n";
    return out + "\r\n";
}

std::optional<QByteArray> CTRVSMTPBodyPart::GetBody() const {
    if (IsAttachment()) {
        QFile file(m_fileName);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return std::nullopt;
        return MimeCodecs::Base64Lines(content);
    }
    if (m_base64)
        return MimeCodecs::Base64Lines(utf16LittleEndian(m_text));
    if (m_quotedPrintable)
        return MimeCodecs::DotStuff(MimeCodecs::EncodeQuotedPrintable(m_text));
    return MimeCodecs::DotStuff(m_text);
}

QByteArray CTRVSMTPBodyPart::GetFooter() const {
    return "\r\n--" + m_boundary + "--";
}

QByteArray CTRVSMTPBodyPart::FieldWithLineBreak() const {
    const std::pair<const char*, const QByteArray*> fields[] = {
        {"Content-Type", &m_contentType}, {"charset", &m_charset},
        {"attachment name", &m_title},    {"Content-Base", &m_contentBase},
        {"Content-ID", &m_contentID},     {"Content-Location", &m_contentLocation},
        {"boundary", &m_boundary},
    };
    for (const auto& [name, value] : fields) {
        if (MimeCodecs::ContainsLineBreak(*value))
            return name;
    }
    for (const auto& child : m_children) {
        if (QByteArray field = child->FieldWithLineBreak(); !field.isEmpty())
            return field;
    }
    return {};
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// One node of a message's body tree: a text (quoted-printable, base64 or plain), a file
// attachment, or a container whose children are separated by its boundary. A part owns its
// children; copying a part copies the whole subtree.
class CTRVSMTPBodyPart {
public:
    CTRVSMTPBodyPart();
    CTRVSMTPBodyPart(const CTRVSMTPBodyPart& other);
    CTRVSMTPBodyPart& operator=(const CTRVSMTPBodyPart& other);
    ~CTRVSMTPBodyPart();

    // Stores the text with CR LF line ends and makes the part "text/plain".
    void SetText(QByteArrayView text);
    const QByteArray& Text() const { return m_text; }

    // Makes the part an attachment of the file: title = file name without directory,
    // content type "application/octet-stream".
    void SetAttachment(const QString& path);
    const QString& FileName() const { return m_fileName; }
    bool IsAttachment() const { return !m_fileName.isEmpty(); }
    const QByteArray& Title() const { return m_title; }
    void SetTitle(QByteArrayView title) { m_title = title.toByteArray(); }

    const QByteArray& ContentType() const { return m_contentType; }
    void SetContentType(QByteArrayView type) { m_contentType = type.toByteArray(); }
    const QByteArray& Charset() const { return m_charset; }
    void SetCharset(QByteArrayView charset) { m_charset = charset.toByteArray(); }
    const QByteArray& ContentBase() const { return m_contentBase; }
    void SetContentBase(QByteArrayView base) { m_contentBase = base.toByteArray(); }
    const QByteArray& ContentID() const { return m_contentID; }
    void SetContentID(QByteArrayView id) { m_contentID = id.toByteArray(); }
    const QByteArray& ContentLocation() const { return m_contentLocation; }
    void SetContentLocation(QByteArrayView location) { m_contentLocation = location.toByteArray(); }

    bool QuotedPrintable() const { return m_quotedPrintable; }
    void SetQuotedPrintable(bool on) { m_quotedPrintable = on; }
    // Wins over quoted-printable.
    bool Base64() const { return m_base64; }
    void SetBase64(bool on) { m_base64 = on; }

    const QByteArray& Boundary() const { return m_boundary; }
    void SetBoundary(QByteArrayView boundary) { m_boundary = boundary.toByteArray(); }

    // Appends a copy of the part, with this part as its parent.
    void AddChildBodyPart(const CTRVSMTPBodyPart& part);
    void RemoveAllChildBodyParts() { m_children.clear(); }
    qsizetype ChildBodyPartCount() const { return qsizetype(m_children.size()); }
    CTRVSMTPBodyPart& ChildBodyPart(qsizetype index) { return *m_children.at(size_t(index)); }
    const CTRVSMTPBodyPart& ChildBodyPart(qsizetype index) const {
        return *m_children.at(size_t(index));
    }
    const CTRVSMTPBodyPart* ParentBodyPart() const { return m_parent; }

    // The header that opens a non-root part: the parent's boundary line, Content-Type,
    // Content-Transfer-Encoding, Content-Disposition for attachments, optional Content-Base,
    // -ID and -Location, and the blank line.
    QByteArray GetHeader() const;
    // The encoded body as it goes into the DATA stream; empty optional when an attachment
    // cannot be read.
    std::optional<QByteArray> GetBody() const;
    // "\r\n--boundary--", closing a part that has children.
    QByteArray GetFooter() const;

    // Name of the first header field of this subtree that holds a CR or LF, empty if none.
    QByteArray FieldWithLineBreak() const;

private:
    void copyFrom(const CTRVSMTPBodyPart& other);

    QString m_fileName;
    QByteArray m_title;
    QByteArray m_contentType{"text/plain"};
    QByteArray m_charset{"iso-8859-1"};
    QByteArray m_contentBase;
    QByteArray m_contentID;
    QByteArray m_contentLocation;
    QByteArray m_text;
    std::vector<std::unique_ptr<CTRVSMTPBodyPart>> m_children;
    CTRVSMTPBodyPart* m_parent = nullptr;
    QByteArray m_boundary;
    bool m_quotedPrintable = true;
    bool m_base64 = false;
};

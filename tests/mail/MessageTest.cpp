#include "mail/CTRVSMTPMessage.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QDateTime kWhen(QDate(2026, 3, 3), QTime(9, 30, 0), Qt::OffsetFromUTC, 3600);

QByteArray writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return dir.filePath(name).toUtf8();
}

// The unfolded value of a header field, or a null array when the header has none.
QByteArray fieldValue(const QByteArray& header, const QByteArray& name) {
    QByteArray unfolded = header;
    unfolded.replace("\r\n ", " ").replace("\r\n\t", "\t");
    for (const QByteArray& line : unfolded.split('\n')) {
        if (line.startsWith(name + ": "))
            return line.sliced(name.size() + 2).chopped(1); // the CR
    }
    return {};
}

// An unstructured field as a reader that keeps to RFC 2047 reads it: only a whole blank-separated
// word of the encoded-word form is decoded, and the blanks between two such words are dropped.
QByteArray strictlyDecoded(const QByteArray& value) {
    static const QRegularExpression word(QStringLiteral("^=\\?[^?]+\\?[qQ]\\?([!->@-~]*)\\?=$"));
    QByteArray out;
    QByteArray pendingBlanks;
    bool afterEncoded = false;
    for (const QByteArray& token : value.split(' ')) {
        const QRegularExpressionMatch match = word.match(QString::fromLatin1(token));
        const bool encoded = match.hasMatch() && token.size() <= 75;
        if (!(encoded && afterEncoded))
            out.append(pendingBlanks);
        if (encoded) {
            const QByteArray text = match.captured(1).toLatin1().replace('_', ' ');
            out.append(QByteArray::fromPercentEncoding(text, '='));
        } else {
            out.append(token);
        }
        afterEncoded = encoded && !token.isEmpty();
        pendingBlanks = " ";
    }
    return out;
}

} // namespace

TEST(Message, NonAsciiSubjectsReadBackByStrictReaders) {
    const QByteArray subjects[] = {
        QString::fromUtf8("Geräteübersicht for the Berlin headquarters, weekly summary of all "
                          "printers")
            .toUtf8(),
        QString::fromUtf8("Zählerstände ").repeated(12).toUtf8(),
        QString::fromUtf8("Grüße\tund = ? _ Ünterstriche").toUtf8(),
        QByteArray("Weekly report"),
    };
    for (const QByteArray& subject : subjects) {
        CTRVSMTPMessage message;
        message.SetCharset("utf-8");
        message.SetSubject(subject);
        const QByteArray header = message.GetHeader(kWhen);
        EXPECT_EQ(strictlyDecoded(fieldValue(header, "Subject")), subject) << header.constData();
        // RFC 2047 2: lines that hold encoded words stay within 76 characters, beside the
        // field's name on its first line.
        for (const QByteArray& line : header.split('\n')) {
            const qsizetype name = line.startsWith("Subject: ") ? 9 : 0;
            EXPECT_LE(line.size() - name, 76 + 1) << line.constData(); // + the CR
        }
    }
}

TEST(Address, ParsesNameAndAddress) {
    const struct {
        const char* text;
        const char* name;
        const char* address;
    } rows[] = {
        {"  ops@example.com ", "", "ops@example.com"},
        {"Ops   Team\t<ops@example.com>", "Ops Team", "ops@example.com"},
        {"<ops@example.com>", "", "ops@example.com"},
        {"Broken <>", "", "Broken <>"},
        {"no > order <", "", "no > order <"},
        // Brackets inside the name do not take the mail elsewhere.
        {"\"Evil, <x@y>\" <a@example.com>", "\"Evil, <x@y>\"", "a@example.com"},
        {"Ops <ops@example.com> <", "Ops", "ops@example.com"},
    };
    for (const auto& row : rows) {
        const CTRVSMTPAddress address = CTRVSMTPAddress::Parse(row.text);
        EXPECT_EQ(address.name, QByteArray(row.name)) << row.text;
        EXPECT_EQ(address.address, QByteArray(row.address)) << row.text;
    }
    EXPECT_EQ(CTRVSMTPAddress::Parse("a@b").ToHeaderText("utf-8"), QByteArray("a@b"));
    EXPECT_EQ(CTRVSMTPAddress::Parse("Ops <a@b>").ToHeaderText("utf-8"), QByteArray("Ops <a@b>"));
}

TEST(Message, PlainTextHeaderBlockInItsExactOrder) {
    CTRVSMTPMessage message;
    message.SetFrom(CTRVSMTPAddress::Parse("Reports <reports@example.com>"));
    message.AddRecipient(CTRVSMTPAddress::Parse("a@example.com"));
    message.AddRecipient(CTRVSMTPAddress::Parse("B <b@example.com>"));
    message.AddRecipient(CTRVSMTPAddress::Parse("c@example.com"), CTRVSMTPMessage::CC);
    message.AddRecipient(CTRVSMTPAddress::Parse("hidden@example.com"), CTRVSMTPMessage::BCC);
    message.SetSubject("Weekly");
    message.SetReplyTo(CTRVSMTPAddress::Parse("desk@example.com"));
    message.SetPriority(CTRVSMTPMessage::HIGH_PRIORITY);
    message.SetCharset("utf-8");
    message.AddCustomHeader("X-Report: 7");
    message.SetText("line\nnext");
    EXPECT_EQ(message.GetHeader(kWhen),
              QByteArray("From: Reports <reports@example.com>\r\n"
                         "To: a@example.com,B <b@example.com>\r\n"
                         "Cc: c@example.com\r\n"
                         "Subject: Weekly\r\n"
                         "X-Mailer: CTRVSMTPConnection v2.46\r\n"
                         "Content-Type: text/plain;\r\n\tcharset=utf-8\r\n"
                         "Reply-To: desk@example.com\r\n"
                         "Date: Tue, 03 Mar 2026 09:30:00 +0100\r\n"
                         "X-Priority: 1\r\n"
                         "X-Report: 7\r\n"));
    EXPECT_EQ(message.RootPart().Text(), QByteArray("line\r\nnext"));
}

// A long distribution list: every line within RFC 5322's 998 characters, and unfolded the field
// is the list as written (a fold adds only a line break and the blank after it).
TEST(Message, LongAddressListsAreFoldedBetweenAddresses) {
    CTRVSMTPMessage message;
    QByteArrayList to;
    QByteArrayList cc;
    for (int i = 0; i < 150; ++i) {
        to.append("recipient" + QByteArray::number(i) + "@example.com");
        message.AddRecipient(CTRVSMTPAddress::Parse(to.last()));
        cc.append("Copy " + QByteArray::number(i) + " <copy" + QByteArray::number(i) +
                  "@example.com>");
        message.AddRecipient(CTRVSMTPAddress::Parse(cc.last()), CTRVSMTPMessage::CC);
    }
    const QByteArray header = message.GetHeader(kWhen);
    int folds = 0;
    for (const QByteArray& line : header.split('\n')) {
        EXPECT_LE(line.size(), 998 + 1) << line.constData(); // + the CR
        folds += line.startsWith(' ');
    }
    EXPECT_GE(folds, 4);
    QByteArray unfolded = header;
    unfolded.replace("\r\n ", "");
    EXPECT_TRUE(unfolded.contains("\r\nTo: " + to.join(",") + "\r\nCc: " + cc.join(",") + "\r\n"))
        << header.constData();
}

// A long subject, plain or encoded: every line within the limit; a plain one unfolds to itself.
TEST(Message, LongSubjectsAreFoldedAtBlanksOrBetweenEncodedWords) {
    QByteArrayList words;
    for (int i = 0; i < 200; ++i)
        words.append("usage" + QByteArray::number(i));
    const QByteArray plain = words.join(' ');
    const QByteArray encoded = QString::fromUtf8("Zählerstände für Köln ").repeated(80).toUtf8();
    for (const QByteArray& subject : {plain, encoded}) {
        CTRVSMTPMessage message;
        message.SetCharset("utf-8");
        message.SetSubject(subject);
        const QByteArray header = message.GetHeader(kWhen);
        int folds = 0;
        for (const QByteArray& line : header.split('\n')) {
            EXPECT_LE(line.size(), 998 + 1) << line.left(60).constData(); // + the CR
            folds += line.startsWith(' ');
        }
        EXPECT_GE(folds, 1);
    }
    CTRVSMTPMessage message;
    message.SetSubject(plain);
    QByteArray unfolded = message.GetHeader(kWhen);
    unfolded.replace("\r\n ", " ");
    EXPECT_TRUE(unfolded.contains("\r\nSubject: " + plain + "\r\n"));
}

TEST(Message, PriorityAndOptionalFields) {
    CTRVSMTPMessage message;
    message.SetXMailer("");
    const std::pair<CTRVSMTPMessage::Priority, const char*> rows[] = {
        {CTRVSMTPMessage::NO_PRIORITY, nullptr},
        {CTRVSMTPMessage::LOW_PRIORITY, "X-Priority: 5\r\n"},
        {CTRVSMTPMessage::NORMAL_PRIORITY, "X-Priority: 3\r\n"},
        {CTRVSMTPMessage::HIGH_PRIORITY, "X-Priority: 1\r\n"},
    };
    for (const auto& [priority, line] : rows) {
        message.SetPriority(priority);
        const QByteArray header = message.GetHeader(kWhen);
        EXPECT_EQ(header.contains("X-Priority"), line != nullptr);
        if (line) {
            EXPECT_TRUE(header.endsWith(line)) << header.constData();
        }
        EXPECT_FALSE(header.contains("X-Mailer"));
        EXPECT_FALSE(header.contains("Cc:"));
        EXPECT_FALSE(header.contains("Reply-To"));
    }
}

TEST(Message, FirstAttachmentTurnsTheMessageIntoMultipart) {
    QTemporaryDir dir;
    CTRVSMTPMessage message;
    message.SetCharset("utf-8");
    message.SetText("Hello");
    CTRVSMTPBodyPart attachment;
    attachment.SetAttachment(QString::fromUtf8(writeFile(dir, "report.csv", "a;b\n")));
    message.AddBodyPart(attachment);
    message.AddBodyPart(attachment); // a second one keeps the text where it is

    const CTRVSMTPBodyPart& root = message.RootPart();
    EXPECT_TRUE(message.IsMime());
    EXPECT_EQ(root.ContentType(), QByteArray("multipart/mixed"));
    EXPECT_EQ(root.Text(), QByteArray("This is a multi-part message in MIME Format"));
    ASSERT_EQ(root.ChildBodyPartCount(), 3);
    EXPECT_EQ(root.ChildBodyPart(0).ContentType(), QByteArray("text/plain"));
    EXPECT_EQ(root.ChildBodyPart(0).Charset(), QByteArray("utf-8"));
    EXPECT_EQ(root.ChildBodyPart(0).Text(), QByteArray("Hello"));
    EXPECT_EQ(root.ChildBodyPart(1).Title(), QByteArray("report.csv"));
    EXPECT_EQ(root.ChildBodyPart(1).ContentType(), QByteArray("application/octet-stream"));
    EXPECT_EQ(root.ChildBodyPart(1).ParentBodyPart(), &root);
    EXPECT_EQ(root.Boundary().size(), 36);
    EXPECT_NE(root.Boundary(), root.ChildBodyPart(0).Boundary());

    const QByteArray header = message.GetHeader(kWhen);
    EXPECT_TRUE(header.contains("X-Mailer: CTRVSMTPConnection v2.46\r\n"
                                "Content-Transfer-Encoding: quoted-printable\r\n"
                                "MIME-Version: 1.0\r\n"
                                "Content-Type: multipart/mixed; boundary=\"" +
                                root.Boundary() + "\"\r\n"))
        << header.constData();

    message.SetText("Changed");
    EXPECT_EQ(root.ChildBodyPart(0).Text(), QByteArray("Changed"));
    message.SetMime(false);
    EXPECT_EQ(root.ChildBodyPartCount(), 0);
}

TEST(Message, MimeModeWithoutChildrenWritesPlainContentType) {
    CTRVSMTPMessage message;
    message.SetMime(true);
    EXPECT_EQ(message.RootPart().ChildBodyPartCount(), 0);
    EXPECT_TRUE(message.GetHeader(kWhen).contains("MIME-Version: 1.0\r\n"
                                                  "Content-Type: multipart/mixed\r\n"));
    message.SetText("now a child");
    EXPECT_EQ(message.RootPart().ChildBodyPartCount(), 1);
}

TEST(BodyPart, HeaderFormats) {
    CTRVSMTPBodyPart root;
    root.SetBoundary("P");
    CTRVSMTPBodyPart nested;
    nested.SetBoundary("OWN");
    nested.AddChildBodyPart(CTRVSMTPBodyPart());
    CTRVSMTPBodyPart attachment;
    attachment.SetAttachment("/tmp/dir/x \"1\".bin");
    attachment.SetBoundary("OWN");
    CTRVSMTPBodyPart text;
    text.SetText("t");
    text.SetContentID("<id@x>");
    text.SetContentBase("http://x/");
    text.SetContentLocation("loc");
    CTRVSMTPBodyPart plain;
    plain.SetQuotedPrintable(false);
    CTRVSMTPBodyPart wide;
    wide.SetBase64(true);
    CTRVSMTPBodyPart attachmentWithChildren = attachment;
    attachmentWithChildren.AddChildBodyPart(CTRVSMTPBodyPart());

    for (const auto* part : {&nested, &attachment, &text, &plain, &wide, &attachmentWithChildren})
        root.AddChildBodyPart(*part);
    const char* expected[] = {
        "\r\n--P\r\nContent-Type: text/plain; charset=iso-8859-1; Boundary=\"OWN\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n",
        "\r\n\r\n--P\r\nContent-Type: application/octet-stream; charset=iso-8859-1; "
        "name=\"x \\\"1\\\".bin\"\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"x \\\"1\\\".bin\"\r\n\r\n",
        "\r\n--P\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\nContent-Base: http://x/\r\n"
        "Content-ID: <id@x>\r\nContent-Location: loc\r\n\r\n",
        "\r\n--P\r\nContent-Type: text/plain; charset=iso-8859-1\r\n\r\n",
        "\r\n--P\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n",
        "\r\n\r\n--P\r\nContent-Type: application/octet-stream; charset=iso-8859-1; "
        "name=\"x \\\"1\\\".bin\"; Boundary=\"OWN\"\r\nContent-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"x \\\"1\\\".bin\"\r\n\r\n",
    };
    for (qsizetype i = 0; i < root.ChildBodyPartCount(); ++i)
        EXPECT_EQ(root.ChildBodyPart(i).GetHeader(), QByteArray(expected[i])) << i;
    EXPECT_EQ(root.GetFooter(), QByteArray("\r\n--P--"));
}

TEST(BodyPart, BodiesPerEncoding) {
    QTemporaryDir dir;
    CTRVSMTPBodyPart part;
    part.SetText(".dot\r\nx=1");
    EXPECT_EQ(part.GetBody(), QByteArray("..dot\r\nx=3D1"));
    part.SetQuotedPrintable(false);
    EXPECT_EQ(part.GetBody(), QByteArray("..dot\r\nx=1"));
    part.SetText("A\xE4");
    part.SetBase64(true);
    EXPECT_EQ(part.GetBody(), QByteArray("\xFF\xFE"
                                         "A\0\xE4\0",
                                         6)
                                      .toBase64() +
                                  "\r\n");

    QByteArray binary;
    for (int i = 0; i < 100; ++i)
        binary.append(char(255 - i));
    CTRVSMTPBodyPart attachment;
    attachment.SetAttachment(QString::fromUtf8(writeFile(dir, "b.bin", binary)));
    const std::optional<QByteArray> body = attachment.GetBody();
    ASSERT_TRUE(body);
    EXPECT_EQ(*body, binary.toBase64().insert(76, "\r\n") + "\r\n");
    attachment.SetAttachment(dir.filePath("missing.bin"));
    EXPECT_FALSE(attachment.GetBody());
}

TEST(BodyPart, CopiesOwnTheirChildren) {
    auto original = std::make_unique<CTRVSMTPBodyPart>();
    CTRVSMTPBodyPart child;
    child.SetText("child");
    original->AddChildBodyPart(child);
    CTRVSMTPBodyPart copy = *original;
    original.reset();
    ASSERT_EQ(copy.ChildBodyPartCount(), 1);
    EXPECT_EQ(copy.ChildBodyPart(0).Text(), QByteArray("child"));
    EXPECT_EQ(copy.ChildBodyPart(0).ParentBodyPart(), &copy);
    copy = copy.ChildBodyPart(0); // assigning a descendant replaces the subtree safely
    EXPECT_EQ(copy.Text(), QByteArray("child"));
    EXPECT_EQ(copy.ChildBodyPartCount(), 0);
}

TEST(Message, NamesTheFieldThatWouldBreakALine) {
    const auto check = [](const char* expected, auto&& mutate) {
        CTRVSMTPMessage message;
        message.SetFrom(CTRVSMTPAddress::Parse("a@example.com"));
        message.AddRecipient(CTRVSMTPAddress::Parse("b@example.com"));
        mutate(message);
        EXPECT_EQ(message.FieldWithLineBreak(), QByteArray(expected));
    };
    check("", [](CTRVSMTPMessage&) {});
    check("Subject", [](CTRVSMTPMessage& m) { m.SetSubject("Hi\r\nBcc: x@evil"); });
    check("From", [](CTRVSMTPMessage& m) { m.SetFrom({"Name\n", "a@example.com"}); });
    check("To", [](CTRVSMTPMessage& m) { m.AddRecipient({"", "x@y>\r\nRCPT TO:<z@w"}); });
    check("Bcc", [](CTRVSMTPMessage& m) { m.AddRecipient({"", "x\r@y"}, CTRVSMTPMessage::BCC); });
    check("Reply-To", [](CTRVSMTPMessage& m) { m.SetReplyTo({"", "r@y\n"}); });
    check("extra header line", [](CTRVSMTPMessage& m) { m.AddCustomHeader("X: 1\r\nY: 2"); });
    check("attachment name", [](CTRVSMTPMessage& m) {
        CTRVSMTPBodyPart part;
        part.SetAttachment("/tmp/evil\r\nname.txt");
        m.AddBodyPart(part);
    });
}

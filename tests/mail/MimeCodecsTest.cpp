#include "mail/MimeCodecs.h"
#include "mail/CBase64Coder.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

// RFC 2045 6.7 decoding, written independently of the encoder: soft breaks vanish, "=XX"
// becomes its byte.
QByteArray decodeQuotedPrintable(const QByteArray& encoded) {
    QByteArray out;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            out.append(encoded[i]);
        } else if (encoded.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            bool ok = false;
            out.append(char(encoded.mid(i + 1, 2).toInt(&ok, 16)));
            EXPECT_TRUE(ok) << "bad escape at " << i;
            i += 2;
        }
    }
    return out;
}

QList<QByteArray> linesOf(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

} // namespace

TEST(Base64Coder, EncodesAndDecodesRfc4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(CBase64Coder::Encode(plain), QByteArray(encoded)) << plain;
        EXPECT_EQ(CBase64Coder::Decode(encoded), QByteArray(plain)) << encoded;
    }
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    EXPECT_EQ(CBase64Coder::Encode(all), all.toBase64());
    EXPECT_EQ(CBase64Coder::Decode(all.toBase64()), all);
}

TEST(Base64Coder, DecodingSkipsForeignCharactersAndStopsAtPad) {
    EXPECT_EQ(CBase64Coder::Decode(" VXNl\r\ncm5h bWU6 "), QByteArray("Username:"));
    EXPECT_EQ(CBase64Coder::Decode("Zm8=Zm9v"), QByteArray("fo"));
    EXPECT_EQ(CBase64Coder::Decode(""), QByteArray());
}

TEST(Base64Lines, SplitsInto76CharacterLines) {
    const QByteArray hundred(100, '\x9c');
    const QList<QByteArray> lines = MimeCodecs::Base64Lines(hundred).split('\n');
    ASSERT_EQ(lines.size(), 3);     // two lines and the empty rest after the last LF
    EXPECT_EQ(lines[0].size(), 77); // 76 + CR
    EXPECT_EQ(lines[1].size(), 61); // 60 + CR
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(MimeCodecs::Base64Lines(QByteArray(57, 'a')).size(), 76 + 2);
    EXPECT_EQ(MimeCodecs::Base64Lines({}), QByteArray());
}

TEST(QuotedPrintable, EscapesWhatIsNotPlainText) {
    EXPECT_EQ(MimeCodecs::EncodeQuotedPrintable("a=b\tc\r\n"), QByteArray("a=3Db\tc\r\n"));
    EXPECT_EQ(MimeCodecs::EncodeQuotedPrintable("Gr\xC3\xBC\xC3\x9F"),
              QByteArray("Gr=C3=BC=C3=9F"));
    // A blank before a line end would be stripped by readers.
    EXPECT_EQ(MimeCodecs::EncodeQuotedPrintable("end \r\nx\t"), QByteArray("end=20\r\nx=09"));
}

TEST(QuotedPrintable, BreaksLongLinesAfterBlanksOrEscapesAndNeverExceeds76) {
    QRandomGenerator random(20260307);
    const QByteArray alphabet("abc =.\xC3\xA4\xC3\xB6\t-_?xyz0123456789");
    for (int round = 0; round < 300; ++round) {
        QByteArray text;
        const int length = random.bounded(1, 600);
        for (int i = 0; i < length; ++i) {
            const int pick = random.bounded(alphabet.size() + 2);
            text.append(pick < alphabet.size() ? alphabet[pick] : (pick % 2 ? '\n' : 'W'));
        }
        if (round % 3 == 0)
            text.replace('\n', "\r\n");
        const QByteArray encoded = MimeCodecs::EncodeQuotedPrintable(text);
        for (const QByteArray& line : linesOf(encoded))
            ASSERT_LE(line.size(), 76) << line.constData();
        ASSERT_EQ(decodeQuotedPrintable(encoded), text) << text.toHex().constData();
    }
}

TEST(QuotedPrintable, LongWordsWithoutBlanksStillBreakOutsideEscapes) {
    // 75 plain characters then an escape: the escape must not be cut at the fallback point.
    const QByteArray text = QByteArray(75, 'x') + "\xC3\xBC" + QByteArray(200, 'y');
    const QByteArray encoded = MimeCodecs::EncodeQuotedPrintable(text);
    EXPECT_TRUE(encoded.startsWith(QByteArray(75, 'x') + "=\r\n=C3=BC"));
    EXPECT_EQ(decodeQuotedPrintable(encoded), text);
    const QByteArray words = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do "
                             "eiusmod tempor incididunt ut labore";
    const QList<QByteArray> lines = linesOf(MimeCodecs::EncodeQuotedPrintable(words));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(" =")) << lines[0].constData();
}

TEST(DotStuffing, DoublesDotsThatStartLines) {
    EXPECT_EQ(MimeCodecs::DotStuff("a\r\n.b\r\n..c\r\nd.e"), QByteArray("a\r\n..b\r\n...c\r\nd.e"));
    EXPECT_EQ(MimeCodecs::DotStuff(".\r\n"), QByteArray("..\r\n"));
    EXPECT_EQ(MimeCodecs::DotStuff("no dots"), QByteArray("no dots"));
}

TEST(EncodedWords, AsciiStaysAndOtherTextBecomesQWordsOfAtMost75Characters) {
    EXPECT_EQ(MimeCodecs::EncodeWords("Weekly report = 5?", "utf-8"),
              QByteArray("Weekly report = 5?"));
    EXPECT_EQ(MimeCodecs::EncodeWords("Gr\xC3\xBC\xC3\x9F"
                                      "e a_b=c?",
                                      "utf-8"),
              QByteArray("=?utf-8?q?Gr=C3=BC=C3=9Fe_a=5Fb=3Dc=3F?="));
    // Text beside an encoded word is encoded too: a reader need not decode a word that is not
    // set apart by white space (RFC 2047 5).
    const QByteArray subject = QByteArray(70, 'A') + "\xE4";
    EXPECT_EQ(MimeCodecs::EncodeWords(subject, "iso-8859-1"),
              "=?iso-8859-1?q?" + QByteArray(58, 'A') + "?= =?iso-8859-1?q?" + QByteArray(12, 'A') +
                  "=E4?=");
    // A UTF-8 character is never split between two words.
    const QByteArray umlauts = QByteArray(62, 'B') + "\xC3\xBC";
    EXPECT_EQ(MimeCodecs::EncodeWords(umlauts, "utf-8"),
              "=?utf-8?q?" + QByteArray(62, 'B') + "?= =?utf-8?q?=C3=BC?=");
    for (const QByteArray& word :
         MimeCodecs::EncodeWords(QByteArray(100, '\xE4'), "utf-8").split(' '))
        EXPECT_LE(word.size(), 75);
}

TEST(EncodedWords, DisplayNamesAreQuotedOrEncodedForPhrases) {
    EXPECT_EQ(MimeCodecs::EncodePhrase("Report Service", "utf-8"), QByteArray("Report Service"));
    EXPECT_EQ(MimeCodecs::EncodePhrase("Doe, John", "utf-8"), QByteArray("\"Doe, John\""));
    EXPECT_EQ(MimeCodecs::EncodePhrase("\"Doe, John\"", "utf-8"), QByteArray("\"Doe, John\""));
    EXPECT_EQ(MimeCodecs::EncodePhrase("M\xC3\xBCller, H.", "utf-8"),
              QByteArray("=?utf-8?q?M=C3=BCller=2C_H=2E?="));
    // Plain words stay, so no reader has to join two encoded words of one long name.
    EXPECT_EQ(MimeCodecs::EncodePhrase("J\xC3\xBCrgen M\xC3\xBCller from Operations Planning "
                                       "and Quality Assurance, K\xC3\xB6ln",
                                       "utf-8"),
              QByteArray("=?utf-8?q?J=C3=BCrgen_M=C3=BCller?= from Operations Planning and Quality "
                         "=?utf-8?q?Assurance=2C_K=C3=B6ln?="));
}

TEST(DateFormat, WritesEnglishNamesAndTheZoneOfTheTime) {
    const QDate date(2026, 3, 3);
    const QTime time(14, 5, 9);
    const std::pair<int, const char*> zones[] = {{19800, "Tue, 03 Mar 2026 14:05:09 +0530"},
                                                 {-10800, "Tue, 03 Mar 2026 14:05:09 -0300"},
                                                 {0, "Tue, 03 Mar 2026 14:05:09 +0000"},
                                                 {-1800, "Tue, 03 Mar 2026 14:05:09 -0030"},
                                                 {-34200, "Tue, 03 Mar 2026 14:05:09 -0930"}};
    for (const auto& [offset, expected] : zones) {
        const QDateTime local(date, time, Qt::OffsetFromUTC, offset);
        EXPECT_EQ(MimeCodecs::FormatDate(local), QByteArray(expected)) << offset;
    }
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(MimeCodecs::FormatDate(
                  QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59), Qt::OffsetFromUTC, 3600)),
              QByteArray("Thu, 31 Dec 2026 23:59:59 +0100"));
    QLocale::setDefault(QLocale::c());
}

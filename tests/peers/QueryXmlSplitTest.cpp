// A body shared among threads reads exactly as the same body read in order.
#include "PeerPacketTestUtil.h"
#include "peers/CmdDBSProcessQueryResponse.h"
#include "peers/QueryXmlReader.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <thread>

namespace queryxml = peers::queryxml;

namespace {

QString text16(const QByteArray& body) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
}

queryxml::ParsedBody inOrder(const QByteArray& body) {
    return queryxml::parseBody(body, queryxml::ScanSplit{});
}

// Cut at `at` (characters), whatever the size.
queryxml::ParsedBody cutAt(const QByteArray& body, QList<qsizetype> at, int* taken = nullptr) {
    queryxml::ScanSplit split;
    split.minChars = 0;
    split.at = std::move(at);
    split.taken = taken;
    split.waitForThreads = true;
    return queryxml::parseBody(body, split);
}

std::string describe(const queryxml::ParsedBody& parsed) {
    QString out = QStringLiteral("ok=%1 result=%2 error=%3 sets=%4")
                      .arg(parsed.ok)
                      .arg(parsed.result)
                      .arg(parsed.error)
                      .arg(parsed.resultSets.size());
    for (const DBSResultSet& set : parsed.resultSets)
        out += QStringLiteral(" [%1 rows, id %2]").arg(set.rows.size()).arg(set.lastRowId);
    return out.toStdString();
}

// Where a row element starts in `text`.
QList<qsizetype> rowStarts(const QString& text) {
    QList<qsizetype> starts;
    for (qsizetype at = text.indexOf(u"<Row"); at >= 0; at = text.indexOf(u"<Row", at + 1))
        if (at + 4 < text.size() && !text[at + 4].isLetterOrNumber())
            starts.append(at);
    return starts;
}

DBSRow row(std::initializer_list<std::pair<QString, QString>> columns) {
    return DBSRow(columns);
}

// Several result sets, shared and escaped values, values that read as markup once unescaped,
// text outside the BMP, an empty set and one with LastRowID only.
QByteArray sampleBody() {
    CmdDBSProcessQueryResponse response(0, QStringLiteral("OK"));
    DBSResultSet first;
    first.rows.append(row({{"DeviceID", "1"}, {"Name", "R&D <2nd> \"floor\""}}));
    first.rows.append(row({{"DeviceID", "1"}, {"Name", "<Row a=\"1\"/>"}}));
    first.rows.append(row({{"DeviceID", "2"}, {"Name", "Grüße 😀 \U0001F5A8"}}));
    first.rows.append(row({{"DeviceID", "2"}, {"Name", "tab\there\r\nline"}}));
    first.rows.append(row({{"Other", "x"}}));
    first.rows.append(row({}));
    first.rows.append(row({{"DeviceID", "3"}, {"Name", "&amp;#65;"}}));
    DBSResultSet inserted;
    inserted.lastRowId = 42;
    DBSResultSet second;
    for (int i = 0; i < 5; ++i)
        second.rows.append(row({{"N", QString::number(i)}, {"V", QStringLiteral("v&%1").arg(i)}}));
    response.resultSets() = {first, DBSResultSet(), inserted, second};
    QByteArray body;
    response.serialize(body);
    return body;
}

QByteArray bodyOf(const QString& text) {
    return utf16(text);
}

TEST(QueryXmlSplit, EveryCutReadsAsInOrder) {
    const QByteArray body = sampleBody();
    const QString text = text16(body);
    const queryxml::ParsedBody expected = queryxml::parseBodyFully(body);
    ASSERT_TRUE(expected.ok);
    ASSERT_EQ(inOrder(body), expected);
    int taken = 0;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        const auto parsed = cutAt(body, {at}, &taken);
        ASSERT_EQ(parsed, expected) << "cut at " << at << ": " << describe(parsed);
    }
    // Every cut at a row was taken from the other thread (a value that reads "<Row" once
    // unescaped is no row start in the body).
    EXPECT_EQ(taken, rowStarts(text).size());
    EXPECT_EQ(rowStarts(text).size(), 12);
}

TEST(QueryXmlSplit, SeveralCutsReadAsInOrder) {
    const QByteArray body = sampleBody();
    const QString text = text16(body);
    const auto expected = inOrder(body);
    const QList<qsizetype> rows = rowStarts(text);
    // Every pair of row starts, the first and last row included, and some cuts elsewhere.
    for (qsizetype a = 0; a < rows.size(); ++a) {
        for (qsizetype b = a + 1; b < rows.size(); ++b) {
            int taken = 0;
            ASSERT_EQ(cutAt(body, {rows[a], rows[b]}, &taken), expected) << a << " " << b;
            EXPECT_EQ(taken, 2) << a << " " << b;
            ASSERT_EQ(cutAt(body, {rows[a], rows[b] + 1, rows[b] - 3}), expected);
        }
    }
    ASSERT_EQ(cutAt(body, rows), expected);
    QRandomGenerator random(8122026);
    for (int round = 0; round < 500; ++round) {
        QList<qsizetype> at;
        for (int n = random.bounded(1, 5); n > 0; --n)
            at.append(random.bounded(int(text.size())));
        ASSERT_EQ(cutAt(body, at), expected) << at.value(0) << " " << at.value(1);
    }
}

TEST(QueryXmlSplit, OddRowsAndMalformedBodiesReadAsInOrder) {
    // Row elements with content or children, rows nested deeper, Result inside Rows, a Rows
    // inside Rows, and errors before, at and after any cut.
    const char* bodies[] = {
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\">text</Row><Row a=\"3\"><x/></Row>"
        "<Row a=\"4\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><x><Row b=\"2\"/><Row b=\"3\"/></x><Row c=\"4\"/>"
        "</Rows><Row c=\"5\"/></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Result>5</Result><Row a=\"2\"/></Rows>"
        "<Result>6</Result></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Rows><Row a=\"2\"/></Rows><Row a=\"3\"/></Rows>"
        "</VXNResponse>",
        "<VXNResponse><Details><Row a=\"1\"/></Details><Rows><Row a=\"2\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows>\n  <Row a=\"1\"/>\n  <Row\ta='2' />\n</Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\" a=\"3\"/><Row a=\"4\"/></Rows>"
        "</VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"&bogus;\"/><Row a=\"4\"/></Rows>"
        "</VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\">&#0;</Row><Row a=\"4\"/></Rows>"
        "</VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/>a]]>b<Row a=\"2\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\"/><Row a=\"3\"/></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\"/><Row a=\"3\"/></Rows>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\"/><Row a=\"3\"/></Rows></VXNResponse>x",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\"/><!-- c --><Row a=\"3\"/></Rows>"
        "</VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"\x01\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><Row a=\"2\"/></Rows></VXNResponse><Rows>",
    };
    for (const char* raw : bodies) {
        const QByteArray body = bodyOf(QString::fromUtf8(raw));
        const auto expected = queryxml::parseBodyFully(body);
        ASSERT_EQ(inOrder(body), expected) << raw;
        const qsizetype size = body.size() / 2;
        for (qsizetype at = 0; at <= size; ++at)
            for (const qsizetype second : {at + 7, at + 13, size - 1})
                ASSERT_EQ(cutAt(body, {at, second}), expected)
                    << raw << "\ncut at " << at << ", " << second << "\n"
                    << describe(cutAt(body, {at, second})) << "\n"
                    << describe(expected);
    }
}

TEST(QueryXmlSplit, MutatedBodiesReadAsInOrder) {
    const QString original = text16(sampleBody());
    const char16_t pieces[] = {u'<', u'>', u'&',  u'"',  u'\'', u';', u'/', u'=', u' ',
                               u'#', u'R', u'\n', u'\r', u'\0', u']', u'!', u'é'};
    QRandomGenerator random(20261208);
    for (int round = 0; round < 3000; ++round) {
        const QString text = mutated(original, QStringView(pieces, std::size(pieces)), random);
        const QByteArray body = bodyOf(text);
        const QList<qsizetype> rows = rowStarts(text);
        QList<qsizetype> at;
        for (int n = random.bounded(1, 4); n > 0 && !rows.isEmpty(); --n)
            at.append(rows[random.bounded(int(rows.size()))]);
        ASSERT_EQ(cutAt(body, at), inOrder(body))
            << text.toUtf8().toPercentEncoding(" <>=/&;'\"?!#").toStdString();
    }
}

// A large answer like the database's: many rows of a few columns, values shared with the
// row before, some escaped.
QByteArray largeBody(int rows) {
    CmdDBSProcessQueryResponse response(0, QStringLiteral("OK"));
    DBSResultSet set;
    for (int i = 0; i < rows; ++i)
        set.rows.append(row({{"DeviceID", QString::number(i / 8)},
                             {"Property", QStringLiteral("prop%1").arg(i % 8)},
                             {"Value", QStringLiteral("v<%1> & \"x\" 😀").arg(i)}}));
    response.resultSets() = {DBSResultSet(), set};
    QByteArray body;
    response.serialize(body);
    return body;
}

TEST(QueryXmlSplit, LargeBodiesAreSharedAtTheSizeThreshold) {
    const QByteArray body = largeBody(20000);
    const qsizetype chars = body.size() / 2;
    const auto expected = inOrder(body);
    ASSERT_EQ(expected.resultSets.value(1).rows.size(), 20000);
    for (const int pieces : {2, 3, 5}) {
        queryxml::ScanSplit split;
        split.threads = 2;
        split.stretchChars = chars / pieces + 1;
        int taken = 0;
        split.taken = &taken;
        split.waitForThreads = true;
        split.minChars = chars + 1; // just over the body's size: read in order
        ASSERT_EQ(queryxml::parseBody(body, split), expected);
        EXPECT_EQ(taken, 0);
        split.minChars = chars; // just under
        ASSERT_EQ(queryxml::parseBody(body, split), expected);
        EXPECT_EQ(taken, pieces - 1);
    }
}

TEST(QueryXmlSplit, ABodyOverBorrowedStorageIsReadOnThisThreadOnly) {
    // Helpers may outlive the read, so they keep the body; storage the body does not own
    // cannot be kept.
    const QByteArray body = largeBody(3000);
    const auto expected = inOrder(body);
    queryxml::ScanSplit split;
    split.minChars = 0;
    split.threads = 2;
    split.stretchChars = 4000;
    split.waitForThreads = true;
    int taken = 0;
    split.taken = &taken;
    ASSERT_EQ(queryxml::parseBody(QByteArray::fromRawData(body.constData(), body.size()), split),
              expected);
    EXPECT_EQ(taken, 0);
    ASSERT_EQ(queryxml::parseBody(body, split), expected);
    EXPECT_GT(taken, 10);
}

TEST(QueryXmlSplit, ConcurrentReadersEachGetTheirOwnAnswer) {
    const QByteArray bodies[] = {largeBody(6000), largeBody(7000)};
    const queryxml::ParsedBody expected[] = {inOrder(bodies[0]), inOrder(bodies[1])};
    std::vector<std::thread> readers;
    std::atomic<int> wrong = 0;
    for (int reader = 0; reader < 4; ++reader)
        readers.emplace_back([&, reader] {
            queryxml::ScanSplit split;
            split.minChars = 0;
            split.threads = 3;
            split.stretchChars = 5000;
            for (int round = 0; round < 3; ++round)
                if (!(queryxml::parseBody(bodies[reader % 2], split) == expected[reader % 2]))
                    ++wrong;
        });
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace

#include "VXNServiceFramework/http/RequestReader.h"

#include <gtest/gtest.h>

namespace {

using Status = RequestReader::Status;

Status feedAll(RequestReader& reader, const QByteArray& bytes) {
    return reader.feed(bytes.constData(), bytes.size());
}

TEST(HTTPParser, ContentLengthIsAPlainDecimalNumber) {
    const struct {
        const char* value;
        qint64 length;
    } rows[] = {
        {"0", 0},
        {"64", 64},
        {"0010", 10},
        {"abc", -1},
        {"0x10", -1},
        {"", -1},
        {"+5", -1},
        {"-1", -1},
        {"1 2", -1},
        {"12a", -1},
        {"5.0", -1},
        {"99999999999999999999", -1},
        {"1000000000000000000", -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HTTPParser::parseContentLength(QString::fromLatin1(row.value)), row.length)
            << '"' << row.value << '"';
    }
    // Digits of other scripts are not decimal digits of HTTP.
    EXPECT_EQ(HTTPParser::parseContentLength(QStringLiteral("\u0661")), -1);
}

TEST(RequestReader, AnyWayOfCuttingTheBytesGivesTheSameRequest) {
    const QByteArray wire = "GET /Sch/Register?a=1 HTTP/1.1\r\nX-A: b\r\nContent-Length:11\r\n\r\n"
                            "hello worldTRAILING";
    for (qsizetype cut = 1; cut < wire.size(); ++cut) {
        RequestReader reader;
        reader.feed(wire.constData(), cut);
        EXPECT_EQ(reader.feed(wire.constData() + cut, wire.size() - cut), Status::Complete)
            << "cut at " << cut;
        EXPECT_EQ(reader.command(), QStringLiteral("SchRegister"));
        EXPECT_EQ(reader.body(), "hello world") << "cut at " << cut;
    }
}

TEST(RequestReader, AnnouncedLengthReservesNothingBeforeBytesArrive) {
    RequestReader reader;
    ASSERT_EQ(feedAll(reader, "GET Cmd HTTP/1.1\r\nContent-Length:67108864\r\n\r\n"),
              Status::NeedMore);
    EXPECT_EQ(reader.contentLength(), 67108864);
    EXPECT_LT(reader.body().capacity(), 64 * 1024);
    const QByteArray piece(100 * 1000, 'x');
    EXPECT_EQ(feedAll(reader, piece), Status::NeedMore);
    EXPECT_EQ(reader.body().size(), piece.size());
    EXPECT_LT(reader.body().capacity(), 4 * piece.size());
}

TEST(RequestReader, UnreadableHeadsAreBad) {
    RequestReader::Limits small;
    small.maxHeaderBytes = 64;
    small.maxBodyBytes = 10;
    const QByteArray rows[] = {
        "GET Cmd HTTP/1.1\r\n\r\n",                      // no Content-Length
        "GET Cmd HTTP/1.1\r\ncontent-length:1\r\n\r\nx", // its name has another case
        "GET Cmd HTTP/1.1\r\nContent-Length:0x1\r\n\r\nx",
        "GET Cmd HTTP/1.1\r\nContent-Length:\r\n\r\n",
        "GET Cmd HTTP/1.1\r\nContent-Length:11\r\n\r\n", // over the body bound
        "GET Cmd HTTP/1.1\r\nX:" + QByteArray(64, 'x'),  // over the head bound, unfinished
        "NOT A REQUEST LINE\r\n",
        // Two lengths that disagree, or a length beside a transfer coding: a proxy in front may
        // read the body differently than we do and smuggle a second request in it.
        "GET Cmd HTTP/1.1\r\nContent-Length:1\r\nContent-Length:2\r\n\r\nxy",
        "GET Cmd HTTP/1.1\r\nTransfer-Encoding: chunked\r\nContent-Length:1\r\n\r\nx",
        "GET Cmd HTTP/1.1\r\nContent-Length:1\r\ntransfer-encoding:identity\r\n\r\nx",
    };
    for (const QByteArray& bytes : rows) {
        RequestReader reader(small);
        EXPECT_EQ(feedAll(reader, bytes), Status::Bad) << bytes.constData();
        // Nothing after a verdict changes it.
        EXPECT_EQ(feedAll(reader, "GET Cmd HTTP/1.1\r\nContent-Length:0\r\n\r\n"), Status::Bad);
    }
}

TEST(RequestReader, ARepeatedLengthOfTheSameValueIsOneLength) {
    RequestReader reader;
    EXPECT_EQ(feedAll(reader, "GET Cmd HTTP/1.1\r\nContent-Length:2\r\nContent-Length: 02\r\n"
                              "\r\nxy"),
              Status::Complete);
    EXPECT_EQ(reader.body(), "xy");
}

TEST(RequestReader, LargeBodiesTogetherStayWithinTheSharedBudget) {
    SharedMemoryBudget budget(100);
    RequestReader::Limits limits;
    limits.bodyBudget = &budget;
    limits.freeBodyBytes = 10;
    const auto head = [](int length) {
        return "GET Cmd HTTP/1.1\r\nContent-Length:" + QByteArray::number(length) + "\r\n\r\n";
    };

    RequestReader first(limits);
    ASSERT_EQ(feedAll(first, head(50) + QByteArray(50, 'a')), Status::Complete);
    EXPECT_EQ(budget.used(), 40u);
    RequestReader partial(limits);
    ASSERT_EQ(feedAll(partial, head(80) + QByteArray(40, 'b')), Status::NeedMore);
    EXPECT_EQ(budget.used(), 70u);
    // The rest of its body would pass the bound: refused, and nothing more is held for it.
    EXPECT_EQ(feedAll(partial, QByteArray(40, 'b')), Status::Overloaded);
    EXPECT_EQ(budget.used(), 70u);
    // A small request needs nothing of the budget.
    RequestReader small(limits);
    EXPECT_EQ(feedAll(small, head(10) + QByteArray(10, 'c')), Status::Complete);

    // The shares go back with the request that holds them.
    {
        MemoryShare served = first.takeShare();
        EXPECT_EQ(budget.used(), 70u);
    }
    EXPECT_EQ(budget.used(), 30u);
    {
        RequestReader again(limits);
        EXPECT_EQ(feedAll(again, head(80) + QByteArray(80, 'd')), Status::Complete);
        EXPECT_EQ(budget.used(), 100u);
    }
    EXPECT_EQ(budget.used(), 30u);
}

} // namespace

#include "PeerPacketTestUtil.h"
#include "VXNServiceFramework/dom/DomBuild.h"
#include "peers/CmdDBSProcessQueryResponse.h"
#include "peers/QueryXmlReader.h"
#include "peers/QueryXmlWriter.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace queryxml = peers::queryxml;

namespace {
// The same answer built through the DOM and written by the DOM writer.
class DomQueryResponse : public ResponsePacket {
public:
    QList<DBSResultSet> sets;
    void serialize(QByteArray& body) override {
        buildDocument();
        for (const DBSResultSet& set : sets) {
            auto* rows = dom::appendElement(rootElement(), QStringLiteral("Rows"));
            if (set.lastRowId != -1)
                dom::setAttribute(rows, QStringLiteral("LastRowID"),
                                  QString::number(set.lastRowId));
            for (const auto& row : set.rows) {
                auto* element = dom::appendElement(rows, QStringLiteral("Row"));
                for (qsizetype i = 0; i < row.size(); ++i)
                    dom::setAttribute(element, row.columns()[i], row.values()[i]);
            }
        }
        ResponsePacket::serialize(body);
    }
};

QList<DBSResultSet> sampleSets() {
    DBSResultSet empty;
    DBSResultSet inserted;
    inserted.lastRowId = 12;
    DBSResultSet rows;
    rows.rows.append({{QStringLiteral("IP"), QStringLiteral("10.0.0.9")},
                      {QStringLiteral("Name"), QStringLiteral("R&D <2nd> \"floor\" it's")},
                      {QStringLiteral("Empty"), QString()}});
    rows.rows.append({{QStringLiteral("IP"), QStringLiteral("Grüße 😀")}});
    return {empty, inserted, rows};
}

TEST(QueryXml, StreamedBodyEqualsTheDomWritersBody) {
    CmdDBSProcessQueryResponse streamed(3, QStringLiteral("a<b & c"));
    DomQueryResponse built;
    built.setResult(3, QStringLiteral("a<b & c"));
    streamed.resultSets() = built.sets = sampleSets();
    QByteArray a, b;
    streamed.serialize(a);
    built.serialize(b);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(a.constData()), a.size() / 2)
                  .toStdString(),
              QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()), b.size() / 2)
                  .toStdString());
}

TEST(QueryXml, LineBreaksAndTabsInValuesSurvive) {
    CmdDBSProcessQueryResponse response;
    DBSResultSet set;
    set.rows.append({{QStringLiteral("CommandToSend"),
                      QStringLiteral("<VXNRequest>\r\n\t<A>x</A>\n</VXNRequest>")}});
    response.addResultSet(set);
    const auto back = roundTrip<CmdDBSProcessQueryResponse>(response);
    ASSERT_EQ(back->resultSets().size(), 1);
    EXPECT_EQ(back->resultSets()[0], set);
}

TEST(QueryXml, ReadsLikeTheDomReader) {
    // Result and Details follow the DOM reading rules: only element of its name, numbers in
    // base 10, anything else 0 or empty.
    const char* bodies[] = {
        "<VXNResponse><Result>7</Result><Details>x</Details><Details>y</Details></VXNResponse>",
        "<VXNResponse><Result>abc</Result><Details>x<b>y</b>z</Details></VXNResponse>",
        "<?xml version=\"1.0\"?><VXNResponse><Details>only</Details></VXNResponse>",
        "<VXNResponse><Rows><Result>5</Result></Rows><Result>6</Result></VXNResponse>",
        "<VXNResponse>\n <Result> 12 </Result>\n <Details>&lt;&#65;&#x42;</Details></VXNResponse>",
    };
    for (const char* text : bodies) {
        const QByteArray body = utf16(QString::fromUtf8(text));
        ResponsePacket viaDom;
        viaDom.parse(body);
        CmdDBSProcessQueryResponse streamed;
        streamed.parse(body);
        EXPECT_EQ(streamed.result(), viaDom.result()) << text;
        EXPECT_EQ(streamed.details().toStdString(), viaDom.details().toStdString()) << text;
    }
}

TEST(QueryXml, FastScannerAgreesWithTheFullReader) {
    const char* bodies[] = {
        "<VXNResponse><Result>0</Result><Details>OK</Details><Rows LastRowID='4'><Row a='1' "
        "b=\"&quot;&apos;\"/></Rows></VXNResponse>",
        "<VXNResponse><!-- note --><Rows><Row a=\"1\"/></Rows></VXNResponse>",
        "<VXNResponse><Details><![CDATA[<x>]]></Details></VXNResponse>",
        "<!DOCTYPE r [<!ENTITY e \"ent\">]><VXNResponse><Details>&e;</Details></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\" a=\"2\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\" b=\"2\"/><Row a=\"1\" a=\"2\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\" b=\"2\" c=\"3\"/><Row a=\"1\"/><Row a=\"1\" b=\"2\" "
        "b=\"3\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"></Rows></VXNResponse>",
        "<VXNResponse><Details>a]]>b</Details></VXNResponse>",
        "<VXNResponse><Details>&#0;</Details></VXNResponse>",
        "<VXNResponse><Details>&# 65;</Details></VXNResponse>",
        "<VXNResponse><Details>&unknown;</Details></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"x\ny\"/></Rows></VXNResponse>",
        "<VXNResponse><Details>a\r\nb</Details></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"<\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"b=\"2\"/></Rows></VXNResponse>",
        "<VXNResponse/><extra/>",
        "<VXNResponse><Größe>1</Größe><Rows><Row x:y=\"1\"/></Rows></VXNResponse>",
        "<VXNResponse><Rows><Row a=\"1\"/><x><Row b=\"2\"/></x></Rows><Row c=\"3\"/></VXNResponse>",
        "",
        "   ",
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<VXNResponse>\n</VXNResponse>\n",
    };
    for (const char* text : bodies) {
        const QByteArray body = utf16(QString::fromUtf8(text));
        const auto fast = queryxml::parseBody(body);
        const auto full = queryxml::parseBodyFully(body);
        EXPECT_EQ(fast.ok, full.ok) << text;
        EXPECT_TRUE(fast == full) << text << "\n fast: " << fast.error.toStdString()
                                  << "\n full: " << full.error.toStdString();
    }
}

TEST(QueryXml, RowsWithChangingColumnsKeepTheirOwnValues) {
    // Rows of one set usually share their columns; these change order and set between rows.
    const QByteArray body = utf16(QStringLiteral(
        "<VXNResponse><Rows><Row b=\"2\" a=\"1\"/><Row a=\"3\" b=\"4\"/><Row c=\"5\"/>"
        "<Row b=\"6\" a=\"7\"/><Row/><Row a=\"8\" c=\"9\" b=\"10\"/></Rows></VXNResponse>"));
    for (const bool fast : {true, false}) {
        const auto parsed = queryxml::parseBody(body, fast);
        ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
        const QList<DBSRow>& rows = parsed.resultSets.value(0).rows;
        ASSERT_EQ(rows.size(), 6);
        const QList<DBSRow> expected{
            {{QStringLiteral("a"), QStringLiteral("1")},
             {QStringLiteral("b"), QStringLiteral("2")}},
            {{QStringLiteral("a"), QStringLiteral("3")},
             {QStringLiteral("b"), QStringLiteral("4")}},
            {{QStringLiteral("c"), QStringLiteral("5")}},
            {{QStringLiteral("a"), QStringLiteral("7")},
             {QStringLiteral("b"), QStringLiteral("6")}},
            {},
            {{QStringLiteral("a"), QStringLiteral("8")},
             {QStringLiteral("b"), QStringLiteral("10")},
             {QStringLiteral("c"), QStringLiteral("9")}},
        };
        EXPECT_EQ(rows, expected) << (fast ? "fast" : "full");
        EXPECT_EQ(rows[2].value(QStringLiteral("a")), QString());
    }
}

TEST(QueryXml, ValuesRepeatedFromTheRowBeforeStayTheirOwn) {
    // Rows repeat values of the row before, escaped ones too, sometimes at another column or
    // with the columns in another order; each row must still read its own values.
    const QByteArray body = utf16(QStringLiteral(
        "<VXNResponse><Rows><Row d=\"1\" v=\"x&amp;y\"/><Row d=\"1\" v=\"x&amp;y\"/>"
        "<Row v=\"1\" d=\"x&amp;y\"/><Row d=\"1\" v=\"x&amp;z\"/><Row d=\"\" v=\"\"/>"
        "<Row d=\"2\"/></Rows><Rows><Row d=\"2\" v=\"&lt;\"/></Rows></VXNResponse>"));
    const auto row = [](const char* d, const char* v) {
        DBSRow made{{QStringLiteral("d"), QString::fromUtf8(d)}};
        if (v)
            made.insert(QStringLiteral("v"), QString::fromUtf8(v));
        return made;
    };
    const QList<DBSRow> first{row("1", "x&y"), row("1", "x&y"), row("x&y", "1"),
                              row("1", "x&z"), row("", ""),     row("2", nullptr)};
    for (const bool fast : {true, false}) {
        const auto parsed = queryxml::parseBody(body, fast);
        ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
        ASSERT_EQ(parsed.resultSets.size(), 2);
        EXPECT_EQ(parsed.resultSets[0].rows, first) << (fast ? "fast" : "full");
        EXPECT_EQ(parsed.resultSets[1].rows, QList<DBSRow>{row("2", "<")});
    }
}

TEST(QueryXml, MutatedBodiesReadTheSameEitherWay) {
    CmdDBSProcessQueryResponse response(0, QStringLiteral("O'K & fine"));
    response.resultSets() = sampleSets();
    QByteArray body;
    response.serialize(body);
    const QString original =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
    const char16_t pieces[] = {u'<', u'>',  u'&',  u'"',  u'\'', u';', u'/', u'=', u' ', u'#',
                               u'x', u'\n', u'\r', u'\0', u'A',  u']', u'!', u'?', u'é', u':'};
    QRandomGenerator random(20261207);
    int disagreements = 0;
    for (int round = 0; round < 3000; ++round) {
        const QString text = mutated(original, QStringView(pieces, std::size(pieces)), random);
        const QByteArray mutated = utf16(text);
        if (!(queryxml::parseBody(mutated) == queryxml::parseBodyFully(mutated))) {
            ++disagreements;
            ADD_FAILURE() << text.toUtf8().toPercentEncoding(" <>=/&;'\"?!#").toStdString();
            if (disagreements > 5)
                break;
        }
    }
    EXPECT_EQ(disagreements, 0);
}
} // namespace

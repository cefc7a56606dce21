#include "VXNServiceFramework/packets/RequestPacket.h"
#include "VXNServiceFramework/packets/ResponsePacket.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <xercesc/dom/DOMElement.hpp>

namespace {

QString utf16le(const QByteArray& body) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2);
}

QByteArray asUtf16le(const QString& text) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QString serialized(PacketDOM& packet) {
    QByteArray body;
    packet.serialize(body);
    EXPECT_EQ(body.size() % 2, 0);
    return utf16le(body);
}

std::unique_ptr<ResponsePacket> parsedResponse(const QByteArray& body) {
    auto response = std::make_unique<ResponsePacket>(99, QStringLiteral("untouched"));
    response->parse(body);
    return response;
}

// A DOM-family request as a command class would write one.
class ProbeRequest : public RequestPacket {
public:
    ProbeRequest() : RequestPacket(QStringLiteral("Probe")) {}
};

} // namespace

TEST(ResponsePacket, DefaultDetailsFollowTheCode) {
    const struct {
        int code;
        const char* details;
    } rows[] = {{0, "OK"}, {7, "Fail"}, {-1, "Fail"}};
    for (const auto& row : rows) {
        ResponsePacket response(row.code);
        EXPECT_EQ(response.result(), row.code);
        EXPECT_EQ(response.details(), QLatin1String(row.details));
        const QString text = serialized(response);
        EXPECT_TRUE(text.endsWith(QStringLiteral("<VXNResponse><Result>%1</Result><Details>%2</"
                                                 "Details></VXNResponse>")
                                      .arg(row.code)
                                      .arg(QLatin1String(row.details))))
            << text.toStdString();
    }
}

TEST(PacketDOM, WritesUtf16LittleEndianWithDeclarationAndNoByteOrderMark) {
    ResponsePacket response(0, QStringLiteral("x\U0001F600"));
    QByteArray body;
    response.serialize(body);
    ASSERT_GE(body.size(), 4);
    EXPECT_EQ(body.left(4), QByteArray("<\0?\0", 4));
    const QString text = utf16le(body);
    EXPECT_TRUE(text.startsWith(QStringLiteral("<?xml"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("UTF-16")));
    // Two bytes per UTF-16 code unit; the emoji is a surrogate pair, i.e. two units.
    EXPECT_EQ(body.size(), 2 * text.size());
    EXPECT_TRUE(text.contains(QStringLiteral("<Details>x\U0001F600</Details>")));
}

TEST(PacketDOM, ParsesTenCharactersFromTwentyBytes) {
    const QByteArray body = asUtf16le(QStringLiteral("<a>bcd</a>"));
    ASSERT_EQ(body.size(), 20);
    ProbeRequest request;
    request.parse(body);
    EXPECT_TRUE(request.parseError().isEmpty()) << request.parseError().toStdString();
    EXPECT_EQ(request.elementText(QStringLiteral("a")), QStringLiteral("bcd"));
}

TEST(PacketDOM, DetectsTheEncodingFromTheBytes) {
    const QString xml =
        QStringLiteral("<VXNResponse><Result>3</Result><Details>\u00e9\u20ac\U0001F600"
                       "</Details></VXNResponse>");
    QByteArray utf16be;
    for (QChar unit : xml)
        utf16be.append(char(unit.unicode() >> 8)).append(char(unit.unicode() & 0xff));
    const struct {
        const char* name;
        QByteArray body;
    } rows[] = {
        {"UTF-8", xml.toUtf8()},
        {"UTF-8 with declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + xml.toUtf8()},
        {"UTF-16LE without BOM", asUtf16le(xml)},
        {"UTF-16LE with BOM", QByteArray("\xff\xfe", 2) + asUtf16le(xml)},
        {"UTF-16BE with BOM", QByteArray("\xfe\xff", 2) + utf16be},
    };
    for (const auto& row : rows) {
        const auto response = parsedResponse(row.body);
        EXPECT_EQ(response->result(), 3) << row.name;
        EXPECT_EQ(response->details(), QStringLiteral("\u00e9\u20ac\U0001F600")) << row.name;
    }
}

TEST(ResponsePacket, ReadsResultAndDetailsLeniently) {
    const struct {
        const char* body;
        int result;
        const char* details;
    } rows[] = {
        {"<VXNResponse><Result>12</Result><Details>why</Details></VXNResponse>", 12, "why"},
        {"<VXNResponse><Result>-1</Result><Details/></VXNResponse>", -1, ""},
        {"<VXNResponse><Result>abc</Result><Details>d</Details></VXNResponse>", 0, "d"},
        {"<VXNResponse><Result>99999999999</Result></VXNResponse>", 0, ""},
        {"<VXNResponse><Details>a</Details><Details>b</Details></VXNResponse>", 0, ""},
        {"<VXNResponse><Result>1</Result><Result>2</Result></VXNResponse>", 0, ""},
        {"<Other><Data><Details>deep</Details></Data></Other>", 0, "deep"},
    };
    for (const auto& row : rows) {
        const auto response = parsedResponse(row.body);
        EXPECT_EQ(response->result(), row.result) << row.body;
        EXPECT_EQ(response->details(), QString::fromUtf8(row.details)) << row.body;
    }
}

TEST(ResponsePacket, AnUnreadableBodyIsAFailureNotSuccess) {
    const QByteArray rows[] = {
        "",
        "not xml at all",
        "<VXNResponse><Result>0</Result><Details>OK</Details>",
        "<VXNResponse><Result>0</Result></Details></VXNResponse>",
        QByteArray("\xff\xfe<\0", 4),
    };
    for (const auto& body : rows) {
        const auto response = parsedResponse(body);
        EXPECT_EQ(response->result(), 4) << body.toStdString();
        EXPECT_TRUE(response->details().startsWith(QStringLiteral("Wrong response format: ")));
        EXPECT_GT(response->details().size(), 23) << "the parser's reason follows";
        EXPECT_EQ(response->document(), nullptr);
    }
}

TEST(RequestPacket, AnUnreadableBodyLeavesEveryFieldEmptyWithoutThrowing) {
    ProbeRequest request;
    request.addElement(QStringLiteral("Old"), QStringLiteral("value"));
    EXPECT_NO_THROW(request.parse("<VXNRequest command=\"Probe\"><Old>new</Old>"));
    EXPECT_FALSE(request.parseError().isEmpty());
    EXPECT_EQ(request.elementText(QStringLiteral("Old")), QString());
    EXPECT_EQ(request.childElementMap(QStringLiteral("VXNRequest")), PacketDOM::StringMap());
    EXPECT_EQ(request.command(), QStringLiteral("Probe"));
}

TEST(RequestPacket, BuildsTheEnvelopeWithTheCommandAttribute) {
    RequestPacket request(QStringLiteral("Say\"Hi\"<&>"));
    request.addElement(QStringLiteral("Text"), QStringLiteral("a<b&c"));
    const QString text = serialized(request);
    RequestPacket reread;
    reread.parse(asUtf16le(text));
    ASSERT_NE(reread.rootElement(), nullptr);
    EXPECT_EQ(QStringView(reread.rootElement()->getTagName()), QStringLiteral("VXNRequest"));
    EXPECT_EQ(QStringView(reread.rootElement()->getAttribute(u"command")),
              QStringLiteral("Say\"Hi\"<&>"));
    EXPECT_EQ(reread.elementText(QStringLiteral("Text")), QStringLiteral("a<b&c"));
}

TEST(Packet, RequestsHaveNoResultAndResponsesNoCommand) {
    RequestPacket request(QStringLiteral("X"));
    ResponsePacket response(0);
    EXPECT_THROW(request.result(), WrongPacketFormat);
    EXPECT_THROW(request.details(), WrongPacketFormat);
    EXPECT_THROW(request.setResult(1, QStringLiteral("x")), WrongPacketFormat);
    EXPECT_THROW(response.command(), WrongPacketFormat);
    try {
        response.command();
    } catch (const WrongPacketFormat& e) {
        EXPECT_TRUE(e.message().isEmpty());
    }
}

TEST(PacketDOM, ElementOperations) {
    ProbeRequest request;
    request.addElement(QStringLiteral("Name"), QStringLiteral("printer 1"), QStringLiteral("17"));
    request.addElement(QStringLiteral("Plain"), QStringLiteral("text"));
    request.addElement(QStringLiteral("Twice"), QStringLiteral("one"), QStringLiteral("1"));
    request.addElement(QStringLiteral("Twice"), QStringLiteral("two"), QStringLiteral("2"));
    request.addElementMap(QStringLiteral("Props"), {{QStringLiteral("b"), QStringLiteral("2")},
                                                    {QStringLiteral("a"), QStringLiteral("1")}});
    auto* rows = request.addElement(QStringLiteral("Rows"), QString());
    request.addChildPairs(rows, {{QStringLiteral("Row"), QStringLiteral("z")},
                                 {QStringLiteral("Col"), QStringLiteral("y")},
                                 {QStringLiteral("Row"), QStringLiteral("x")}});

    // Everything is read back from the parsed body, not from the built document.
    ProbeRequest reread;
    reread.parse(asUtf16le(serialized(request)));
    ASSERT_TRUE(reread.parseError().isEmpty()) << reread.parseError().toStdString();

    EXPECT_EQ(reread.elementText(QStringLiteral("Name")), QStringLiteral("printer 1"));
    EXPECT_EQ(reread.elementId(QStringLiteral("Name")), QStringLiteral("17"));
    EXPECT_EQ(reread.elementText(QStringLiteral("Plain")), QStringLiteral("text"));
    EXPECT_EQ(reread.elementId(QStringLiteral("Plain")), QString());
    // Not exactly one match: empty.
    EXPECT_EQ(reread.elementText(QStringLiteral("Twice")), QString());
    EXPECT_EQ(reread.elementId(QStringLiteral("Twice")), QString());
    EXPECT_EQ(reread.elementText(QStringLiteral("Missing")), QString());
    EXPECT_EQ(reread.elementText(QStringLiteral("name")), QString()) << "names are case-sensitive";
    // Nested elements are found anywhere in the document.
    EXPECT_EQ(reread.elementText(QStringLiteral("a")), QStringLiteral("1"));
    EXPECT_EQ(reread.elementText(QStringLiteral("Col")), QStringLiteral("y"));

    const QString text = serialized(reread);
    EXPECT_TRUE(text.contains(QStringLiteral("<Props><a>1</a><b>2</b></Props>")))
        << "map entries in key order: " << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("<Rows><Row>z</Row><Col>y</Col><Row>x</Row></Rows>")))
        << "pairs in list order: " << text.toStdString();

    EXPECT_EQ(reread.childElementMap(QStringLiteral("Props")),
              (PacketDOM::StringMap{{QStringLiteral("a"), QStringLiteral("1")},
                                    {QStringLiteral("b"), QStringLiteral("2")}}));
    EXPECT_EQ(reread.childElementMap(QStringLiteral("Missing")), PacketDOM::StringMap());

    PacketDOM::StringPairs pairs;
    PacketDOM::childPairs(reread.firstElement(QStringLiteral("Rows")), pairs);
    EXPECT_EQ(pairs, (PacketDOM::StringPairs{{QStringLiteral("Row"), QStringLiteral("z")},
                                             {QStringLiteral("Col"), QStringLiteral("y")},
                                             {QStringLiteral("Row"), QStringLiteral("x")}}));
    PacketDOM::StringMap map;
    PacketDOM::childPairs(reread.firstElement(QStringLiteral("Rows")), map);
    EXPECT_EQ(map, (PacketDOM::StringMap{{QStringLiteral("Col"), QStringLiteral("y")},
                                         {QStringLiteral("Row"), QStringLiteral("x")}}))
        << "a later duplicate overwrites an earlier one";
}

TEST(PacketDOM, ReadsTextContentAcrossMarkupAndSkipsNonElements) {
    ProbeRequest request;
    request.parse("<VXNRequest command=\"Probe\"><Props>\n  <!-- note -->\n"
                  "  <A>one <B>two</B><![CDATA[ <three> ]]>&amp;&#x41;</A>\n"
                  "  <?pi data?><C/>\n</Props></VXNRequest>");
    ASSERT_TRUE(request.parseError().isEmpty()) << request.parseError().toStdString();
    EXPECT_EQ(request.elementText(QStringLiteral("A")), QStringLiteral("one two <three> &A"));
    EXPECT_EQ(request.childElementMap(QStringLiteral("Props")),
              (PacketDOM::StringMap{{QStringLiteral("A"), QStringLiteral("one two <three> &A")},
                                    {QStringLiteral("C"), QString()}}))
        << "whitespace, comments and processing instructions are not entries";
}

TEST(PacketDOM, InternalEntitiesExpand) {
    const auto response = parsedResponse(
        "<!DOCTYPE VXNResponse [<!ENTITY who \"world\">]>"
        "<VXNResponse><Result>0</Result><Details>hello &who;</Details></VXNResponse>");
    EXPECT_EQ(response->details(), QStringLiteral("hello world"));
}

TEST(PacketDOM, InvalidElementNamesAreRefused) {
    ProbeRequest request;
    EXPECT_THROW(request.addElement(QStringLiteral("not a name"), QStringLiteral("x")),
                 WrongPacketFormat);
    EXPECT_THROW(request.addElementMap(QStringLiteral("ok"), {{QStringLiteral("1bad"), {}}}),
                 WrongPacketFormat);
}

TEST(ResponsePacket, SetResultRewritesTheEnvelopeAndKeepsTheData) {
    auto response = parsedResponse(
        "<VXNResponse><Result>0</Result><Details>OK</Details><Data>kept</Data></VXNResponse>");
    response->setResult(12, QStringLiteral("changed"));
    auto reread = parsedResponse(asUtf16le(serialized(*response)));
    EXPECT_EQ(reread->result(), 12);
    EXPECT_EQ(reread->details(), QStringLiteral("changed"));
    EXPECT_EQ(reread->elementText(QStringLiteral("Data")), QStringLiteral("kept"));

    auto bare = parsedResponse("<VXNResponse><Data>x</Data></VXNResponse>");
    bare->setResult(5, QStringLiteral("added"));
    EXPECT_TRUE(serialized(*bare).endsWith(QStringLiteral(
        "<VXNResponse><Result>5</Result><Details>added</Details><Data>x</Data></VXNResponse>")));
}

// Bodies from outside never make the parser read files, and cannot make it build without bound.
TEST(PacketDOM, ExternalEntitiesAndDtdsAreNotLoaded) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    QFile file(secret);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("TOPSECRET");
    file.close();
    const QByteArray url = "file://" + secret.toUtf8();

    const auto viaEntity =
        parsedResponse("<!DOCTYPE VXNResponse [<!ENTITY x SYSTEM \"" + url +
                       "\">]>"
                       "<VXNResponse><Result>1</Result><Details>[&x;]</Details></VXNResponse>");
    EXPECT_EQ(viaEntity->result(), 1);
    EXPECT_EQ(viaEntity->details(), QStringLiteral("[]"));

    const auto viaDtd =
        parsedResponse("<!DOCTYPE VXNResponse SYSTEM \"" + url +
                       "\">"
                       "<VXNResponse><Result>2</Result><Details>d</Details></VXNResponse>");
    EXPECT_EQ(viaDtd->result(), 2);
    EXPECT_EQ(viaDtd->details(), QStringLiteral("d"));

    const auto viaParameterEntity =
        parsedResponse("<!DOCTYPE VXNResponse [<!ENTITY % p SYSTEM \"" + url +
                       "\"> %p;]>"
                       "<VXNResponse><Result>3</Result><Details>d</Details></VXNResponse>");
    EXPECT_FALSE(viaParameterEntity->details().contains(QStringLiteral("TOPSECRET")));
}

TEST(PacketDOM, EntityExpansionIsBounded) {
    QByteArray laughs = "<!DOCTYPE VXNResponse [<!ENTITY l0 \"ha\">";
    for (int i = 1; i <= 12; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"%2\">")
                      .arg(i)
                      .arg(QStringLiteral("&l%1;").arg(i - 1).repeated(10))
                      .toUtf8();
    laughs += "]><VXNResponse><Result>0</Result><Details>&l12;</Details></VXNResponse>";

    // Few references to one large entity: within the expansion count, beyond the memory bound.
    QByteArray quadratic = "<!DOCTYPE VXNResponse [<!ENTITY big \"" + QByteArray(50000, 'x') +
                           "\">]><VXNResponse><Result>0</Result><Details a=\"" +
                           QByteArray("&big;").repeated(2000) + "\"/></VXNResponse>";

    for (const QByteArray& body : {laughs, quadratic}) {
        const auto response = parsedResponse(body);
        EXPECT_EQ(response->result(), 4);
        EXPECT_TRUE(response->details().startsWith(QStringLiteral("Wrong response format: ")));
    }
}

TEST(PacketDOM, PredefinedEntitiesAndCharacterReferencesAreNotCountedAsExpansions) {
    const QByteArray many =
        QByteArray("&lt;&amp;&#65;").repeated(3 * PacketDOM::entityExpansionLimit);
    const auto response = parsedResponse("<VXNResponse><Result>0</Result><Details>" + many +
                                         "</Details></VXNResponse>");
    EXPECT_EQ(response->result(), 0) << response->details().left(200).toStdString();
    EXPECT_EQ(response->details().size(), 9 * PacketDOM::entityExpansionLimit);
}

TEST(PacketDOM, OversizedBodiesAreRefused) {
    QByteArray body = "<VXNResponse><Result>0</Result><Details>";
    body += QByteArray(PacketDOM::maxBodySize - body.size() + 1, 'x');
    const auto response = parsedResponse(body);
    EXPECT_EQ(response->result(), 4);
    EXPECT_TRUE(response->details().contains(QStringLiteral("exceeds")));
}

TEST(PacketDOM, CharactersXmlCannotCarryAreReplacedInsteadOfLosingTheBody) {
    const QString bad = QStringLiteral("a") + QChar(1) + QStringLiteral("b") + QChar(0) +
                        QStringLiteral("c") + QChar(0xD800) + QStringLiteral("d") + QChar(0xFFFE) +
                        QStringLiteral("\t\U0001F600");
    const QString expected = QStringLiteral("a\uFFFDb\uFFFDc\uFFFDd\uFFFD\t\U0001F600");

    ResponsePacket response(1, bad);
    response.addElement(QStringLiteral("Data"), bad, bad);
    QByteArray body;
    ASSERT_NO_THROW(response.serialize(body));
    const auto reread = parsedResponse(body);
    EXPECT_EQ(reread->result(), 1);
    EXPECT_EQ(reread->details(), expected);
    EXPECT_EQ(reread->elementText(QStringLiteral("Data")), expected);
    EXPECT_EQ(reread->elementId(QStringLiteral("Data")), expected);

    RequestPacket request(bad);
    QByteArray requestBody;
    ASSERT_NO_THROW(request.serialize(requestBody));
    RequestPacket requestBack;
    requestBack.parse(requestBody);
    ASSERT_NE(requestBack.rootElement(), nullptr);
    EXPECT_EQ(QStringView(requestBack.rootElement()->getAttribute(u"command")), expected);
}

#include "PeerPacketTestUtil.h"
#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "VXNServiceFramework/packets/WrongPacketFormat.h"
#include "peers/CmdWebUploadTemporaryFileRequest.h"
#include "peers/UploadBodyReader.h"
#include "peers/UploadBodyWriter.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

QByteArray someBytes(qsizetype size, quint32 seed = 7) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

// The request as the DOM writes it.
QByteArray domBody(const QString& fileName, const QByteArray& data) {
    dom::Document document = dom::Document::create(QStringLiteral("VXNRequest"));
    dom::setAttribute(document.root(), QStringLiteral("command"),
                      CmdWebUploadTemporaryFileRequest::commandName);
    dom::Element* element = dom::appendTextElement(document.root(), QStringLiteral("Data"),
                                                   QString::fromLatin1(data.toBase64()));
    dom::setAttribute(element, QStringLiteral("filename"), fileName);
    return dom::toUtf16(document.get());
}

std::string wideText(const QByteArray& body) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(body.constData()), body.size() / 2)
        .left(300)
        .toStdString();
}

// What reading the body through the DOM gives.
peers::uploadbody::Fields domReading(const QByteArray& body) {
    const dom::ParseResult parsed = dom::parse(body);
    const dom::Element* data = dom::onlyDescendant(parsed.document.root(), QStringLiteral("Data"));
    if (!data)
        return {};
    return {dom::attribute(data, QStringLiteral("filename")),
            QByteArray::fromBase64(dom::textContent(data).toLatin1())};
}

// A body the DOM cannot read at all is a wrong request format, not an upload of nothing.
void expectReadAsTheDomReads(const QByteArray& body) {
    CmdWebUploadTemporaryFileRequest request;
    if (!dom::parse(body).ok()) {
        EXPECT_THROW(request.parse(body), WrongPacketFormat) << body.left(200).toStdString();
        return;
    }
    const peers::uploadbody::Fields expected = domReading(body);
    request.parse(body);
    EXPECT_EQ(request.fileName, expected.fileName);
    EXPECT_EQ(request.data, expected.data);
}

TEST(UploadBody, SmallFilesAreWrittenAsTheDomWritesThem) {
    const struct {
        QString fileName;
        QByteArray data;
    } cases[] = {
        {QStringLiteral("Chart1.gif"), QByteArray()},
        {QStringLiteral("Report_20080131_090451.htm"), QByteArray("\x00\x01\xfe\xff", 4)},
        {QStringLiteral("a&b \"c\" <d> e\tf\ng.csv"), someBytes(3001)},
        {QStringLiteral("Bericht_äß€\U0001D11E.htm"), someBytes(5)},
    };
    for (const auto& c : cases) {
        CmdWebUploadTemporaryFileRequest request;
        request.fileName = c.fileName;
        request.data = c.data;
        QByteArray body;
        request.serialize(body);
        const QByteArray expected = domBody(c.fileName, c.data);
        EXPECT_EQ(body, expected) << "ours: " << wideText(body)
                                  << "\nDOM's: " << wideText(expected);
        const auto back = roundTrip<CmdWebUploadTemporaryFileRequest>(request);
        EXPECT_EQ(back->fileName, c.fileName);
        EXPECT_EQ(back->data, c.data);
    }
}

TEST(UploadBody, PlainBodiesAreReadWithoutTheDomAndAsTheDomReadsThem) {
    const QByteArray data = someBytes(1000);
    QByteArray wrapped = data.toBase64();
    for (qsizetype at = 76; at < wrapped.size(); at += 78)
        wrapped.insert(at, "\r\n");
    const QByteArray bodies[] = {
        domBody(QStringLiteral("Report.htm"), data),
        domBody(QStringLiteral("Bericht_ä€\U0001D11E x.csv"), data),
        domBody(QStringLiteral("Empty.csv"), {}),
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?><VXNRequest "
        "command=\"WEBUploadTemporaryFile\"><Data filename=\"Report.htm\">" +
            data.toBase64() + "</Data></VXNRequest>",
        "<?xml version='1.0' encoding='utf-8'?>\n<VXNRequest command='WEBUploadTemporaryFile'>\n"
        "  <Data other = \"1\" filename='Bericht_\xc3\xa4.htm' >" +
            wrapped + "</Data >\n</VXNRequest>\n",
        "<VXNRequest><Data filename=\"x.csv\"></Data></VXNRequest>",
        "<VXNRequest><Data/></VXNRequest>",
    };
    for (const QByteArray& body : bodies) {
        EXPECT_TRUE(peers::uploadbody::readPlain(body).has_value()) << body.left(200).toStdString();
        expectReadAsTheDomReads(body);
    }
    // The fields themselves, not only agreement with the DOM.
    const auto plain = peers::uploadbody::readPlain(bodies[4]);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->fileName, QStringLiteral("Bericht_ä.htm"));
    EXPECT_EQ(plain->data, data);
}

TEST(UploadBody, OtherBodiesAreLeftToTheDomReader) {
    const QByteArray text = QByteArray("hello").toBase64();
    const QByteArray bodies[] = {
        domBody(QStringLiteral("\"x\" <y>.csv"), "hello"),
        "<VXNRequest><!-- note --><Data filename=\"a.htm\">" + text + "</Data></VXNRequest>",
        "<VXNRequest><Data filename=\"a&amp;b.htm\">" + text + "</Data></VXNRequest>",
        "<VXNRequest><Data filename=\"a\tb.htm\">" + text + "</Data></VXNRequest>",
        "<VXNRequest><Data filename=\"a.htm\"><![CDATA[" + text + "]]></Data></VXNRequest>",
        "<VXNRequest><Data filename=\"a.htm\">" + text + "&#x41;</Data></VXNRequest>",
        "<VXNRequest><Data>" + text + "</Data><Data>" + text + "</Data></VXNRequest>",
        "<VXNRequest><Wrap><Data filename=\"a.htm\">" + text + "</Data></Wrap></VXNRequest>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><VXNRequest><Data filename=\"\xe4.htm\">" +
            text + "</Data></VXNRequest>",
        "<VXNRequest xmlns=\"urn:x\"><Data filename=\"a.htm\">" + text + "</Data></VXNRequest>",
        "<VXNRequest><Data filename=\"a.htm\" filename=\"b.htm\">" + text + "</Data></VXNRequest>",
        "<VXNRequest><Data filename=\"\xff.htm\">" + text + "</Data></VXNRequest>",
        "<VXNRequest><Data filename=\"a.htm\">" + text + "</Data></VXNRequest><x/>",
        "<VXNRequest><Data filename=\"a.htm\">" + text + "</Data>",
        "<Other><Data filename=\"a.htm\">" + text + "</Data></Other>",
        utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><VXNRequest>"
                             "<Data filename=\"a.htm\">aGVsbG8=</Data></VXNRequest>")),
    };
    for (const QByteArray& body : bodies) {
        EXPECT_FALSE(peers::uploadbody::readPlain(body).has_value())
            << body.left(200).toStdString();
        expectReadAsTheDomReads(body);
    }
    // A plain body read after another leaves nothing of the first behind.
    CmdWebUploadTemporaryFileRequest request;
    request.parse(bodies[0]);
    ASSERT_EQ(request.data, QByteArray("hello"));
    request.parse(domBody(QStringLiteral("b.htm"), "bye"));
    EXPECT_EQ(request.fileName, QStringLiteral("b.htm"));
    EXPECT_EQ(request.data, QByteArray("bye"));
    EXPECT_TRUE(request.parseError().isEmpty());
}

TEST(UploadBody, FilesTooLargeForUtf16GoAsUtf8AndLargerOnesAreRefused) {
    const QString name = QStringLiteral("Report_20080131_090451.htm");
    const auto bodyOf = [&](qsizetype size, const QByteArray& data) {
        CmdWebUploadTemporaryFileRequest request;
        request.fileName = name;
        request.data = data.isNull() ? QByteArray(size, 'x') : data;
        QByteArray body;
        request.serialize(body);
        return body;
    };
    // The text around three bytes (four base64 characters) gives the room left for data.
    const qsizetype frame16 = bodyOf(3, {}).size() / 2 - 4;
    const qsizetype frame8 = frame16 - 1; // "UTF-8" is one character shorter than "UTF-16"
    const qsizetype limit = peers::uploadbody::maxBodyBytes();
    const qsizetype largestWide = (limit / 2 - frame16) / 4 * 3;
    const qsizetype largestNarrow = (limit - frame8) / 4 * 3;

    QByteArray data = someBytes(largestWide, 3);
    QByteArray body = bodyOf(0, data);
    EXPECT_LE(body.size(), limit);
    EXPECT_TRUE(body.startsWith(QByteArrayView("<\0?\0x\0m\0l\0", 10)));
    auto read = peers::uploadbody::readPlain(body);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->data, data);

    data = someBytes(largestWide + 3, 4);
    body = bodyOf(0, data);
    EXPECT_TRUE(body.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>"
                                "<VXNRequest command=\"WEBUploadTemporaryFile\"><Data "
                                "filename=\"Report_20080131_090451.htm\">"));
    EXPECT_TRUE(body.endsWith("</Data></VXNRequest>"));
    read = peers::uploadbody::readPlain(body);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->fileName, name);
    EXPECT_EQ(read->data, data);
    data.clear();
    body.clear();
    read.reset();

    EXPECT_EQ(bodyOf(largestNarrow, {}).size(), frame8 + largestNarrow / 3 * 4);
    EXPECT_THROW(bodyOf(largestNarrow + 1, {}), WrongPacketFormat);
}

TEST(UploadBody, ANameXmlCannotCarryIsNotWritten) {
    for (const QString& name : {QStringLiteral("a\x01.htm"), QString(QChar(0xD800)) + "x.htm"}) {
        CmdWebUploadTemporaryFileRequest request;
        request.fileName = name;
        request.data = "x";
        QByteArray body;
        EXPECT_THROW(request.serialize(body), WrongPacketFormat);
    }
}

} // namespace

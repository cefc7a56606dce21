#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A small report document as the report generator builds one.
dom::Document reportDocument() {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::Element* info = dom::appendElement(document.root(), QStringLiteral("Info"));
    dom::appendTextElement(info, QStringLiteral("ReportType"), QStringLiteral("3"));
    dom::Element* body = dom::appendElement(document.root(), QStringLiteral("Body"));
    dom::Element* device = dom::appendElement(body, QStringLiteral("Device"));
    dom::setAttribute(device, QStringLiteral("ID"), QStringLiteral("17"));
    dom::appendTextElements(device, {{QStringLiteral("HostName"), QStringLiteral("prn-ü-1")},
                                     {QStringLiteral("IP"), QStringLiteral("10.0.0.9")}});
    return document;
}

dom::Document parsed(QByteArrayView bytes) {
    dom::ParseResult result = dom::parse(bytes);
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    return std::move(result.document);
}

} // namespace

TEST(Dom, ReportDocumentRoundTripsThroughUtf8AndUtf16) {
    const dom::Document original = reportDocument();
    for (const QByteArray& bytes :
         {dom::toUtf8(original.get()), dom::toUtf8(original.get(), dom::Layout::Pretty),
          dom::toUtf16(original.get())}) {
        const dom::Document reread = parsed(bytes);
        ASSERT_EQ(dom::name(reread.root()), QStringLiteral("Root"));
        dom::Element* device = dom::onlyDescendant(reread.get(), QStringLiteral("Device"));
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(dom::attribute(device, QStringLiteral("ID")), QStringLiteral("17"));
        dom::StringPairs columns;
        dom::childPairs(device, columns);
        const dom::StringPairs expected{{QStringLiteral("HostName"), QStringLiteral("prn-ü-1")},
                                        {QStringLiteral("IP"), QStringLiteral("10.0.0.9")}};
        EXPECT_EQ(columns, expected);
    }
}

TEST(Dom, Utf8OutputDeclaresItsEncodingAndPrettyPutsElementsOnTheirOwnLines) {
    const dom::Document document = reportDocument();
    const QByteArray compact = dom::toUtf8(document.get());
    const QByteArray pretty = dom::toUtf8(document.get(), dom::Layout::Pretty);
    EXPECT_TRUE(compact.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"")) << compact.data();
    EXPECT_TRUE(compact.contains("prn-\xc3\xbc-1")) << "the umlaut as two UTF-8 bytes";
    EXPECT_FALSE(compact.contains("\n  <Info>"));
    EXPECT_TRUE(pretty.contains("\n  <Info>")) << pretty.data();
    EXPECT_TRUE(pretty.contains("\n      <HostName>")) << pretty.data();
}

TEST(Dom, Utf16IsLittleEndianWithoutByteOrderMark) {
    const QByteArray bytes = dom::toUtf16(reportDocument().get());
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(bytes.left(4), QByteArray("<\0?\0", 4));
    EXPECT_TRUE(dom::toXmlString(reportDocument().get()).contains(QStringLiteral("UTF-16")));
}

TEST(Dom, InvalidNamesAreRefusedWithTheDomCode) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    for (const QString& name :
         {QStringLiteral("1st"), QStringLiteral("a b"), QString(), QStringLiteral("x<y")}) {
        EXPECT_FALSE(dom::isValidName(name)) << name.toStdString();
        try {
            dom::appendTextElement(document.root(), name, QStringLiteral("v"));
            ADD_FAILURE() << "accepted " << name.toStdString();
        } catch (const dom::BuildError& e) {
            EXPECT_EQ(e.code(), 5) << "INVALID_CHARACTER_ERR";
            EXPECT_FALSE(e.message().isEmpty());
        }
    }
    EXPECT_THROW(dom::setAttribute(document.root(), QStringLiteral("a b"), QString()),
                 dom::BuildError);
    EXPECT_THROW(dom::Document::create(QStringLiteral("<Root>")), dom::BuildError);
    // A refused step leaves what was built before it.
    EXPECT_EQ(dom::countDescendants(document.get(), QStringLiteral("Root")), 1);
    EXPECT_EQ(dom::textContent(document.root()), QString());
}

TEST(Dom, CDataHoldsAnyTextIncludingItsOwnTerminator) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    const QString command = QStringLiteral("<a>]]></a> & ]]]]>>");
    dom::appendCDataElement(document.root(), QStringLiteral("CommandToSend"), command);
    const QString written = dom::toXmlString(document.get());
    EXPECT_TRUE(written.contains(QStringLiteral("<![CDATA["))) << written.toStdString();
    const dom::Document reread = parsed(dom::toUtf16(document.get()));
    EXPECT_EQ(dom::textContent(dom::onlyDescendant(reread.get(), QStringLiteral("CommandToSend"))),
              command);
}

TEST(Dom, TextsWithCharactersXmlCannotCarryStillWrite) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::appendTextElement(document.root(), QStringLiteral("T"), QStringLiteral("a\x01z"));
    dom::setAttribute(document.root(), QStringLiteral("v"), QString(QChar(0xD800)));
    const dom::Document reread = parsed(dom::toUtf8(document.get()));
    EXPECT_EQ(dom::textContent(reread.root()), QStringLiteral("a\uFFFDz"));
    EXPECT_EQ(dom::attribute(reread.root(), QStringLiteral("v")), QStringLiteral("\uFFFD"));
}

TEST(Dom, OnlyCharactersXmlCannotCarryAreReplacedWhereverTheyStand) {
    const QString pair = QString::fromUtf16(u"\U0001F600");
    const QString longClean = QString(300, QLatin1Char('x')) + QStringLiteral("é\t\n\r") + pair;
    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},
        {longClean, longClean},
        {QString(QChar(0xFFFD)) + QChar(0xE000), QString(QChar(0xFFFD)) + QChar(0xE000)},
        {QString(QChar(0x1)) + QStringLiteral("ab"), QStringLiteral("\uFFFDab")},
        {longClean + QChar(0x1F), longClean + QChar(0xFFFD)},
        {QStringLiteral("a") + QChar(0xFFFE) + QChar(0xFFFF) + QStringLiteral("b"),
         QStringLiteral("a\uFFFD\uFFFDb")},
        {QStringLiteral("a") + pair + QChar(0xDC00) + QStringLiteral("b") + QChar(0xD800),
         QStringLiteral("a") + pair + QStringLiteral("\uFFFDb\uFFFD")},
        {QString(QChar(0xD83D)) + QStringLiteral("x") + pair, QStringLiteral("\uFFFDx") + pair},
    };
    for (const auto& [text, kept] : cases) {
        dom::Document document = dom::Document::create(QStringLiteral("Root"));
        const auto* element = dom::appendTextElement(document.root(), QStringLiteral("T"), text);
        EXPECT_EQ(dom::textContent(element), kept) << text.toStdString();
    }
}

TEST(Dom, ReadsScopeCountsAndAttributes) {
    const dom::Document document =
        parsed("<Root><Filter><Group ID=\"3\"/><Group ID=\"7\"/><Device ID=\"\"/></Filter>"
               "<Group ID=\"9\"/>text<![CDATA[ more]]></Root>");
    const dom::Element* filter = dom::onlyDescendant(document.get(), QStringLiteral("Filter"));
    ASSERT_NE(filter, nullptr);
    QStringList ids;
    dom::forEachDescendant(filter, QStringLiteral("Group"), [&](dom::Element* group) {
        ids.append(dom::attribute(group, QStringLiteral("ID")));
    });
    EXPECT_EQ(ids, QStringList({"3", "7"})) << "a walk stays inside its scope";
    EXPECT_EQ(dom::countDescendants(document.get(), QStringLiteral("Group")), 3);
    EXPECT_EQ(dom::onlyDescendant(document.get(), QStringLiteral("Group")), nullptr);
    EXPECT_EQ(dom::countDescendants(document.root(), QStringLiteral("Root")), 0)
        << "the scope itself is not its own descendant";
    EXPECT_EQ(dom::attribute(dom::firstChild(document.root(), QStringLiteral("Group")),
                             QStringLiteral("ID")),
              QStringLiteral("9"))
        << "a child, not the first descendant";

    bool present = false;
    const dom::Element* device = dom::firstDescendant(filter, QStringLiteral("Device"));
    EXPECT_EQ(dom::attribute(device, QStringLiteral("ID"), &present), QString());
    EXPECT_TRUE(present) << "an empty attribute is there";
    dom::attribute(device, QStringLiteral("Other"), &present);
    EXPECT_FALSE(present);

    int children = 0;
    dom::forEachChild(document.root(), [&](dom::Element*) { ++children; });
    EXPECT_EQ(children, 2) << "text and CDATA are not child elements";
    EXPECT_EQ(dom::textContent(document.root()), QStringLiteral("text more"));
    EXPECT_EQ(dom::textContent(nullptr), QString());
    EXPECT_EQ(dom::firstDescendant(nullptr, QStringLiteral("Group")), nullptr);
}

TEST(Dom, DeepTreesAreWalkedWithoutRecursion) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::Element* parent = document.root();
    for (int depth = 0; depth < 200000; ++depth)
        parent = dom::appendElement(parent, QStringLiteral("n"));
    dom::appendTextElement(parent, QStringLiteral("leaf"), QStringLiteral("x"));
    EXPECT_EQ(dom::countDescendants(document.get(), QStringLiteral("n")), 200000);
    EXPECT_EQ(dom::textContent(document.root()), QStringLiteral("x"));
}

TEST(Dom, CopiesElementsBetweenDocumentsAndMovesOwnership) {
    const dom::Document report = reportDocument();
    dom::Document exported = dom::Document::create(QStringLiteral("VXNResponse"));
    dom::appendCopy(exported.root(), dom::firstChild(report.root(), QStringLiteral("Info")));
    dom::appendCopy(exported.root(), dom::firstChild(report.root(), QStringLiteral("Body")));
    EXPECT_EQ(dom::attribute(dom::firstDescendant(exported.get(), QStringLiteral("Device")),
                             QStringLiteral("ID")),
              QStringLiteral("17"));

    // Replacing a parsed document releases the old one before the memory it lives on.
    dom::Document holder = parsed("<a/>");
    holder = std::move(exported);
    EXPECT_EQ(dom::name(holder.root()), QStringLiteral("VXNResponse"));
    EXPECT_FALSE(exported);
    holder.reset();
    EXPECT_EQ(holder.root(), nullptr);
}

TEST(Dom, FilesAreWrittenAndReadWithTheSameLimits) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("report.xml"));
    EXPECT_EQ(dom::writeFile(reportDocument().get(), path, dom::Layout::Pretty), QString());
    const dom::ParseResult reread = dom::parseFile(path);
    ASSERT_TRUE(reread.ok()) << reread.error.toStdString();
    EXPECT_EQ(dom::countDescendants(reread.document.get(), QStringLiteral("Device")), 1);

    dom::ParseOptions small;
    small.maxBytes = 16;
    const dom::ParseResult tooLarge = dom::parseFile(path, small);
    EXPECT_FALSE(tooLarge.ok());
    EXPECT_TRUE(tooLarge.error.contains(QStringLiteral("exceeds"))) << tooLarge.error.toStdString();

    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    {
        QFile file(secret);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("TOPSECRET");
    }
    const QString hostile = dir.filePath(QStringLiteral("hostile.xml"));
    {
        QFile file(hostile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<!DOCTYPE r [<!ENTITY x SYSTEM \"file://%1\">]><r>&x;</r>")
                       .arg(secret)
                       .toUtf8());
    }
    const dom::ParseResult hostileRead = dom::parseFile(hostile);
    ASSERT_TRUE(hostileRead.ok()) << hostileRead.error.toStdString();
    EXPECT_EQ(dom::textContent(hostileRead.document.root()), QString());

    const dom::ParseResult missing = dom::parseFile(dir.filePath(QStringLiteral("none.xml")));
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_FALSE(
        dom::writeFile(reportDocument().get(), dir.filePath("no/such/dir/x.xml")).isEmpty());
}

TEST(Dom, MalformedInputIsAnErrorNotADocument) {
    for (const QByteArray& bytes : {QByteArray("<a><b></a>"), QByteArray(), QByteArray("plain")}) {
        const dom::ParseResult result = dom::parse(bytes);
        EXPECT_FALSE(result.ok()) << bytes.data();
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST(Dom, DocumentsOfEndlesslyManyNamesAreRefused) {
    // Each new name costs the document more than the last: such a body must end early rather
    // than hold a core for hours. Many elements of a few names stay fine.
    const auto document = [](int elements, int attributes, bool distinct) {
        QByteArray xml("<r>");
        for (int e = 0; e < elements; ++e) {
            xml += distinct ? "<e" + QByteArray::number(e) : QByteArray("<e");
            for (int a = 0; a < attributes; ++a)
                xml += " a" + QByteArray::number(a) + "=\"1\"";
            xml += "/>";
        }
        return xml + "</r>";
    };
    EXPECT_TRUE(dom::parse(document(60000, 3, false)).ok());
    EXPECT_TRUE(dom::parse(document(1, 10000, false)).ok());
    const dom::ParseResult attributes = dom::parse(document(1, 10001, false));
    EXPECT_FALSE(attributes.ok());
    EXPECT_TRUE(attributes.error.contains(QStringLiteral("more than 10000 attributes")))
        << attributes.error.toStdString();
    const dom::ParseResult names = dom::parse(document(50001, 0, true));
    EXPECT_FALSE(names.ok());
    EXPECT_TRUE(names.error.contains(QStringLiteral("more than 50000 distinct names")))
        << names.error.toStdString();
}

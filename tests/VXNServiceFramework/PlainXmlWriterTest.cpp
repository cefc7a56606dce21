#include "VXNServiceFramework/dom/PlainXmlWriter.h"
#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "VXNServiceFramework/dom/XercesString.h"
#include "support/XercesWriterText.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

// The service writes plain trees itself instead of through Xerces' writer; whatever it writes
// must be the writer's text to the character, and whatever it cannot write must go to the writer.
namespace {

// Every character XML can carry in one text: the whole BMP outside the surrogates and the two
// non-characters, plus pairs for planes 1 and 16.
QString everyXmlCharacter() {
    QString text = QStringLiteral("\t\n\r");
    for (char16_t c = 0x20; c < 0xD800; ++c)
        text += QChar(c);
    for (char16_t c = 0xE000; c < 0xFFFE; ++c)
        text += QChar(c);
    return text + QString::fromUcs4(U"\U0001F600\U0010FFFD");
}

dom::Document tricky() {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::Element* root = document.root();
    dom::Element* row = dom::appendElement(root, QStringLiteral("Row"));
    dom::setAttribute(row, QStringLiteral("ID"), QStringLiteral("a&b<c>d\"e'f\tg\nh\ri ]]> é"));
    dom::setAttribute(row, QStringLiteral("Alpha"), everyXmlCharacter());
    dom::appendTextElement(row, QStringLiteral("Text"), everyXmlCharacter());
    dom::appendTextElement(row, QStringLiteral("Markup"),
                           QStringLiteral("<a href=\"x\">&amp;</a> ]]>"));
    dom::appendElement(row, QStringLiteral("Empty"));
    dom::setText(dom::appendElement(row, QStringLiteral("EmptyText")), QString());
    dom::Element* deep = root;
    for (int i = 0; i < 50; ++i)
        deep = dom::appendElement(deep, QStringLiteral("Level"));
    dom::appendTextElement(deep, QStringLiteral("Leaf"), QStringLiteral("bottom"));
    dom::appendTextElement(root, QStringLiteral("Tail"), QStringLiteral("after the deep branch"));
    return document;
}

void expectWrittenAsXercesDoes(dom::NodeRef node) {
    const std::optional<QString> reference = xercesWriterText(node);
    ASSERT_TRUE(reference);
    QString plain;
    ASSERT_TRUE(dom::plainxml::append(plain, node));
    EXPECT_EQ(plain, *reference);
    EXPECT_EQ(dom::toXmlString(node), *reference);
}

TEST(PlainXmlWriter, WritesDocumentsElementsAndTextExactlyAsXercesDoes) {
    const dom::Document document = tricky();
    expectWrittenAsXercesDoes(document.get());
    expectWrittenAsXercesDoes(document.root());
    expectWrittenAsXercesDoes(document.root()->getFirstChild());
    expectWrittenAsXercesDoes(document.root()->getLastChild()->getFirstChild());
    // A document read from bytes, names with colons and xmlns attributes included (the reader
    // does not resolve namespaces).
    const dom::ParseResult reread = dom::parse(dom::toUtf16(document.get()));
    ASSERT_TRUE(reread.ok()) << reread.error.toStdString();
    expectWrittenAsXercesDoes(reread.document.get());
    const dom::ParseResult prefixed = dom::parse(
        QByteArray("<Root xmlns=\"urn:x\" xmlns:p=\"urn:p\"><p:A p:b=\"1\">x</p:A></Root>"));
    ASSERT_TRUE(prefixed.ok());
    expectWrittenAsXercesDoes(prefixed.document.get());
}

TEST(PlainXmlWriter, LeavesEveryOtherTreeToXercesUnchanged) {
    const char* const documents[] = {
        "<Root><A>x</A><!-- note --></Root>",
        "<Root><A><![CDATA[<raw> & ]]></A></Root>",
        "<Root><?target data?></Root>",
        "<?xml version=\"1.0\" standalone=\"yes\"?><Root/>",
        "<?xml version=\"1.1\"?><Root/>",
        "<!DOCTYPE Root><Root/>",
        "<!-- before --><Root/>",
    };
    for (const char* text : documents) {
        SCOPED_TRACE(text);
        const dom::ParseResult read = dom::parse(QByteArray(text));
        ASSERT_TRUE(read.ok()) << read.error.toStdString();
        QString out = QStringLiteral("kept");
        EXPECT_FALSE(dom::plainxml::append(out, read.document.get()));
        EXPECT_EQ(out, QStringLiteral("kept"));
        EXPECT_EQ(dom::toXmlString(read.document.get()), xercesWriterText(read.document.get()));
    }
    // Elements and attributes in a namespace.
    for (const bool onAttribute : {false, true}) {
        dom::Document document = dom::Document::create(QStringLiteral("Root"));
        DOMElement* element = onAttribute ? document.get()->createElement(u"A")
                                          : document.get()->createElementNS(u"urn:x", u"p:A");
        if (onAttribute)
            element->setAttributeNS(u"urn:y", u"q:b", u"1");
        document.root()->appendChild(element);
        QString out;
        EXPECT_FALSE(dom::plainxml::append(out, document.get()));
        EXPECT_EQ(dom::toXmlString(document.get()), xercesWriterText(document.get()));
    }
}

TEST(PlainXmlWriter, ManyNamesAndLongOutputAfterExistingText) {
    // More names than the writer remembers lengths of, taking turns, with names that begin
    // alike; and enough text to outgrow the string several times behind text already in it.
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    for (int row = 0; row < 3000; ++row) {
        dom::Element* element =
            dom::appendElement(document.root(), QStringLiteral("Row%1").arg(row % 11));
        dom::setAttribute(element, QStringLiteral("ID%1").arg(row % 13), QString::number(row));
        for (int cell = 0; cell < 12; ++cell)
            dom::appendTextElement(element, QStringLiteral("C").repeated(cell + 1),
                                   QStringLiteral("v%1&<%2>").arg(row).arg(cell));
    }
    expectWrittenAsXercesDoes(document.get());
    QString out = QStringLiteral("head");
    ASSERT_TRUE(dom::plainxml::append(out, document.root()));
    EXPECT_EQ(out, QStringLiteral("head") + *xercesWriterText(document.root()));
}

TEST(PlainXmlWriter, CharactersXmlCannotCarryFailAsTheWriterFails) {
    // Our builders replace such characters; a tree built past them must still fail loudly,
    // never be written with the character in it.
    const QString bad[] = {QStringLiteral("a\x01z"), QString(QChar(0xD800)) + QLatin1Char('z'),
                           QString(QChar(0xDC00)), QString(QChar(0xFFFE)), QString(QChar(0xFFFF))};
    for (const QString& text : bad) {
        for (const bool attribute : {false, true}) {
            dom::Document document = dom::Document::create(QStringLiteral("Root"));
            if (attribute)
                document.root()->setAttribute(u"a", toXml(text));
            else
                document.root()->appendChild(document.get()->createTextNode(toXml(text)));
            QString out;
            EXPECT_FALSE(dom::plainxml::append(out, document.get()));
            EXPECT_TRUE(out.isEmpty());
            EXPECT_FALSE(xercesWriterText(document.get()));
            EXPECT_THROW(dom::toXmlString(document.get()), dom::WriteError);
        }
    }
}

} // namespace

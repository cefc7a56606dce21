#include "VXNServiceFramework/dom/ElementFactory.h"
#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"
#include "VXNServiceFramework/dom/XercesString.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

// The factory makes elements, texts and attributes without the checks of the standard DOM
// calls once a name was accepted; what it makes must be what those calls make.
namespace {

const QString awkwardTexts[] = {
    QStringLiteral("plain"),     QString(),
    QStringLiteral("<&>\"'"),    QString::fromUtf8("Größe 😀"),
    QStringLiteral("a\x01z"),    QString(QChar(0xD800)) + QStringLiteral("x"),
    QStringLiteral("  spaced  ")};

TEST(ElementFactory, BuildsTheDocumentTheStandardCallsBuild) {
    dom::Document standard = dom::Document::create(QStringLiteral("Root"));
    dom::Document fast = dom::Document::create(QStringLiteral("Root"));
    dom::ElementFactory factory(fast.get());
    const auto row = factory.name(QStringLiteral("Row"));
    const auto id = factory.name(QStringLiteral("ID"));
    const auto cell = factory.name(QString::fromUtf8("Zählung"));
    // Twice over, so that the second round takes the paths for names accepted before.
    for (int round = 0; round < 2; ++round)
        for (const QString& text : awkwardTexts) {
            DOMElement* a = dom::appendElement(standard.root(), QStringLiteral("Row"));
            dom::setAttribute(a, QStringLiteral("ID"), text);
            dom::appendTextElement(a, QString::fromUtf8("Zählung"), text);
            dom::appendElement(a, QString::fromUtf8("Zählung"));
            DOMElement* b = factory.append(fast.root(), row);
            factory.addAttribute(b, id, text);
            factory.appendText(b, cell, text);
            factory.append(b, cell);
        }
    EXPECT_EQ(dom::toXmlString(fast.root()), dom::toXmlString(standard.root()));
    EXPECT_EQ(factory.nameCount(), 3);
    EXPECT_EQ(factory.name(QStringLiteral("Row")), row);
    EXPECT_NE(factory.name(QStringLiteral("row")), row);
}

TEST(ElementFactory, ARejectedNameFailsEveryTimeAndLeavesTheOthersWorking) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::ElementFactory factory(document.get());
    const auto good = factory.name(QStringLiteral("Good"));
    factory.append(document.root(), good);
    for (const QString& bad : {QStringLiteral("1bad"), QStringLiteral("bad name"), QString()}) {
        const auto name = factory.name(bad);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                factory.appendText(document.root(), name, QStringLiteral("x"));
                ADD_FAILURE() << bad.toStdString() << " was accepted";
            } catch (const dom::BuildError& e) {
                EXPECT_EQ(e.code(), DOMException::INVALID_CHARACTER_ERR);
            }
            EXPECT_THROW(factory.addAttribute(document.root(), name, QStringLiteral("v")),
                         dom::BuildError);
        }
    }
    factory.appendText(document.root(), good, QStringLiteral("still"));
    EXPECT_EQ(dom::toXmlString(document.root()),
              QStringLiteral("<Root><Good/><Good>still</Good></Root>"));
}

TEST(ElementFactory, TheStandardDomWorksOnWhatTheFactoryMade) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::ElementFactory factory(document.get());
    const auto id = factory.name(QStringLiteral("ID"));
    const auto item = factory.name(QStringLiteral("Item"));
    DOMElement* first = factory.append(document.root(), item);
    factory.addAttribute(first, id, QStringLiteral("1"));
    DOMElement* second = factory.append(document.root(), item);
    factory.addAttribute(second, id, QStringLiteral("2"));
    second->setAttribute(u"Other", u"o");

    EXPECT_EQ(dom::attribute(second, QStringLiteral("ID")), QStringLiteral("2"));
    EXPECT_EQ(second->getAttributeNode(u"ID")->getOwnerElement(), second);
    EXPECT_EQ(second->getAttributes()->getLength(), 2u);
    EXPECT_EQ(document.get()->getElementsByTagName(u"Item")->getLength(), 2u);

    first->setAttribute(u"ID", u"one");
    EXPECT_EQ(dom::attribute(first, QStringLiteral("ID")), QStringLiteral("one"));
    second->removeAttribute(u"ID");
    EXPECT_FALSE(second->hasAttribute(u"ID"));

    // A copy and an import into another document carry the same tree.
    DOMNode* copy = first->cloneNode(true);
    EXPECT_EQ(dom::attribute(static_cast<DOMElement*>(copy), QStringLiteral("ID")),
              QStringLiteral("one"));
    copy->release();
    dom::Document other = dom::Document::create(QStringLiteral("Root"));
    dom::appendCopy(other.root(), document.root());
    EXPECT_EQ(dom::toXmlString(other.root()), QStringLiteral("<Root><Root><Item ID=\"one\"/>"
                                                             "<Item Other=\"o\"/></Root></Root>"));
}

// QString::utf16() reallocates a string that does not own its data, in place; two threads
// handing one shared name to the DOM that way race. The view must leave such a string alone.
TEST(XercesString, AViewLeavesAStringWithoutDataOfItsOwnUntouched) {
    const QString literal = QStringLiteral("RowIndex");
    const QChar* before = literal.constData();
    EXPECT_EQ(XMLString::stringLen(toXml(literal)), 8u);
    EXPECT_EQ(literal.constData(), before);

    static const char16_t raw[] = u"abcdef";
    const QString part = QString::fromRawData(reinterpret_cast<const QChar*>(raw), 3);
    EXPECT_TRUE(XMLString::equals(toXml(part), u"abc"));
    EXPECT_EQ(part.constData(), reinterpret_cast<const QChar*>(raw));

    const QString null;
    EXPECT_EQ(XMLString::stringLen(toXml(null)), 0u);
}

// Clean stretches are skipped several characters at a time: a character anywhere in a text,
// on either side of such a stretch's end, must be seen as it is seen alone.
TEST(XercesString, EveryPositionOfATextIsLookedAt) {
    const auto reference = [](const QString& text) {
        QString result;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                QChar::isLowSurrogate(text.at(i + 1).unicode())) {
                result += text.mid(i++, 2);
                continue;
            }
            const bool ok = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0xD800) ||
                            (c >= 0xE000 && c < 0xFFFE);
            result += ok ? QChar(c) : QChar(QChar::ReplacementCharacter);
        }
        return result;
    };
    const char16_t probes[] = {0x0,    0x1,    0x9,    0x1F,   0x20,   0x7F,   0xD7FF, 0xD800,
                               0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFE, 0xFFFF};
    for (qsizetype length : {1, 7, 8, 9, 16, 17, 25})
        for (qsizetype at = 0; at < length; ++at)
            for (char16_t probe : probes) {
                QString text(length, QLatin1Char('a'));
                text[at] = QChar(probe);
                SCOPED_TRACE(testing::Message() << length << " " << at << " " << int(probe));
                EXPECT_EQ(xmlCharsOnly(text), reference(text));
                EXPECT_EQ(isXmlCharsOnly(text),
                          reference(text) == text && !QChar::isSurrogate(probe));
            }
    // A pair split across the end of an eight-character stretch stays a pair.
    const QString pair = QStringLiteral("abcdefg") + QString::fromUtf8("😀") + QStringLiteral("h");
    EXPECT_EQ(xmlCharsOnly(pair), pair);
}

} // namespace

// Subtrees built apart from the document with the tree builder's own append: the same document
// as the general DOM append gives, and a tree the general DOM can walk and change afterwards.
#include "VXNServiceFramework/dom/DomTreeBuilder.h"
#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

namespace {

const QString name = QStringLiteral("n");

// Counts of both signs and growing lengths that stay far from overflowing.
qint64 nextCount(qint64 count) {
    return (count % 1000000000) * -100000 + 1;
}

// <List><Item><Name>..</Name><Count>..</Count></Item>...</List> for the given texts.
dom::Element* builtList(const dom::TreeBuilder& tree, const QStringList& texts) {
    dom::Element* list = tree.element(QStringLiteral("List"));
    qint64 count = -2;
    for (const QString& text : texts) {
        dom::Element* item = tree.element(QStringLiteral("Item"));
        tree.append(item, tree.textElement(QStringLiteral("Name"), text));
        tree.append(item, tree.textElement(QStringLiteral("Count"), count));
        tree.append(list, item);
        count = nextCount(count);
    }
    return list;
}

dom::Element* generalList(dom::Element* parent, const QStringList& texts) {
    dom::Element* list = dom::appendElement(parent, QStringLiteral("List"));
    qint64 count = -2;
    for (const QString& text : texts) {
        dom::Element* item = dom::appendElement(list, QStringLiteral("Item"));
        dom::appendTextElement(item, QStringLiteral("Name"), text);
        dom::appendTextElement(item, QStringLiteral("Count"), QString::number(count));
        count = nextCount(count);
    }
    return list;
}

// Every child of `parent` in order, walked from both ends, each naming its parent.
QStringList childNames(const DOMNode* parent) {
    QStringList forward;
    for (const DOMNode* child = parent->getFirstChild(); child; child = child->getNextSibling()) {
        EXPECT_EQ(child->getParentNode(), parent);
        forward.append(QString::fromUtf16(child->getNodeName()));
    }
    QStringList backward;
    for (const DOMNode* child = parent->getLastChild(); child; child = child->getPreviousSibling())
        backward.prepend(QString::fromUtf16(child->getNodeName()));
    EXPECT_EQ(forward, backward);
    return forward;
}

const QStringList texts{QStringLiteral("plain"), QStringLiteral("Grüße & <tags> \"quoted\""),
                        QStringLiteral("tab\there"), QStringLiteral("bell\x07 and NUL")};

} // namespace

TEST(DomTreeBuilder, BuildsTheDocumentTheGeneralAppendBuilds) {
    dom::Document built = dom::Document::create(QStringLiteral("Root"));
    const dom::TreeBuilder tree(built.get());
    dom::appendChild(built.root(), builtList(tree, texts));
    dom::appendElement(built.root(), QStringLiteral("After"));

    dom::Document general = dom::Document::create(QStringLiteral("Root"));
    generalList(general.root(), texts);
    dom::appendElement(general.root(), QStringLiteral("After"));

    const QByteArray written = dom::toUtf8(built.get());
    EXPECT_EQ(written, dom::toUtf8(general.get()));
    EXPECT_TRUE(written.contains("<Count>-2</Count>")) << written.data();
    EXPECT_TRUE(written.contains("<Count>-20000099999</Count>")) << written.data();
    EXPECT_TRUE(written.contains("bell\xef\xbf\xbd and NUL")) << "the bell replaced by U+FFFD";
}

TEST(DomTreeBuilder, LinksChildrenBothWaysAndToTheirDocument) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    const dom::TreeBuilder tree(document.get());
    dom::Element* list = builtList(tree, texts);
    EXPECT_EQ(list->getParentNode(), nullptr) << "outside the tree until attached";
    dom::appendChild(document.root(), list);

    EXPECT_EQ(childNames(list), QStringList(texts.size(), QStringLiteral("Item")));
    for (const DOMNode* item = list->getFirstChild(); item; item = item->getNextSibling()) {
        EXPECT_EQ(childNames(item), (QStringList{"Name", "Count"}));
        EXPECT_EQ(childNames(item->getFirstChild()), QStringList{"#text"});
        EXPECT_EQ(item->getOwnerDocument(), document.get());
    }
    EXPECT_EQ(dom::countDescendants(document.get(), QStringLiteral("Count")), texts.size());
}

TEST(DomTreeBuilder, AnEmptyTextIsAnElementWithoutChildren) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    const dom::TreeBuilder tree(document.get());
    dom::Element* empty = tree.textElement(QStringLiteral("Login"), QString());
    EXPECT_FALSE(empty->hasChildNodes());
    dom::appendChild(document.root(), empty);
    EXPECT_TRUE(dom::toUtf8(document.get()).contains("<Login/>"));
}

TEST(DomTreeBuilder, TheGeneralDomChangesABuiltTreeAfterwards) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    const dom::TreeBuilder tree(document.get());
    dom::Element* list = tree.element(QStringLiteral("List"));
    for (const char* tag : {"a", "b", "c"})
        tree.append(list, tree.element(QString::fromLatin1(tag)));
    dom::appendChild(document.root(), list);

    list->removeChild(list->getFirstChild()->getNextSibling())->release();
    EXPECT_EQ(childNames(list), (QStringList{"a", "c"}));
    list->removeChild(list->getLastChild())->release();
    EXPECT_EQ(childNames(list), QStringList{"a"});
    dom::appendElement(list, QStringLiteral("d"));
    list->insertBefore(document.get()->createElement(u"first"), list->getFirstChild());
    EXPECT_EQ(childNames(list), (QStringList{"first", "a", "d"}));

    // Copies into another document and clones see the same children.
    dom::Document other = dom::Document::create(QStringLiteral("Other"));
    EXPECT_EQ(childNames(dom::appendCopy(other.root(), list)), (QStringList{"first", "a", "d"}));
    EXPECT_EQ(childNames(list->cloneNode(true)), (QStringList{"first", "a", "d"}));
}

TEST(DomTreeBuilder, ALiveListOfTheDocumentSeesTheSubtreeOnceAttached) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    DOMNodeList* items = document.get()->getElementsByTagName(u"Item");
    EXPECT_EQ(items->getLength(), 0u);
    const dom::TreeBuilder tree(document.get());
    dom::Element* list = builtList(tree, texts);
    dom::appendChild(document.root(), list);
    EXPECT_EQ(items->getLength(), XMLSize_t(texts.size()));
}

TEST(DomTreeBuilder, NamesAreCheckedAsEverywhereElse) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    const dom::TreeBuilder tree(document.get());
    EXPECT_THROW(tree.element(QStringLiteral("1st")), dom::BuildError);
    EXPECT_THROW(tree.textElement(QStringLiteral("a b"), QStringLiteral("x")), dom::BuildError);
    EXPECT_THROW(tree.textElement(QString(), qint64(1)), dom::BuildError);
}

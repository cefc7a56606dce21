#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomRead.h"
#include "VXNServiceFramework/dom/DomWriter.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

XERCES_CPP_NAMESPACE_USE

// The builders link new nodes in without Xerces' appendChild; the tree must be the same one
// appendChild makes, for every reader and every later change through the standard DOM.
namespace {

void expectLinkedInOrder(const DOMNode* parent, const QList<const DOMNode*>& children) {
    ASSERT_EQ(parent->getChildNodes()->getLength(), XMLSize_t(children.size()));
    const DOMNode* previous = nullptr;
    for (qsizetype i = 0; i < children.size(); ++i) {
        const DOMNode* child = children[i];
        EXPECT_EQ(parent->getChildNodes()->item(XMLSize_t(i)), child);
        EXPECT_EQ(child->getParentNode(), parent);
        EXPECT_EQ(child->getPreviousSibling(), previous);
        EXPECT_EQ(child->getOwnerDocument(), parent->getOwnerDocument());
        previous = child;
    }
    EXPECT_EQ(parent->getFirstChild(), children.value(0));
    EXPECT_EQ(parent->getLastChild(), children.value(children.size() - 1));
    if (previous) {
        EXPECT_EQ(previous->getNextSibling(), nullptr);
    }
}

TEST(DomAppend, NewNodesAreLinkedAsAppendChildLinksThem) {
    dom::Document document = dom::Document::create(QStringLiteral("Root"));
    DOMElement* root = document.root();
    const DOMElement* a = dom::appendTextElement(root, QStringLiteral("A"), QStringLiteral("1"));
    const DOMElement* b = dom::appendElement(root, QStringLiteral("B"));
    const DOMElement* c = dom::appendTextElement(root, QStringLiteral("C"), QStringLiteral("3"));
    expectLinkedInOrder(root, {a, b, c});
    expectLinkedInOrder(a, {a->getFirstChild()});
    EXPECT_EQ(a->getFirstChild()->getNodeType(), DOMNode::TEXT_NODE);
    EXPECT_EQ(dom::textContent(c), QStringLiteral("3"));

    // A node list made before more elements arrive sees them.
    const DOMNodeList* named = document.get()->getElementsByTagName(u"D");
    EXPECT_EQ(named->getLength(), 0u);
    const DOMElement* d = dom::appendElement(root, QStringLiteral("D"));
    EXPECT_EQ(named->getLength(), 1u);

    // The standard DOM goes on working on the linked nodes.
    root->removeChild(const_cast<DOMElement*>(b))->release();
    expectLinkedInOrder(root, {a, c, d});
    DOMElement* first = document.get()->createElement(u"First");
    root->insertBefore(first, root->getFirstChild());
    const DOMElement* e = dom::appendElement(root, QStringLiteral("E"));
    expectLinkedInOrder(root, {first, a, c, d, e});
    root->appendChild(document.get()->createComment(u"note"));
    // After a node kind the builders do not make, appending still works.
    const DOMElement* f = dom::appendElement(root, QStringLiteral("F"));
    EXPECT_EQ(root->getLastChild(), f);
    EXPECT_EQ(f->getPreviousSibling()->getNodeType(), DOMNode::COMMENT_NODE);
    EXPECT_EQ(dom::toXmlString(root), QStringLiteral("<Root><First/><A>1</A><C>3</C><D/><E/>"
                                                     "<!--note--><F/></Root>"));

    // A whole tree moves to another document intact.
    dom::Document other = dom::Document::create(QStringLiteral("Other"));
    dom::appendCopy(other.root(), root);
    EXPECT_EQ(dom::toXmlString(other.root()),
              QStringLiteral("<Other>") + dom::toXmlString(root) + QStringLiteral("</Other>"));
}

} // namespace

#include "support/TestInstallation.h"

#include "VELMPluginReportGenerator/export/DomSourceTree.h"
#include "VELMPluginReportGenerator/export/ExportDocument.h"
#include "VELMPluginReportGenerator/export/XsltTransform.h"

#include "VXNServiceFramework/dom/DomBuild.h"
#include "VXNServiceFramework/dom/DomDocument.h"
#include "VXNServiceFramework/dom/DomParser.h"

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>

namespace {

// Copies the whole source tree: any node the tree gets wrong shows in the output.
QByteArray copyingStylesheet(const QByteArray& spaceRules) {
    return "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
           "<xsl:output method=\"xml\" encoding=\"UTF-8\"/>" +
           spaceRules +
           "<xsl:template match=\"/\"><xsl:copy-of select=\"/\"/>"
           "|<xsl:value-of select=\"count(//text())\"/></xsl:template></xsl:stylesheet>";
}

const QByteArray stripAll = "<xsl:strip-space elements=\"*\"/>";

class ExportTreeTest : public ::testing::Test {
protected:
    TestInstallation installation;

    QString sheet(const QByteArray& spaceRules) {
        installation.writeStylesheet("en", "copy.xsl", copyingStylesheet(spaceRules));
        return installation.path() + "/html/en/modules/report/content/reports/copy.xsl";
    }

    static dom::ParseResult report(const QByteArray& xml) {
        dom::ParseResult parsed = dom::parse(xml);
        EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
        return parsed;
    }

    // The tree built from the report's nodes, null when the builder leaves it to the text.
    static std::unique_ptr<xalanc::XalanParsedSource> tree(XsltRun& run, const dom::Element* root) {
        return domSourceTree::build(exportDocumentParts(root), [&](const char16_t* name) {
            return run.stripsWhitespaceIn(name);
        });
    }
};

} // namespace

TEST_F(ExportTreeTest, TheTreeFromTheNodesReadsAsTheParsedTextWhereWhitespaceIsStripped) {
    const QString stylesheet = sheet(stripAll);
    // Attributes, escapes, a carriage return and a tab, text outside the BMP, empty elements,
    // whitespace-only values, a second Info that the export leaves out.
    const dom::ParseResult parsed = report(
        "<Root><Info><Title a=\"1\" b=\"x&amp;&quot;&#9;y\">T &lt;&amp;&gt; "
        "\xc3\xa4\xf0\x9f\x96\xa8"
        "</Title><Empty/></Info><Info><Lost/></Info><Body><Report ID=\"7\"><Row><c>1</c><d> </d>"
        "<e>a&#13;b\tc\n</e></Row><Row><c>2</c><d/></Row></Report></Body></Root>");
    XsltRun run(stylesheet);
    ASSERT_TRUE(run.compiled()) << run.failure().toStdString();
    auto built = tree(run, parsed.document.root());
    ASSERT_NE(built, nullptr);
    const QByteArray fromTree = run.transform(std::move(built));
    const QByteArray fromText =
        transformXslt(exportDocumentText(parsed.document.root()), stylesheet);
    EXPECT_EQ(fromTree, fromText);
    EXPECT_TRUE(fromTree.contains("<Title a=\"1\" b=\"x&amp;&quot;&#9;y\">")) << fromTree.data();
    EXPECT_TRUE(fromTree.contains("\xf0\x9f\x96\xa8")) << fromTree.data();
    EXPECT_FALSE(fromTree.contains("Lost")) << fromTree.data();
    // Title, e and the two c; the blank d is stripped as well as the indentation.
    EXPECT_TRUE(fromTree.endsWith("|4")) << fromTree.data();

    // A report without a document is the bare root.
    auto bare = tree(run, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(run.transform(std::move(bare)),
              transformXslt(exportDocumentText(nullptr), stylesheet));
}

TEST_F(ExportTreeTest, WhereTheStylesheetWouldSeeTheIndentationTheTextIsTaken) {
    const dom::ParseResult parsed = report("<Root><Info><T>t</T></Info><Body><Row><c>1</c></Row>"
                                           "</Body></Root>");
    const dom::Element* root = parsed.document.root();
    {
        XsltRun keeps(sheet({}));
        EXPECT_FALSE(keeps.stripsWhitespaceIn(u"Body"));
        EXPECT_EQ(tree(keeps, root), nullptr);
        // The text shows the indentation as before: it counts among the text nodes.
        const QByteArray output = keeps.transform(exportDocumentText(root));
        EXPECT_FALSE(output.endsWith("|2")) << output.data();
    }
    {
        XsltRun partly(sheet(stripAll + "<xsl:preserve-space elements=\"Row\"/>"));
        EXPECT_TRUE(partly.stripsWhitespaceIn(u"Body"));
        EXPECT_FALSE(partly.stripsWhitespaceIn(u"Row"));
        EXPECT_EQ(tree(partly, root), nullptr);
    }
    {
        // Whitespace inside an element without elements is the value itself, whatever the rule.
        XsltRun named(sheet("<xsl:strip-space elements=\"VXNResponse Info Body Row\"/>"));
        EXPECT_NE(tree(named, root), nullptr);
        EXPECT_FALSE(named.stripsWhitespaceIn(u"c"));
    }
}

TEST_F(ExportTreeTest, NodesTheTextMightNotGiveBackAsTheyAreAreLeftToTheText) {
    XsltRun run(sheet(stripAll));
    ASSERT_TRUE(run.compiled());
    for (const QByteArray& body :
         {QByteArray("<Row>text<c>1</c></Row>"), QByteArray("<Row><!-- c --></Row>"),
          QByteArray("<Row><![CDATA[x]]></Row>"), QByteArray("<Row xml:space=\"preserve\"/>"),
          QByteArray("<xmlRow/>"), QByteArray("<a:Row xmlns:a=\"urn:a\"/>")}) {
        const dom::ParseResult parsed = report("<Root><Body>" + body + "</Body></Root>");
        EXPECT_EQ(tree(run, parsed.document.root()), nullptr) << body.data();
    }
    // A character no XML carries (our builders never store one): the text's writer decides.
    const dom::Document document = dom::Document::create(QStringLiteral("Root"));
    dom::Element* row = dom::appendElement(dom::appendElement(document.root(), "Body"), "Row");
    row->appendChild(document.get()->createTextNode(u"a\x01"));
    EXPECT_EQ(tree(run, document.root()), nullptr);
    row->setTextContent(u"a\xd800");
    EXPECT_EQ(tree(run, document.root()), nullptr);
    row->setTextContent(u"a\U0001F5A8");
    EXPECT_NE(tree(run, document.root()), nullptr);
    const dom::ParseResult plain = report("<Root><Body><Row>1</Row></Body></Root>");
    EXPECT_NE(tree(run, plain.document.root()), nullptr);
}

TEST_F(ExportTreeTest, AStylesheetThatDoesNotCompileFailsEveryRunWithItsError) {
    installation.writeStylesheet("en", "broken.xsl", "<xsl:stylesheet");
    XsltRun run(installation.path() + "/html/en/modules/report/content/reports/broken.xsl");
    EXPECT_FALSE(run.compiled());
    EXPECT_FALSE(run.failure().isEmpty());
    EXPECT_FALSE(run.stripsWhitespaceIn(u"Body"));
    EXPECT_EQ(run.transform(QByteArray("<VXNResponse/>")), run.failure());
}

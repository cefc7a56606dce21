#include "support/TestInstallation.h"

#include "VELMPluginReportGenerator/export/ExportDocument.h"
#include "VELMPluginReportGenerator/export/ExportFormat.h"
#include "VELMPluginReportGenerator/export/ExportLocale.h"
#include "VELMPluginReportGenerator/export/InstallationPath.h"
#include "VELMPluginReportGenerator/export/ReportExport.h"
#include "VELMPluginReportGenerator/export/XsltTransform.h"
#include "VELMPluginReportGenerator/registry/ReportTypes.h"

#include "VXNServiceFramework/dom/DomParser.h"
#include "VXNServiceFramework/dom/DomRead.h"

#include "VXNServiceFramework/captured_log.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <thread>

using namespace reportRegistry;

namespace {

QByteArray exportText(const QByteArray& reportXml) {
    const dom::ParseResult parsed = dom::parse(reportXml);
    EXPECT_TRUE(parsed.ok()) << parsed.error.toStdString();
    return exportDocumentText(parsed.document.root());
}

ExportSource sourceOf(int type, const QByteArray& rows, const QString& groupBy = {}) {
    return {exportText("<Root><Info><Title>t</Title></Info><Body>" + rows + "</Body></Root>"), type,
            groupBy, QDateTime(QDate(2008, 1, 31), QTime(9, 4, 51)).toSecsSinceEpoch()};
}

} // namespace

TEST(ExportSettings, TheInstallationPathIsReadAnewAndTakenOnlyWhenItFits) {
    TestInstallation::setPathValue({});
    EXPECT_EQ(installationPath(), "");
    TestInstallation::setPathValue("/opt/quillex");
    EXPECT_EQ(installationPath(), "/opt/quillex");
    TestInstallation::setPathValue("/srv/other/place");
    EXPECT_EQ(installationPath(), "/srv/other/place");
    const QString longest = "/" + QString(installation::maxPathUnits - 1, 'a');
    TestInstallation::setPathValue(longest);
    EXPECT_EQ(installationPath(), longest);
    // A cut path would name another directory.
    TestInstallation::setPathValue(longest + "b");
    EXPECT_EQ(installationPath(), "");
}

TEST(ExportSettings, LocalesArePlainNamesOnly) {
    for (const char* plain : {"en", "de", "pt_BR", "zh-Hans", "en-001"})
        EXPECT_TRUE(exportLocale::isPlainName(plain)) << plain;
    for (const char* refused : {"", "..", "../de", "en/../de", "de/", "/etc", "e n", "en_",
                                "en-US-x", "_en", "en\n", "d\xc3\xa9"})
        EXPECT_FALSE(exportLocale::isPlainName(QString::fromUtf8(refused))) << refused;
    EXPECT_EQ(exportLocale::effective(""), "en");
    EXPECT_EQ(exportLocale::effective("de"), "de");
}

TEST(ExportSettings, FormatsAreComparedExactlyAndNameTheFile) {
    using exportFormat::Maker;
    EXPECT_EQ(exportFormat::byName("CSV").extension, "csv");
    EXPECT_EQ(exportFormat::byName("HTML").extension, "htm");
    EXPECT_EQ(exportFormat::byName("HTM").extension, "htm");
    EXPECT_EQ(exportFormat::byName("HTM").maker, Maker::Stylesheet);
    EXPECT_EQ(exportFormat::byName("XML").maker, Maker::Document);
    for (const char* unknown : {"html", "csv", "Xml", "PDF", ""}) {
        EXPECT_EQ(exportFormat::byName(unknown).maker, Maker::Nothing) << unknown;
        EXPECT_EQ(exportFormat::byName(unknown).extension, "") << unknown;
    }
    // TZ is Europe/Berlin: the name shows local time, on both sides of a clock change.
    EXPECT_EQ(exportFormat::fileName(1201766691, "htm"), "Report_20080131_090451.htm");
    EXPECT_EQ(exportFormat::fileName(1214900000, "csv"), "Report_20080701_101320.csv");
    EXPECT_EQ(exportFormat::fileName(1201766691, ""), "Report_20080131_090451.");
    EXPECT_EQ(exportFormat::stylesheetPath("/i", "en", "ReportResult_type1_UA", "htm"),
              "/i/html/en/modules/report/content/reports/ReportResult_type1_UA_htm.xsl");
}

TEST(ExportDocumentText, HoldsCopiesOfTheFirstInfoAndBodyOnly) {
    const QByteArray text = exportText("<Root><Extra/><Body><Row>b1</Row></Body>"
                                       "<Info><Title>first</Title></Info>"
                                       "<Info><Title>second</Title></Info><Body/></Root>");
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\""));
    EXPECT_EQ(text.count("<?xml"), 1);
    EXPECT_TRUE(text.contains("\n  <Title>first</Title>\n")) << "pretty-printed";
    EXPECT_FALSE(text.contains("\n\n")) << "no blank lines: " << text.toStdString();
    const dom::ParseResult read = dom::parse(text);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(dom::name(read.document.root()), "VXNResponse");
    QStringList children;
    dom::forEachChild(read.document.root(), [&](dom::Element* child) {
        children << dom::name(child) + "=" + dom::textContent(child).trimmed();
    });
    EXPECT_EQ(children, QStringList({"Info=first", "Body=b1"}));
}

TEST(ExportDocumentText, KeepsTextOutsideAsciiAsUtf8) {
    const QByteArray text = exportText("<Root><Info/><Body><Row>Grüße €</Row></Body></Root>");
    EXPECT_TRUE(text.contains("Grüße €"));
}

class ExportFileTest : public ::testing::Test {
protected:
    TestInstallation installation;
};

TEST_F(ExportFileTest, StylesheetsComeFromTheLocaleDirectoryByTypeAndExtension) {
    installation.writeStylesheet("en", "ReportResult_type2_htm.xsl",
                                 taggedRowsStylesheet("en-htm"));
    installation.writeStylesheet("en", "ReportResult_type2_csv.xsl",
                                 taggedRowsStylesheet("en-csv"));
    installation.writeStylesheet("de", "ReportResult_type2_htm.xsl",
                                 taggedRowsStylesheet("de-htm"));
    const ExportSource source = sourceOf(RT_DEVICE_LIST, "<Row>a</Row><Row>b&amp;c</Row>");

    const ExportFile html = makeExportFile(source, "HTML", "");
    EXPECT_EQ(html.name, "Report_20080131_090451.htm");
    EXPECT_EQ(html.data, "en-htm:[a][b&c]");
    EXPECT_EQ(makeExportFile(source, "HTM", "en").data, "en-htm:[a][b&c]");
    EXPECT_EQ(makeExportFile(source, "HTML", "de").data, "de-htm:[a][b&c]");
    const ExportFile csv = makeExportFile(source, "CSV", "en");
    EXPECT_EQ(csv.name, "Report_20080131_090451.csv");
    EXPECT_EQ(csv.data, "en-csv:[a][b&c]");
}

TEST_F(ExportFileTest, BaseNamesFollowTheTypeAndTheJobAccountingGrouping) {
    installation.writeStylesheet("en", "_htm.xsl", taggedRowsStylesheet("none"));
    installation.writeStylesheet("en", "JACUserGroup_htm.xsl", taggedRowsStylesheet("group"));
    installation.writeStylesheet("en", "JACUserBasic_htm.xsl", taggedRowsStylesheet("basic"));
    EXPECT_EQ(makeExportFile(sourceOf(5, "<Row>x</Row>"), "HTML", "en").data, "none:[x]");
    EXPECT_EQ(makeExportFile(sourceOf(RT_DEVICE_FIRMWARE_INFO, ""), "HTML", "en").data, "none:");
    EXPECT_EQ(makeExportFile(sourceOf(RT_JAC_USER_BASIC, "", "UserGroupUser"), "HTML", "").data,
              "group:");
    EXPECT_EQ(makeExportFile(sourceOf(RT_JAC_USER_BASIC, "", "User"), "HTML", "").data, "basic:");
}

TEST_F(ExportFileTest, XmlIsTheDocumentAndUnknownFormatsGiveAnEmptyFile) {
    const ExportSource source = sourceOf(RT_DEVICE_LIST, "<Row>a</Row>");
    const ExportFile xml = makeExportFile(source, "XML", "en");
    EXPECT_EQ(xml.name, "Report_20080131_090451.xml");
    EXPECT_EQ(xml.data, source.documentText);
    for (const char* unknown : {"html", "PDF", ""}) {
        const ExportFile file = makeExportFile(source, unknown, "en");
        EXPECT_EQ(file.name, "Report_20080131_090451.") << unknown;
        EXPECT_TRUE(file.data.isEmpty()) << unknown;
    }
}

TEST_F(ExportFileTest, AMissingOrBrokenStylesheetLeavesTheProcessorsErrorInTheFile) {
    const ExportSource source = sourceOf(RT_DEVICE_LIST, "<Row>a</Row>");
    CapturedLog log;
    const QByteArray missing = makeExportFile(source, "HTML", "fr").data;
    EXPECT_FALSE(missing.isEmpty());
    EXPECT_TRUE(
        missing.contains("/html/fr/modules/report/content/reports/ReportResult_type2_htm.xsl"))
        << missing.toStdString();

    installation.writeStylesheet("en", "ReportResult_type2_csv.xsl", "<xsl:stylesheet");
    const QByteArray broken = makeExportFile(source, "CSV", "en").data;
    EXPECT_FALSE(broken.isEmpty());
    EXPECT_FALSE(broken.contains("[a]"));
    // The parser's complaints are log lines of their own, saying where.
    EXPECT_TRUE(log.lines().filter(QStringLiteral("unable to open")).size() == 1 &&
                log.lines().filter(QStringLiteral("ReportResult_type2_csv.xsl, line 1")).size() ==
                    1)
        << log.lines().join(QLatin1Char('\n')).toStdString();

    TestInstallation::setPathValue({});
    installation.writeStylesheet("en", "ReportResult_type2_htm.xsl", taggedRowsStylesheet("en"));
    const QByteArray unset = makeExportFile(source, "HTML", "en").data;
    EXPECT_TRUE(unset.contains("/html/en/modules/report/content/reports/ReportResult_type2_htm"))
        << unset.toStdString();
}

TEST_F(ExportFileTest, ALocaleThatIsNoPlainNameOpensNothing) {
    installation.writeStylesheet("de", "ReportResult_type2_htm.xsl", taggedRowsStylesheet("de"));
    const ExportSource source = sourceOf(RT_DEVICE_LIST, "<Row>a</Row>");
    ASSERT_EQ(makeExportFile(source, "HTML", "de").data, "de:[a]");
    for (const char* locale : {"en/../de", "../", "de/"}) {
        const ExportFile file = makeExportFile(source, "HTML", locale);
        EXPECT_FALSE(file.data.contains("[a]")) << locale;
        EXPECT_TRUE(file.data.contains("not a plain name")) << locale;
    }
}

TEST_F(ExportFileTest, ConcurrentTransformationsEachGetTheirOwnResult) {
    installation.writeStylesheet("en", "ReportResult_type2_csv.xsl", taggedRowsStylesheet("c"));
    const QString sheet =
        installation.path() + "/html/en/modules/report/content/reports/ReportResult_type2_csv.xsl";
    constexpr int threads = 6;
    constexpr int rounds = 15;
    std::vector<std::thread> workers;
    std::vector<int> wrong(threads, 0);
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int r = 0; r < rounds; ++r) {
                const QByteArray row = QByteArray::number(t * 1000 + r);
                const QByteArray input =
                    exportText("<R><Info/><Body><Row>" + row + "</Row></Body></R>");
                // Every other call fails on a missing stylesheet, beside the others.
                if (r % 2)
                    wrong[t] += transformXslt(input, sheet) != "c:[" + row + "]";
                else
                    wrong[t] += transformXslt(input, sheet + ".missing").isEmpty();
            }
        });
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(wrong, std::vector<int>(threads, 0));
}

// Characters beyond the 16-bit range are two UTF-16 code units; wherever the processor's output
// buffers happen to fill, each one must come out whole (a text export once ran out of memory
// when a buffer ended between the two).
TEST(XsltOutput, CharactersBeyondSixteenBitsComeOutWholeAtEveryPosition) {
    QTemporaryDir dir;
    const auto sheet = [&](const char* name, const QByteArray& method) {
        QFile file(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<xsl:stylesheet version=\"1.0\" "
                   "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                   "<xsl:output method=\"" +
                   method +
                   "\" encoding=\"UTF-8\"/>"
                   "<xsl:template match=\"/\"><xsl:value-of select=\"/R\"/></xsl:template>"
                   "</xsl:stylesheet>");
        return file.fileName();
    };
    XsltRun text(sheet("text.xsl", "text"));
    XsltRun html(sheet("html.xsl", "html"));
    ASSERT_TRUE(text.compiled());
    ASSERT_TRUE(html.compiled());
    const QString emoji = QStringLiteral("\U0001F600");
    int wrong = 0;
    for (int padding = 0; padding < 1100; ++padding) {
        const QString value = QString(padding, QLatin1Char('x')) + emoji + QStringLiteral("y");
        const QByteArray document = "<R>" + value.toUtf8() + "</R>";
        if (text.transform(document) != value.toUtf8())
            ++wrong;
        // Markup writes it as a character reference.
        if (html.transform(document) != QByteArray(padding, 'x') + "&#128512;y")
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
}
